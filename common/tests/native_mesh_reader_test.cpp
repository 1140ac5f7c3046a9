#include <string>
#include <vector>

#include "common/mesh/native_mesh_file.h"
#include "common/tests/mesh_test_util.h"

namespace kv {
namespace {

using test::AsRead;
using test::ExpectSameMesh;
using test::MakeElement;
using test::MakeProperty;
using test::ScratchPath;
using test::WriteText;

// A model of every category that .m2D carries, with the element types the
// solver handles.
MeshModel SolverModel() {
  MeshModel m;
  const int categories[] = {kConnector, kColdRunner, kHotRunner, kCoolingChannel, kCoolingSurface,
                            kMoldSurface, kPartRunner, kPartSurface, kPartDualSurface, kPartVolume};
  // Connector and Part volume blocks carry no size.
  for (int c : categories)
    m.properties.push_back(MakeProperty(c, c == kConnector || c == kPartVolume ? 0 : 0.001f * (c + 1)));
  for (int i = 0; i < 6; ++i) m.nodes.push_back({0.125f * i, -0.25f * i, 1.5e-3f * i});
  m.elements = {MakeElement(kBeam, {0, 1}, 1), MakeElement(kBeam, {1, 2}, 3),
                MakeElement(kTriangle, {0, 1, 2}, 7, 3), MakeElement(kTriangle, {3, 4, 5}, 8, 2),
                MakeElement(kTriangle, {0, 2, 4}, 4), MakeElement(kTetrahedron, {0, 1, 2, 5}, 9),
                MakeElement(kBeam, {4, 5}, 0), MakeElement(kTriangle, {1, 2, 3}, 5),
                MakeElement(kBeam, {2, 3}, 2), MakeElement(kBeam, {3, 4}, 6)};
  for (Element& e : m.elements) e = AsRead(m, e);
  return m;
}

// Every element type and the categories that .m3D carries.
MeshModel VolumeModel() {
  MeshModel m;
  const int categories[] = {kConnector, kColdRunner, kHotRunner, kPartRunner, kPartSurface, kPartVolume};
  for (int c : categories)
    m.properties.push_back(MakeProperty(c, c == kConnector || c == kPartVolume ? 0 : 0.002f * c));
  for (int i = 0; i < 8; ++i) m.nodes.push_back({float(i & 1), float((i >> 1) & 1), float(i >> 2)});
  m.elements = {MakeElement(kHexahedron, {0, 1, 3, 2, 4, 5, 7, 6}, 5), MakeElement(kPyramid, {0, 1, 3, 2, 4}, 5),
                MakeElement(kPrism, {0, 1, 2, 4, 5, 6}, 5), MakeElement(kTetrahedron, {0, 1, 2, 4}, 5),
                MakeElement(kQuadrilateral, {0, 1, 3, 2}, 4, 5), MakeElement(kTriangle, {0, 1, 2}, 4, 4),
                MakeElement(kBeam, {0, 4}, 1), MakeElement(kBeam, {1, 5}, 2), MakeElement(kBeam, {2, 6}, 3),
                MakeElement(kBeam, {3, 7}, 0)};
  for (Element& e : m.elements) e = AsRead(m, e);
  return m;
}

void SetIdentifiers(MeshModel& m) {
  for (size_t i = 0; i < m.properties.size(); ++i) m.properties[i].identifier = static_cast<int>(i) + 1;
}

TEST(NativeMeshReader, EachWriterReadsBackToTheSameModel) {
  {
    SCOPED_TRACE(".m2D");
    MeshModel want = SolverModel();
    std::string path = ScratchPath("a.m2D");
    ASSERT_EQ(WriteMeshM2D(want, path, 0, ""), 1);
    MeshModel got;
    std::string error;
    ASSERT_EQ(ReadMeshNative(got, path, error), 1) << error;
    ExpectSameMesh(got, want);
    SetIdentifiers(want);
    for (size_t i = 0; i < got.properties.size(); ++i) EXPECT_EQ(got.properties[i].identifier, int(i) + 1);

    MeshModel solver;
    ASSERT_EQ(ReadSolverMesh(solver, path, error), 1) << error;
    ExpectSameMesh(solver, want);
  }
  {
    SCOPED_TRACE(".m3D");
    MeshModel want = VolumeModel();
    std::string path = ScratchPath("a.m3D");
    ASSERT_EQ(WriteMeshM3D(want, path, 0, ""), 1);
    MeshModel got;
    std::string error;
    ASSERT_EQ(ReadMeshNative(got, path, error), 1) << error;
    ExpectSameMesh(got, want);
  }
  {
    // .fem carries no pairing.
    SCOPED_TRACE(".fem");
    MeshModel want = VolumeModel();
    std::string path = ScratchPath("a.fem");
    ASSERT_EQ(WriteMeshFem(want, path, 0, ""), 1);
    MeshModel got;
    std::string error;
    ASSERT_EQ(ReadMeshFem(got, path, error), 1) << error;
    for (Element& e : want.elements) e.paired = -1;
    ExpectSameMesh(got, want);
  }
}

// What a variant does not carry: a cooling surface has no block in .m3D and
// .fem (its elements read back without category), a dual surface comes back
// from .fem as a part surface; the property table keeps its SUMR size in
// .m3D and the element still names its record.
TEST(NativeMeshReader, CategoriesAVariantDoesNotCarry) {
  MeshModel m = test::SmallModel();
  m.properties.push_back(MakeProperty(kPartDualSurface, 0.004f));
  m.elements.push_back(AsRead(m, MakeElement(kTriangle, {1, 2, 3}, 3)));
  std::string m3d = ScratchPath("s.m3D"), fem = ScratchPath("s.fem");
  ASSERT_EQ(WriteMeshM3D(m, m3d, 0, ""), 1);
  ASSERT_EQ(WriteMeshFem(m, fem, 0, ""), 1);
  std::string error;

  MeshModel a;
  ASSERT_EQ(ReadMeshNative(a, m3d, error), 1) << error;
  ASSERT_EQ(a.properties.size(), 4u);
  EXPECT_EQ(a.properties[2].category, kConnector);
  EXPECT_EQ(a.properties[2].name, "");
  EXPECT_EQ(a.properties[3].name, "");  // no dual-surface block in .m3D either
  EXPECT_EQ(a.elements[2].property, 2);
  EXPECT_EQ(a.elements[2].category, kConnector);
  EXPECT_EQ(a.elements[2].thickness, 0.0f);
  EXPECT_EQ(a.elements[1].category, kPartSurface);
  EXPECT_EQ(a.elements[1].paired, 2);

  MeshModel b;
  ASSERT_EQ(ReadMeshFem(b, fem, error), 1) << error;
  ASSERT_EQ(b.properties.size(), 3u);  // blocks only
  EXPECT_EQ(b.elements[2].property, -1);
  EXPECT_EQ(b.elements[2].category, kConnector);
  EXPECT_EQ(b.elements[3].property, 2);
  EXPECT_EQ(b.elements[3].category, kPartSurface);
  EXPECT_EQ(b.properties[2].name, "Part surface");
  test::ExpectNear(b.elements[3].thickness, 0.004f);
}

// Names are classified by their first characters; "Hose" and "Baffle" are
// cooling channels, kept as "Cooling channel"; unknown names give category 0
// and no name; two-digit exponents and a missing ENDF are fine.
TEST(NativeMeshReader, ClassifiesNamesAndAcceptsForeignSpelling) {
  std::string path = ScratchPath("names.m2D");
  WriteText(path,
            "TITL  FEM 2D file.\nSUMR 0 0 4 2 4\n"
            "EPRO 1 1    Hose 12\n 30100 2  Thickness/diameter\n  8.0E-03 1.0E+00\n"
            "EPRO 2 2    Baffle\n 30000 1 x\n 1.0\n 30100 2 Thickness/diameter & shape factor\n 1.2e-2 1\n"
            "EPRO 3 0    Unknown thing\n"
            "EPRO 4 1    Part surface of the lid\r\n 30100 1 T\r\n 2.5E-03\r\n"
            "NODE 1 0 0.0 0.0 0.0\nNODE 2 0 1.0E+00 2.0e-1 -3\n"
            "1D 1 1 -1 1 2\n1D 2 2 -1 2 1\n1D 3 3 -1 1 2\nTRI 4 4 -1 1 2 1\n");
  MeshModel m;
  std::string error;
  ASSERT_EQ(ReadMeshNative(m, path, error), 1) << error;
  ASSERT_EQ(m.properties.size(), 4u);
  EXPECT_EQ(m.properties[0].category, kCoolingChannel);
  EXPECT_EQ(m.properties[0].name, "Cooling channel");
  EXPECT_FLOAT_EQ(m.properties[0].diameter, 8.0e-3f);
  EXPECT_EQ(m.properties[1].name, "Cooling channel");
  EXPECT_FLOAT_EQ(m.properties[1].thickness, 1.2e-2f);
  EXPECT_EQ(m.properties[2].category, kConnector);
  EXPECT_EQ(m.properties[2].name, "");
  EXPECT_EQ(m.properties[3].category, kPartSurface);
  EXPECT_FLOAT_EQ(m.elements[0].diameter, 8.0e-3f);
  EXPECT_EQ(m.elements[0].category, kCoolingChannel);
  EXPECT_FLOAT_EQ(m.elements[3].thickness, 2.5e-3f);
  EXPECT_EQ(m.elements[3].diameter, 0.0f);
  EXPECT_FLOAT_EQ(m.nodes[1].y, 0.2f);
  EXPECT_FLOAT_EQ(m.nodes[1].z, -3.0f);
}

// Appending: every reference of the file is shifted by what the model
// already holds (here 100 nodes, 2 properties, 3 elements).
TEST(NativeMeshReader, AppendsAndShiftsReferences) {
  MeshModel m;
  for (int i = 0; i < 100; ++i) m.nodes.push_back({float(i), 0, 0});
  m.properties = {MakeProperty(kPartSurface, 1), MakeProperty(kColdRunner, 2)};
  m.elements = {MakeElement(kBeam, {0, 1}, 1), MakeElement(kBeam, {1, 2}, 1), MakeElement(kBeam, {2, 3}, 1)};
  MeshModel file = test::SmallModel();
  std::string path = ScratchPath("s.m2D");
  ASSERT_EQ(WriteMeshM2D(file, path, 0, ""), 1);
  std::string error;
  ASSERT_EQ(ReadMeshNative(m, path, error), 1) << error;
  ASSERT_EQ(m.nodes.size(), 104u);
  ASSERT_EQ(m.properties.size(), 5u);
  ASSERT_EQ(m.elements.size(), 7u);
  EXPECT_FLOAT_EQ(m.nodes[100 + 3].z, -0.5f);
  const Element& quad_half = m.elements[3 + 2];  // second triangle of the split quad
  EXPECT_EQ(quad_half.type, kTriangle);
  EXPECT_EQ(quad_half.nodes[0], 100);
  EXPECT_EQ(quad_half.nodes[1], 102);
  EXPECT_EQ(quad_half.nodes[2], 103);
  EXPECT_EQ(quad_half.property, 3);
  EXPECT_EQ(quad_half.paired, 3 + 3);  // the triangle numbered 4 in the file
  EXPECT_EQ(m.elements[3].property, 2);
  EXPECT_EQ(m.elements[3].nodes[1], 101);
  EXPECT_EQ(m.properties[4].identifier, 5);
  EXPECT_EQ(m.elements[6].category, kCoolingSurface);

  // .fem appends the same way through its identifier tables.
  std::string fem = ScratchPath("s.fem");
  ASSERT_EQ(WriteMeshFem(file, fem, 0, ""), 1);
  ASSERT_EQ(ReadMeshFem(m, fem, error), 1) << error;
  ASSERT_EQ(m.nodes.size(), 108u);
  EXPECT_EQ(m.elements[7 + 1].nodes[3], 107);
  EXPECT_EQ(m.elements[7 + 1].property, 6);
}

// A property number of -1 means none: category 0, and after the final pass
// property index 0 (.m2D/.m3D and the solver); .fem keeps -1.
TEST(NativeMeshReader, PropertyMinusOneMeansNone) {
  const std::string text =
      "SUMR 0 0 1 3 1\nEPRO 1 1 Part surface\n30100 1 T\n 1.0E-003\n"
      "NODE 1 0 0 0 0\nNODE 2 0 1 0 0\nNODE 3 0 0 1 0\nTRI 1 -1 -1 1 2 3\nENDF\n";
  std::string path = ScratchPath("none.m2D");
  WriteText(path, text);
  std::string error;
  MeshModel a, b, c;
  ASSERT_EQ(ReadMeshNative(a, path, error), 1) << error;
  ASSERT_EQ(ReadSolverMesh(b, path, error), 1) << error;
  ASSERT_EQ(ReadMeshFem(c, path, error), 1) << error;
  for (const MeshModel* m : {&a, &b}) {
    EXPECT_EQ(m->elements[0].property, 0);
    EXPECT_EQ(m->elements[0].category, kConnector);
    EXPECT_EQ(m->elements[0].thickness, 0.0f);
    EXPECT_EQ(m->elements[0].paired, -1);
  }
  EXPECT_EQ(c.elements[0].property, -1);
  EXPECT_EQ(c.elements[0].category, kConnector);

  // Without any property record, index 0 would point at nothing: -1 stays.
  WriteText(path, "SUMR 0 0 0 3 1\n" + text.substr(text.find("NODE")));
  MeshModel d, e;
  ASSERT_EQ(ReadMeshNative(d, path, error), 1) << error;
  ASSERT_EQ(ReadSolverMesh(e, path, error), 1) << error;
  EXPECT_EQ(d.elements[0].property, -1);
  EXPECT_EQ(e.elements[0].property, -1);
}

// .fem numbers are identifiers: nodes 10, 20, 30 and a property 7 read fine,
// elements may be numbered with gaps, names use the narrower table.
TEST(FemMeshReader, IdentifiersWithGaps) {
  std::string path = ScratchPath("ids.fem");
  WriteText(path,
            "---- Beginning of title.\nTITL  FEM file.\nFILE \nSUMR 0 0 2 3 2\n"
            "EPRO 7 1    Part surface\n 30100 2 Thickness/diameter & shape factor\n 3.0E-003 1.0\n"
            "EPRO 2 0    Mold surface\n"
            "NODE 30 0 +3.0E+000 0 0\nNODE 10 0 +1.0E+000 0 0\nNODE 20 0 +2.0E+000 0 0\n"
            "TRI 500 7 0 10 20 30\nTRI 9 2 0 30 20 10\nENDF\n");
  MeshModel m;
  std::string error;
  ASSERT_EQ(ReadMeshFem(m, path, error), 1) << error;
  ASSERT_EQ(m.nodes.size(), 3u);
  EXPECT_FLOAT_EQ(m.nodes[0].x, 3.0f);
  EXPECT_EQ(m.elements[0].nodes[0], 1);
  EXPECT_EQ(m.elements[0].nodes[1], 2);
  EXPECT_EQ(m.elements[0].nodes[2], 0);
  EXPECT_EQ(m.elements[0].property, 0);
  EXPECT_EQ(m.elements[0].category, kPartSurface);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 3.0e-3f);
  EXPECT_EQ(m.elements[1].property, 1);
  EXPECT_EQ(m.properties[1].category, kConnector);  // "Mold surface" is unknown to .fem
  EXPECT_EQ(m.properties[1].name, "");
  // Identifiers near the top of int need no table of that size.
  WriteText(path, "SUMR 0 0 1 2 1\nEPRO 2147483647 0 Connector\nNODE 2147483646 0 0 0 0\n"
                  "NODE 1 0 1 0 0\n1D 2147483645 2147483647 0 1 2147483646\n");
  MeshModel big;
  ASSERT_EQ(ReadMeshFem(big, path, error), 1) << error;
  EXPECT_EQ(big.elements[0].nodes[0], 1);
  EXPECT_EQ(big.elements[0].nodes[1], 0);
  EXPECT_EQ(big.elements[0].property, 0);
}

// The solver takes every number as a position: record numbers in the file do
// not matter, PYRAMID and PRISM lines are skipped, the model is replaced.
TEST(SolverMeshReader, NumbersArePositions) {
  std::string path = ScratchPath("job.m2D");
  WriteText(path,
            "SUMR 0 0 2 3 2\n"
            "EPRO 9 1 Cold solid runner\n 30100 2 d\n 5.0E-003 1\n"
            "EPRO 4 1 Part surface\n 30100 2 t\n 2.0E-003 1\n"
            "NODE 70 0 0 0 0\nNODE 80 0 1 0 0\nNODE 90 0 0 1 0\n"
            "PYRAMID 1 2 -1 1 2 3 1 2\n"
            "TRI 55 2 2 1 2 3\nPRISM 3 2 -1 1 2 3 1 2 3\n1D 66 1 -1 3 1\n");
  MeshModel m;
  m.nodes.resize(5);
  std::string error;
  ASSERT_EQ(ReadSolverMesh(m, path, error), 1) << error;
  ASSERT_EQ(m.nodes.size(), 3u);
  ASSERT_EQ(m.elements.size(), 2u);
  EXPECT_EQ(m.elements[0].type, kTriangle);
  EXPECT_EQ(m.elements[0].property, 1);
  EXPECT_EQ(m.elements[0].paired, 1);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 2.0e-3f);
  EXPECT_EQ(m.elements[1].type, kBeam);
  EXPECT_EQ(m.elements[1].category, kColdRunner);
  EXPECT_FLOAT_EQ(m.elements[1].diameter, 5.0e-3f);
  EXPECT_EQ(m.elements[1].nodes[0], 2);

