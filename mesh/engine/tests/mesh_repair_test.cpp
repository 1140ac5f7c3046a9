#include "mesh/engine/mesh_repair.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/geometry/element_geometry.h"
#include "common/output/pane_output.h"
#include "common/tests/mesh_test_util.h"
#include "mesh/engine/fix_mesh.h"
#include "mesh/engine/rebuild.h"
#include "mesh/engine/tests/patch_plate.h"

namespace kv {
namespace {

using test::MakeElement;

// Two separate triangles: nodes 0 1 2 and 3 4 5, node 3 placed at `gap` m
// from node 0 along a slanted direction.
MeshModel TwoTriangles(double gap) {
  MeshModel m;
  const float g = float(gap / std::sqrt(3.0));
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {g, g, g}, {-1, 0, 0}, {0, -1, 0}};
  m.elements = {MakeElement(kTriangle, {0, 1, 2}, -1), MakeElement(kTriangle, {3, 4, 5}, -1)};
  RebuildAfterRead(m);
  return m;
}

TEST(MergeCoincidentNodes, DistanceIsStrictAndCountsMergedAndUnusedNodes) {
  MeshModel m = TwoTriangles(1e-4);
  const double d = PointDistance(m.nodes[0], m.nodes[3]);
  int nodes = -1, elements = -1;
  ASSERT_EQ(MergeCoincidentNodes(m, d, nodes, elements), 1);
  EXPECT_EQ(nodes, 0);
  EXPECT_EQ(elements, 0);
  ASSERT_EQ(MergeCoincidentNodes(m, d * 1.0001, nodes, elements), 1);
  EXPECT_EQ(nodes, 1);
  EXPECT_EQ(elements, 0);
  ASSERT_EQ(m.nodes.size(), 5u);
  // Node 3 joined node 0; nodes 4 and 5 moved down to 3 and 4.
  EXPECT_EQ(m.elements[1].nodes[0], 0);
  EXPECT_EQ(m.elements[1].nodes[1], 3);
  EXPECT_EQ(m.elements[1].nodes[2], 4);
  EXPECT_FLOAT_EQ(m.nodes[3].x, -1);
  // Face records were rebuilt on the new numbering.
  EXPECT_EQ(m.faces[1].nodes[0], 0);
  EXPECT_EQ(m.faces[1].nodes[2], 4);

  // An unused node goes even without a close neighbour; the others renumber densely.
  m.nodes.insert(m.nodes.begin(), Node{50, 50, 50});
  for (Element& e : m.elements)
    for (int i = 0; i < 3; ++i) ++e.nodes[i];
  ASSERT_EQ(MergeCoincidentNodes(m, 1e-9, nodes, elements), 1);
  EXPECT_EQ(nodes, 1);
  EXPECT_EQ(m.nodes.size(), 5u);
  EXPECT_EQ(m.elements[0].nodes[0], 0);
  EXPECT_FLOAT_EQ(m.nodes[0].x, 0);
}

TEST(MergeCoincidentNodes, CloseNodesMapToTheFirstWithoutFollowingTheMap) {
  MeshModel m;
  // a, b, c within 1e-5 of each other; then a chain p - q - r where p and r
  // are farther apart than the distance.
  m.nodes = {{0, 0, 0}, {2e-6f, 0, 0}, {0, 3e-6f, 0}, {1, 1, 1}, {1, 1, 1.000007f}, {1, 1, 1.000014f}, {5, 5, 5}};
  m.elements = {MakeElement(kBeam, {0, 6}, -1), MakeElement(kBeam, {1, 6}, -1), MakeElement(kBeam, {2, 6}, -1),
                MakeElement(kBeam, {3, 6}, -1), MakeElement(kBeam, {4, 6}, -1), MakeElement(kBeam, {5, 6}, -1)};
  for (Element& e : m.elements) e.diameter = 0.001f;
  int nodes = 0, elements = 0;
  ASSERT_EQ(MergeCoincidentNodes(m, 1e-5, nodes, elements), 1);
  // b and c map to a; q maps to p, r maps to q (not to p: the map is not
  // followed), so q stays referenced and is kept.
  EXPECT_EQ(nodes, 3);
  ASSERT_EQ(m.nodes.size(), 4u);
  // Beams 0, 1, 2 are now one beam repeated: the later ones survive.
  EXPECT_EQ(elements, 3);
  ASSERT_EQ(m.elements.size(), 3u);
  EXPECT_EQ(m.elements[0].nodes[0], 0);
  EXPECT_EQ(m.elements[1].nodes[0], 1);  // p, then q twice (beams 4 and 5)
  EXPECT_EQ(m.elements[2].nodes[0], 2);
  EXPECT_FLOAT_EQ(m.nodes[2].z, 1.000007f);
}

TEST(MergeCoincidentNodes, StitchedPatchesCloseOverManyLeavesAndAcrossDividingPlanes) {
  // 100 x 100 cells in 4 x 4 patches: 10201 unique positions, copies on the
  // patch edges; exact copies first, then copies 4e-6 m apart merged at 1e-5 m
  // (some straddle the octree's dividing planes by more than 1e-6 m).
  for (float offset : {0.0f, 4e-6f}) {
    MeshModel m = test::PatchPlate(100, 4, 1.0f, offset);
    const size_t elements_before = m.elements.size();
    ASSERT_GT(m.nodes.size(), 10201u);
    RebuildAfterRead(m);
    int nodes = 0, elements = 0;
    const int expected_nodes = static_cast<int>(m.nodes.size()) - 101 * 101;
    ASSERT_EQ(MergeCoincidentNodes(m, offset > 0 ? 1e-5 : 1e-6, nodes, elements), 1);
    EXPECT_EQ(nodes, expected_nodes) << "offset " << offset;
    EXPECT_EQ(elements, 0);
    EXPECT_EQ(m.nodes.size(), 101u * 101u);
    EXPECT_EQ(m.elements.size(), elements_before);
  }
}

TEST(MergeCoincidentNodes, ACrowdOfCoincidentNodesBeyondTheLeafLimitMergesIntoOne) {
  // 6000 nodes on one spot (as a reader that zeroes undefined nodes leaves
  // them), each the end of a beam to one far node.
  MeshModel m;
  m.nodes.assign(6000, Node{0.1f, 0.2f, 0.3f});
  m.nodes.push_back({1, 1, 1});
  for (int i = 0; i < 6000; ++i) {
    m.elements.push_back(MakeElement(kBeam, {i, 6000}, -1));
    m.elements.back().diameter = 0.001f;
  }
  int nodes = 0, elements = 0;
  ASSERT_EQ(MergeCoincidentNodes(m, 1e-5, nodes, elements), 1);
  EXPECT_EQ(nodes, 5999);
  EXPECT_EQ(elements, 5999);  // the beams coincide now: the last one survives
  ASSERT_EQ(m.elements.size(), 1u);
  EXPECT_EQ(m.elements[0].nodes[0], 0);
  EXPECT_EQ(m.elements[0].nodes[1], 1);
}

TEST(MergeCoincidentNodes, NonFiniteCoordinatesLeaveTheModelUnchanged) {
  MeshModel m = TwoTriangles(0);
  m.nodes.push_back({1, std::numeric_limits<float>::quiet_NaN(), 0});
  const MeshModel before = m;
  int nodes = 7, elements = 7;
  EXPECT_EQ(MergeCoincidentNodes(m, 1e-5, nodes, elements), 0);
  EXPECT_EQ(nodes, 0);
  EXPECT_EQ(elements, 0);
  EXPECT_EQ(m.nodes.size(), before.nodes.size());
  EXPECT_EQ(m.elements[1].nodes[0], 3);
  EXPECT_EQ(MergeCoincidentNodes(m, std::nan(""), nodes, elements), 0);

  MeshModel empty;
  EXPECT_EQ(MergeCoincidentNodes(empty, 1e-5, nodes, elements), 1);
  EXPECT_EQ(nodes, 0);
  EXPECT_EQ(RemoveDegenerateElements(empty), 0);
}

TEST(RemoveDegenerateElements, DuplicatesFlatSolidsAndBrokenNodeLists) {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  m.nodes.insert(m.nodes.end(), {{2, 0, 0}, {3, 0, 0}, {3, 1, 0}, {2, 1, 0},
                                 {2.1f, 0.1f, 0}, {2.9f, 0.1f, 0}, {2.9f, 0.9f, 0}, {2.1f, 0.9f, 0}});
  Element first = MakeElement(kTriangle, {0, 1, 2}, -1);
  first.thickness = 0.001f;
  Element second = MakeElement(kTriangle, {0, 1, 2}, -1, 3);
  second.thickness = 0.002f;
  Element hexa = MakeElement(kHexahedron, {0, 1, 2, 3, 4, 5, 6, 7}, -1, 1);
  Element reversed = MakeElement(kHexahedron, {7, 6, 5, 4, 3, 2, 1, 0}, -1, 10);
  Element flat = MakeElement(kHexahedron, {8, 9, 10, 11, 12, 13, 14, 15}, -1);
  Element repeated = MakeElement(kHexahedron, {0, 1, 2, 3, 0, 1, 2, 3}, -1);
  Element twice = MakeElement(kBeam, {4, 4}, -1);
  Element outside = MakeElement(kTriangle, {5, 6, 99}, -1);
  Element negative = MakeElement(kTriangle, {5, -1, 6}, -1);
  Element short_list = MakeElement(kTetrahedron, {4, 5, 6}, -1);
  Element kept_tri = MakeElement(kTriangle, {4, 5, 6}, -1, 5);
  m.elements = {first, second, hexa, reversed, flat, repeated, twice, outside, negative, short_list, kept_tri};
  // Of the two triangles the second survives; the reversed hexahedron has the
  // first one's centroid and survives as the later of the two (its volume is
  // not negative). Paired indices follow: 3 -> 1, 10 -> 2, removed 5 -> -1.
  EXPECT_EQ(RemoveDegenerateElements(m), 8);
  ASSERT_EQ(m.elements.size(), 3u);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.002f);
  EXPECT_EQ(m.elements[0].paired, 1);
  EXPECT_EQ(m.elements[1].type, kHexahedron);
  EXPECT_EQ(m.elements[1].nodes[0], 7);
  EXPECT_EQ(m.elements[1].paired, 2);
  EXPECT_EQ(m.elements[2].nodes[0], 4);
  EXPECT_EQ(m.elements[2].paired, -1);
  EXPECT_EQ(m.faces.size(), 2u);

