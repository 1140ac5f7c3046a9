#include "solver/thermal/fluidity.h"

#include <algorithm>

#include "common/geometry/categories.h"
#include "solver/thermal/material_model.h"

namespace kv {

double ElementFluidity(const SolverState& state, const Element& element, int e) {
  constexpr double kFloor = 1e-20;  // keeps a frozen element's conductance positive
  const float* eta = state.viscosity.Row(e);
  const int layers = state.layers;
  if (IsRunnerCategory(element.category)) {
    const double R = std::max(element.diameter / 2.0, 1e-25);
    double sum = kFloor;
    for (int k = 1; k <= layers; ++k) {
      if (!(eta[k - 1] > 0) || !(eta[k] > 0)) continue;
      const double z0 = R * state.zeta[k - 1], z1 = R * state.zeta[k];
      // Trapezoid of r^3 / eta over [r_(k-1), r_k].
      sum += R * state.dzeta[k] * 0.5 * (z0 * z0 * z0 / eta[k - 1] + z1 * z1 * z1 / eta[k]);
    }
    return sum / (2 * R);
  }
  if (IsShellCategory(element.category)) {
    const double b = ElementHalfGap(element);
    double sum = kFloor;
    for (int k = 1; k <= layers; ++k) {
      if (!(eta[k - 1] > 0) || !(eta[k] > 0)) continue;
      const double z0 = b * state.zeta[k - 1], z1 = b * state.zeta[k];
      // Trapezoid of z^2 / eta over [z_(k-1), z_k].
      sum += b * state.dzeta[k] * 0.5 * (z0 * z0 / eta[k - 1] + z1 * z1 / eta[k]);
    }
    return sum;
  }
  if (element.category == kPartVolume) {
    const double b = element.thickness / 2.0;
    double sum = kFloor;
    for (int k = 1; k <= layers; ++k) {
      if (!(eta[k - 1] > 0) || !(eta[k] > 0)) continue;
      sum += b * state.dzeta[k] * 0.25 * (b * state.zeta[k] / eta[k] + b * state.zeta[k - 1] / eta[k - 1]);
    }
    return sum;
  }
  return kFloor;
}

}  // namespace kv