  EXPECT_EQ(ReadSolverMesh(m, ScratchPath("missing.m2D"), error), -1);
  EXPECT_EQ(m.nodes.size(), 3u);
}

TEST(NativeMeshReader, MissingFileLeavesTheModel) {
  MeshModel m = test::SmallModel();
  std::string error;
  EXPECT_EQ(ReadMeshNative(m, ScratchPath("missing.m2D"), error), -1);
  EXPECT_EQ(ReadMeshFem(m, ScratchPath("missing.fem"), error), -1);
  ExpectSameMesh(m, test::SmallModel());
}

struct DamagedCase {
  const char* what;
  std::string text;
  const char* message;  // part of the expected error
};

// Damaged input: every reader refuses with a message naming file and reason,
// and the model stays as it was.
TEST(NativeMeshReader, RefusesDamagedInput) {
  const std::string head = "SUMR 0 0 1 3 1\nEPRO 1 1 Part surface\n 30100 2 t\n 1.0E-003 1\n";
  const std::string nodes = "NODE 1 0 0 0 0\nNODE 2 0 1 0 0\nNODE 3 0 0 1 0\n";
  const std::vector<DamagedCase> cases = {
      {"cut inside a node", head + "NODE 1 0 0 0 0\nNODE 2 0 1", "ends inside the NODE record"},
      {"cut inside an element", head + nodes + "TRI 1 1 -1 1 2", "ends inside the TRI record"},
      {"cut between records", head + nodes, "announces 1 elements, the file holds 0"},
      {"fewer nodes than counted", head + "NODE 1 0 0 0 0\nTRI 1 1 -1 1 1 1\n", "announces 3 nodes"},
      {"more elements than counted", head + nodes + "TRI 1 1 -1 1 2 3\nTRI 2 1 -1 1 2 3\n",
       "announces 1 elements, the file holds 2"},
      {"word for a coordinate", head + "NODE 1 0 0 abc 0\n", "'abc' is not a valid y coordinate"},
      {"NaN coordinate", head + "NODE 1 0 nan 0 0\n", "'nan' is not a valid x coordinate"},
      {"real for a node number", head + nodes + "TRI 1 1 -1 1 2.5 3\n", "'2.5' is not a valid node number"},
      {"huge integer", head + nodes + "TRI 1 1 -1 1 2 99999999999\n", "is not a valid node number"},
      {"word for a value", "SUMR 0 0 1 0 0\nEPRO 1 1 Part surface\n 30100 2 t\n 1.0E-003 x\n",
       "'x' is not a valid value"},
      {"value count beyond the values", "SUMR 0 0 1 0 0\nEPRO 1 1 Part surface\n 30100 900000000 t\n 1.0\n",
       "ends inside the EPRO record"},
      {"node out of range", head + nodes + "TRI 1 1 -1 1 2 4\n", "node number 4 outside 1..3"},
      {"node zero", head + nodes + "TRI 1 1 -1 0 2 3\n", "node number 0 outside 1..3"},
      {"property out of range", head + nodes + "TRI 1 2 -1 1 2 3\n", "property number 2 outside 1..1"},
      {"paired out of range", head + nodes + "TRI 1 1 7 1 2 3\n", "paired element number 7 outside 1..1"},
      {"record before the summary", "NODE 1 0 0 0 0\n" + head, "NODE record before the SUMR summary"},
      {"no summary at all", "just some words\n", "no SUMR summary record"},
      {"negative count", "SUMR 0 0 -1 0 0\n", "negative count"},
      {"absurd property count", "SUMR 0 0 2000000000 0 0\n", "exceed the limit"},
      {"second summary", head + "SUMR 0 0 1 3 1\n", "a second SUMR record"},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = ScratchPath("damaged.m2D");
    WriteText(path, c.text);
    std::string error;
    MeshModel m = test::SmallModel();
    EXPECT_EQ(ReadMeshNative(m, path, error), 0);
    EXPECT_NE(error.find(path + ":"), std::string::npos) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    ExpectSameMesh(m, test::SmallModel());

    error.clear();
    EXPECT_EQ(ReadSolverMesh(m, path, error), 0);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    ExpectSameMesh(m, test::SmallModel());

    // The .fem reader shares the grammar; its reference checks differ.
    if (std::string(c.message).find("outside") == std::string::npos) {
      error.clear();
      EXPECT_EQ(ReadMeshFem(m, path, error), 0);
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
      ExpectSameMesh(m, test::SmallModel());
    }
  }
}

