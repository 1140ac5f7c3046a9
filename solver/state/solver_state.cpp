#include "solver/state/solver_state.h"

#include <new>

namespace kv {

namespace {

// Number of plain per-node and per-element arrays of 4-byte values, and of
// tables by layer, as laid out in SolverState.
constexpr int64_t kNodeArrays = 10;     // nine float arrays and the hot-runner flag
constexpr int64_t kElementArrays = 7;   // six float arrays and the active flag
constexpr int64_t kNodeTables = 2;
constexpr int64_t kElementTables = 5;

}  // namespace

int64_t SolverStateBytes(int node_count, int element_count, int layers) {
  const int points = layers + 1;
  const int64_t nodes = node_count, elements = element_count;
  return kNodeArrays * 4 * nodes + kElementArrays * 4 * elements + 2 * elements +
         kNodeTables * LayerTableBytes(node_count, points) +
         kElementTables * LayerTableBytes(element_count, points);
}

int AllocateSolverState(SolverState& state, MemoryAccount& account, int node_count,
                        int element_count, int layers) {
  state = SolverState{};
  if (node_count < 0 || element_count < 0 || layers < 1) return 0;
  const int points = layers + 1;
  const int64_t needed = SolverStateBytes(node_count, element_count, layers);
  if (needed > account.limit - account.bytes) return 0;
  try {
    state.zeta.resize(points);
    state.dzeta.resize(points);
    for (int k = 0; k < points; ++k) {
      // zeta_k = k / L, dzeta_k = zeta_k - zeta_(k-1).
      state.zeta[k] = static_cast<float>(k) / static_cast<float>(layers);
      state.dzeta[k] = k == 0 ? 0.0f : state.zeta[k] - state.zeta[k - 1];
    }
    const size_t n = static_cast<size_t>(node_count), e = static_cast<size_t>(element_count);
    state.pressure.assign(n, 0.0f);
    state.pressure_before.assign(n, 0.0f);
    state.flow_rate.assign(n, 0.0f);
    state.fill_state.assign(n, 0.0f);
    state.fill_time.assign(n, 0.0f);
    state.node_volume.assign(n, 0.0f);
    state.front_inflow.assign(n, 0.0f);
    state.node_wall_temperature.assign(n, 0.0f);
    state.node_wall_heat.assign(n, 0.0f);
    state.hot_runner.assign(n, 0);
    state.wall_temperature.assign(e, 0.0f);
    state.frozen_fraction.assign(e, 0.0f);
    state.velocity_x.assign(e, 0.0f);
    state.velocity_y.assign(e, 0.0f);
    state.velocity_z.assign(e, 0.0f);
    state.completely_filled.assign(e, 0);
    state.wall_heat.assign(e, 0.0f);
    state.active.assign(e, 1);
  } catch (const std::bad_alloc&) {
    state = SolverState{};
    return 0;
  }
  if (!AllocateLayerTable(state.node_temperature, node_count, points) ||
      !AllocateLayerTable(state.node_temperature_previous, node_count, points) ||
      !AllocateLayerTable(state.temperature, element_count, points) ||
      !AllocateLayerTable(state.viscosity, element_count, points) ||
      !AllocateLayerTable(state.shear_rate, element_count, points) ||
      !AllocateLayerTable(state.profile_x, element_count, points) ||
      !AllocateLayerTable(state.profile_y, element_count, points)) {
    state = SolverState{};
    return 0;
  }
  state.node_count = node_count;
  state.element_count = element_count;
  state.layers = layers;
  account.bytes += needed;
  return 1;
}

void ReleaseSolverState(SolverState& state, MemoryAccount& account) {
  if (state.layers >= 1) {
    account.bytes -= SolverStateBytes(state.node_count, state.element_count, state.layers);
  }
  state = SolverState{};
}

}  // namespace kv
