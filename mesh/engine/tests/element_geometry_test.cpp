#include "common/geometry/element_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/output/pane_output.h"
#include "common/tests/mesh_test_util.h"
#include "mesh/engine/mesh_statistics.h"
#include "mesh/engine/rebuild.h"

namespace kv {
namespace {

using test::MakeElement;

void AddNodes(MeshModel& m, std::initializer_list<Node> nodes) {
  for (const Node& n : nodes) m.nodes.push_back(n);
}

TEST(ElementGeometry, VolumesOfTheSolidsAreAbsoluteAndExact) {
  const Node unit_tet[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  EXPECT_NEAR(TetrahedronVolume(unit_tet[0], unit_tet[1], unit_tet[2], unit_tet[3]), 1.0 / 6.0, 1e-12);
  // Swapping two nodes reverses the orientation, not the volume.
  EXPECT_NEAR(TetrahedronVolume(unit_tet[1], unit_tet[0], unit_tet[2], unit_tet[3]), 1.0 / 6.0, 1e-12);

  const Node prism[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}};
  EXPECT_NEAR(PrismVolume(prism), 0.5, 1e-12);

  // Unit square base, apex at height 3: V = 1 * 3 / 3.
  const Node pyramid[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5f, 0.5f, 3}};
  EXPECT_NEAR(PyramidVolume(pyramid), 1.0, 1e-6);

  // Box 2 x 3 x 4, then the same box with reversed node order, then flat.
  Node box[8] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}, {0, 0, 4}, {2, 0, 4}, {2, 3, 4}, {0, 3, 4}};
  EXPECT_NEAR(HexahedronVolume(box), 24.0, 1e-5);
  Node reversed[8];
  for (int i = 0; i < 8; ++i) reversed[i] = box[7 - i];
  EXPECT_NEAR(HexahedronVolume(reversed), 24.0, 1e-5);
  for (Node& n : box) n.z = 0;
  EXPECT_EQ(HexahedronVolume(box), 0.0);
}

TEST(ElementGeometry, TriangleAreaAndNormalKeepPrecisionAwayFromTheOrigin) {
  const Node a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0};
  float n[3];
  EXPECT_NEAR(TriangleNormal(a, b, c, n), 1.0, 1e-12);
  // (c - a) x (b - a) = (0, 1, 0) x (1, 0, 0) = (0, 0, -1).
  EXPECT_FLOAT_EQ(n[0], 0);
  EXPECT_FLOAT_EQ(n[2], -1);
  EXPECT_NEAR(TriangleArea(a, b, c), 0.5, 1e-12);

  // A 1 mm triangle 1 km from the origin.
  const Node d{1000, 1000, 1000}, e{1000.001f, 1000, 1000}, f{1000, 1000.001f, 1000};
  const double expected = 0.5 * (double(e.x) - d.x) * (double(f.y) - d.y);
  EXPECT_NEAR(TriangleArea(d, e, f), expected, expected * 1e-6);

  // Degenerate: the normal falls back to (1, 0, 0) and the area is 0.
  TriangleNormal(a, a, b, n);
  EXPECT_FLOAT_EQ(n[0], 1);
  EXPECT_EQ(TriangleArea(a, a, b), 0.0);
}

