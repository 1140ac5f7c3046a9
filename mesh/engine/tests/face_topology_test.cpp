#include "common/geometry/element_geometry.h"
#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/output/pane_output.h"
#include "common/tests/mesh_test_util.h"
#include "mesh/engine/element_sizes.h"
#include "mesh/engine/rebuild.h"

namespace kv {
namespace {

using test::MakeElement;

MeshModel UnitTetrahedron() {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  m.elements = {MakeElement(kTetrahedron, {0, 1, 2, 3}, -1)};
  return m;
}

int Boundary(const MeshModel& m) {
  int n = 0;
  for (const FaceRecord& f : m.faces) n += f.partner == -1;
  return n;
}

TEST(FaceTopology, UnitTetrahedronHasFourUnpairedFacesInTheFixedOrder) {
  MeshModel m = UnitTetrahedron();
  RebuildAfterRead(m);
  ASSERT_EQ(m.faces.size(), 4u);
  const int expected[4][3] = {{0, 1, 2}, {1, 3, 2}, {2, 3, 0}, {3, 1, 0}};
  for (int f = 0; f < 4; ++f) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(m.faces[f].nodes[k], expected[f][k]);
    EXPECT_EQ(m.faces[f].element, 0);
    EXPECT_EQ(m.faces[f].partner, -1);
    EXPECT_EQ(m.elements[0].facets[f], f);
  }
  EXPECT_EQ(m.elements[0].facet_count, 4);
  // Face (b d c) = ((1,0,0), (0,0,1), (0,1,0)) is the slanted one.
  EXPECT_NEAR(m.faces[1].area, std::sqrt(3.0) / 2.0, 1e-6);
  EXPECT_NEAR(m.faces[0].area, 0.5, 1e-7);
  // Normal (p3 - p1) x (p2 - p1) of face (0 1 2): (0,1,0) x (1,0,0) = (0,0,-1).
  EXPECT_FLOAT_EQ(m.faces[0].normal[2], -1.0f);
  EXPECT_NEAR(m.faces[0].centroid[0], 1.0 / 3.0, 1e-7);
  // Element sizes and the thickness estimate: height 1/sqrt(3) over the
  // slanted face, limited to 0.005 m.
  EXPECT_NEAR(m.elements[0].volume, 1.0 / 6.0, 1e-7);
  EXPECT_NEAR(m.elements[0].centroid[0], 0.25, 1e-7);
  EXPECT_EQ(m.elements[0].boundary_face, 1);
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.005f);
}

TEST(FaceTopology, TwoTetrahedraSharingAFacePairItAndKeepSixBoundaryFaces) {
  MeshModel m = UnitTetrahedron();
  m.nodes.push_back({1, 1, 1});
  // The second tetrahedron lies on the other side of the slanted face (1 2 3).
  m.elements.push_back(MakeElement(kTetrahedron, {1, 3, 2, 4}, -1));
  RebuildAfterRead(m);
  ASSERT_EQ(m.faces.size(), 8u);
  EXPECT_EQ(Boundary(m), 6);
  // Face 1 of the first, (b d c) = (1 3 2), meets the first face of the second.
  EXPECT_EQ(m.faces[1].partner, 4);
  EXPECT_EQ(m.faces[4].partner, 1);
  // Without the slanted face the largest boundary face is one of area 0.5 and
  // the opposite node lies 1 m from it.
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.005f);
}

TEST(FaceTopology, PairingNeedsTheSameElementTypeAndTakesTheFirstUnpairedMatch) {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  // Three identical triangles and a tetrahedron whose first face coincides with them.
  m.elements = {MakeElement(kTriangle, {0, 1, 2}, -1), MakeElement(kTriangle, {0, 1, 2}, -1),
                MakeElement(kTriangle, {2, 1, 0}, -1), MakeElement(kTetrahedron, {0, 1, 2, 3}, -1)};
  ComputeCentroids(m);
  BuildFaceRecords(m);
  ASSERT_EQ(PairCoincidentFaces(m), 1);
  ASSERT_EQ(m.faces.size(), 7u);
  EXPECT_EQ(m.faces[0].partner, 1);
  EXPECT_EQ(m.faces[1].partner, 0);
  EXPECT_EQ(m.faces[2].partner, -1);  // its match is taken, and the tetrahedron's face is another type
  EXPECT_EQ(m.faces[3].partner, -1);
}

