#include "gui/view/core/camera.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {
namespace {

// Radius of the virtual trackball in normalised window coordinates.
constexpr float kBallRadius = 1.0f;
// Smallest half size a zoom step may leave (model units); keeps the box non-empty.
constexpr float kMinHalfSizeFraction = 1e-3f;
// Zoom-window boxes of this many pixels or fewer are taken as a click.
constexpr int kZoomBoxMinPixels = 5;

// Height of a point on the ball: the sphere near the centre, a hyperbolic sheet
// outside r / sqrt(2), so that points off the ball still turn smoothly.
float ProjectToBall(float r, float x, float y) {
  const float d = std::sqrt(x * x + y * y);
  if (d < r * 0.70710677f) return std::sqrt(r * r - d * d);
  const float t = r / 1.4142135f;
  return t * t / d;
}

// Below this angle (radians) two orientations count as the same rotation.
constexpr float kSameRotationRadians = 1e-5f;

// Unit copy of quaternion q; false when q has no length (or is not finite).
bool UnitQuaternion(const float q[4], double unit[4]) {
  double n2 = 0;
  for (int k = 0; k < 4; ++k) n2 += static_cast<double>(q[k]) * q[k];
  if (!(n2 > 0) || !std::isfinite(n2)) return false;
  const double n = std::sqrt(n2);
  for (int k = 0; k < 4; ++k) unit[k] = q[k] / n;
  return true;
}

}  // namespace

bool QuaternionAngle(const float a[4], const float b[4], float* radians) {
  double ua[4], ub[4];
  if (!UnitQuaternion(a, ua) || !UnitQuaternion(b, ub)) return false;
  double dot = 0;
  for (int k = 0; k < 4; ++k) dot += ua[k] * ub[k];
  // q and -q are the same rotation: the angle of the shorter way.
  *radians = static_cast<float>(2.0 * std::acos(std::min(1.0, std::fabs(dot))));
  return true;
}

void InterpolateRotation(const float a[4], const float b[4], float t, float q[4]) {
  double ua[4], ub[4];
  if (!UnitQuaternion(a, ua) || !UnitQuaternion(b, ub)) {
    for (int k = 0; k < 4; ++k) q[k] = t < 0.5f ? a[k] : b[k];
    return;
  }
  double dot = 0;
  for (int k = 0; k < 4; ++k) dot += ua[k] * ub[k];
  // Turn the shorter way: b and -b are the same rotation.
  if (dot < 0) {
    for (int k = 0; k < 4; ++k) ub[k] = -ub[k];
    dot = -dot;
  }
  const double half = std::acos(std::min(1.0, dot));  // half the rotation angle
  double wa = 1.0 - t, wb = t;
  if (std::sin(half) > 1e-6) {
    wa = std::sin((1.0 - t) * half) / std::sin(half);
    wb = std::sin(t * half) / std::sin(half);
  }
  double r[4], n2 = 0;
  for (int k = 0; k < 4; ++k) {
    r[k] = wa * ua[k] + wb * ub[k];
    n2 += r[k] * r[k];
  }
  const double n = std::sqrt(n2);
  for (int k = 0; k < 4; ++k) q[k] = static_cast<float>(n > 0 ? r[k] / n : ua[k]);
}

int DevicePixels(double logical, double ratio) {
  if (!(ratio > 0) || !std::isfinite(ratio)) ratio = 1.0;
  const double pixels = std::round(logical * ratio);
  if (!std::isfinite(pixels)) return 0;
  // Far outside any window (a captured mouse): keep within int.
  return static_cast<int>(std::clamp(pixels, -1.0e9, 1.0e9));
}

bool ComputeProjection(ViewState& view, ProjectionBox* box) {
  const int w = view.viewport_width;
  const int h = view.viewport_height;
  if (w <= 0 || h <= 0) return false;
  const float s = view.half_size;
  ProjectionBox b;
  // The shorter window side shows 2 s; the longer one in proportion.
  if (w >= h) {
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    b.left = -s * aspect;
    b.right = s * aspect;
    b.bottom = -s;
    b.top = s;
    view.visible_width = 2 * s * aspect;
    view.visible_height = 2 * s;
  } else {
    const float aspect = static_cast<float>(h) / static_cast<float>(w);
    b.left = -s;
    b.right = s;
    b.bottom = -s * aspect;
    b.top = s * aspect;
    view.visible_width = 2 * s;
    view.visible_height = 2 * s * aspect;
  }
  b.near_plane = -view.depth;
  b.far_plane = view.depth;
  if (box) *box = b;
  return true;
}