  MeshModel solids;
  solids.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  solids.elements = {MakeElement(kHexahedron, {7, 6, 5, 4, 3, 2, 1, 0}, -1),
                     MakeElement(kPrism, {0, 1, 3, 4, 5, 7}, -1)};
  EXPECT_EQ(RemoveDegenerateElements(solids), 0);
  EXPECT_EQ(solids.elements.size(), 2u);
}

TEST(ContractElements, SliversAndIsolatedConnectorsCollapseAndTheMergeRemovesThem) {
  MeshModel m;
  // A sliver triangle (shortest edge 1e-4 of a 1 m longest: measure 0.9999)
  // beside a good one, an isolated connector and a connector touching the part.
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1e-4f, 0}, {0, 1, 0}, {5, 5, 5}, {5, 5, 6}};
  Element sliver = MakeElement(kTriangle, {0, 1, 2}, -1);
  Element good = MakeElement(kTriangle, {0, 2, 3}, -1);
  sliver.category = good.category = kPartSurface;
  sliver.thickness = good.thickness = 0.002f;
  Element isolated = MakeElement(kBeam, {4, 5}, -1);
  Element touching = MakeElement(kBeam, {3, 5}, -1);
  m.elements = {sliver, good, isolated, touching};
  RebuildAfterRead(m);

  const AspectMeasure a = ElementAspectMeasure(m, 0);
  EXPECT_NEAR(a.measure, 1 - 1e-4 / std::sqrt(1 + 1e-8), 1e-6);
  EXPECT_EQ(a.shortest_nodes[0], 1);
  EXPECT_EQ(a.shortest_nodes[1], 2);
  EXPECT_EQ(a.longest_nodes[0], 2);
  EXPECT_EQ(a.longest_nodes[1], 0);
  const AspectMeasure beam = ElementAspectMeasure(m, 2);  // no faces
  EXPECT_EQ(beam.shortest_nodes[0], -1);
  EXPECT_LT(beam.measure, 0);
  EXPECT_EQ(ElementAspectMeasure(m, 99).longest_nodes[0], -1);

  ContractElements(m, 0.98);
  EXPECT_FLOAT_EQ(m.nodes[1].y, 5e-5f);
  EXPECT_FLOAT_EQ(m.nodes[2].y, 5e-5f);
  EXPECT_FLOAT_EQ(m.nodes[4].z, 5.5f);  // the isolated connector collapsed
  EXPECT_FLOAT_EQ(m.nodes[5].z, 5.5f);  // (node 5 is used by another connector only)

  PaneCapture capture;
  int nodes = 0, elements = 0;
  ASSERT_EQ(MergeCoincidentNodes(m, 1e-5, nodes, elements), 1);
  EXPECT_EQ(nodes, 2);
  // The sliver and the isolated connector now name one node twice and are
  // gone; the other connector, (3, 5) before, is (3, 4) and stays.
  EXPECT_EQ(elements, 2);
  ASSERT_EQ(m.elements.size(), 2u);
  EXPECT_EQ(m.elements[0].type, kTriangle);
  EXPECT_EQ(m.elements[1].type, kBeam);

  // Triangles of category 0 (no property yet) are not connectors: untouched.
  MeshModel bare;
  bare.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  bare.elements = {MakeElement(kTriangle, {0, 1, 2}, -1)};
  RebuildAfterRead(bare);
  ContractElements(bare, 0.98);
  EXPECT_FLOAT_EQ(bare.nodes[0].x, 0);
  EXPECT_FLOAT_EQ(bare.nodes[1].x, 1);
}

