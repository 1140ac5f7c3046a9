#include "solver/thermal/material_model.h"

#include <algorithm>
#include <cmath>

#include "common/geometry/categories.h"
#include "solver/matrix/parallel.h"

namespace kv {

double CrossWlfViscosity(const PolymerData& material, double p, double T, double gamma) {
  // In single precision, the precision of the tables it fills: the update
  // evaluates it at every grid point of every filled element in every pass.
  const float pf = static_cast<float>(p), Tf = static_cast<float>(T);
  // T* = D2 + D3 p and A2 = A2~ + D3 p: the pressure shifts the glass transition.
  const float t_star = material.d2 + material.d3 * pf;
  const float a2 = material.a2_tilde + material.d3 * pf;
  // Zero-shear viscosity: WLF shift above T*, D1 at or below.
  float eta0 = material.d1;
  if (Tf > t_star) {
    const float denominator = a2 + (Tf - t_star);
    if (denominator > 0) eta0 = material.d1 * std::exp(-material.a1 * (Tf - t_star) / denominator);
  }
  // Cross shear thinning: eta = eta0 / (1 + (eta0 gamma / tau*)^(1 - n)).
  const float ratio =
      material.tau_star > 0 ? eta0 * static_cast<float>(std::max(gamma, 0.0)) / material.tau_star : 0.0f;
  const float exponent = 1.0f - material.n;
  const float thinning = exponent == 0.0f ? 1.0f : (ratio > 0 ? std::exp(exponent * std::log(ratio)) : 0.0f);
  return eta0 / (1.0f + thinning);
}

float ElementHalfGap(const Element& element) {
  if (IsRunnerCategory(element.category)) return element.diameter / 2;
  switch (element.category) {
    case kPartSurface: case kPartVolume: return element.thickness / 2;
    case kPartDualSurface: return element.thickness > 0 ? element.thickness : 0.001f;
    default: return 0;
  }
}

namespace {

bool AllNodesFilled(const SolverState& state, const Element& element) {
  for (int i = 0; i < element.node_count; ++i) {
    if (state.fill_state[element.nodes[i]] < 1.0f) return false;
  }
  return true;
}

bool AllNodesReached(const SolverState& state, const Element& element) {
  for (int i = 0; i < element.node_count; ++i) {
    if (state.fill_state[element.nodes[i]] == -1.0f) return false;
  }
  return true;
}

}  // namespace

namespace {

// Viscosity of element e from its temperatures, shear rates and pressure;
// writes element e's row only.
void ElementViscosity(SolverState& state, const MeshModel& mesh, const PolymerData& material, int e) {
  const int points = state.layers + 1;
  const Element& element = mesh.elements[e];
  if (!IsFlowCategory(element.category) || !AllNodesFilled(state, element)) return;
  float* eta = state.viscosity.Row(e);
  if (state.frozen_fraction[e] == 1.0f) {
    std::fill(eta, eta + points, kFrozenViscosity);
    return;
  }
  // p = mean of the element's nodal pressures.
  double p = 0;
  for (int i = 0; i < element.node_count; ++i) p += state.pressure[element.nodes[i]];
  p /= element.node_count;
  const float* T = state.temperature.Row(e);
  const float* gamma = state.shear_rate.Row(e);
  for (int k = 0; k < points; ++k) {
    const float fresh = static_cast<float>(
        std::min(CrossWlfViscosity(material, p, T[k], gamma[k]), double{kFrozenViscosity}));
    if (!(eta[k] > 0)) eta[k] = fresh;
    // Move halfway from the stored value towards the new one; the damping keeps
    // the coupled pressure and viscosity fields from oscillating pass to pass.
    if (fresh <= eta[k]) {
      eta[k] = eta[k] * (1.0f - 0.5f * (eta[k] - fresh) / std::fabs(eta[k]));
    } else {
      eta[k] = eta[k] * (1.0f + 0.5f * (fresh - eta[k]) / std::fabs(fresh));
    }
  }
}

}  // namespace

void UpdateViscosity(SolverState& state, const MeshModel& mesh, const PolymerData& material) {
  // Every element on its own, on the matrix library's fixed chunks: the
  // result does not depend on the thread count.
  ParallelForEach(state.element_count, [&](int e) { ElementViscosity(state, mesh, material, e); });
}

float FrozenFractionOfProfile(const float* T, const std::vector<float>& zeta,
                              const std::vector<float>& dzeta, float no_flow_temperature) {
  const int layers = static_cast<int>(zeta.size()) - 1;
  for (int k = 1; k <= layers; ++k) {
    if (!(T[k] < no_flow_temperature)) continue;
    if (k != layers && !(T[k + 1] < no_flow_temperature)) continue;
    // zf = zeta_(k-1) + dzeta_k (Tnf - T_(k-1)) / (T_k - T_(k-1)), in units of b.
    const float span = T[k] - T[k - 1];
    float position = zeta[k - 1];
    if (span != 0) position += dzeta[k] * (no_flow_temperature - T[k - 1]) / span;
    position = std::clamp(position, 0.0f, 1.0f);
    return 1.0f - position;
  }
  return 0.0f;
}

void UpdateFrozenLayer(SolverState& state, const MeshModel& mesh, const PolymerData& material) {
  ParallelForEach(state.element_count, [&](int e) {
    const Element& element = mesh.elements[e];
    if (!IsFlowCategory(element.category) || !AllNodesReached(state, element)) return;
    const float fraction =
        FrozenFractionOfProfile(state.temperature.Row(e), state.zeta, state.dzeta, material.no_flow_temperature);
    state.frozen_fraction[e] = std::max(state.frozen_fraction[e], fraction);
  });
}

}  // namespace kv
