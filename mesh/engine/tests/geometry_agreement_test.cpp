// The pre-processor's rebuild and the solver's mesh preparation derive face
// records and element measures from the same mesh; both must agree on face
// order, normal sign, areas and volumes, or a face picked in the view and the
// face the solver reports would differ.
#include <gtest/gtest.h>

#include <cmath>

#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"
#include "common/geometry/vec3.h"
#include "common/tests/mesh_test_util.h"
#include "mesh/engine/rebuild.h"
#include "solver/prep/mesh_preparation.h"

namespace kv {
namespace {

using test::MakeElement;

// Two shell triangles on a slightly warped square, a runner, and two
// tetrahedra of positive orientation sharing the face (5, 6, 7), all 1 m from
// the origin so that the geometry works on coordinate differences.
MeshModel MixedMesh() {
  const float o = 1.0f;
  MeshModel m;
  m.nodes = {{o, o, o},         {o + 0.01f, o, o + 0.002f},        {o + 0.01f, o + 0.01f, o + 0.003f},
             {o, o + 0.01f, o + 0.001f}, {o, o + 0.02f, o + 0.001f}, {o, o, o + 0.01f},
             {o + 0.01f, o, o + 0.01f},  {o, o + 0.01f, o + 0.01f},  {o, o, o + 0.015f},
             {o + 0.004f, o + 0.004f, o + 0.005f}};
  Element t1 = MakeElement(kTriangle, {0, 1, 2}, -1), t2 = MakeElement(kTriangle, {0, 2, 3}, -1);
  t1.category = t2.category = kPartSurface;
  t1.thickness = t2.thickness = 0.002f;
  Element beam = MakeElement(kBeam, {3, 4}, -1);
  beam.category = kColdRunner;
  beam.diameter = 0.004f;
  Element a = MakeElement(kTetrahedron, {5, 6, 7, 8}, -1), b = MakeElement(kTetrahedron, {6, 5, 7, 9}, -1);
  a.category = b.category = kPartVolume;
  m.elements = {t1, t2, beam, a, b};
  return m;
}

Vec3 At(const MeshModel& m, int n) { return ToVec3(m.nodes[static_cast<size_t>(n)]); }

TEST(GeometryAgreement, FaceRecordsAndElementMeasuresMatchBetweenThePrograms) {
  MeshModel gui = MixedMesh();
  RebuildAfterRead(gui);
  MeshModel solver = MixedMesh();
  BuildFaceRecords(solver);
  ASSERT_EQ(PairFacesWithSameNodes(solver), 1);
  MeshPreparation prep;
  const float up[3] = {0, 0, 1};
  ComputeElementGeometry(solver, up, prep);

  // One face per triangle and four per tetrahedron, in the same order, with
  // the same normals, areas and partners; only the shared face is paired.
  ASSERT_EQ(gui.faces.size(), 10u);
  ASSERT_EQ(solver.faces.size(), gui.faces.size());
  int paired = 0;
  for (size_t f = 0; f < gui.faces.size(); ++f) {
    const FaceRecord& g = gui.faces[f];
    const FaceRecord& s = solver.faces[f];
    SCOPED_TRACE(f);
    EXPECT_EQ(g.element, s.element);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(g.nodes[k], s.nodes[k]);
      EXPECT_EQ(g.normal[k], s.normal[k]);
      EXPECT_EQ(g.centroid[k], s.centroid[k]);
    }
    EXPECT_EQ(g.area, s.area);
    EXPECT_GT(g.area, 0.0f);
    EXPECT_EQ(g.partner, s.partner);
    paired += g.partner >= 0;
  }
  EXPECT_EQ(paired, 2);

