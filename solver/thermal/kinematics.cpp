#include "solver/thermal/kinematics.h"

#include <algorithm>
#include <cmath>

#include "common/geometry/categories.h"
#include "common/geometry/element_geometry.h"
#include "common/geometry/vec3.h"
#include "solver/matrix/parallel.h"
#include "solver/thermal/fluidity.h"
#include "solver/thermal/material_model.h"

namespace kv {

namespace {

float Limit1(double v) { return static_cast<float>(std::clamp(v, -1.0, 1.0)); }

bool Frozen(float eta) { return std::fabs(eta - kFrozenViscosity) < 1.0f; }

bool ElementFilled(const SolverState& state, const Element& element) {
  for (int i = 0; i < element.node_count; ++i) {
    if (state.fill_state[element.nodes[i]] < 1.0f) return false;
  }
  return true;
}

}  // namespace

bool ElementPressureGradient(const SolverState& state, const Element& element, double* gx, double* gy) {
  *gx = *gy = 0;
  const int* n = element.nodes;
  if (IsRunnerCategory(element.category)) {
    const double length = std::max(double{element.length}, 1e-25);
    *gx = (static_cast<double>(state.pressure[n[1]]) - state.pressure[n[0]]) / length;
    return true;
  }
  if (element.category != kPartSurface && element.category != kPartDualSurface) return false;
  const double x2 = element.local[0], y3 = element.local[1], x3 = element.local[2];
  if (!(x2 > 0) || !(y3 > 0)) return false;
  // gx = (p2 - p1) / x2, gy = (p3 - (x3 gx + p1)) / y3: gradient of the linear field.
  *gx = (static_cast<double>(state.pressure[n[1]]) - state.pressure[n[0]]) / x2;
  *gy = (static_cast<double>(state.pressure[n[2]]) - (x3 * *gx + state.pressure[n[0]])) / y3;
  return true;
}

namespace {

// The rows element e's kinematics writes.
struct ElementRows {
  const float* eta;
  float* px;
  float* py;
  float* gamma;
};

// Runner: g = (p2 - p1) / l along the axis, mean velocity u = -(S/R) g along
// it, Poiseuille profile u(r) = 2 u_mean (1 - r^2/R^2).
void RunnerKinematics(SolverState& state, const MeshModel& mesh, const Element& element, int e, double S,
                      const ElementRows& r) {
  const int L = state.layers;
  const double R = std::max(element.diameter / 2.0, 1e-25);
  const double length = std::max(double{element.length}, 1e-25);
  double g = 0, across = 0;  // a runner has no gradient across its axis
  ElementPressureGradient(state, element, &g, &across);
  const float u = Limit1(-(S / R) * g);
  const Vec3 axis = Sub(mesh.nodes[element.nodes[1]], mesh.nodes[element.nodes[0]]);
  state.velocity_x[e] = static_cast<float>(u * axis.x / length);
  state.velocity_y[e] = static_cast<float>(u * axis.y / length);
  state.velocity_z[e] = static_cast<float>(u * axis.z / length);
  for (int k = 0; k <= L; ++k) {
    const double z = state.zeta[k] * R;
    r.px[k] = Frozen(r.eta[k]) ? 0.0f : static_cast<float>(2.0 * S * g * (z * z - R * R) / (R * R * R));
    r.py[k] = 0;
  }
  r.gamma[0] = 0;
  for (int k = 1; k <= L; ++k) {
    r.gamma[k] = static_cast<float>(std::fabs(r.px[k] - r.px[k - 1]) / (state.dzeta[k] * R));
  }
}

// Triangle of a gap of half-width b: mean velocity -(S/b) grad p in the
// element's plane, turned into global axes; parabolic Hele-Shaw profile
// u(z) = 1.5 u_mean (1 - z^2/b^2) per component.
void TriangleKinematics(SolverState& state, const MeshModel& mesh, const Element& element, int e, double S,
                        const ElementRows& r) {
  const int L = state.layers;
  const double b = ElementHalfGap(element);
  double gx = 0, gy = 0;
  double dir1[3] = {1, 0, 0}, dir2[3] = {0, 1, 0};
  if (!ElementPressureGradient(state, element, &gx, &gy) || !TriangleFrame(mesh, element, dir1, dir2)) return;
  const double ux = Limit1(-(S / b) * gx);
  const double uy = Limit1(-(S / b) * gy);
  // Local velocity (ux, uy) turned into global axes: ux e1 + uy e2.
  state.velocity_x[e] = static_cast<float>(ux * dir1[0] + uy * dir2[0]);
  state.velocity_y[e] = static_cast<float>(ux * dir1[1] + uy * dir2[1]);
  state.velocity_z[e] = static_cast<float>(ux * dir1[2] + uy * dir2[2]);
  for (int k = 0; k <= L; ++k) {
    const double z = state.zeta[k] * b;
    const double shape = 1.5 * S * (z * z - b * b) / (b * b * b);
    r.px[k] = Frozen(r.eta[k]) ? 0.0f : Limit1(shape * gx);
    r.py[k] = Frozen(r.eta[k]) ? 0.0f : Limit1(shape * gy);
  }
  r.gamma[0] = 0;
  for (int k = 1; k <= L; ++k) {
    const double dx = (r.px[k] - r.px[k - 1]) / (state.dzeta[k] * b);
    const double dy = (r.py[k] - r.py[k - 1]) / (state.dzeta[k] * b);
    r.gamma[k] = static_cast<float>(std::sqrt(dx * dx + dy * dy));
  }
}

// Tetrahedron: Darcy-like flow through the volume, u = -S grad p; the
// profile runs along the gradient as in a gap of half-width b.
void TetrahedronKinematics(SolverState& state, const MeshModel& mesh, const Element& element, int e, double S,
                           const ElementRows& r) {
  const int L = state.layers;
  const double b = element.thickness / 2.0;
  double grad[4][3], volume = 0;
  TetrahedronGradients(mesh, element, grad, &volume);
  if (!(std::fabs(volume) > 0) || !(b > 0)) return;
  double gp[3] = {0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    for (int c = 0; c < 3; ++c) gp[c] += state.pressure[element.nodes[i]] * grad[i][c] / (6.0 * volume);
  }
  const double magnitude = std::sqrt(gp[0] * gp[0] + gp[1] * gp[1] + gp[2] * gp[2]);
  state.velocity_x[e] = Limit1(-S * gp[0]);
  state.velocity_y[e] = Limit1(-S * gp[1]);
  state.velocity_z[e] = Limit1(-S * gp[2]);
  const double mean = std::min(S * magnitude, 1.0);
  for (int k = 0; k <= L; ++k) {
    r.px[k] = Frozen(r.eta[k]) ? 0.0f : Limit1(1.5 * mean * (1.0 - state.zeta[k] * state.zeta[k]));
    r.py[k] = 0;
  }
  r.gamma[0] = 0;
  for (int k = 1; k <= L; ++k) {
    r.gamma[k] = static_cast<float>(std::fabs(r.px[k] - r.px[k - 1]) / (state.dzeta[k] * b));
  }
}

// Velocity, profiles and shear rates of element e, when it is a filled, open
// flow element; writes element e's entries only.
void ElementKinematics(SolverState& state, const MeshModel& mesh, int e) {
  const Element& element = mesh.elements[e];
  if (!IsFlowCategory(element.category) || !state.active[e] || !ElementFilled(state, element)) {
    return;
  }
  const double S = ElementFluidity(state, element, e);
  const ElementRows rows{state.viscosity.Row(e), state.profile_x.Row(e), state.profile_y.Row(e),
                         state.shear_rate.Row(e)};
  if (IsRunnerCategory(element.category)) {
    RunnerKinematics(state, mesh, element, e, S, rows);
  } else if (IsShellCategory(element.category)) {
    TriangleKinematics(state, mesh, element, e, S, rows);
  } else if (element.category == kPartVolume) {
    TetrahedronKinematics(state, mesh, element, e, S, rows);
  }
}

}  // namespace

void UpdateKinematics(SolverState& state, const MeshModel& mesh) {
  // Every element on its own, on the matrix library's fixed chunks: the
  // result does not depend on the thread count.
  ParallelForEach(state.element_count, [&](int e) { ElementKinematics(state, mesh, e); });
}

}  // namespace kv
