#include "mesh/exchange/mesh_writers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "mesh/exchange/mesh_exchange.h"
#include "mesh/exchange/mesh_readers.h"
#include "mesh/exchange/tests/test_files.h"

namespace kv {
namespace {

using test::ReadFile;
using test::ScratchPath;

Element MakeElement(int type, int category, std::initializer_list<int> nodes) {
  Element element;
  element.type = type;
  element.category = category;
  element.node_count = static_cast<int>(nodes.size());
  int i = 0;
  for (int node : nodes) element.nodes[i++] = node;
  return element;
}

// Adds a face record on `nodes` owned by `element`, with the unit normal
// (p3 - p1) x (p2 - p1).
void AddFace(MeshModel& model, int element, std::initializer_list<int> nodes, int partner = -1) {
  FaceRecord face;
  face.node_count = static_cast<int>(nodes.size());
  face.shape = face.node_count == 4 ? 3 : 2;
  int i = 0;
  for (int node : nodes) face.nodes[i++] = node;
  face.element = element;
  face.partner = partner;
  const Node& a = model.nodes[face.nodes[0]];
  const Node& b = model.nodes[face.nodes[1]];
  const Node& c = model.nodes[face.nodes[2]];
  const double u[3] = {c.x - a.x, c.y - a.y, c.z - a.z}, v[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int k = 0; k < 3; ++k) face.normal[k] = static_cast<float>(n[k] / length);
  model.faces.push_back(face);
}

// Nodes 1..4 of a unit square at z = 0 and a fifth node above; a connector
// beam, a triangle, a quadrilateral, a part runner beam and a tetrahedron.
MeshModel MixedModel() {
  MeshModel model;
  model.nodes = {{0.01f, 0.02f, 0.03f}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}};
  model.elements.push_back(MakeElement(kBeam, kConnector, {0, 1}));
  model.elements.push_back(MakeElement(kTriangle, kPartSurface, {0, 1, 2}));
  model.elements.push_back(MakeElement(kQuadrilateral, kPartSurface, {0, 1, 2, 3}));
  Element runner = MakeElement(kBeam, kPartRunner, {2, 4});
  runner.diameter = 0.004f;
  model.elements.push_back(runner);
  model.elements.push_back(MakeElement(kTetrahedron, kPartVolume, {0, 1, 3, 4}));
  return model;
}

TEST(VestraWriters, TrianglesOrTetrahedraWithNodesInCentimetres) {
  const MeshModel model = MixedModel();
  const std::string shell = ScratchPath("mixed.pg1");
  ASSERT_EQ(WriteVestraShellMesh(model, shell, ""), 1);
  EXPECT_EQ(ReadFile(shell),
            "/*>>> [ Mesh Output for VESTRA R3.0 ] <<<*/\n"
            "5 5 1.000000 1.000000 1.000000\n"
            "2 1 2 3 0 1 1\n"
            "1 1.000000 2.000000 3.000000 -1\n"
            "2 100.000000 0.000000 0.000000 -1\n"
            "3 100.000000 100.000000 0.000000 -1\n"
            "4 0.000000 100.000000 0.000000 -1\n"
            "5 0.000000 0.000000 100.000000 -1\n");
  const std::string solid = ScratchPath("mixed.pg3");
  ASSERT_EQ(WriteVestraSolidMesh(model, solid, ""), 1);
  const std::string text = ReadFile(solid);
  EXPECT_EQ(text.substr(0, text.find("1 1.000000")),
            "/*>>> [ Mesh Output for VESTRA R3.0 ] <<<*/\n"
            "5 0 0 0 5 1.000000 1.000000 1.000000 1.000000\n"
            "5 5 1 2 4 5 -1 0\n");
  EXPECT_EQ(WriteVestraShellMesh(model, "/nonexistent/dir/x.pg1", ""), -1);
}

TEST(IdeasWriter, DatasetsLineByLine) {
  const MeshModel model = MixedModel();
  const std::string path = ScratchPath("mixed.unv");
  ASSERT_EQ(WriteIdeasMesh(model, path, ""), 1);
  const std::string text = ReadFile(path);
  const std::string expected_head =
      "    -1\n"
      "   151\n"
      "\n"
      "\n"
      "======================================== \n"
      "======================================== \n"
      "    -1\n"
      "    -1\n"
      "   164\n"
      "         1      Meter (newton)         2\n"
      " 1.00000000000000000e+000 1.00000000000000000e+000 1.00000000000000000e+000\n"
      " 2.73149999999999977e+002\n"
      "    -1\n"
      "    -1\n"
      "  2411\n"
      "         1         1         1        11\n"
      "  9.9999997764825821e-003  1.9999999552965164e-002  2.9999999329447746e-002\n";
  EXPECT_EQ(text.substr(0, expected_head.size()), expected_head);
  // Elements: the connector (label 1) and the quadrilateral (label 3) are not written.
  const std::string expected_elements =
      "    -1\n"
      "  2412\n"
      "         2        91         2         1         7         3\n"
      "         1         2         3\n"
      "         4        21         1         1         7         2\n"
      "         0         1         1\n"
      "         3         5\n"
      "         5       111         3         1         7         4\n"
      "         1         2         4         5\n"
      "    -1\n";
  ASSERT_GE(text.size(), expected_elements.size());
  EXPECT_EQ(text.substr(text.size() - expected_elements.size()), expected_elements);

  // Our reader takes the file back (labels 2, 4, 5; descriptors 91, 21, 111).
  MeshModel back;
  std::string error;
  ASSERT_EQ(ReadIdeasMesh(back, path, error), 1) << error;
  EXPECT_EQ(back.nodes.size(), 5u);
  ASSERT_EQ(back.elements.size(), 3u);
  EXPECT_EQ(back.elements[1].type, kBeam);
  EXPECT_FLOAT_EQ(back.nodes[0].y, 0.02f);
}

// Reads the groups of a DXF file as (code, value) pairs.
std::vector<std::pair<int, std::string>> DxfGroups(const std::string& text) {
  std::vector<std::pair<int, std::string>> groups;
  std::istringstream in(text);
  std::string code, value;
  while (std::getline(in, code) && std::getline(in, value)) groups.emplace_back(std::stoi(code), value);
  return groups;
}

TEST(DxfWriter, TubesAroundBeamsAndFacesForTriangles) {
  MeshModel model;
  model.nodes = {{0, 0, 0}, {0, 0, 2}, {1, 0, 0}};
  Element runner = MakeElement(kBeam, kColdRunner, {0, 1});
  runner.diameter = 0.5f;
  model.elements.push_back(runner);
  model.elements.push_back(MakeElement(kTriangle, kPartSurface, {0, 2, 1}));
  model.elements.push_back(MakeElement(kBeam, kConnector, {0, 2}));
  model.elements.push_back(MakeElement(kTetrahedron, kPartVolume, {0, 1, 2, 0}));
  const std::string path = ScratchPath("tube.dxf");
  ASSERT_EQ(WriteDxfMesh(model, path, ""), 1);
  const std::string text = ReadFile(path);
  const std::string head =
      "999\n\n0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n6\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n90\n10\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  const std::string tail = "0\nENDSEC\n0\nEOF\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

  // Eight LINEs and eight sides of the tube, one face for the triangle.
  const auto groups = DxfGroups(text);
  int lines = 0, faces = 0;
  std::vector<std::array<double, 3>> tube_points;
  std::array<double, 3> point{};
  std::string entity;
  for (size_t i = 0; i < groups.size(); ++i) {
    const auto& [code, value] = groups[i];
    if (code == 0) {
      entity = value;
      lines += value == "LINE";
      faces += value == "3DFACE";
    }
    if (code >= 10 && code <= 33) {
      point[code / 10 - 1] = std::stod(value);
      if (code >= 30 && (entity == "LINE" || lines + faces <= 16)) tube_points.push_back(point);
    }
  }
  EXPECT_EQ(lines, 8);
  EXPECT_EQ(faces, 9);
  // Every corner of the tube lies at radius 0.25 from the z axis, at z 0 or 2.
  ASSERT_EQ(tube_points.size(), 8u * 2 + 8u * 4);
  for (const auto& p : tube_points) {
    EXPECT_NEAR(std::hypot(p[0], p[1]), 0.25, 1e-6);
    EXPECT_TRUE(std::fabs(p[2]) < 1e-9 || std::fabs(p[2] - 2) < 1e-9);
  }
  // The triangle: colour 56, third corner repeated as the fourth.
  EXPECT_NE(text.find("0\n3DFACE\n8\n0\n62\n56\n10\n0.000000\n20\n0.000000\n30\n0.000000\n"
                      "11\n1.000000\n21\n0.000000\n31\n0.000000\n12\n0.000000\n22\n0.000000\n32\n2.000000\n"
                      "13\n0.000000\n23\n0.000000\n33\n2.000000\n"),
            std::string::npos);
}

// Two quadrilateral faces side by side.
MeshModel TwoQuadFaces() {
  MeshModel model;
  model.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}};
  model.elements.push_back(MakeElement(kQuadrilateral, kPartSurface, {0, 1, 2, 3}));
  model.elements.push_back(MakeElement(kQuadrilateral, kPartSurface, {1, 4, 5, 2}));
  AddFace(model, 0, {0, 1, 2, 3});
  AddFace(model, 1, {1, 4, 5, 2});
  return model;
}