  // The normal of a tetrahedron face points away from the node the face does
  // not hold, for both programs (they share the records checked above).
  for (int e = 3; e < 5; ++e) {
    const Element& el = solver.elements[e];
    ASSERT_EQ(el.facet_count, 4);
    for (int k = 0; k < 4; ++k) {
      const FaceRecord& face = solver.faces[static_cast<size_t>(el.facets[k])];
      int apex = -1;
      for (int v = 0; v < 4; ++v) {
        const int n = el.nodes[v];
        if (n != face.nodes[0] && n != face.nodes[1] && n != face.nodes[2]) apex = n;
      }
      ASSERT_GE(apex, 0);
      const Vec3 d = Sub(At(solver, apex), At(solver, face.nodes[0]));
      EXPECT_LT(d.x * face.normal[0] + d.y * face.normal[1] + d.z * face.normal[2], 0.0) << "element " << e << " face " << k;
    }
  }

  // Triangles: the same unit normal on the element as on its face, of the
  // same sign in both programs; the nodes run counter-clockwise seen from +z,
  // so the normal points down. Same area and volume.
  for (int e = 0; e < 2; ++e) {
    const Element& g = gui.elements[e];
    const Element& s = solver.elements[e];
    SCOPED_TRACE(e);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(g.normal[k], s.normal[k]);
      EXPECT_EQ(s.normal[k], solver.faces[static_cast<size_t>(s.facets[0])].normal[k]);
    }
    EXPECT_LT(s.normal[2], -0.9f);
    EXPECT_NEAR(std::sqrt(s.normal[0] * s.normal[0] + s.normal[1] * s.normal[1] + s.normal[2] * s.normal[2]), 1.0, 1e-6);
    EXPECT_EQ(g.area, s.area);
    EXPECT_EQ(g.volume, s.volume);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(g.centroid[k], s.centroid[k], 1e-5);
  }

  // The runner: same length; the volumes differ only by the pre-processor's
  // single-precision pi.
  EXPECT_EQ(gui.elements[2].length, solver.elements[2].length);
  EXPECT_NEAR(gui.elements[2].volume, solver.elements[2].volume, solver.elements[2].volume * 1e-6);
  const double runner = 3.14159265358979 * 0.004 * 0.004 / 4 * 0.01;
  EXPECT_NEAR(solver.elements[2].volume, runner, runner * 1e-4);

  // Tetrahedra: same volume, the exact one of each.
  EXPECT_EQ(gui.elements[3].volume, solver.elements[3].volume);
  EXPECT_EQ(gui.elements[4].volume, solver.elements[4].volume);
  EXPECT_NEAR(solver.elements[3].volume, 0.01 * 0.01 * 0.005 / 6, 0.01 * 0.01 * 0.005 / 6 * 1e-4);

  // The upper tetrahedron's face most aligned with +z is its outer slanted
  // face (6, 8, 7); projected on the parting plane it covers the whole base.
  EXPECT_NEAR(solver.elements[3].projected_area, 0.5 * 0.01 * 0.01, 1e-8);
}

// A lone tetrahedron standing on its base: the base faces down, the three
// other faces up. Its projected area comes from the outward face most turned
// towards the parting plane's normal (+z), the slanted face (b, d, c), and
// not from the base, whose outward normal points away from it.
TEST(GeometryAgreement, TetrahedronProjectedAreaComesFromItsOutwardFaceTowardsTheNormal) {
  MeshModel mesh;
  mesh.nodes = {{0, 0, 0}, {0.01f, 0, 0}, {0, 0.01f, 0}, {0.002f, 0.002f, 0.005f}};
  Element e = MakeElement(kTetrahedron, {0, 1, 2, 3}, -1);
  e.category = kPartVolume;
  mesh.elements = {e};
  BuildFaceRecords(mesh);
  ASSERT_EQ(PairFacesWithSameNodes(mesh), 1);
  MeshPreparation prep;
  const float up[3] = {0, 0, 1};
  ComputeElementGeometry(mesh, up, prep);
  ASSERT_EQ(mesh.faces.size(), 4u);
  EXPECT_LT(mesh.faces[0].normal[2], -0.99f);  // the base (a, b, c) faces down
  // (b, d, c) projected on z = 0: the triangle (0.01, 0), (0.002, 0.002), (0, 0.01).
  EXPECT_NEAR(mesh.elements[0].projected_area, 0.5 * 0.01 * 0.01 * 0.6, 1e-9);
}

}  // namespace
}  // namespace kv
