// Camera arithmetic: projection boxes, extent, trackball, composition and
// renormalisation, mouse motions and the animated moves.
#include "gui/view/core/camera.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kv {
namespace {

float Norm(const float q[4]) { return std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]); }

ViewState Viewport(int w, int h) {
  ViewState v;
  v.viewport_width = w;
  v.viewport_height = h;
  ComputeProjection(v, nullptr);
  return v;
}

TEST(Projection, WideTallAndEmptyWindows) {
  ViewState v;
  v.half_size = 2.0f;
  v.depth = 3.0f;
  ProjectionBox b;
  // Wide: the height shows 2s, the width in proportion.
  v.viewport_width = 400;
  v.viewport_height = 200;
  ASSERT_TRUE(ComputeProjection(v, &b));
  EXPECT_FLOAT_EQ(b.left, -4.0f);
  EXPECT_FLOAT_EQ(b.right, 4.0f);
  EXPECT_FLOAT_EQ(b.bottom, -2.0f);
  EXPECT_FLOAT_EQ(b.top, 2.0f);
  EXPECT_FLOAT_EQ(b.near_plane, -3.0f);
  EXPECT_FLOAT_EQ(b.far_plane, 3.0f);
  EXPECT_FLOAT_EQ(v.visible_width, 8.0f);
  EXPECT_FLOAT_EQ(v.visible_height, 4.0f);
  // Tall: the width shows 2s.
  v.viewport_width = 100;
  v.viewport_height = 300;
  ASSERT_TRUE(ComputeProjection(v, &b));
  EXPECT_FLOAT_EQ(b.left, -2.0f);
  EXPECT_FLOAT_EQ(b.top, 6.0f);
  EXPECT_FLOAT_EQ(v.visible_width, 4.0f);
  EXPECT_FLOAT_EQ(v.visible_height, 12.0f);
  // A window squeezed to nothing is refused and changes nothing.
  v.viewport_height = 0;
  EXPECT_FALSE(ComputeProjection(v, &b));
  EXPECT_FLOAT_EQ(v.visible_width, 4.0f);
}

TEST(Projection, FramebufferPixelsOfScaledScreens) {
  // Rounded to the nearest pixel, as the framebuffer of a scaled window is sized.
  EXPECT_EQ(DevicePixels(794, 1.0), 794);
  EXPECT_EQ(DevicePixels(794, 2.0), 1588);
  EXPECT_EQ(DevicePixels(539, 1.5), 809);   // 808.5 rounds up
  EXPECT_EQ(DevicePixels(101, 1.25), 126);  // 126.25
  EXPECT_EQ(DevicePixels(10.6, 2.0), 21);   // a fractional mouse position
  EXPECT_EQ(DevicePixels(-3, 2.0), -6);     // a captured mouse left of the window
  // A ratio the window system cannot have counts as 1; no position overflows.
  EXPECT_EQ(DevicePixels(640, 0.0), 640);
  EXPECT_EQ(DevicePixels(640, -2.0), 640);
  EXPECT_EQ(DevicePixels(640, std::nan("")), 640);
  EXPECT_EQ(DevicePixels(640, INFINITY), 640);
  EXPECT_EQ(DevicePixels(std::nan(""), 2.0), 0);
  EXPECT_EQ(DevicePixels(3e9, 2.0), 1000000000);
}