TEST(ElementGeometry, InvalidNodeListsGiveNoVolumeInsteadOfACrash) {
  MeshModel m;
  AddNodes(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  EXPECT_NEAR(SolidElementVolume(m, MakeElement(kTetrahedron, {0, 1, 2, 3}, -1)), 1.0 / 6.0, 1e-12);
  EXPECT_EQ(SolidElementVolume(m, MakeElement(kTetrahedron, {0, 1, 2, 99}, -1)), 0.0);
  EXPECT_EQ(SolidElementVolume(m, MakeElement(kTetrahedron, {0, -5, 2, 3}, -1)), 0.0);
  Element wrong_count = MakeElement(kHexahedron, {0, 1, 2, 3}, -1);
  EXPECT_EQ(SolidElementVolume(m, wrong_count), 0.0);
  EXPECT_EQ(SolidElementVolume(m, MakeElement(kTriangle, {0, 1, 2}, -1)), 0.0);
}

TEST(MeshStatistics, VerboseLinesCountEveryTypeAndSumTheVolume) {
  MeshModel m;
  // Beam of diameter 0.01 m and length 1 m; triangle of area 0.5 m^2 and
  // thickness 0.002 m; a unit tetrahedron; a unit square quad of thickness 0.001.
  AddNodes(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}});
  Element beam = MakeElement(kBeam, {0, 1}, -1);
  beam.diameter = 0.01f;
  beam.category = kColdRunner;
  Element tri = MakeElement(kTriangle, {0, 1, 2}, -1);
  tri.thickness = 0.002f;
  tri.category = kPartSurface;
  Element quad = MakeElement(kQuadrilateral, {0, 1, 4, 2}, -1);
  quad.thickness = 0.001f;
  quad.category = kPartSurface;
  Element tet = MakeElement(kTetrahedron, {0, 1, 2, 3}, -1);
  tet.category = kPartVolume;
  m.elements = {beam, tri, quad, tet};
  RebuildAfterRead(m);

  PaneCapture capture;
  const double total = PrintStatistics(m, true);
  const double expected = 7.853982e-05 + 0.001 + 0.001 + 1.0 / 6.0;
  EXPECT_NEAR(total, expected, 1e-7);
  EXPECT_DOUBLE_EQ(m.total_volume, total);
  const std::vector<std::string> lines = {
      "Number of nodes: 5",       "Number of faces: 5",        "Number of elements: 4",
      "Number of beams: 1",       "Number of triangles: 1",    "Number of quadrangles: 1",
      "Number of tetrahedra: 1",  "Number of pyramids: 0",     "Number of prisms: 0",
      "Number of hexahedra: 0",   "Total volume: 1.6875e-001 m^3"};
  EXPECT_EQ(capture.output, lines);
}

TEST(MeshStatistics, BeamVolumeAndTheZeroVolumeWarningOnAQuietRun) {
  MeshModel m;
  AddNodes(m, {{0, 0, 0}, {0, 0, 1}});
  Element beam = MakeElement(kBeam, {0, 1}, -1);
  beam.diameter = 0.01f;
  beam.category = kColdRunner;
  m.elements = {beam};
  {
    PaneCapture capture;
    EXPECT_NEAR(PrintStatistics(m, false), 7.853982e-05, 1e-11);
    EXPECT_TRUE(capture.output.empty());
  }

  // Two coincident nodes make a degenerate part-surface triangle.
  MeshModel flat;
  AddNodes(flat, {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}});
  Element tri = MakeElement(kTriangle, {0, 1, 2}, -1);
  tri.thickness = 0.002f;
  tri.category = kPartSurface;
  flat.elements = {tri};
  {
    PaneCapture capture;
    PrintStatistics(flat, false);
    EXPECT_EQ(capture.output, std::vector<std::string>{"Warning: element(s) with zero volume!"});
  }
  // Connectors and dual-surface elements of zero volume are expected: no warning.
  flat.elements[0].category = kPartDualSurface;
  Element connector = MakeElement(kBeam, {0, 2}, -1);  // diameter 0
  flat.elements.push_back(connector);
  {
    PaneCapture capture;
    PrintStatistics(flat, false);
    EXPECT_TRUE(capture.output.empty());
  }
  // An element naming a missing node adds nothing, warns, and does not crash.
  flat.elements.push_back(MakeElement(kTetrahedron, {0, 1, 2, 7}, -1));
  flat.elements.back().category = kPartVolume;
  {
    PaneCapture capture;
    EXPECT_EQ(PrintStatistics(flat, false), 0.0);
    EXPECT_TRUE(capture.HasOutput("Warning: element(s) with zero volume!"));
  }
}

TEST(MeshStatistics, EmptyModelAndSelectedFacets) {
  MeshModel m;
  PaneCapture capture;
  EXPECT_EQ(PrintStatistics(m, true), 0.0);
  EXPECT_TRUE(capture.HasOutput("Number of nodes: 0"));
  EXPECT_TRUE(capture.HasOutput("Total volume: 0.0000e+000 m^3"));
  PrintSelectedFacetCount({3, 4, 9});
  EXPECT_EQ(capture.output.back(), "Number of selected facets: 3");
}

}  // namespace
}  // namespace kv