void ComputeModelExtent(ViewState& view, const MeshModel& model) {
  if (model.nodes.empty()) return;
  float lo[3] = {model.nodes[0].x, model.nodes[0].y, model.nodes[0].z};
  float hi[3] = {lo[0], lo[1], lo[2]};
  for (const Node& n : model.nodes) {
    const float p[3] = {n.x, n.y, n.z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  // The box is limited to [-10, 10] on each axis (a stray far node must not
  // shrink the model to a dot); centre is its midpoint, size its diagonal.
  float diag2 = 0;
  for (int k = 0; k < 3; ++k) {
    lo[k] = std::max(lo[k], -10.0f);
    hi[k] = std::min(hi[k], 10.0f);
    view.model_centre[k] = 0.5f * (lo[k] + hi[k]);
    diag2 += (hi[k] - lo[k]) * (hi[k] - lo[k]);
  }
  view.model_size = std::sqrt(diag2);
}

void ResetOrientation(ViewState& view) {
  view.orientation[0] = 0;
  view.orientation[1] = 0;
  view.orientation[2] = 0;
  view.orientation[3] = -1;
  view.half_size = 1.0f;
  BuildRotationMatrix(view.orientation, view.rotation_matrix);
}

void FrameModel(ViewState& view) {
  view.pan[0] = view.pan[1] = view.pan[2] = 0;
  view.depth = view.model_size;
  view.half_size = view.depth * 0.5f;
  if (view.half_size == 0) view.half_size = 1.0f;
  // A model without extent still needs a non-empty depth range.
  if (view.depth == 0) view.depth = 1.0f;
  for (int k = 0; k < 3; ++k) view.centre_shift[k] = -view.model_centre[k];
  view.light_position[0] = 0;
  view.light_position[1] = 0;
  view.light_position[2] = view.model_size * 5.0f;
  view.light_position[3] = 1;
}

void NormalisedPoint(const ViewState& view, int px, int py, float* x, float* y) {
  const float w = static_cast<float>(std::max(view.viewport_width, 1));
  const float h = static_cast<float>(std::max(view.viewport_height, 1));
  *x = (2.0f * px - w) / w;
  *y = (h - 2.0f * py) / h;
}

void TrackballIncrement(float p1x, float p1y, float p2x, float p2y, float q[4]) {
  if (p1x == p2x && p1y == p2y) {
    q[0] = q[1] = q[2] = 0;
    q[3] = 1;
    return;
  }
  // Lift both points onto the ball.
  const float a[3] = {p1x, p1y, ProjectToBall(kBallRadius, p1x, p1y)};
  const float b[3] = {p2x, p2y, ProjectToBall(kBallRadius, p2x, p2y)};
  // Axis = p2 x p1.
  float axis[3] = {b[1] * a[2] - b[2] * a[1], b[2] * a[0] - b[0] * a[2], b[0] * a[1] - b[1] * a[0]};
  // Angle phi = 2 asin(|p1 - p2| / 2r), t clamped to [-1, 1].
  const float d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  float t = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) / (2.0f * kBallRadius);
  t = std::clamp(t, -1.0f, 1.0f);
  const float phi = 2.0f * std::asin(t);
  // q = (axis / |axis| sin(phi / 2), cos(phi / 2)).
  const float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const float s = std::sin(phi / 2.0f);
  for (int k = 0; k < 3; ++k) q[k] = len > 0 ? axis[k] / len * s : 0.0f;
  q[3] = std::cos(phi / 2.0f);
}

void BuildRotationMatrix(const float q[4], float m[16]) {
  const float x = q[0], y = q[1], z = q[2], w = q[3];
  m[0] = 1 - 2 * (y * y + z * z);
  m[1] = 2 * (x * y - z * w);
  m[2] = 2 * (z * x + y * w);
  m[3] = 0;
  m[4] = 2 * (x * y + z * w);
  m[5] = 1 - 2 * (z * z + x * x);
  m[6] = 2 * (y * z - x * w);
  m[7] = 0;
  m[8] = 2 * (z * x - y * w);
  m[9] = 2 * (y * z + x * w);
  m[10] = 1 - 2 * (y * y + x * x);
  m[11] = 0;
  m[12] = 0;
  m[13] = 0;
  m[14] = 0;
  m[15] = 1;
}

void ComposeRotation(ViewState& view, const float a[4]) {
  const float* b = view.orientation;
  // Quaternion product a * b: vector part a.v b.w + b.v a.w + b.v x a.v, scalar a.w b.w - a.v . b.v.
  float r[4];
  r[0] = a[0] * b[3] + b[0] * a[3] + (b[1] * a[2] - b[2] * a[1]);
  r[1] = a[1] * b[3] + b[1] * a[3] + (b[2] * a[0] - b[0] * a[2]);
  r[2] = a[2] * b[3] + b[2] * a[3] + (b[0] * a[1] - b[1] * a[0]);
  r[3] = a[3] * b[3] - (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
  for (int k = 0; k < 4; ++k) view.orientation[k] = r[k];
  // Rounding lets |q| drift from 1; every 98 compositions scale q by 1 / |q|.
  if (++view.composition_count >= kCompositionsBeforeRenormalise) {
    const float norm = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2] + r[3] * r[3]);
    if (norm > 0) {
      for (int k = 0; k < 4; ++k) view.orientation[k] = r[k] / norm;
    }
    view.composition_count = 0;
  }
  BuildRotationMatrix(view.orientation, view.rotation_matrix);
}

