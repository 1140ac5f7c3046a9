#include "solver/thermal/wall_temperature.h"

#include <algorithm>

namespace kv {

void SetWallTemperatures(SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                         const PolymerData& material, const std::vector<float>& cooling) {
  const float tw = material.mold_temperature;
  for (int e = 0; e < state.element_count; ++e) {
    state.wall_temperature[e] =
        static_cast<size_t>(e) < cooling.size() && cooling[e] > 0 ? cooling[e] : tw;
    if (mesh.elements[e].category == kHotRunner) state.wall_temperature[e] = material.melt_temperature;
  }
  for (int i = 0; i < state.node_count; ++i) {
    double sum = 0;
    int count = 0;
    for (int j = prep.element_start[i]; j < prep.element_start[i + 1]; ++j) {
      const int e = prep.element_list[j];
      if (mesh.elements[e].category == kConnector) continue;
      sum += state.wall_temperature[e];
      ++count;
    }
    state.node_wall_temperature[i] = count > 0 ? std::max(static_cast<float>(sum / count), tw) : tw;
  }
}

void AccumulateWallHeat(SolverState& state, const MeshModel& mesh) {
  for (int e = 0; e < state.element_count; ++e) {
    const Element& element = mesh.elements[e];
    if (element.category != kPartSurface && element.category != kPartDualSurface) continue;
    // Each node holds the heat its column sent through one unit of wall; the
    // element's wall is shared equally by its nodes.
    double sum = 0;
    for (int v = 0; v < element.node_count; ++v) sum += state.node_wall_heat[element.nodes[v]];
    state.wall_heat[e] += static_cast<float>(sum / element.node_count);
  }
}

}  // namespace kv
