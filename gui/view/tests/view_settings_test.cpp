// Visibility by category, node mask, colours, render modes and beam geometry.
#include "gui/view/core/view_settings.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kv {
namespace {

Element Make(int type, int category, std::initializer_list<int> nodes) {
  Element e;
  e.type = type;
  e.category = category;
  e.node_count = static_cast<int>(nodes.size());
  int i = 0;
  for (int n : nodes) e.nodes[i++] = n;
  return e;
}

TEST(Visibility, CategoriesAndCodesWithoutCategory) {
  CategoryFlags all;
  for (int code : {0, 1, 2, 3, 4, 5, 9, 10, 11, 12}) EXPECT_TRUE(PropertyCodeVisible(code, all)) << code;
  for (int code : {6, 7, 8, -1, 13}) EXPECT_FALSE(PropertyCodeVisible(code, all)) << code;
  CategoryFlags none;
  none.runners = none.part = none.mold = none.cooling = false;
  EXPECT_TRUE(PropertyCodeVisible(kConnector, none));  // connectors never hide
  for (int code : {1, 2, 3, 4, 5, 9, 10, 11, 12}) EXPECT_FALSE(PropertyCodeVisible(code, none)) << code;
  CategoryFlags no_part;
  no_part.part = false;
  EXPECT_FALSE(PropertyCodeVisible(kPartRunner, no_part));
  EXPECT_TRUE(PropertyCodeVisible(kHotRunner, no_part));
}

TEST(Visibility, HiddenElementsMaskTheirNodesEvenWhenShared) {
  MeshModel m;
  m.nodes.resize(6);
  m.elements.push_back(Make(kTriangle, kPartSurface, {0, 1, 2}));
  m.elements.push_back(Make(kBeam, kColdRunner, {2, 3}));
  m.elements.push_back(Make(kBeam, kPartRunner, {4, 99}));  // a bad node index is ignored
  CategoryFlags flags;
  flags.part = false;
  RefreshVisibility(m, flags);
  EXPECT_EQ(m.elements[0].visible, 0);
  EXPECT_EQ(m.elements[1].visible, 1);
  const std::vector<char> mask = BuildNodeMask(m);
  ASSERT_EQ(mask.size(), 6u);
  EXPECT_EQ(mask[0], 0);
  EXPECT_EQ(mask[2], 0);  // shared with the visible runner
  EXPECT_EQ(mask[3], 1);
  EXPECT_EQ(mask[4], 0);
  EXPECT_EQ(mask[5], 1);  // belongs to nothing
  flags.part = true;
  RefreshVisibility(m, flags);
  EXPECT_EQ(BuildNodeMask(m), std::vector<char>(6, 1));
}

TEST(Colours, FacetsAndBeamsByCategory) {
  float c[3];
  FacetColour(kPartSurface, c);
  EXPECT_FLOAT_EQ(c[0], 0.8f); EXPECT_FLOAT_EQ(c[1], 0.8f); EXPECT_FLOAT_EQ(c[2], 0.5f);
  FacetColour(kCoolingSurface, c);
  EXPECT_FLOAT_EQ(c[0], 0.0f); EXPECT_FLOAT_EQ(c[1], 0.5f); EXPECT_FLOAT_EQ(c[2], 1.0f);
  FacetColour(kMoldSurface, c);
  EXPECT_FLOAT_EQ(c[2], 0.8f);
  FacetColour(kColdRunner, c);
  EXPECT_FLOAT_EQ(c[0], 0.1f);
  BeamColour(kColdRunner, c);
  EXPECT_FLOAT_EQ(c[0], 0.0f); EXPECT_FLOAT_EQ(c[1], 1.0f); EXPECT_FLOAT_EQ(c[2], 0.5f);
  BeamColour(kHotRunner, c);
  EXPECT_FLOAT_EQ(c[0], 1.0f); EXPECT_FLOAT_EQ(c[1], 0.0f);
  BeamColour(kCoolingChannel, c);
  EXPECT_FLOAT_EQ(c[2], 1.0f); EXPECT_FLOAT_EQ(c[0], 0.0f);
  BeamColour(kPartSurface, c);
  EXPECT_FLOAT_EQ(c[0], 1.0f); EXPECT_FLOAT_EQ(c[2], 1.0f);
}

TEST(RenderModes, ShadingAndEdges) {
  EXPECT_FALSE(SettingsOfRenderMode(kSurfaceWireframe).shaded);
  EXPECT_EQ(SettingsOfRenderMode(kSurfaceWireframe).edges, kEdgesSurface);
  EXPECT_EQ(SettingsOfRenderMode(kFacetWireframe).edges, kEdgesFacet);
  EXPECT_TRUE(SettingsOfRenderMode(kShade).shaded);
  EXPECT_EQ(SettingsOfRenderMode(kShade).edges, kEdgesNone);
  EXPECT_EQ(SettingsOfRenderMode(kSurfaceOutline).edges, kEdgesSurface);
  EXPECT_TRUE(SettingsOfRenderMode(kFacetOutline).shaded);
  EXPECT_EQ(ViewSettings().render_mode, kSurfaceOutline);
}

TEST(Beams, TaperAxisAndAngle) {
  const float a[3] = {0, 0, 0};
  const float b[3] = {0, 3, 0};
  BeamCylinder c = ComputeBeamCylinder(a, b, 0.5f, 0.0f);
  EXPECT_FLOAT_EQ(c.length, 3.0f);
  EXPECT_FLOAT_EQ(c.top_radius, 0.5f);
  EXPECT_FLOAT_EQ(c.angle_degrees, 90.0f);
  EXPECT_FLOAT_EQ(c.axis[0], -3.0f);  // z x (0, 3, 0)
  // A taper within 45 degrees widens the far end by sin(theta) sqrt(r^2 + L^2).
  c = ComputeBeamCylinder(a, b, 0.5f, 0.1f);
  EXPECT_NEAR(c.top_radius, 0.5f + std::sin(0.1f) * std::sqrt(0.25f + 9.0f), 1e-6f);
  // Beyond 45 degrees the cylinder is straight.
  c = ComputeBeamCylinder(a, b, 0.5f, 0.8f);
  EXPECT_FLOAT_EQ(c.top_radius, 0.5f);
  // Along z (either way) turns about x.
  const float up[3] = {0, 0, -2};
  c = ComputeBeamCylinder(a, up, 0.5f, 0.0f);
  EXPECT_FLOAT_EQ(c.axis[0], 1.0f);
  EXPECT_FLOAT_EQ(c.angle_degrees, 180.0f);
  // A beam of zero length does not divide by zero.
  c = ComputeBeamCylinder(a, a, 0.5f, 0.3f);
  EXPECT_EQ(c.length, 0.0f);
  EXPECT_TRUE(std::isfinite(c.top_radius));
}

}  // namespace
}  // namespace kv