TEST(ModelExtent, ClampedToTenAndEmptyModelIgnored) {
  ViewState v;
  MeshModel m;
  ComputeModelExtent(v, m);
  EXPECT_FLOAT_EQ(v.model_size, 0.0f);
  m.nodes = {{-20, 0, 0}, {4, 2, 0}, {0, 0, 30}};
  ComputeModelExtent(v, m);
  // x: [-10, 4], y: [0, 2], z: [0, 10].
  EXPECT_FLOAT_EQ(v.model_centre[0], -3.0f);
  EXPECT_FLOAT_EQ(v.model_centre[1], 1.0f);
  EXPECT_FLOAT_EQ(v.model_centre[2], 5.0f);
  EXPECT_FLOAT_EQ(v.model_size, std::sqrt(14.0f * 14.0f + 4.0f + 100.0f));
  FrameModel(v);
  EXPECT_FLOAT_EQ(v.depth, v.model_size);
  EXPECT_FLOAT_EQ(v.half_size, v.model_size * 0.5f);
  EXPECT_FLOAT_EQ(v.centre_shift[0], 3.0f);
  EXPECT_FLOAT_EQ(v.light_position[2], 5.0f * v.model_size);
  // A single node has no extent: the view still has a usable size and depth.
  m.nodes = {{1, 1, 1}};
  ComputeModelExtent(v, m);
  FrameModel(v);
  EXPECT_FLOAT_EQ(v.half_size, 1.0f);
  EXPECT_GT(v.depth, 0.0f);
}

TEST(Trackball, IncrementsAreUnitRotations) {
  float q[4];
  TrackballIncrement(0.1f, 0.2f, 0.1f, 0.2f, q);
  EXPECT_EQ(q[0], 0.0f);
  EXPECT_EQ(q[3], 1.0f);
  // Moving right at the centre turns about +y (axis p2 x p1 with both on the ball).
  TrackballIncrement(0.0f, 0.0f, 0.2f, 0.0f, q);
  EXPECT_NEAR(Norm(q), 1.0f, 1e-6f);
  EXPECT_NEAR(q[0], 0.0f, 1e-6f);
  EXPECT_NEAR(q[2], 0.0f, 1e-6f);
  EXPECT_LT(q[1], 0.0f);
  // The angle is 2 asin(|p1 - p2| / 2) with the points lifted onto the ball.
  const float z2 = std::sqrt(1.0f - 0.04f);
  const float chord = std::sqrt(0.04f + (1.0f - z2) * (1.0f - z2));
  EXPECT_NEAR(q[3], std::cos(std::asin(chord / 2.0f)), 1e-6f);
  // Far outside the ball the hyperbolic sheet keeps the increment finite.
  TrackballIncrement(3.0f, -2.0f, 5.0f, 4.0f, q);
  EXPECT_NEAR(Norm(q), 1.0f, 1e-5f);
}

TEST(Trackball, CompositionAndRenormalisation) {
  ViewState v;
  // Composing with the identity increment keeps the orientation.
  const float none[4] = {0, 0, 0, 1};
  ComposeRotation(v, none);
  EXPECT_FLOAT_EQ(v.orientation[3], -1.0f);
  EXPECT_EQ(v.composition_count, 1);
  // Two quarter turns about z make a half turn: q = +-(0, 0, 1, 0).
  ViewState h;
  h.orientation[3] = 1.0f;
  const float quarter[4] = {0, 0, std::sin(0.7853982f), std::cos(0.7853982f)};
  ComposeRotation(h, quarter);
  ComposeRotation(h, quarter);
  EXPECT_NEAR(std::fabs(h.orientation[2]), 1.0f, 1e-6f);
  EXPECT_NEAR(h.orientation[3], 0.0f, 1e-6f);
  // The matrix of a half turn about z maps x to -x.
  EXPECT_NEAR(h.rotation_matrix[0], -1.0f, 1e-6f);
  EXPECT_NEAR(h.rotation_matrix[5], -1.0f, 1e-6f);
  EXPECT_NEAR(h.rotation_matrix[10], 1.0f, 1e-6f);

  // A slightly long increment lets |q| grow; the 98th composition brings it back to 1.
  ViewState d;
  const float grow[4] = {0, 0, 0, 1.001f};
  for (int i = 0; i < 97; ++i) ComposeRotation(d, grow);
  EXPECT_EQ(d.composition_count, 97);
  EXPECT_GT(Norm(d.orientation), 1.09f);
  ComposeRotation(d, grow);
  EXPECT_EQ(d.composition_count, 0);
  EXPECT_NEAR(Norm(d.orientation), 1.0f, 1e-6f);
}

