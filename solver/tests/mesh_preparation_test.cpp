#include "solver/prep/mesh_preparation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "solver/tests/test_meshes.h"

namespace kv {
namespace {

constexpr double kPi = 3.14159265358979323846;
const float kNormalZ[3] = {0, 0, 1};

TEST(MeshPreparation, PlateGeometryAndVolumes) {
  MeshModel mesh = test::Plate(0.1, 0.05, 4, 2, 0.002f);
  BuildFaceRecords(mesh);
  EXPECT_EQ(mesh.faces.size(), mesh.elements.size());
  MeshPreparation prep;
  ComputeElementGeometry(mesh, kNormalZ, prep);
  EXPECT_NEAR(prep.total_area, 0.1 * 0.05, 1e-9);
  EXPECT_NEAR(prep.total_projected_area, 0.1 * 0.05, 1e-9);
  EXPECT_NEAR(prep.element_volume, 0.1 * 0.05 * 0.002, 1e-12);
  // Element- and node-based volumes agree for lines and triangles.
  EXPECT_NEAR(prep.node_volume, prep.element_volume, 1e-12);
  // A corner node belongs to one or two triangles; an inner node to six.
  const int inner = 1 * 5 + 1;
  EXPECT_EQ(prep.element_start[inner + 1] - prep.element_start[inner], 6);
  // Local coordinates put node 2 on the first axis and node 3 above it.
  const Element& first = mesh.elements[0];
  EXPECT_NEAR(first.local[0], 0.025, 1e-7);
  EXPECT_GT(first.local[1], 0);
  EXPECT_NEAR(first.local[0] * first.local[1] / 2, first.area, 1e-10);
  const CategoryVolumes v = SumCategoryVolumes(mesh);
  EXPECT_NEAR(v.part, 1e-5, 1e-12);
  EXPECT_NEAR(v.injection, v.part, 0);
}

TEST(MeshPreparation, RunnerProjectedAreaFollowsItsDirection) {
  MeshModel mesh;
  const float origin[3] = {0, 0, 0};
  const float along_z[3] = {0, 0, 1}, along_x[3] = {1, 0, 0};
  const float slanted[3] = {0.6f, 0, 0.8f};
  test::AddRunner(mesh, -1, origin, along_z, 0.02, 1, 0.004f);
  test::AddRunner(mesh, -1, origin, along_x, 0.02, 1, 0.004f, kHotRunner);
  test::AddRunner(mesh, -1, origin, slanted, 0.02, 1, 0.004f);
  MeshPreparation prep;
  ComputeElementGeometry(mesh, kNormalZ, prep);
  // A sprue along N casts its end disc, pi D^2 / 4; a runner in the parting
  // plane its side, D l; a slanted one (cosine 0.8 to N) both, foreshortened.
  EXPECT_NEAR(mesh.elements[0].projected_area, kPi * 0.004 * 0.004 / 4, 1e-10);
  EXPECT_NEAR(mesh.elements[1].projected_area, 0.004 * 0.02, 1e-10);
  EXPECT_NEAR(mesh.elements[2].projected_area, 0.8 * kPi * 0.004 * 0.004 / 4 + 0.6 * 0.004 * 0.02, 1e-9);
  EXPECT_NEAR(prep.total_projected_area,
              kPi * 0.004 * 0.004 / 4 * 1.8 + 0.004 * 0.02 * 1.6, 1e-9);
  EXPECT_NEAR(mesh.elements[0].volume, kPi * 0.004 * 0.004 * 0.02 / 4, 1e-12);
  EXPECT_NEAR(prep.control_volume[0], mesh.elements[0].volume / 2, 1e-12);
  const CategoryVolumes v = SumCategoryVolumes(mesh);
  EXPECT_NEAR(v.cold_runner, mesh.elements[0].volume + mesh.elements[2].volume, 1e-12);
  EXPECT_NEAR(v.hot_runner, mesh.elements[1].volume, 1e-12);
  EXPECT_NEAR(v.injection, v.cold_runner, 1e-15);
}

TEST(MeshPreparation, DualSurfaceConnectorsOnlyWithinReach) {
  // Two plates 2 mm apart paired element by element; thickness 0.5 mm gives a
  // reach of 1.5 x 1 mm: no connectors. With 1 mm thickness, one per node.
  for (float thickness : {0.0005f, 0.001f}) {
    MeshModel mesh = test::Plate(0.01, 0.01, 1, 1, thickness, kPartDualSurface);
    MeshModel top = test::Plate(0.01, 0.01, 1, 1, thickness, kPartDualSurface);
    const int offset = static_cast<int>(mesh.nodes.size());
    for (Node n : top.nodes) {
      n.z = 0.002f;
      mesh.nodes.push_back(n);
    }
    for (Element e : top.elements) {
      for (int v = 0; v < 3; ++v) e.nodes[v] += offset;
      mesh.elements.push_back(e);
    }
    for (int e = 0; e < 2; ++e) {
      mesh.elements[e].paired = e + 2;
      mesh.elements[e + 2].paired = e;
    }
    const int added = AddDualSurfaceConnectors(mesh);
    if (thickness < 0.001f) {
      EXPECT_EQ(added, 0);
    } else {
      EXPECT_EQ(added, 12);  // 4 triangles x 3 nodes
      EXPECT_EQ(mesh.elements.back().category, kConnector);
      EXPECT_EQ(mesh.elements.back().diameter, 0.0f);
      EXPECT_EQ(mesh.elements.size(), 16u);
    }
  }
}

TEST(MeshPreparation, TetrahedronThicknessAndShares) {
  MeshModel mesh;
  mesh.nodes = {{0, 0, 0}, {0.01f, 0, 0}, {0, 0.01f, 0}, {0, 0, 0.004f}};
  Element e;
  e.type = kTetrahedron;
  e.category = kPartVolume;
  e.node_count = 4;
  for (int v = 0; v < 4; ++v) e.nodes[v] = v;
  mesh.elements.push_back(e);
  BuildFaceRecords(mesh);
  ASSERT_EQ(mesh.faces.size(), 4u);
  MeshPreparation prep;
  ComputeElementGeometry(mesh, kNormalZ, prep);
  const double volume = 0.01 * 0.01 * 0.004 / 6;
  EXPECT_NEAR(mesh.elements[0].volume, volume, 1e-12);
  // Largest face is the slanted one, normal (0.4, 0.4, 1); the opposite node
  // (the origin) lies 0.004 / |(0.4, 0.4, 1)| from its plane.
  EXPECT_NEAR(mesh.elements[0].thickness, 0.004 / std::sqrt(1.32) / 2, 1e-7);
  EXPECT_NEAR(prep.node_volume, volume, 1e-12);
  // The face most aligned with N = z is the slanted one; projected on z = 0 it
  // covers the base.
  EXPECT_NEAR(mesh.elements[0].projected_area, 0.5 * 0.01 * 0.01, 1e-9);
}

TEST(MeshPreparation, SharedTetrahedronFacesArePairedAndInner) {
  // Two tetrahedra on the triangle (1, 2, 3): one below it with apex at the
  // origin, one above with apex far out; the shared face is inner, the other
  // six are boundary. A flat shell triangle over the same three nodes also
  // pairs, with the first face that has them and is still free.
  MeshModel mesh;
  mesh.nodes = {{0, 0, 0}, {0.01f, 0, 0}, {0, 0.01f, 0}, {0, 0, 0.01f}, {0.02f, 0.02f, 0.02f}};
  Element e;
  e.type = kTetrahedron;
  e.category = kPartVolume;
  e.node_count = 4;
  const int tetra[2][4] = {{0, 1, 2, 3}, {4, 3, 2, 1}};
  for (const auto& nodes : tetra) {
    for (int v = 0; v < 4; ++v) e.nodes[v] = nodes[v];
    mesh.elements.push_back(e);
  }
  BuildFaceRecords(mesh);
  ASSERT_EQ(PairFacesWithSameNodes(mesh), 1);
  int inner = 0;
  for (size_t f = 0; f < mesh.faces.size(); ++f) {
    const FaceRecord& face = mesh.faces[f];
    if (face.partner < 0) continue;
    ++inner;
    EXPECT_EQ(mesh.faces[face.partner].partner, static_cast<int>(f));
    EXPECT_NE(mesh.faces[face.partner].element, face.element);
  }
  EXPECT_EQ(inner, 2);
  // The first tetrahedron's thickness comes from its largest boundary face,
  // the base triangles of area 5e-5 m^2, not from the shared slanted face.
  MeshPreparation prep;
  ComputeElementGeometry(mesh, kNormalZ, prep);
  EXPECT_NEAR(mesh.elements[0].thickness, 0.005, 1e-7);
  // Pairing is rebuilt from scratch: a second call gives the same partners.
  std::vector<int> partners;
  for (const FaceRecord& face : mesh.faces) partners.push_back(face.partner);
  ASSERT_EQ(PairFacesWithSameNodes(mesh), 1);
  for (size_t f = 0; f < mesh.faces.size(); ++f) EXPECT_EQ(mesh.faces[f].partner, partners[f]);
  // A centroid that is not a finite number: no octree, and no partner left.
  mesh.faces[3].centroid[1] = std::numeric_limits<float>::infinity();
  EXPECT_EQ(PairFacesWithSameNodes(mesh), 0);
  for (const FaceRecord& face : mesh.faces) EXPECT_EQ(face.partner, -1);
}

TEST(MeshPreparation, DamagedMeshesAreNamed) {
  MeshModel mesh = test::Plate(0.01, 0.01, 1, 1, 0.002f);
  EXPECT_EQ(CheckSolverMesh(mesh), "");
  mesh.elements[1].thickness = 0;
  EXPECT_EQ(CheckSolverMesh(mesh), "Element 2 has no thickness.");
  mesh.elements[1].thickness = 0.002f;
  mesh.nodes[3].y = std::nanf("");
  EXPECT_EQ(CheckSolverMesh(mesh), "Node 4 has invalid coordinates.");
  mesh.nodes[3].y = 0.01f;
  mesh.elements[0].nodes[2] = 9;
  EXPECT_EQ(CheckSolverMesh(mesh), "Element 1 refers to a node that does not exist.");
}

TEST(MeshPreparation, SummaryLinesCarryThreeDigitExponents) {
  MeshModel mesh = test::Plate(0.1, 0.05, 1, 1, 0.002f);
  BuildFaceRecords(mesh);
  MeshPreparation prep;
  ComputeElementGeometry(mesh, kNormalZ, prep);
  const auto counts = MeshCountLines(mesh);
  ASSERT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts[0], "Number of nodes:    4");
  EXPECT_EQ(counts[1], "Number of faces:    2");
  const auto totals = MeshTotalLines(prep);
  EXPECT_EQ(totals[1], "Total mesh surface area:                      5.0000e-003 \tm^2");
  EXPECT_EQ(totals.back(), "Done.");
}

}  // namespace
}  // namespace kv