float FloatAt(const std::string& bytes, size_t offset) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= uint32_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

TEST(StlWriters, BinaryFacetsOfQuadrilateralFaces) {
  const MeshModel model = TwoQuadFaces();
  const std::string path = ScratchPath("quads.stl");
  ASSERT_EQ(WriteStlBinaryMesh(model, path, ""), 1);
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 84u + 4 * 50);
  EXPECT_EQ(bytes.substr(0, 80), std::string(80, '\0'));
  EXPECT_EQ(bytes.substr(80, 4), std::string("\x04\0\0\0", 4));
  // Second facet of the first face: nodes 1, 3, 4 -> (0,0,0), (1,1,0), (0,1,0).
  const size_t facet = 84 + 50;
  EXPECT_FLOAT_EQ(FloatAt(bytes, facet + 8), -1.0f);  // normal (p3-p1)x(p2-p1) points down
  EXPECT_FLOAT_EQ(FloatAt(bytes, facet + 24), 1.0f);  // second vertex x
  EXPECT_FLOAT_EQ(FloatAt(bytes, facet + 40), 1.0f);  // third vertex y
  EXPECT_EQ(bytes.substr(facet + 48, 2), "00");
}

TEST(StlWriters, AsciiWithEmptyTitleKeepsTheTrailingBlank) {
  MeshModel model;
  model.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  model.elements.push_back(MakeElement(kTriangle, kPartSurface, {0, 2, 1}));
  AddFace(model, 0, {0, 2, 1});
  const std::string path = ScratchPath("tri.stl");
  ASSERT_EQ(WriteStlAsciiMesh(model, path, ""), 1);
  EXPECT_EQ(ReadFile(path),
            "solid \n"
            "facet normal 0.00000000E+000 0.00000000E+000 1.00000000E+000\n"
            "outer loop\n"
            "vertex 0.00000000E+000 0.00000000E+000 0.00000000E+000\n"
            "vertex 0.00000000E+000 1.00000000E+000 0.00000000E+000\n"
            "vertex 1.00000000E+000 0.00000000E+000 0.00000000E+000\n"
            "endloop\n"
            "endfacet\n"
            "endsolid \n");
}