TEST(Motion, PanZoomRotateFromPixels) {
  ViewState v = Viewport(400, 200);  // visible 4 x 2
  ApplyCameraMotion(v, kCameraPan, 100, 200, 50, 150);
  EXPECT_FLOAT_EQ(v.pan[0], 1.0f);   // 100 px of 400 px over 4 units
  EXPECT_FLOAT_EQ(v.pan[1], -1.0f);  // 100 px down of 200 over 2 units
  // Zoom: half size -= dy s / H.
  ApplyCameraMotion(v, kCameraZoom, 0, 0, 0, 50);
  EXPECT_FLOAT_EQ(v.half_size, 0.75f);
  EXPECT_FLOAT_EQ(v.visible_height, 1.5f);
  // A drag longer than the window (mouse captured outside it) never inverts the box.
  ApplyCameraMotion(v, kCameraZoom, 0, 0, -100, 500);
  EXPECT_GT(v.half_size, 0.0f);
  // Rotation with negative coordinates (mouse outside the window) still turns.
  ViewState r = Viewport(200, 200);
  ApplyCameraMotion(r, kCameraRotate, -30, -10, 100, 100);
  EXPECT_NE(r.orientation[1], 0.0f);
  EXPECT_NEAR(Norm(r.orientation), 1.0f, 1e-5f);
  EXPECT_EQ(r.composition_count, 1);
}

TEST(AnimatedMoves, ZoomWindow) {
  ViewState v = Viewport(400, 200);
  // Boxes of 5 pixels or less do nothing.
  EXPECT_TRUE(PlanZoomWindow(v, 10, 10, 15, 100).empty());
  EXPECT_TRUE(PlanZoomWindow(v, 10, 10, 100, 15).empty());
  // A wide box centred in the window: size to dx s / W, pan 0.
  auto states = PlanZoomWindow(v, 150, 90, 250, 110);
  ASSERT_EQ(states.size(), 25u);
  EXPECT_NEAR(states.back().half_size, 100.0f / 400.0f, 1e-6f);
  EXPECT_NEAR(states.back().pan[0], 0.0f, 1e-6f);
  // A tall box (dy >= dx) fits its height; off-centre it pans the box centre in.
  states = PlanZoomWindow(v, 0, 0, 20, 100);
  ASSERT_EQ(states.size(), 25u);
  EXPECT_NEAR(states.back().half_size, 0.5f, 1e-5f);
  EXPECT_NEAR(states.back().pan[0], (4.0f / 400.0f) * (200.0f - 10.0f), 1e-4f);
  EXPECT_NEAR(states.back().pan[1], (2.0f / 200.0f) * (50.0f - 100.0f), 1e-4f);
}

TEST(AnimatedMoves, ZoomAllEndsFramedExactly) {
  ViewState v = Viewport(300, 300);
  v.model_size = 2.0f;
  v.model_centre[0] = 1.0f;
  v.half_size = 0.1f;
  v.pan[0] = 3.0f;
  auto states = PlanZoomAll(v);
  ASSERT_EQ(states.size(), 25u);
  const ViewState& end = states.back();
  EXPECT_EQ(end.half_size, 1.0f);
  EXPECT_EQ(end.pan[0], 0.0f);
  EXPECT_EQ(end.centre_shift[0], -1.0f);
  EXPECT_EQ(end.depth, 2.0f);
  // The intermediate states move monotonically toward the end.
  EXPECT_LT(states[0].half_size, states[12].half_size);
  EXPECT_GT(states[0].pan[0], states[12].pan[0]);
}

TEST(AnimatedMoves, RotationCentre) {
  ViewState v = Viewport(300, 300);
  v.pan[1] = 2.0f;
  const float node[3] = {1.0f, -2.0f, 0.5f};
  auto states = PlanRotationCentre(v, node);
  ASSERT_EQ(states.size(), 25u);
  EXPECT_NEAR(states.back().centre_shift[0], -1.0f, 1e-5f);
  EXPECT_NEAR(states.back().centre_shift[1], 2.0f, 1e-5f);
  EXPECT_NEAR(states.back().pan[1], 0.0f, 1e-5f);
}

