#include "mesh/exchange/mesh_readers.h"
#include "mesh/exchange/mesh_writers.h"

#include <gtest/gtest.h>

#include <functional>

#include "mesh/exchange/tests/test_files.h"

namespace kv {
namespace {

using test::DataPath;
using test::WriteScratch;

int CountType(const MeshModel& model, int type) {
  int count = 0;
  for (const Element& element : model.elements) count += element.type == type;
  return count;
}

// A model that every failed read must leave exactly as it was.
MeshModel SampleModel() {
  MeshModel model;
  model.nodes = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  Element triangle;
  triangle.type = kTriangle;
  triangle.node_count = 3;
  triangle.nodes[0] = 0;
  triangle.nodes[1] = 1;
  triangle.nodes[2] = 2;
  triangle.category = kMoldSurface;
  triangle.property = 0;
  model.elements.push_back(triangle);
  ElementProperty property;
  property.category = kMoldSurface;
  property.name = "Mold surface";
  property.thickness = 0.003f;
  model.properties.push_back(property);
  FaceRecord face;
  face.element = 0;
  model.faces.push_back(face);
  return model;
}

void ExpectSampleModel(const MeshModel& model) {
  ASSERT_EQ(model.nodes.size(), 3u);
  EXPECT_FLOAT_EQ(model.nodes[2].z, 9.0f);
  ASSERT_EQ(model.elements.size(), 1u);
  EXPECT_EQ(model.elements[0].category, kMoldSurface);
  ASSERT_EQ(model.properties.size(), 1u);
  EXPECT_EQ(model.properties[0].name, "Mold surface");
  EXPECT_EQ(model.faces.size(), 1u);
}

using ReaderFn = std::function<int(MeshModel&, const std::string&, std::string&)>;

// Reads `text` (as a file named `name`) into the sample model, expects the
// refusal code 0, an error naming the file, and the model untouched.
void ExpectRefused(const ReaderFn& reader, const std::string& name, const std::string& text) {
  const std::string path = WriteScratch(name, text);
  MeshModel model = SampleModel();
  std::string error;
  EXPECT_EQ(reader(model, path, error), 0) << name << ":\n" << text;
  EXPECT_NE(error.find(name), std::string::npos) << error;
  ExpectSampleModel(model);
}

// ---- Files written by the gmsh program of Debian (see tests/data/*.geo).

TEST(GmshOutputImports, PlateAndBoxInEveryFormatWeRead) {
  struct Case {
    const char* file;
    ReaderFn reader;
    size_t nodes;
    int triangles, tetrahedra, hexahedra;
  };
  const Case cases[] = {
      {"plate.msh", ReadGmshMesh, 18, 22, 0, 0},
      {"box.msh", ReadGmshMesh, 45, 84, 100, 0},
      {"plate.unv", ReadIdeasMesh, 18, 22, 0, 0},
      {"box.unv", ReadIdeasMesh, 45, 84, 100, 0},
      {"box.inp", ReadAbaqusMesh, 45, 0, 100, 0},
      {"plate_hex.inp", ReadAbaqusMesh, 30, 0, 0, 8},
      {"plate.wrl", ReadVrmlMesh, 18, 22, 0, 0},
      // Gmsh writes the 44 skin nodes (not the one inside); only the first
      // face set of a VRML file is read: the bottom face.
      {"box.wrl", ReadVrmlMesh, 44, 14, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MeshModel model;
    std::string error;
    ASSERT_EQ(c.reader(model, DataPath(c.file), error), 1) << error;
    EXPECT_EQ(model.nodes.size(), c.nodes);
    EXPECT_EQ(CountType(model, kTriangle), c.triangles);
    EXPECT_EQ(CountType(model, kTetrahedron), c.tetrahedra);
    EXPECT_EQ(CountType(model, kHexahedron), c.hexahedra);
    EXPECT_EQ(model.elements.size(), size_t(c.triangles + c.tetrahedra + c.hexahedra));
  }
  // Coordinates: node 2 of the plate is (0.04, 0, 0) m; VRML divides by ten.
  MeshModel msh, wrl;
  std::string error;
  ReadGmshMesh(msh, DataPath("plate.msh"), error);
  ReadVrmlMesh(wrl, DataPath("plate.wrl"), error);
  EXPECT_FLOAT_EQ(msh.nodes[1].x, 0.04f);
  EXPECT_FLOAT_EQ(wrl.nodes[1].x, 0.004f);
  MeshModel unv;
  ReadIdeasMesh(unv, DataPath("box.unv"), error);
  EXPECT_FLOAT_EQ(unv.nodes[1].x, 0.02f);  // "2.0000000000000000D-02"
}

// ---- Gmsh

TEST(GmshReader, NodeNumbersThroughTheMapAndElementKinds) {
  const std::string path = WriteScratch("ids.msh",
      "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n"
      "$Nodes\n5\n10 0 0 0\n20 1 0 0\n30 0 1 0\n40 0 0 1\n2000000000 1 1 1\n$EndNodes\n"
      "$Elements\n5\n"
      "1 15 2 0 1 10\n"
      "2 1 2 0 1 10 2000000000\n"
      "3 2 2 0 1 10 20 30\n"
      "4 4 2 0 1 10 20 30 40\n"
      "5 3 0 10 20 2000000000 30\n"
      "$EndElements\n");
  MeshModel model;
  std::string error;
  ASSERT_EQ(ReadGmshMesh(model, path, error), 1) << error;
  ASSERT_EQ(model.nodes.size(), 5u);
  ASSERT_EQ(model.elements.size(), 4u);  // the point element is dropped
  const Element& line = model.elements[0];
  EXPECT_EQ(line.type, kBeam);
  EXPECT_EQ(line.category, kPartRunner);
  EXPECT_FLOAT_EQ(line.diameter, 0.002f);
  EXPECT_EQ(line.property, 0);
  EXPECT_EQ(line.nodes[1], 4);
  const Element& triangle = model.elements[1];
  EXPECT_EQ(triangle.type, kTriangle);
  EXPECT_EQ(triangle.category, kPartSurface);
  EXPECT_FLOAT_EQ(triangle.thickness, 0.002f);
  EXPECT_EQ(triangle.property, 1);
  EXPECT_EQ(triangle.nodes[0], 0);
  EXPECT_EQ(triangle.nodes[2], 2);
  EXPECT_EQ(model.elements[2].type, kTetrahedron);
  EXPECT_EQ(model.elements[2].category, kPartVolume);
  EXPECT_EQ(model.elements[2].property, 2);
  EXPECT_FLOAT_EQ(model.elements[2].thickness, 0.0f);
  EXPECT_EQ(model.elements[3].type, kQuadrilateral);
  EXPECT_EQ(model.elements[3].nodes[2], 4);
}

TEST(GmshReader, ReplacesTheMeshSoTwoImportsLeaveOneCopy) {
  MeshModel model = SampleModel();
  std::string error;
  ASSERT_EQ(ReadGmshMesh(model, DataPath("plate.msh"), error), 1);
  ASSERT_EQ(ReadGmshMesh(model, DataPath("plate.msh"), error), 1);
  EXPECT_EQ(model.nodes.size(), 18u);
  EXPECT_EQ(model.elements.size(), 22u);
  EXPECT_TRUE(model.properties.empty());
  EXPECT_TRUE(model.faces.empty());
}

TEST(GmshReader, RefusesDamagedAndUnsupportedFiles) {
  const std::string head = "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n3\n1 0 0 0\n2 1 0 0\n3 0 1 0\n$EndNodes\n";
  ExpectRefused(ReadGmshMesh, "truncated_nodes.msh", "$Nodes\n3\n1 0 0 0\n2 1 0");
  ExpectRefused(ReadGmshMesh, "count_beyond.msh", head + "$Elements\n2\n1 2 0 1 2 3\n");
  ExpectRefused(ReadGmshMesh, "unknown_node.msh", head + "$Elements\n1\n1 2 0 1 2 4\n$EndElements\n");
  ExpectRefused(ReadGmshMesh, "unknown_kind.msh", head + "$Elements\n1\n1 9 0 1 2 3 1 2 3\n$EndElements\n");
  ExpectRefused(ReadGmshMesh, "garbage_coordinate.msh", "$Nodes\n1\n1 0 nan 0\n$EndNodes\n");
  ExpectRefused(ReadGmshMesh, "negative_count.msh", "$Nodes\n-5\n$EndNodes\n");
  ExpectRefused(ReadGmshMesh, "huge_tags.msh", head + "$Elements\n1\n1 2 2000000000 1\n$EndElements\n");
  ExpectRefused(ReadGmshMesh, "binary.msh", "$MeshFormat\n2.2 1 8\n$EndMeshFormat\n");
  ExpectRefused(ReadGmshMesh, "version4.msh", "$MeshFormat\n4.1 0 8\n$EndMeshFormat\n");
  ExpectRefused(ReadGmshMesh, "empty.msh", "nothing of a mesh here\n");
}

// ---- I-deas universal

const char kIdeasSample[] =
    "    -1\n"
    "   164\n"
    "         2  mm (milli newton)          2\n"
    "  1.0000000000000000D+03  1.0000000000000000D+00  1.0000000000000000D+00\n"
    "  2.7315000000000000D+02\n"
    "    -1\n"
    "    -1\n"
    "  2448\n"
    "         7        90         1\n"
    "SHELL PROPS\n"
    "         1         2         1\n"
    "  2.0000000000000000D+00\n"
    "    -1\n"
    "    -1\n"
    "  2411\n"
    "        10         1         1        11\n"
    "   0.0000000000000000D+00   0.0000000000000000D+00   0.0000000000000000D+00\n"
    "        20         1         1        11\n"
    "   1.0000000000000000D+03   0.0000000000000000D+00   0.0000000000000000D+00\n"
    "        30         1         1        11\n"
    "   0.0000000000000000D+00   1.0000000000000000D+03   0.0000000000000000D+00\n"
    "    -1\n"
    "    -1\n"
    "  2412\n"
    "         1        91         7         1         7         3\n"
    "        10        20        30\n"
    "         2        21         9         1         7         2\n"
    "         0         1         1\n"
    "        10        20\n"
    "    -1\n";

TEST(IdeasReader, UnitsPropertyTablesAndAppending) {
  const std::string path = WriteScratch("sample.unv", kIdeasSample);
  MeshModel model = SampleModel();
  std::string error;
  ASSERT_EQ(ReadIdeasMesh(model, path, error), 1) << error;
  ASSERT_EQ(model.nodes.size(), 6u);
  EXPECT_FLOAT_EQ(model.nodes[4].x, 1.0f);  // 1000 mm
  ASSERT_EQ(model.elements.size(), 3u);
  ASSERT_EQ(model.properties.size(), 2u);
  const ElementProperty& shell = model.properties[1];
  EXPECT_EQ(shell.category, kPartSurface);
  EXPECT_EQ(shell.name, "SHELL PROPS");
  EXPECT_FLOAT_EQ(shell.thickness, 0.002f);  // 2 mm
  const Element& triangle = model.elements[1];
  EXPECT_EQ(triangle.property, 1);
  EXPECT_EQ(triangle.category, kPartSurface);
  EXPECT_FLOAT_EQ(triangle.thickness, 0.002f);
  EXPECT_EQ(triangle.nodes[0], 3);  // labels 10, 20, 30 after the 3 nodes already there
  EXPECT_EQ(triangle.nodes[2], 5);
  const Element& beam = model.elements[2];
  EXPECT_EQ(beam.type, kBeam);
  EXPECT_EQ(beam.property, 0);      // table 9 was never defined
  EXPECT_EQ(beam.category, kConnector);

  // A second import doubles the mesh.
  ASSERT_EQ(ReadIdeasMesh(model, path, error), 1) << error;
  EXPECT_EQ(model.nodes.size(), 9u);
  EXPECT_EQ(model.elements.size(), 5u);
  EXPECT_EQ(model.properties.size(), 3u);
  EXPECT_EQ(model.elements[3].property, 2);
  EXPECT_EQ(model.elements[3].nodes[0], 6);
}

// Shells and solids without a property table are part surfaces and part
// volumes, as the same mesh read from Gmsh: drawn in the part colour, and
// written again by the I-deas exporter (which skips connectors).
TEST(IdeasReader, ElementsWithoutATableAreOfTheirKindAndExportAgain) {
  for (const char* name : {"plate", "box"}) {
    SCOPED_TRACE(name);
    MeshModel unv, msh;
    std::string error;
    ASSERT_EQ(ReadIdeasMesh(unv, DataPath(std::string(name) + ".unv"), error), 1) << error;
    ASSERT_EQ(ReadGmshMesh(msh, DataPath(std::string(name) + ".msh"), error), 1) << error;
    ASSERT_EQ(unv.elements.size(), msh.elements.size());
    for (size_t e = 0; e < unv.elements.size(); ++e) {
      EXPECT_EQ(unv.elements[e].category, msh.elements[e].category) << "element " << e + 1;
      EXPECT_EQ(unv.elements[e].property, 0);
    }
    const std::string copy = WriteScratch(std::string(name) + "_copy.unv", "");
    ASSERT_EQ(WriteIdeasMesh(unv, copy, name), 1);
    MeshModel again;
    ASSERT_EQ(ReadIdeasMesh(again, copy, error), 1) << error;
    EXPECT_EQ(again.elements.size(), unv.elements.size());
    EXPECT_EQ(again.nodes.size(), unv.nodes.size());
  }
}

TEST(IdeasReader, RefusesDamagedFiles) {
  const std::string nodes =
      "    -1\n  2411\n         1         1         1        11\n  0.0 0.0 0.0\n"
      "         2         1         1        11\n  1.0 0.0 0.0\n    -1\n";
  ExpectRefused(ReadIdeasMesh, "descriptor.unv",
                nodes + "    -1\n  2412\n         1       118         1         1         7         2\n"
                        "         1         2\n    -1\n");
  ExpectRefused(ReadIdeasMesh, "node_label.unv",
                nodes + "    -1\n  2412\n         1        91         1         1         7         3\n"
                        "         1         2         3\n    -1\n");
  ExpectRefused(ReadIdeasMesh, "truncated.unv", nodes + "    -1\n  2412\n         1        91         1");
  ExpectRefused(ReadIdeasMesh, "coordinates.unv",
                "    -1\n  2411\n         1         1         1        11\n  0.0 zero 0.0\n    -1\n");
  ExpectRefused(ReadIdeasMesh, "units.unv", "    -1\n   164\n  1 m 2\n 0.0 1.0 1.0\n 0.0\n    -1\n");
}

// ---- Patran neutral

TEST(PatranReader, PacketsAndAppending) {
  const std::string text =
      "25       0       0       1       0       0       0       0       0\n"
      "a title\n"
      "26       0       0       1       3       2       1       0       0\n"
      "summary card\n"
      " 4       1       0       1       0       0       0       0       0\n"
      " 0.000000000E+00 0.500000000E-02 0.000000000E+00\n"
      " 1      10       0       2       0       0       0       0       0\n"
      " 0.000000000E+00 0.000000000E+00 0.000000000E+00\n"
      "1G       6       0       0  000000\n"
      " 1      20       0       2       0       0       0       0       0\n"
      " 1.000000000E+00-2.000000000E+00 0.000000000E+00\n"
      "1G       6       0       0  000000\n"
      " 1      30       0       2       0       0       0       0       0\n"
      " 0.000000000E+00 1.000000000E+00 0.000000000E+00\n"
      "1G       6       0       0  000000\n"
      " 2       1       2       2       0       0       0       0       0\n"
      "       2       0       1       0\n"
      "      10      20\n"
      " 2       2       3       2       0       0       0       0       0\n"
      "       3       0       0       0\n"
      "      10      20      30\n"
      "99       0       0       1       0       0       0       0       0\n";
  const std::string path = WriteScratch("sample.pat", text);
  MeshModel model = SampleModel();
  std::string error;
  ASSERT_EQ(ReadPatranMesh(model, path, error), 1) << error;
  ASSERT_EQ(model.nodes.size(), 6u);
  EXPECT_FLOAT_EQ(model.nodes[4].y, -2.0f);  // fixed 16-character fields run together
  ASSERT_EQ(model.elements.size(), 3u);
  const Element& bar = model.elements[1];
  EXPECT_EQ(bar.type, kBeam);
  EXPECT_EQ(bar.category, kColdRunner);
  EXPECT_EQ(bar.property, 1);               // property 1 lands after the existing record
  EXPECT_FLOAT_EQ(bar.diameter, 0.005f);
  EXPECT_EQ(bar.nodes[0], 3);
  const Element& triangle = model.elements[2];
  EXPECT_EQ(triangle.category, kPartSurface);
  EXPECT_EQ(triangle.property, -1);         // property id 0: none
  ASSERT_EQ(model.properties.size(), 2u);
  EXPECT_EQ(model.properties[0].name, "Mold surface");  // the existing record is kept
  EXPECT_EQ(model.properties[1].category, kColdRunner);

  ASSERT_EQ(ReadPatranMesh(model, path, error), 1) << error;
  EXPECT_EQ(model.nodes.size(), 9u);
  EXPECT_EQ(model.elements.size(), 5u);
  EXPECT_EQ(model.elements[3].property, 2);
}

TEST(PatranReader, RefusesDamagedFiles) {
  const std::string node =
      " 1       1       0       2       0       0       0       0       0\n"
      " 0.000000000E+00 0.000000000E+00 0.000000000E+00\n"
      "1G       6       0       0  000000\n";
  ExpectRefused(ReadPatranMesh, "quad.pat",
                node + " 2       1       4       2       0       0       0       0       0\n"
                       "       4       0       1       0\n       1       1       1       1\n");
  ExpectRefused(ReadPatranMesh, "unknown_node.pat",
                node + " 2       1       2       2       0       0       0       0       0\n"
                       "       2       0       1       0\n       1       7\n");
  ExpectRefused(ReadPatranMesh, "truncated.pat", node + " 2       1       2       2       0");
  ExpectRefused(ReadPatranMesh, "cards_beyond.pat",
                node + "25       0       0       3       0       0       0       0       0\ntitle\n");
  ExpectRefused(ReadPatranMesh, "absurd_property.pat",
                " 4 2000000000       0       1       0       0       0       0       0\n 1.0 2.0\n");
}

// ---- Abaqus, Ansys, LS-Dyna

TEST(AbaqusReader, PrismWithACollapsedEdgeBecomesAPyramidAndSetsAreNotElements) {
  const std::string path = WriteScratch("pyramid.inp",
      "*HEADING\n"
      "a title with 1 number\n"
      "*NODE\n"
      "1, 0, 0, 0\n2, 1, 0, 0\n3, 0.5, 0.5, 1\n4, 0, 1, 0\n5, 1, 1, 0\n"
      "** a comment\n"
      "*ELEMENT, TYPE=C3D6, ELSET=pyr\n"
      "1, 1, 2, 3, 4, 5, 3\n"
      "*ELSET, ELSET=all\n"
      "1, 2, 3, 4, 5\n"
      "*NSET, NSET=n\n"
      "1, 2, 3\n");
  MeshModel model;
  std::string error;
  ASSERT_EQ(ReadAbaqusMesh(model, path, error), 1) << error;
  ASSERT_EQ(model.nodes.size(), 5u);
  ASSERT_EQ(model.elements.size(), 1u);
  const Element& pyramid = model.elements[0];
  EXPECT_EQ(pyramid.type, kPyramid);
  EXPECT_EQ(pyramid.node_count, 5);
  const int expected[5] = {0, 1, 4, 3, 2};  // base 1 2 5 4, apex 3
  for (int i = 0; i < 5; ++i) EXPECT_EQ(pyramid.nodes[i], expected[i]);
}

TEST(AnsysAndDynaReaders, HexahedraOnNodePositions) {
  const std::string hex_nodes = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
  std::string ansys = "/PREP7\nET,1,SOLID185\nMAT,1\nTYPE,1\n";
  std::string dyna = "*KEYWORD\n$ a comment\n*NODE\n";
  for (int i = 0; i < 8; ++i) {
    const int x = i == 1 || i == 2 || i == 5 || i == 6, y = i == 2 || i == 3 || i == 6 || i == 7, z = i >= 4;
    ansys += "N," + std::to_string(i + 1) + "," + std::to_string(x) + "," + std::to_string(y) + "," +
             std::to_string(z) + "\n";
    dyna += std::to_string(i + 1) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
            std::to_string(z) + " 0 0\n";
  }
  ansys += "E,1,2,3,4,5,6,7,8\nNSEL,ALL\n";
  dyna += "*ELEMENT_SOLID\n1 1 1 2 3 4 5 6 7 8\n*SET_NODE_LIST\n1\n1 2 3 4 5 6 7 8\n*END\n9 9 9\n";
  for (auto [name, text, reader] : {std::tuple{"hex.ans", ansys, ReaderFn(ReadAnsysMesh)},
                                    std::tuple{"hex.dyn", dyna, ReaderFn(ReadLsDynaMesh)}}) {
    SCOPED_TRACE(name);
    MeshModel model = SampleModel();
    std::string error;
    ASSERT_EQ(reader(model, WriteScratch(name, text), error), 1) << error;
    ASSERT_EQ(model.nodes.size(), 8u);
    ASSERT_EQ(model.elements.size(), 1u);
    EXPECT_EQ(model.elements[0].type, kHexahedron);
    EXPECT_EQ(model.elements[0].nodes[7], 7);
    EXPECT_FLOAT_EQ(model.nodes[6].z, 1.0f);
    EXPECT_TRUE(model.properties.empty());
  }
}

TEST(PositionalReaders, RefuseNodeNumbersBeyondTheNodesRead) {
  // Ansys takes node numbers as positions: nodes numbered 10, 20, 30 do not
  // import. The reader says so instead of building a broken mesh.
  ExpectRefused(ReadAnsysMesh, "ids.ans",
                "N,10,0,0,0\nN,20,1,0,0\nN,30,0,1,0\nN,40,0,0,1\nN,50,1,1,1\nN,60,1,0,1\nN,70,0,1,1\nN,80,1,1,0\n"
                "E,10,20,30,40,50,60,70,80\n");
  ExpectRefused(ReadAbaqusMesh, "ids.inp", "*NODE\n10, 0, 0, 0\n*ELEMENT, TYPE=C3D4\n1, 10, 10, 10, 10\n");
  ExpectRefused(ReadAbaqusMesh, "shell.inp", "*NODE\n1, 0, 0, 0\n*ELEMENT, TYPE=S3\n1, 1, 1, 1\n");
  ExpectRefused(ReadAbaqusMesh, "short.inp", "*NODE\n1, 0, 0\n");
  ExpectRefused(ReadAbaqusMesh, "short_element.inp", "*NODE\n1, 0, 0, 0\n*ELEMENT, TYPE=C3D8\n1, 1, 1\n");
  ExpectRefused(ReadLsDynaMesh, "short.dyn", "*NODE\n1 0 0 0\n*ELEMENT_SOLID\n1 1 1 1 1\n");
  ExpectRefused(ReadAnsysMesh, "nothing.ans", "/PREP7\nFINISH\n");
}

// ---- GiD, Netgen, voxel: nodes and elements replaced, properties kept

TEST(CountSettingReaders, KeepThePropertyTable) {
  const std::string gid =
      "MESH dimension 3 ElemType Triangle Nnode 3\n"
      "Coordinates\n 1 0 0 0\n 2 1 0 0\n 3 0 1 0\n 4 1 1 0\nend coordinates\n"
      "Elements\n 1 1 2 3\n 2 2 4 3\nend elements\n";
  const std::string netgen = "4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n1\n1 1 2 3 4\n2\n1 1 2 3\n";
  const std::string voxel = "6 2\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n1 0 1\n0 1 1\n3 0 1 2\n6 0 1 2 3 4 5\n";
  MeshModel model = SampleModel();
  std::string error;
  ASSERT_EQ(ReadGidMesh(model, WriteScratch("tri.msh", gid), error), 1) << error;
  EXPECT_EQ(model.nodes.size(), 4u);
  ASSERT_EQ(model.elements.size(), 2u);
  EXPECT_EQ(model.elements[1].nodes[1], 3);
  EXPECT_EQ(model.properties.size(), 1u);

  ASSERT_EQ(ReadNetgenMesh(model, WriteScratch("tet.ngn", netgen), error), 1) << error;
  ASSERT_EQ(model.elements.size(), 1u);
  EXPECT_EQ(model.elements[0].type, kTetrahedron);
  const int swapped[4] = {2, 1, 0, 3};  // first and third node exchanged
  for (int i = 0; i < 4; ++i) EXPECT_EQ(model.elements[0].nodes[i], swapped[i]);
  EXPECT_EQ(model.elements[0].property, 0);
  EXPECT_EQ(model.properties.size(), 1u);

  ASSERT_EQ(ReadVoxelMesh(model, WriteScratch("mixed.vox", voxel), error), 1) << error;
  EXPECT_EQ(model.nodes.size(), 6u);
  ASSERT_EQ(model.elements.size(), 2u);
  EXPECT_EQ(model.elements[0].type, kTriangle);
  EXPECT_EQ(model.elements[1].type, kPrism);
  EXPECT_EQ(model.elements[1].nodes[5], 5);
  EXPECT_EQ(model.properties.size(), 1u);
  EXPECT_TRUE(model.faces.empty());
}

TEST(CountSettingReaders, RefuseDamagedFiles) {
  ExpectRefused(ReadGidMesh, "quads.msh", "MESH dimension 3 ElemType Quadrilateral Nnode 4\n");
  ExpectRefused(ReadGidMesh, "bad_node.msh",
                "MESH dimension 3 ElemType Triangle Nnode 3\nCoordinates\n 1 0 0 0\nend coordinates\n"
                "Elements\n 1 1 2 3\nend elements\n");
  ExpectRefused(ReadNetgenMesh, "short.ngn", "4\n0 0 0\n1 0 0\n");
  ExpectRefused(ReadNetgenMesh, "bad_node.ngn", "1\n0 0 0\n1\n1 1 1 1 5\n");
  ExpectRefused(ReadVoxelMesh, "kind.vox", "3 1\n0 0 0\n1 0 0\n0 1 0\n4 0 1 2 0\n");
  ExpectRefused(ReadVoxelMesh, "index.vox", "3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n");
  ExpectRefused(ReadVoxelMesh, "beyond.vox", "2000000000 1\n0 0 0\n");
}

// ---- VRML

TEST(VrmlReader, DividesByTenAndLosesAnEntryWithoutItsComma) {
  const std::string path = WriteScratch("lists.wrl",
      "#VRML V1.0 ascii\n"
      "Separator {\n"
      " Coordinate3 {\n  point [\n10 20 30,\n0 0 0,\n10 0 0,\n0 10 0\n  ]\n }\n"
      " IndexedFaceSet {\n  coordIndex [\n0, 1, 2, -1,\n1, 2, 0, -1\n  ]\n }\n"
      "}\n");
  MeshModel model = SampleModel();
  std::string error;
  ASSERT_EQ(ReadVrmlMesh(model, path, error), 1) << error;
  ASSERT_EQ(model.nodes.size(), 3u);  // "0 10 0" had no comma and is lost
  EXPECT_FLOAT_EQ(model.nodes[0].x, 1.0f);
  EXPECT_FLOAT_EQ(model.nodes[0].y, 2.0f);
  EXPECT_FLOAT_EQ(model.nodes[0].z, 3.0f);
  ASSERT_EQ(model.elements.size(), 1u);  // the second triangle had no comma either
  EXPECT_EQ(model.elements[0].property, 1);
  EXPECT_TRUE(model.properties.empty());
}

TEST(VrmlReader, RefusesDamagedFiles) {
  ExpectRefused(ReadVrmlMesh, "quad.wrl",
                "A {\npoint [\n0 0 0,\n1 0 0,\n1 1 0,\n0 1 0,\n]\ncoordIndex [\n0, 1, 2, 3, -1,\n]\n}\n");
  ExpectRefused(ReadVrmlMesh, "node.wrl", "A {\npoint [\n0 0 0,\n]\ncoordIndex [\n0, 1, 2, -1,\n]\n}\n");
  ExpectRefused(ReadVrmlMesh, "nothing.wrl", "#VRML V1.0 ascii\n");
}

// ---- Numbers the float and int fields cannot hold

// Reads `text` as `name`, expects a refusal whose message names the file,
// the line and the refused value.
void ExpectRefusedNaming(const ReaderFn& reader, const std::string& name, const std::string& text,
                         const std::string& where, const std::string& value) {
  const std::string path = WriteScratch(name, text);
  MeshModel model = SampleModel();
  std::string error;
  EXPECT_EQ(reader(model, path, error), 0) << name;
  EXPECT_NE(error.find(name + ":" + where + ":"), std::string::npos) << error;
  EXPECT_NE(error.find(value), std::string::npos) << error;
  ExpectSampleModel(model);
}

TEST(Readers, RefuseCoordinatesBeyondTheFloatRangeNamingFileLineAndValue) {
  ExpectRefusedNaming(ReadGmshMesh, "big.msh", "$Nodes\n2\n1 0 0 0\n2 1e40 0 0\n$EndNodes\n", "4",
                      "\"1e40\" does not fit a 32-bit float");
  // Beyond the float range only after the unit factor (millimetres).
  ExpectRefusedNaming(ReadIdeasMesh, "big.unv",
                      "    -1\n   164\n  2 mm 2\n 1.0D-03 1.0 1.0\n 0.0\n    -1\n"
                      "    -1\n  2411\n         1         1         1        11\n  0.0 3.0D+38 0.0\n    -1\n",
                      "10", "\"3.0D+38\" does not fit");
  ExpectRefusedNaming(ReadIdeasMesh, "huge.unv",
                      "    -1\n  2411\n         1         1         1        11\n  1.0D+300 0.0 0.0\n    -1\n",
                      "4", "\"1.0D+300\" does not fit");
  ExpectRefusedNaming(ReadPatranMesh, "big.pat",
                      " 1       1       0       2       0       0       0       0       0\n"
                      " 1.000000000E+40 0.000000000E+00 0.000000000E+00\n1G       6       0       0  000000\n",
                      "2", "\"1.000000000E+40\" does not fit");
  ExpectRefusedNaming(ReadPatranMesh, "thick.pat",
                      " 4       1       0       1       0       0       0       0       0\n"
                      " 0.000000000E+00 0.500000000E+39 0.000000000E+00\n",
                      "2", "\"0.500000000E+39\" does not fit");
  ExpectRefusedNaming(ReadVrmlMesh, "big.wrl", "A {\npoint [\n0 0 0,\n1.0E+40 0 0,\n0 1 0,\n]\n}\n", "4",
                      "\"1.0E+40\" does not fit");
  ExpectRefusedNaming(ReadAbaqusMesh, "big.inp", "*NODE\n1, 0, 0, 0\n2, 0, 1e40, 0\n", "3", "\"1e40\" does not fit");
  ExpectRefusedNaming(ReadAnsysMesh, "big.ans", "N,1,0,0,0\nN,2,0,0,-1e39\n", "2", "\"-1e39\" does not fit");
  ExpectRefusedNaming(ReadLsDynaMesh, "big.dyn", "*NODE\n1 0 0 0\n2 1e40 0 0\n", "3", "\"1e40\" does not fit");
  ExpectRefusedNaming(ReadGidMesh, "big.msh",
                      "MESH dimension 3 ElemType Triangle Nnode 3\nCoordinates\n 1 0 0 0\n 2 1e40 0 0\n", "4",
                      "\"1e40\" does not fit");
  ExpectRefusedNaming(ReadNetgenMesh, "big.ngn", "2\n0 0 0\n1e40 0 0\n0\n", "3", "\"1e40\" does not fit");
  ExpectRefusedNaming(ReadVoxelMesh, "big.vox", "2 0\n0 0 0\n0 0 1e40\n", "3", "\"1e40\" does not fit");
  WriteScratch("big.nda", "1 0 0 0\n2 1e40 0 0\n");
  WriteScratch("big.ela", "");
  const std::string header = WriteScratch("big.mfl", "2 nodes\n0 elements\n");
  MeshModel model = SampleModel();
  std::string error;
  EXPECT_EQ(ReadMoldflowMesh(model, header, error), 0);
  EXPECT_NE(error.find("big.nda:2:"), std::string::npos) << error;
  EXPECT_NE(error.find("\"1e40\" does not fit"), std::string::npos) << error;
  ExpectSampleModel(model);
}

TEST(PositionalReaders, RefuseNodeNumbersThatOverflowAnIndex) {
  const std::string hex_nodes = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
  std::string ans, dyn = "*NODE\n";
  for (int i = 0; i < 8; ++i) {
    ans += "N," + std::to_string(i + 1) + ",0,0," + std::to_string(i) + "\n";
    dyn += std::to_string(i + 1) + " 0 0 " + std::to_string(i) + "\n";
  }
  ExpectRefusedNaming(ReadAnsysMesh, "min.ans", ans + "E,1,2,3,4,5,6,7,-2147483648\n", "9", "-2147483648");
  ExpectRefusedNaming(ReadLsDynaMesh, "min.dyn", dyn + "*ELEMENT_SOLID\n1 1 -2147483648 2 3 4 5 6 7 8\n", "11",
                      "-2147483648");
  ExpectRefusedNaming(ReadAbaqusMesh, "min.inp",
                      "*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n3, 0, 1, 0\n4, 0, 0, 1\n*ELEMENT, TYPE=C3D4\n"
                      "1, 1, 2, -2147483648, 4\n",
                      "7", "-2147483648");
  ExpectRefusedNaming(ReadGidMesh, "min.msh",
                      "MESH dimension 3 ElemType Triangle Nnode 3\nCoordinates\n 1 0 0 0\n 2 1 0 0\n 3 0 1 0\n"
                      "end coordinates\nElements\n 1 -2147483648 2 3\nend elements\n",
                      "8", "-2147483648");
  ExpectRefusedNaming(ReadNetgenMesh, "min.ngn", "4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n1\n1 1 2 -2147483648 4\n", "7",
                      "-2147483648");
  WriteScratch("min.nda", "1 0 0 0\n2 1 0 0\n3 0 1 0\n");
  WriteScratch("min.ela", "1 1 -2147483648 3\n");
  MeshModel model = SampleModel();
  std::string error;
  EXPECT_EQ(ReadMoldflowMesh(model, WriteScratch("min.mfl", "3 nodes\n1 elements\n"), error), 0);
  EXPECT_NE(error.find("min.ela:1:"), std::string::npos) << error;
  EXPECT_NE(error.find("-2147483648"), std::string::npos) << error;
  ExpectSampleModel(model);
}

// ---- MoldFlow

TEST(MoldflowReader, HeaderWithItsCompanions) {
  const std::string path = WriteScratch("part.mfl", "3 nodes\n1 elements\n");
  WriteScratch("part.nda", "1 0 0 0\n2 1 0 0\n3 0 1 0\n");
  WriteScratch("part.ela", "1 1 2 3\n");
  MeshModel model = SampleModel();
  std::string error;
  ASSERT_EQ(ReadMoldflowMesh(model, path, error), 1) << error;
  EXPECT_EQ(model.nodes.size(), 3u);
  ASSERT_EQ(model.elements.size(), 1u);
  EXPECT_EQ(model.elements[0].type, kTriangle);
  EXPECT_EQ(model.elements[0].property, 1);
  EXPECT_EQ(model.elements[0].nodes[2], 2);
  EXPECT_TRUE(model.properties.empty());

  // A missing or short companion refuses the import.
  const std::string lonely = WriteScratch("lonely.mfl", "3 nodes\n1 elements\n");
  model = SampleModel();
  EXPECT_EQ(ReadMoldflowMesh(model, lonely, error), 0);
  EXPECT_NE(error.find("lonely.nda"), std::string::npos) << error;
  ExpectSampleModel(model);
  WriteScratch("short.nda", "1 0 0 0\n");
  model = SampleModel();
  EXPECT_EQ(ReadMoldflowMesh(model, WriteScratch("short.mfl", "3 nodes\n1 elements\n"), error), 0);
  EXPECT_NE(error.find("short.nda:2: node 2 of 3"), std::string::npos) << error;
  ExpectSampleModel(model);
}

TEST(Readers, MissingFileGivesMinusOne) {
  for (const ReaderFn& reader :
       {ReaderFn(ReadMoldflowMesh), ReaderFn(ReadIdeasMesh), ReaderFn(ReadPatranMesh), ReaderFn(ReadAbaqusMesh),
        ReaderFn(ReadAnsysMesh), ReaderFn(ReadLsDynaMesh), ReaderFn(ReadGidMesh), ReaderFn(ReadNetgenMesh),
        ReaderFn(ReadGmshMesh), ReaderFn(ReadVrmlMesh), ReaderFn(ReadVoxelMesh)}) {
    MeshModel model = SampleModel();
    std::string error;
    EXPECT_EQ(reader(model, "/nonexistent/dir/file.xyz", error), -1);
    ExpectSampleModel(model);
  }
}

// Every prefix of a valid file either reads or is refused with the model
// intact; none crashes or leaves a half-read model.
TEST(Readers, TruncatedFilesNeverLeaveAHalfReadModel) {
  struct Case {
    const char* file;
    ReaderFn reader;
  };
  for (const Case& c : {Case{"box.msh", ReadGmshMesh}, Case{"box.unv", ReadIdeasMesh},
                        Case{"box.inp", ReadAbaqusMesh}, Case{"box.wrl", ReadVrmlMesh}}) {
    const std::string text = test::ReadFile(DataPath(c.file));
    ASSERT_FALSE(text.empty()) << c.file;
    for (size_t cut = 0; cut < text.size(); cut += 97) {
      MeshModel model = SampleModel();
      std::string error;
      const int result = c.reader(model, WriteScratch(std::string("cut_") + c.file, text.substr(0, cut)), error);
      if (result == 0) {
        ExpectSampleModel(model);
      } else {
        ASSERT_EQ(result, 1) << c.file << " cut at " << cut;
        for (const Element& element : model.elements)
          for (int i = 0; i < element.node_count; ++i)
            ASSERT_LT(static_cast<size_t>(element.nodes[i]), model.nodes.size());
      }
    }
  }
}

}  // namespace
}  // namespace kv