TEST(GmshWriter, ElementsWithoutConnectorsKeepTheirLabels) {
  const MeshModel model = MixedModel();
  const std::string path = ScratchPath("mixed.msh");
  ASSERT_EQ(WriteGmshMesh(model, path, false, ""), 1);
  EXPECT_EQ(ReadFile(path),
            "$MeshFormat\n2 0 8\n$EndMeshFormat\n"
            "$Nodes\n5\n"
            "1 0.010000 0.020000 0.030000\n"
            "2 1.000000 0.000000 0.000000\n"
            "3 1.000000 1.000000 0.000000\n"
            "4 0.000000 1.000000 0.000000\n"
            "5 0.000000 0.000000 1.000000\n"
            "$EndNodes\n"
            "$Elements\n4\n"
            "2 2 3 1 1 0 1 2 3\n"
            "3 3 3 1 1 0 1 2 3 4\n"
            "4 1 3 1 1 0 3 5\n"
            "5 4 3 1 1 0 1 2 4 5\n"
            "$EndElements\n");
  // Our reader takes it back.
  MeshModel back;
  std::string error;
  ASSERT_EQ(ReadGmshMesh(back, path, error), 1) << error;
  EXPECT_EQ(back.elements.size(), 4u);
  EXPECT_EQ(back.elements[3].type, kTetrahedron);
}

