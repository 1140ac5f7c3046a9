#include "solver/thermal/result_quantities.h"

#include <cmath>

#include "common/geometry/constants.h"

namespace kv {

namespace {

bool ThermalCategory(int category) {
  return category == kColdRunner || category == kHotRunner || category == kPartRunner ||
         category == kPartSurface || category == kPartDualSurface || category == kPartVolume;
}

bool AllReached(const SolverState& state, const Element& element) {
  for (int v = 0; v < element.node_count; ++v) {
    if (state.fill_state[element.nodes[v]] == -1.0f) return false;
  }
  return true;
}

// Mean over the points of a table row, adding only values within [low, high].
double BoundedMean(const float* values, int points, double low, double high) {
  double sum = 0;
  for (int k = 0; k < points; ++k) {
    if (values[k] >= low && values[k] <= high) sum += values[k];
  }
  return sum / points;
}

// Node field as the mean of element values over the node's elements for which
// `element_value` answers true.
template <typename ElementValue>
EntityField NodeMean(const SolverState& state, const MeshPreparation& prep, ElementValue element_value) {
  EntityField field;
  field.value.assign(state.node_count, 0.0f);
  field.defined.assign(state.node_count, 0);
  for (int i = 0; i < state.node_count; ++i) {
    double sum = 0;
    int count = 0;
    for (int j = prep.element_start[i]; j < prep.element_start[i + 1]; ++j) {
      double v = 0;
      if (!element_value(prep.element_list[j], v)) continue;
      sum += v;
      ++count;
    }
    if (count > 0) {
      field.value[i] = static_cast<float>(sum / count);
      field.defined[i] = 1;
    }
  }
  return field;
}

}  // namespace

EntityField NodeBulkTemperature(const SolverState& state, const MeshModel& mesh,
                                const MeshPreparation& prep, const PolymerData& material) {
  const int points = state.layers + 1;
  const double tw = material.mold_temperature;
  return NodeMean(state, prep, [&](int e, double& v) {
    const Element& element = mesh.elements[e];
    if (!ThermalCategory(element.category)) return false;
    v = AllReached(state, element) ? BoundedMean(state.temperature.Row(e), points, tw, 1000.0) : tw;
    return true;
  });
}

EntityField NodeShearRate(const SolverState& state, const MeshModel& mesh,
                          const MeshPreparation& prep) {
  const int points = state.layers + 1;
  return NodeMean(state, prep, [&](int e, double& v) {
    const Element& element = mesh.elements[e];
    if (!ThermalCategory(element.category) || !AllReached(state, element)) return false;
    v = BoundedMean(state.shear_rate.Row(e), points, 0.0, 1e8);
    return true;
  });
}

EntityField NodeWallShearStress(const SolverState& state, const MeshModel& mesh,
                                const MeshPreparation& prep) {
  const int points = state.layers + 1;
  std::vector<float> stress(points);
  return NodeMean(state, prep, [&](int e, double& v) {
    const Element& element = mesh.elements[e];
    const int c = element.category;
    if ((c != kPartRunner && c != kPartSurface && c != kPartDualSurface && c != kPartVolume) ||
        !AllReached(state, element)) {
      return false;
    }
    const float* eta = state.viscosity.Row(e);
    const float* gamma = state.shear_rate.Row(e);
    // Shear stress tau = eta gamma at each point.
    for (int k = 0; k < points; ++k) stress[k] = eta[k] * gamma[k];
    v = BoundedMean(stress.data(), points, 0.0, 1e8);
    return true;
  });
}

EntityField ElementCoolingTime(const SolverState& state, const MeshModel& mesh,
                               const PolymerData& material) {
  const int points = state.layers + 1;
  EntityField field;
  field.value.assign(state.element_count, 0.0f);
  field.defined.assign(state.element_count, 0);
  const double alpha = material.conductivity / (double{material.melt_density} * material.specific_heat);
  const double tw = material.mold_temperature, te = material.ejection_temperature;
  for (int e = 0; e < state.element_count; ++e) {
    const Element& element = mesh.elements[e];
    double h = 0;
    switch (element.category) {
      case kColdRunner: case kPartRunner: h = element.diameter; break;
      case kPartSurface: case kPartVolume: h = element.thickness; break;
      case kPartDualSurface: h = 2.0 * element.thickness; break;
      default: continue;
    }
    const float* T = state.temperature.Row(e);
    const double tb = element.category == kPartVolume ? T[0] : BoundedMean(T, points, 0.0, 1000.0);
    // Slab cooling, first Fourier mode: t = h^2/(pi^2 alpha) log10(16 (Tb - Tw) / (pi^2 (Te - Tw))).
    double t = 0;
    const double ratio = 16.0 * (tb - tw) / (kCoolingTimePiSquared * (te - tw));
    if (alpha > 0 && ratio > 0 && std::isfinite(ratio)) t = h * h / (kCoolingTimePiSquared * alpha) * std::log10(ratio);
    if (!(t > 0) || !std::isfinite(t)) t = 0;
    field.value[e] = static_cast<float>(t);
    field.defined[e] = 1;
  }
  return field;
}

}  // namespace kv