TEST(ApplyMinimumThickness, PropertiesBelowTakeItAndElementsFollowTheirProperty) {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  m.properties = {test::MakeProperty(kPartSurface, 0.001f), test::MakeProperty(kPartSurface, 0.003f)};
  Element a = MakeElement(kTriangle, {0, 1, 2}, 0);
  a.thickness = 0.0042f;  // differs from its property
  Element b = MakeElement(kTriangle, {0, 1, 2}, 1);
  Element none = MakeElement(kTriangle, {0, 1, 2}, 7);
  none.thickness = 0.0001f;
  m.elements = {a, b, none};
  ApplyMinimumThickness(m, 0);
  EXPECT_FLOAT_EQ(m.properties[0].thickness, 0.001f);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.001f);
  EXPECT_FLOAT_EQ(m.elements[1].thickness, 0.003f);
  ApplyMinimumThickness(m, 0.002);
  EXPECT_FLOAT_EQ(m.properties[0].thickness, 0.002f);
  EXPECT_FLOAT_EQ(m.properties[1].thickness, 0.003f);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.002f);
  EXPECT_FLOAT_EQ(m.elements[2].thickness, 0.0001f);  // property index out of range: unchanged
}

TEST(FixMesh, RunsTheThreeStepsAndPrintsTheCountsOrChangesNothing) {
  MeshModel m = TwoTriangles(0);
  m.elements.push_back(MakeElement(kTriangle, {0, 1, 2}, -1));  // duplicate of the first
  m.properties = {test::MakeProperty(kPartSurface, 0.001f)};
  for (Element& e : m.elements) e.property = 0, e.category = kPartSurface;
  RebuildAfterRead(m);
  PaneCapture capture;
  std::string error;
  ASSERT_EQ(FixMesh(m, 1e-5, 0.98, 0.0015, error), 1) << error;
  EXPECT_EQ(capture.output, (std::vector<std::string>{"Number of nodes merged/deleted: 1",
                                                      "Number of elements merged/deleted: 1"}));
  EXPECT_EQ(m.elements.size(), 2u);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.0015f);
  EXPECT_EQ(m.faces.size(), 2u);

  // A coordinate that is not a number: nothing moves, nothing is printed.
  MeshModel bad = TwoTriangles(0);
  bad.nodes[4].x = std::numeric_limits<float>::infinity();
  const MeshModel before = bad;
  capture.output.clear();
  EXPECT_EQ(FixMesh(bad, 1e-5, 0.98, 0, error), 0);
  EXPECT_EQ(error, "node 5 has a coordinate that is not a number; the mesh was not changed");
  EXPECT_TRUE(capture.output.empty());
  EXPECT_EQ(bad.nodes.size(), before.nodes.size());
  EXPECT_EQ(bad.elements.size(), before.elements.size());
  EXPECT_EQ(FixMesh(bad, std::nan(""), 0.98, 0, error), 0);
}

}  // namespace
}  // namespace kv