TEST(NativeMeshReader, RefusesBadPropertyRecords) {
  const std::string tail = "NODE 1 0 0 0 0\nNODE 2 0 1 0 0\nNODE 3 0 0 1 0\nTRI 1 1 -1 1 2 3\n";
  std::string path = ScratchPath("p.m3D");
  std::string error;
  MeshModel m;
  WriteText(path, "SUMR 0 0 1 3 1\nEPRO 2 0 Part surface\n" + tail);
  EXPECT_EQ(ReadMeshNative(m, path, error), 0);
  EXPECT_NE(error.find("p.m3D:2: EPRO record number 2 outside 1..1"), std::string::npos) << error;
  WriteText(path, "SUMR 0 0 2 3 1\nEPRO 1 0 Part surface\nEPRO 1 0 Connector\n" + tail);
  EXPECT_EQ(ReadMeshNative(m, path, error), 0);
  EXPECT_NE(error.find("EPRO record number 1 given twice"), std::string::npos) << error;
  WriteText(path, "SUMR 0 0 1 3 1\nEPRO 1 0 A\nEPRO 2 0 B\n" + tail);
  EXPECT_EQ(ReadSolverMesh(m, path, error), 0);
  EXPECT_NE(error.find("announces 1 property records, the file holds 2"), std::string::npos) << error;
  EXPECT_TRUE(m.nodes.empty());
}