TEST(FaceTopology, PairingAcrossManyLeavesFindsEveryCoincidentFace) {
  // A strip of 3000 tetrahedron pairs (12000 faces, several octree leaves).
  MeshModel m;
  for (int i = 0; i < 3000; ++i) {
    const float x = i * 0.01f;
    const int base = static_cast<int>(m.nodes.size());
    m.nodes.insert(m.nodes.end(), {{x, 0, 0}, {x + 0.005f, 0, 0}, {x, 0.005f, 0}, {x, 0, 0.005f}, {x + 0.005f, 0.005f, 0.005f}});
    m.elements.push_back(MakeElement(kTetrahedron, {base, base + 1, base + 2, base + 3}, -1));
    m.elements.push_back(MakeElement(kTetrahedron, {base + 1, base + 3, base + 2, base + 4}, -1));
  }
  RebuildAfterRead(m);
  ASSERT_EQ(m.faces.size(), 24000u);
  EXPECT_EQ(Boundary(m), 6 * 3000);
  for (size_t f = 0; f < m.faces.size(); ++f)
    if (m.faces[f].partner >= 0) {
      EXPECT_EQ(m.faces[static_cast<size_t>(m.faces[f].partner)].partner, static_cast<int>(f));
    }
  // Height of the slanted face of a 5 mm corner tetrahedron: 5 mm / sqrt(3) ~ 2.9 mm,
  // the largest boundary face now being a 5 mm right triangle (height 5 mm).
  EXPECT_FLOAT_EQ(m.elements[0].thickness, 0.005f);
}

TEST(FaceTopology, QuadMeshesHaveNoFacesAndBadInputDoesNotCrash) {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  m.elements = {MakeElement(kQuadrilateral, {0, 1, 2, 3}, -1), MakeElement(kTriangle, {0, 1, 42}, -1),
                MakeElement(kTetrahedron, {0, 1, 2, -3}, -1)};
  RebuildAfterRead(m);
  EXPECT_TRUE(m.faces.empty());
  EXPECT_NEAR(m.elements[0].centroid[0], 0.5, 1e-7);
  EXPECT_EQ(m.elements[1].facet_count, 0);
  EXPECT_FLOAT_EQ(m.elements[2].thickness, 0.005f);

  MeshModel empty;
  RebuildAfterRead(empty);
  EXPECT_TRUE(empty.faces.empty());

  // A node that is not a number: faces stay unpaired, a warning is printed.
  MeshModel nan = UnitTetrahedron();
  nan.elements.push_back(MakeElement(kTetrahedron, {0, 1, 2, 3}, -1));
  nan.nodes[3].z = std::numeric_limits<float>::quiet_NaN();
  PaneCapture capture;
  RebuildAfterRead(nan);
  EXPECT_EQ(nan.faces.size(), 8u);
  EXPECT_EQ(Boundary(nan), 8);
  EXPECT_TRUE(capture.HasOutput("Warning: faces not paired, a node coordinate is not a number!"));
}

TEST(ElementSizes, BeamsTrianglesAndThinTetrahedra) {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {0, 0, 2}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0.003f}, {0, 0, 0.0001f}};
  Element beam = MakeElement(kBeam, {0, 1}, -1);
  beam.diameter = 0.01f;
  Element tri = MakeElement(kTriangle, {0, 2, 3}, -1);
  tri.thickness = 0.002f;
  tri.visible = 0;
  m.elements = {beam, tri, MakeElement(kTetrahedron, {0, 2, 3, 4}, -1),
                MakeElement(kTetrahedron, {0, 2, 3, 5}, -1)};
  ComputeCentroids(m);
  BuildFaceRecords(m);
  PairCoincidentFaces(m);
  ComputeElementSizes(m);
  const Element& b = m.elements[0];
  EXPECT_FLOAT_EQ(b.length, 2);
  EXPECT_FLOAT_EQ(b.centroid[2], 1);
  EXPECT_NEAR(b.lateral_area, 3.1415927 * 0.01 * 2, 1e-8);
  EXPECT_NEAR(b.volume, 3.1415927 * 0.0001 * 2 / 4, 1e-10);
  const Element& t = m.elements[1];
  EXPECT_EQ(t.visible, 1);
  EXPECT_NEAR(t.area, 0.5, 1e-7);
  EXPECT_NEAR(t.volume, 0.001, 1e-9);
  // The two tetrahedra share their base (0 2 3), so it is no boundary face
  // (the triangle on it is another type); their largest boundary face is the
  // slanted one, x + y + z / h = 1, at distance 1 / sqrt(2 + 1 / h^2) from
  // node 0. Provisional thickness: half that, limited to 0.0001..0.005 m.
  const double height = 1.0 / std::sqrt(2.0 + 1.0 / (double(0.003f) * 0.003f));
  EXPECT_EQ(m.faces[m.elements[2].facets[0]].partner, m.elements[3].facets[0]);
  EXPECT_NEAR(m.elements[2].thickness, height / 2, 1e-9);
  EXPECT_FLOAT_EQ(m.elements[3].thickness, 0.0001f);
  // The estimate replaces it: the full height, limited to 0.001..0.005 m.
  EstimateTetraThickness(m);
  EXPECT_NEAR(m.elements[2].thickness, height, 1e-9);
  EXPECT_FLOAT_EQ(m.elements[3].thickness, 0.001f);
  EXPECT_FLOAT_EQ(m.elements[1].thickness, 0.002f);  // triangles keep theirs
}

}  // namespace
}  // namespace kv