TEST(AnimatedMoves, StandardViewsReachTargetsExactly) {
  for (int which = kViewFront; which <= kViewIsometric; ++which) {
    ViewState v;
    // Start from a turned view so that every target is a real move.
    const float turn[4] = {0.2f, 0.3f, 0.1f, 0.927f};
    ComposeRotation(v, turn);
    auto states = PlanStandardView(v, which);
    ASSERT_EQ(states.size(), 25u) << which;
    float target[4];
    StandardViewTarget(which, target);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(states.back().orientation[k], target[k]) << which;
    // Intermediate orientations stay unit quaternions when the others allow it.
    for (size_t i = 0; i + 1 < states.size(); ++i) {
      EXPECT_TRUE(std::isfinite(states[i].orientation[0]));
      EXPECT_LE(Norm(states[i].orientation), 1.0f + 1e-5f);
    }
    // The same view again does nothing.
    EXPECT_TRUE(PlanStandardView(states.back(), which).empty()) << which;
  }
}

// Every step of a standard view turns by the same angle, and the steps add up
// to the direct turn: no jump at the start or the end, no detour.
TEST(AnimatedMoves, StandardViewsTurnEvenlyTheShorterWay) {
  ViewState front;
  ResetOrientation(front);
  ViewState turned;
  const float turn[4] = {0.2f, 0.3f, 0.1f, 0.927f};
  ComposeRotation(turned, turn);
  for (const ViewState& start : {front, turned}) {
    for (int which = kViewFront; which <= kViewIsometric; ++which) {
      float target[4];
      StandardViewTarget(which, target);
      float total = 0;
      ASSERT_TRUE(QuaternionAngle(start.orientation, target, &total));
      const std::vector<ViewState> states = PlanStandardView(start, which);
      if (total < 1e-4f) continue;  // Front from the start: no move
      ASSERT_EQ(states.size(), 25u) << which;
      float sum = 0;
      const float* previous = start.orientation;
      for (const ViewState& s : states) {
        float step = 0;
        ASSERT_TRUE(QuaternionAngle(previous, s.orientation, &step));
        EXPECT_NEAR(step, total / 25, 2e-3f) << "view " << which;
        EXPECT_NEAR(Norm(s.orientation), 1.0f, 1e-4f);  // the isometric target is 1.00004
        sum += step;
        previous = s.orientation;
      }
      EXPECT_NEAR(sum, total, 5e-3f) << "view " << which;
    }
  }
  // The back view is half a turn from the front: 7.2 degrees a step.
  float step = 0;
  ASSERT_TRUE(QuaternionAngle(front.orientation, PlanStandardView(front, kViewBack)[0].orientation, &step));
  EXPECT_NEAR(step * 180.0f / 3.14159265f, 7.2f, 0.01f);
  // The front view written with the other sign is the same rotation: the
  // exact target alone, drawn once.
  ViewState same;
  same.orientation[3] = 1.0f;
  const std::vector<ViewState> once = PlanStandardView(same, kViewFront);
  ASSERT_EQ(once.size(), 1u);
  EXPECT_EQ(once[0].orientation[3], -1.0f);
  // Halfway between two rotations, and a quaternion without length is not
  // interpolated into NaN.
  const float a[4] = {0, 0, 0, 1}, b[4] = {0, 0, 1, 0}, zero[4] = {0, 0, 0, 0};
  float q[4];
  InterpolateRotation(a, b, 0.5f, q);
  EXPECT_NEAR(q[2], 0.70710677f, 1e-6f);
  EXPECT_NEAR(q[3], 0.70710677f, 1e-6f);
  InterpolateRotation(zero, b, 0.25f, q);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(q[k], 0.0f);
}

TEST(AnimatedMoves, FrontFromStartIsNoMove) {
  ViewState v;
  ResetOrientation(v);
  EXPECT_TRUE(PlanStandardView(v, kViewFront).empty());
  // The matrix of the start orientation is the identity.
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(v.rotation_matrix[i], (i % 5 == 0) ? 1.0f : 0.0f);
}

}  // namespace
}  // namespace kv