TEST(GmshWriter, SurfaceOptionWritesBoundaryFacesWithTheirRegions) {
  // Two tetrahedra sharing the face (1 2 3): six boundary faces, one pair.
  MeshModel model;
  model.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -1}};
  model.elements.push_back(MakeElement(kTetrahedron, kPartVolume, {0, 1, 2, 3}));
  model.elements.push_back(MakeElement(kTetrahedron, kPartVolume, {0, 2, 1, 4}));
  AddFace(model, 0, {0, 1, 2}, 4);
  AddFace(model, 0, {1, 3, 2});
  AddFace(model, 0, {2, 3, 0});
  AddFace(model, 0, {3, 1, 0});
  AddFace(model, 1, {0, 2, 1}, 0);
  AddFace(model, 1, {2, 4, 1});
  AddFace(model, 1, {1, 4, 0});
  AddFace(model, 1, {4, 2, 0});
  const std::string path = ScratchPath("surface.msh");
  std::string error;
  ASSERT_EQ(ExportMeshFile(model, path, kExportGmsh, true, error), 1) << error;
  for (const FaceRecord& face : model.faces) EXPECT_EQ(face.region, 0);  // the model is not changed
  const std::string text = ReadFile(path);
  const std::string elements = text.substr(text.find("$Elements\n"));
  // Faces meet at outline edges of 90 degrees or more, except the two pairs
  // that lie in one plane (y = 0 and x = 0) across the shared edges.
  EXPECT_EQ(elements,
            "$Elements\n8\n"
            "1 2 3 1 1 0 2 4 3\n"
            "2 2 3 2 2 0 3 4 1\n"
            "3 2 3 3 3 0 4 2 1\n"
            "4 2 3 4 4 0 3 5 2\n"
            "5 2 3 3 3 0 2 5 1\n"
            "6 2 3 2 2 0 5 3 1\n"
            "7 4 3 1 1 0 1 2 3 4\n"
            "8 4 3 1 1 0 1 3 2 5\n"
            "$EndElements\n");
}

TEST(SurfaceRegions, PatchesBoundedByOutlineEdges) {
  // The six sides of a unit cube, two triangles each: six regions.
  MeshModel model;
  for (int i = 0; i < 8; ++i) model.nodes.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
  const int sides[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  for (const auto& s : sides) {
    model.elements.push_back(MakeElement(kTriangle, kPartSurface, {s[0], s[1], s[2]}));
    AddFace(model, static_cast<int>(model.elements.size()) - 1, {s[0], s[1], s[2]});
    model.elements.push_back(MakeElement(kTriangle, kPartSurface, {s[0], s[2], s[3]}));
    AddFace(model, static_cast<int>(model.elements.size()) - 1, {s[0], s[2], s[3]});
  }
  EXPECT_EQ(LabelSurfaceRegions(model), 6);
  for (int side = 0; side < 6; ++side) {
    EXPECT_EQ(model.faces[2 * side].region, side + 1);
    EXPECT_EQ(model.faces[2 * side + 1].region, side + 1);
  }
  // Flattening the cube's top onto its bottom plane joins nothing, but a
  // hidden side leaves its faces without a region.
  model.elements[0].visible = 0;
  EXPECT_EQ(LabelSurfaceRegions(model), 6);
  EXPECT_EQ(model.faces[0].region, 0);
  EXPECT_EQ(model.faces[1].region, 1);
}

TEST(Writers, FilesThatCannotBeCreated) {
  const MeshModel model = MixedModel();
  const std::string path = "/nonexistent/dir/out";
  EXPECT_EQ(WriteIdeasMesh(model, path, ""), 0);
  EXPECT_EQ(WriteDxfMesh(model, path, ""), 0);
  EXPECT_EQ(WriteStlBinaryMesh(model, path, ""), 0);
  EXPECT_EQ(WriteStlAsciiMesh(model, path, ""), 0);
  EXPECT_EQ(WriteGmshMesh(model, path, true, ""), 0);
  EXPECT_EQ(WriteVestraSolidMesh(model, path, ""), -1);
}

TEST(Writers, ElementsWithBrokenNodeReferencesAreLeftOut) {
  MeshModel model = MixedModel();
  model.elements[1].nodes[2] = 77;
  model.elements.push_back(MakeElement(kTriangle, kPartSurface, {0, -1, 2}));
  const std::string path = ScratchPath("broken.msh");
  ASSERT_EQ(WriteGmshMesh(model, path, false, ""), 1);
  MeshModel back;
  std::string error;
  ASSERT_EQ(ReadGmshMesh(back, path, error), 1) << error;
  EXPECT_EQ(back.elements.size(), 3u);
}

}  // namespace
}  // namespace kv