void ApplyCameraMotion(ViewState& view, int mode, int old_x, int new_x, int old_y, int new_y) {
  const int w = view.viewport_width;
  const int h = view.viewport_height;
  if (w <= 0 || h <= 0) return;
  const float dy = static_cast<float>(new_y - old_y);
  switch (mode) {
    case kCameraPan:
      // Pixels to model units through the visible extent.
      view.pan[0] -= static_cast<float>(old_x - new_x) * view.visible_width / static_cast<float>(w);
      view.pan[1] -= dy * view.visible_height / static_cast<float>(h);
      break;
    case kCameraRotate: {
      float p1[2], p2[2], q[4];
      NormalisedPoint(view, old_x, old_y, &p1[0], &p1[1]);
      NormalisedPoint(view, new_x, new_y, &p2[0], &p2[1]);
      TrackballIncrement(p1[0], p1[1], p2[0], p2[1], q);
      ComposeRotation(view, q);
      break;
    }
    case kCameraZoom: {
      // s -= dy s / H: moving down zooms in. A step of a window height or more
      // would turn the box inside out; the size stays at least a thousandth.
      const float next = view.half_size - dy * view.half_size / static_cast<float>(h);
      view.half_size = std::max(next, view.half_size * kMinHalfSizeFraction);
      ComputeProjection(view, nullptr);
      break;
    }
    default:
      break;
  }
}

std::vector<ViewState> PlanZoomWindow(const ViewState& view, int x0, int y0, int x1, int y1) {
  std::vector<ViewState> states;
  const int w = view.viewport_width;
  const int h = view.viewport_height;
  const int dx = std::abs(x1 - x0);
  const int dy = std::abs(y1 - y0);
  if (w <= 0 || h <= 0 || dx <= kZoomBoxMinPixels || dy <= kZoomBoxMinPixels) return states;
  const float s = view.half_size;
  // Target half size: the longer box side fills its window side.
  const float target = dx > dy ? static_cast<float>(dx) * s / static_cast<float>(w)
                               : static_cast<float>(dy) * s / static_cast<float>(h);
  const float size_step = (target - s) / kAnimationSteps;
  // Pan steps that bring the box centre to the window centre.
  const float pan_x = view.visible_width / static_cast<float>(w) *
                      (static_cast<float>(w) / 2 - static_cast<float>(x0 + x1) / 2) / kAnimationSteps;
  const float pan_y = view.visible_height / static_cast<float>(h) *
                      (static_cast<float>(y0 + y1) / 2 - static_cast<float>(h) / 2) / kAnimationSteps;
  ViewState v = view;
  for (int i = 0; i < kAnimationSteps; ++i) {
    v.half_size += size_step;
    v.pan[0] += pan_x;
    v.pan[1] += pan_y;
    ComputeProjection(v, nullptr);
    states.push_back(v);
  }
  return states;
}