TEST(FemMeshReader, RefusesUndefinedAndRepeatedIdentifiers) {
  const std::string head = "SUMR 0 0 1 2 1\nEPRO 5 0 Connector\nNODE 10 0 0 0 0\n";
  const std::vector<DamagedCase> cases = {
      {"undefined node", head + "NODE 20 0 1 0 0\n1D 1 5 0 10 30\n", "node identifier 30 is not defined"},
      {"undefined property", head + "NODE 20 0 1 0 0\n1D 1 6 0 10 20\n", "property identifier 6 is not defined"},
      {"node given twice", head + "NODE 10 0 1 0 0\n1D 1 5 0 10 10\n", "NODE identifier 10 given twice"},
      {"node identifier zero", head + "NODE 0 0 1 0 0\n1D 1 5 0 10 0\n", "NODE identifier 0 is not a positive"},
      {"property identifier negative", "SUMR 0 0 1 0 0\nEPRO -3 0 Connector\n", "EPRO identifier -3"},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = ScratchPath("bad.fem");
    WriteText(path, c.text);
    MeshModel m = test::SmallModel();
    std::string error;
    EXPECT_EQ(ReadMeshFem(m, path, error), 0);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    ExpectSameMesh(m, test::SmallModel());
  }
}

}  // namespace
}  // namespace kv
