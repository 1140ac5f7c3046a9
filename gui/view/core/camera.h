#pragma once
// The orthographic camera of the 3D view: view state, projection box, the
// quaternion trackball, mouse motions and the animated camera moves.
//
// Everything here is plain arithmetic on a ViewState; the OpenGL layer applies
// the results (gui/view/gl). Window coordinates are pixels with y downwards;
// model coordinates are metres (model units).

#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// Camera modes while a key or a button is held.
enum CameraMode : int {
  kCameraNone = 0,
  kCameraPan = 1,
  kCameraRotate = 2,
  kCameraZoom = 3,
  kCameraZoomWindowDrag = 4,
  kCameraSelectionBoxDrag = 5,
};

// The seven standard views of the View menu, in menu order.
enum StandardViewKind : int {
  kViewFront = 0,
  kViewBack,
  kViewLeft,
  kViewRight,
  kViewTop,
  kViewBottom,
  kViewIsometric,
};

// Compositions of trackball increments between two renormalisations.
inline constexpr int kCompositionsBeforeRenormalise = 98;
// Every animated camera move runs over this many steps.
inline constexpr int kAnimationSteps = 25;

struct ViewState {
  float half_size = 1.0f;                  // half the visible extent along the shorter side (model units)
  float depth = 1.0f;                      // near and far planes at -depth and +depth
  float model_centre[3] = {0, 0, 0};       // centre of the clamped bounding box
  float model_size = 0.0f;                 // diagonal of the clamped bounding box
  float centre_shift[3] = {0, 0, 0};       // translation after the rotation
  float pan[3] = {0, 0, 0};                // translation before the rotation (z stays 0)
  float orientation[4] = {0, 0, 0, -1};    // unit quaternion x, y, z, w
  float rotation_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float light_position[4] = {0, 0, 0, 1};  // light 0 in camera space
  int viewport_width = 0;                  // framebuffer pixels (DevicePixels)
  int viewport_height = 0;                 // framebuffer pixels
  float visible_width = 2.0f;              // model units, set by ComputeProjection
  float visible_height = 2.0f;
  int camera_mode = kCameraNone;
  int last_mouse[2] = {0, 0};
  int press_point[2] = {0, 0};
  int current_point[2] = {0, 0};
  int composition_count = 0;
  bool lists_valid = false;                // false: drawing tables and lists rebuilt on the next redraw
};

// The orthographic box handed to glOrtho.
struct ProjectionBox {
  float left = -1, right = 1, bottom = -1, top = 1, near_plane = -1, far_plane = 1;
};

// Computes the projection box for the viewport of `view` and stores the
// visible extent (visible_width, visible_height) in `view`.
// Returns false, leaving everything unchanged, when the viewport has a zero or
// negative width or height (a window shrunk to nothing).
bool ComputeProjection(ViewState& view, ProjectionBox* box);

// Framebuffer pixels of `logical` window pixels on a screen of device pixel
// ratio `ratio` (2 on a screen scaled to twice the size), rounded to the
// nearest pixel as the window system sizes the framebuffer. The view works in
// framebuffer pixels throughout (viewport, projection, picks, read-back), so
// window sizes and mouse positions pass through here first. A ratio that is
// not a positive finite number counts as 1.
int DevicePixels(double logical, double ratio);

// Computes model_centre and model_size from the nodes: the bounding box with
// each minimum raised to -10 and each maximum lowered to 10, its midpoint and
// its diagonal. A model without nodes leaves the extent unchanged.
void ComputeModelExtent(ViewState& view, const MeshModel& model);

// orientation := no rotation (0, 0, 0, -1); half_size := 1; rotation matrix rebuilt.
void ResetOrientation(ViewState& view);

// Frames the model: pan := 0, depth := model_size, half_size := depth / 2
// (1 when that is 0), centre_shift := -model_centre, light z := 5 model_size.
void FrameModel(ViewState& view);

// Trackball increment (quaternion x, y, z, w) that turns the virtual ball of
// radius 1 from point 1 to point 2, both in normalised window coordinates
// (-1..1, y upwards). Equal points give no rotation (0, 0, 0, 1).
void TrackballIncrement(float p1x, float p1y, float p2x, float p2y, float increment[4]);

// Normalised window coordinates of a pixel: x = (2 px - W) / W, y = (H - 2 py) / H.
void NormalisedPoint(const ViewState& view, int px, int py, float* x, float* y);

// Composes `increment` with the current orientation (increment applied after
// it), rebuilds the rotation matrix, and after every 98th composition scales
// the quaternion back to unit length.
void ComposeRotation(ViewState& view, const float increment[4]);

// The 16 values of the rotation of quaternion q, in the order glMultMatrixf takes them.
void BuildRotationMatrix(const float q[4], float matrix[16]);

// One mouse step of the camera (mode kCameraPan, kCameraRotate or kCameraZoom;
// other modes do nothing). Pixels are signed: the mouse may be outside the
// window while captured. Zoom keeps the half size positive.
void ApplyCameraMotion(ViewState& view, int mode, int old_x, int new_x, int old_y, int new_y);

// Animated moves. Each returns the view states to draw one after another; an
// empty list means there is nothing to do. The last state is the end of the move.

// Zoom so that the box (x0, y0)-(x1, y1) in window pixels fills the window:
// 25 states. A box of 5 pixels or less in either direction gives no states.
std::vector<ViewState> PlanZoomWindow(const ViewState& view, int x0, int y0, int x1, int y1);

// Back to the framed model: 24 intermediate states and the exact framing.
std::vector<ViewState> PlanZoomAll(const ViewState& view);

// Brings `point` (model units) to the centre of rotation: 25 states, the last
// one with centre_shift = -point and pan = 0 up to rounding.
std::vector<ViewState> PlanRotationCentre(const ViewState& view, const float point[3]);

// Turns to a standard view: 24 intermediate states that turn by equal angles
// about one axis, the shorter way, and the exact target. Already there
// (orientation equal to the target): no states; the same rotation written
// with the opposite sign: the exact target alone.
std::vector<ViewState> PlanStandardView(const ViewState& view, int which);

// Angle in radians (0..pi) of the rotation from orientation a to b, the
// shorter way (q and -q are one rotation). False when either has no length.
bool QuaternionAngle(const float a[4], const float b[4], float* radians);

// Orientation at fraction t (0..1) of the even turn from a to b the shorter
// way (spherical interpolation), as a unit quaternion. Quaternions without
// length are not interpolated: a below t = 0.5, b from there.
void InterpolateRotation(const float a[4], const float b[4], float t, float q[4]);

// Target orientation (x, y, z, w) of a standard view.
void StandardViewTarget(int which, float target[4]);

}  // namespace kv