std::vector<ViewState> PlanZoomAll(const ViewState& view) {
  std::vector<ViewState> states;
  ViewState v = view;
  v.depth = v.model_size;
  // Steps toward the framed view: half size to depth / 2, pan to 0, shift to -centre.
  float target_half = v.depth * 0.5f;
  if (target_half == 0) target_half = 1.0f;
  const float size_step = (target_half - v.half_size) / kAnimationSteps;
  float pan_step[3], shift_step[3];
  for (int k = 0; k < 3; ++k) {
    pan_step[k] = -v.pan[k] / kAnimationSteps;
    shift_step[k] = (-v.model_centre[k] - v.centre_shift[k]) / kAnimationSteps;
  }
  if (v.depth == 0) v.depth = 1.0f;
  for (int i = 1; i < kAnimationSteps; ++i) {
    v.half_size += size_step;
    for (int k = 0; k < 3; ++k) {
      v.pan[k] += pan_step[k];
      v.centre_shift[k] += shift_step[k];
    }
    ComputeProjection(v, nullptr);
    states.push_back(v);
  }
  // The end values exactly.
  FrameModel(v);
  ComputeProjection(v, nullptr);
  states.push_back(v);
  return states;
}

std::vector<ViewState> PlanRotationCentre(const ViewState& view, const float point[3]) {
  std::vector<ViewState> states;
  ViewState v = view;
  float shift_step[3], pan_step[3];
  for (int k = 0; k < 3; ++k) {
    shift_step[k] = (-point[k] - v.centre_shift[k]) / kAnimationSteps;
    pan_step[k] = -v.pan[k] / kAnimationSteps;
  }
  for (int i = 0; i < kAnimationSteps; ++i) {
    for (int k = 0; k < 3; ++k) {
      v.centre_shift[k] += shift_step[k];
      v.pan[k] += pan_step[k];
    }
    states.push_back(v);
  }
  return states;
}

void StandardViewTarget(int which, float t[4]) {
  static const float kTargets[7][4] = {
      {0, 0, 0, -1},                              // Front
      {0, -1, 0, 0},                              // Back
      {0, -0.70710677f, 0, 0.70710677f},          // Left
      {0, 0.70710677f, 0, 0.70710677f},           // Right
      {-0.70710677f, 0, 0, 0.70710677f},          // Top
      {0.70710677f, 0, 0, 0.70710677f},           // Bottom
      {0.359f, 0.1553f, 0.3532f, 0.8499f},        // Isometric
  };
  const int i = (which >= kViewFront && which <= kViewIsometric) ? which : kViewFront;
  for (int k = 0; k < 4; ++k) t[k] = kTargets[i][k];
}

std::vector<ViewState> PlanStandardView(const ViewState& view, int which) {
  std::vector<ViewState> states;
  float target[4];
  StandardViewTarget(which, target);
  const float* from = view.orientation;
  if (from[0] == target[0] && from[1] == target[1] && from[2] == target[2] && from[3] == target[3]) return states;
  ViewState v = view;
  float rotation = 0;
  if (QuaternionAngle(from, target, &rotation) && rotation > kSameRotationRadians) {
    // Intermediate states turn by equal angles about one axis. Stepping three
    // components linearly and deriving the fourth from the unit length would
    // turn a quarter turn by some 40 degrees in the first and in the last
    // step and wander about other axes in between: the model would jump.
    for (int i = 1; i < kAnimationSteps; ++i) {
      InterpolateRotation(from, target, static_cast<float>(i) / kAnimationSteps, v.orientation);
      BuildRotationMatrix(v.orientation, v.rotation_matrix);
      states.push_back(v);
    }
  }
  // The exact target last (also when the start was the same rotation with
  // the opposite sign, so that choosing the view again does nothing).
  for (int k = 0; k < 4; ++k) v.orientation[k] = target[k];
  v.composition_count = view.composition_count;
  BuildRotationMatrix(v.orientation, v.rotation_matrix);
  states.push_back(v);
  return states;
}

}  // namespace kv
