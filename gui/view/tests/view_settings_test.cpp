// Render modes and beam cylinder geometry.
#include "gui/view/core/view_settings.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(RenderModes, ShadingAndEdges) {
  EXPECT_FALSE(SettingsOfRenderMode(kSurfaceWireframe).shaded);
  EXPECT_EQ(SettingsOfRenderMode(kSurfaceWireframe).edges, kEdgesSurface);
  EXPECT_EQ(SettingsOfRenderMode(kFacetWireframe).edges, kEdgesFacet);
  EXPECT_FALSE(SettingsOfRenderMode(kFacetWireframe).shaded);
  EXPECT_TRUE(SettingsOfRenderMode(kShade).shaded);
  EXPECT_EQ(SettingsOfRenderMode(kShade).edges, kEdgesNone);
  EXPECT_EQ(SettingsOfRenderMode(kSurfaceOutline).edges, kEdgesSurface);
  EXPECT_TRUE(SettingsOfRenderMode(kFacetOutline).shaded);
  EXPECT_EQ(SettingsOfRenderMode(kFacetOutline).edges, kEdgesFacet);
  EXPECT_EQ(ViewSettings().render_mode, kSurfaceOutline);
}

Beam MakeBeam(float x, float y, float z, float radius, float taper) {
  Beam b;
  b.ends[1][0] = x;
  b.ends[1][1] = y;
  b.ends[1][2] = z;
  b.radius = radius;
  b.taper = taper;
  return b;
}

TEST(Beams, TaperAxisAndAngle) {
  BeamCylinder c = ComputeBeamCylinder(MakeBeam(0, 3, 0, 0.5f, 0.0f));
  EXPECT_FLOAT_EQ(c.length, 3.0f);
  EXPECT_FLOAT_EQ(c.top_radius, 0.5f);
  EXPECT_FLOAT_EQ(c.angle_degrees, 90.0f);
  EXPECT_FLOAT_EQ(c.axis[0], -3.0f);  // z x (0, 3, 0)
  EXPECT_FLOAT_EQ(c.axis[1], 0.0f);
  // A taper within 45 degrees widens the far end by sin(theta) sqrt(r^2 + L^2).
  c = ComputeBeamCylinder(MakeBeam(0, 3, 0, 0.5f, 0.1f));
  EXPECT_NEAR(c.top_radius, 0.5f + std::sin(0.1f) * std::sqrt(0.25f + 9.0f), 1e-6f);
  // Beyond 45 degrees the cylinder is straight.
  c = ComputeBeamCylinder(MakeBeam(0, 3, 0, 0.5f, 0.8f));
  EXPECT_FLOAT_EQ(c.top_radius, 0.5f);
  // A strong narrowing ends in a point, never a negative radius.
  c = ComputeBeamCylinder(MakeBeam(0, 3, 0, 0.5f, -0.7f));
  EXPECT_EQ(c.top_radius, 0.0f);
  // Along -z turns half round about x.
  c = ComputeBeamCylinder(MakeBeam(0, 0, -2, 0.5f, 0.0f));
  EXPECT_FLOAT_EQ(c.axis[0], 1.0f);
  EXPECT_FLOAT_EQ(c.angle_degrees, 180.0f);
  // A beam of zero length does not divide by zero.
  c = ComputeBeamCylinder(MakeBeam(0, 0, 0, 0.5f, 0.3f));
  EXPECT_EQ(c.length, 0.0f);
  EXPECT_TRUE(std::isfinite(c.top_radius));
}

}  // namespace
}  // namespace kv
