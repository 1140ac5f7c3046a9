// Boundary-condition glyphs: shape, colour, placement and turn of each record.
#include <gtest/gtest.h>

#include "gui/view/core/boundary_glyphs.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

MeshModel TwoFaces() {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {0, 0, 3}};
  FaceRecord up;  // in the xy plane, normal +z
  up.nodes[0] = 0;
  up.nodes[1] = 1;
  up.nodes[2] = 2;
  up.normal[2] = 1;
  FaceRecord side;  // in the xz plane, normal -y
  side.nodes[0] = 0;
  side.nodes[1] = 3;
  side.nodes[2] = 1;
  side.normal[1] = -1;
  m.faces = {up, side};
  return m;
}

TEST(BoundaryGlyphs, NodeSpheresTakeColourByTypeAndSkipBadRecords) {
  const MeshModel m = TwoFaces();
  const std::vector<BoundaryRecord> nodes = {
      {7, kInletNode, 1}, {8, kPotentialInletNode, 3}, {9, kInletNode, 4}, {10, kInletFace, 0}, {11, kInletNode, -1}};
  const std::vector<BoundaryGlyph> g = ComputeBoundaryGlyphs(m, nodes, {}, -1);
  ASSERT_EQ(g.size(), 2u);  // node 4 does not exist, a face type in the node list, a negative node
  EXPECT_EQ(g[0].shape, kGlyphSphere);
  EXPECT_EQ(g[0].name, 7);
  EXPECT_FLOAT_EQ(g[0].position[0], 3.0f);
  EXPECT_FLOAT_EQ(g[0].colour[0], 0.0f);
  EXPECT_FLOAT_EQ(g[0].colour[1], 1.0f);
  EXPECT_FLOAT_EQ(g[0].colour[2], 0.0f);
  EXPECT_EQ(g[1].name, 8);
  EXPECT_FLOAT_EQ(g[1].position[2], 3.0f);
  EXPECT_FLOAT_EQ(g[1].colour[0], 1.0f);
  EXPECT_FLOAT_EQ(g[1].colour[1], 1.0f);
  EXPECT_FLOAT_EQ(g[1].colour[2], 0.0f);
  // The record being edited takes the selection colour.
  const std::vector<BoundaryGlyph> e = ComputeBoundaryGlyphs(m, nodes, {}, 8);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FLOAT_EQ(e[1].colour[k], kSelectionColour[k]);
    EXPECT_FLOAT_EQ(e[0].colour[k], g[0].colour[k]);
  }
}

TEST(BoundaryGlyphs, FaceConesSitAtTheCentreTurnedOntoTheNormal) {
  const MeshModel m = TwoFaces();
  const std::vector<BoundaryRecord> faces = {{0, kInletFace, 0}, {1, kOutletFace, 1}, {2, kOutletFace, 2}};
  const std::vector<BoundaryGlyph> g = ComputeBoundaryGlyphs(m, {}, faces, -1);
  ASSERT_EQ(g.size(), 2u);  // face 2 does not exist
  // Inlet on the +z face: green, at the centre (1, 1, 0), no turn.
  EXPECT_EQ(g[0].shape, kGlyphInletCone);
  EXPECT_FLOAT_EQ(g[0].colour[1], 1.0f);
  EXPECT_FLOAT_EQ(g[0].colour[0], 0.0f);
  EXPECT_FLOAT_EQ(g[0].position[0], 1.0f);
  EXPECT_FLOAT_EQ(g[0].position[1], 1.0f);
  EXPECT_FLOAT_EQ(g[0].angle_degrees, 0.0f);
  // Outlet on the -y face: red, 90 degrees about z x n = (1, 0, 0), which takes z onto -y.
  EXPECT_EQ(g[1].shape, kGlyphOutletCone);
  EXPECT_EQ(g[1].name, 1);
  EXPECT_FLOAT_EQ(g[1].colour[0], 1.0f);
  EXPECT_FLOAT_EQ(g[1].colour[1], 0.0f);
  EXPECT_FLOAT_EQ(g[1].position[2], 1.0f);
  EXPECT_NEAR(g[1].angle_degrees, 90.0f, 1e-4f);
  EXPECT_NEAR(g[1].axis[0], 1.0f, 1e-6f);
  EXPECT_NEAR(g[1].axis[1], 0.0f, 1e-6f);
}

TEST(BoundaryGlyphs, ConeTurnAlongZUsesTheYAxis) {
  float axis[3];
  float angle = 0;
  const float down[3] = {0, 0, -1};
  ConeTurn(down, axis, &angle);
  EXPECT_FLOAT_EQ(angle, 180.0f);
  EXPECT_FLOAT_EQ(axis[0], 0.0f);
  EXPECT_FLOAT_EQ(axis[1], 1.0f);
  const float zero[3] = {0, 0, 0};
  ConeTurn(zero, axis, &angle);
  EXPECT_FLOAT_EQ(angle, 0.0f);
  const float plus_x[3] = {2, 0, 0};  // not unit: the length is divided out
  ConeTurn(plus_x, axis, &angle);
  EXPECT_NEAR(angle, 90.0f, 1e-4f);
  EXPECT_NEAR(axis[1], 1.0f, 1e-6f);
}

}  // namespace
}  // namespace kv
