#include "solver/filling/filling.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "common/geometry/categories.h"
#include "common/geometry/constants.h"
#include "solver/matrix/parallel.h"
#include "solver/matrix/matrix_library.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/vector.h"
#include "solver/thermal/kinematics.h"
#include "solver/thermal/thermal_update.h"
#include "solver/thermal/wall_temperature.h"

namespace kv {

namespace {

constexpr float kStartStep = 1e-4f;           // s, time step of the start-up
constexpr float kConnectorOpen = 0.01f;       // m, connector diameter while pressure drives it
constexpr float kConnectorClosed = 5e-5f;     // m, once the pressure across it vanishes
constexpr double kExtraSubStepTime = 0.001;   // s of filling the cubic rule's extra sub-steps may cover
constexpr int kMaxExtraSubSteps = 1 << 30;    // the volume rule ends passes by time and volume

bool IsFilled(const SolverState& state, int node) { return state.fill_state[node] == 1.0f; }
bool IsEmpty(const SolverState& state, int node) { return state.fill_state[node] == -1.0f; }
bool IsFront(const SolverState& state, int node) {
  return state.fill_state[node] >= 0.0f && state.fill_state[node] < 1.0f;
}

bool AllFilled(const SolverState& state, const Element& element) {
  for (int v = 0; v < element.node_count; ++v) {
    if (!IsFilled(state, element.nodes[v])) return false;
  }
  return true;
}

// Elements of the front work list: active, flow, not completely filled, with a
// filled node.
bool FrontCandidate(const SolverState& state, const MeshModel& mesh, int e) {
  const Element& element = mesh.elements[e];
  if (!state.active[e] || state.completely_filled[e] || !IsFlowCategory(element.category)) return false;
  for (int v = 0; v < element.node_count; ++v) {
    if (IsFilled(state, element.nodes[v])) return true;
  }
  return false;
}

// The front nodes in ascending order. Outside the front advance, fill states
// change only where the front is marked and at the complete fill; both mark
// the list stale, and the front advance rebuilds a stale list and otherwise
// keeps it (fills leave it, growth joins it).
void RebuildFrontNodes(SolverState& state) {
  state.front_nodes.clear();
  for (int i = 0; i < state.node_count; ++i) {
    if (IsFront(state, i)) state.front_nodes.push_back(i);
  }
  state.front_nodes_valid = true;
}

// The candidates are marked in parallel and listed in element order.
void RebuildFrontElements(SolverState& state, const MeshModel& mesh) {
  state.element_flag.resize(state.element_count);
  ParallelForEach(state.element_count, [&](int e) { state.element_flag[e] = FrontCandidate(state, mesh, e); });
  state.front_elements.clear();
  for (int e = 0; e < state.element_count; ++e) {
    if (state.element_flag[e]) state.front_elements.push_back(e);
  }
}

}  // namespace

double InjectionPressureLimit(const SolverInjection& injection) {
  return double{injection.max_pressure} * injection.pressure_ratio;
}

std::vector<GateElements> GateElementsOf(const MeshModel& mesh, const std::vector<ValveGate>& gates) {
  std::vector<GateElements> result;
  std::vector<char> in_gate(mesh.nodes.size(), 0);
  for (const ValveGate& gate : gates) {
    GateElements g;
    g.open = gate.timer[0][0];
    g.close = gate.timer[0][1];
    for (int n : gate.nodes) {
      if (n >= 0 && n < static_cast<int>(in_gate.size())) in_gate[n] = 1;
    }
    for (int e = 0; e < static_cast<int>(mesh.elements.size()); ++e) {
      const Element& element = mesh.elements[e];
      bool inside = element.node_count > 0;
      for (int v = 0; v < element.node_count; ++v) inside = inside && in_gate[element.nodes[v]];
      if (inside) g.elements.push_back(e);
    }
    for (int n : gate.nodes) {
      if (n >= 0 && n < static_cast<int>(in_gate.size())) in_gate[n] = 0;
    }
    result.push_back(std::move(g));
  }
  return result;
}

int UpdateValveGates(SolverState& state, const FillingJob& job, double t) {
  int changed = 0;
  if (!job.valves) return changed;
  for (const GateElements& gate : *job.valves) {
    const int open = gate.open <= t && t <= gate.close ? 1 : 0;
    for (int e : gate.elements) {
      if (e < 0 || e >= state.element_count) continue;
      changed += state.active[e] != open;
      state.active[e] = open;
    }
  }
  return changed;
}

double NextGateOpening(const FillingJob& job, double t) {
  double next = -1;
  if (!job.valves) return next;
  for (const GateElements& gate : *job.valves) {
    if (gate.elements.empty() || !(gate.open > t) || gate.open > gate.close) continue;
    if (next < 0 || gate.open < next) next = gate.open;
  }
  return next;
}

double NextFlowOpening(const FillingJob& job, double t) {
  double next = NextGateOpening(job, t);
  const float open = job.injection->valve_timer[0][0], close = job.injection->valve_timer[0][1];
  if (open > t && open <= close && (next < 0 || open < next)) next = open;
  return next;
}

bool ClosedGateHoldsMelt(const SolverState& state, const FillingJob& job) {
  if (!job.valves) return false;
  for (const GateElements& gate : *job.valves) {
    for (int e : gate.elements) {
      if (e < 0 || e >= state.element_count || state.active[e]) continue;
      const Element& element = job.mesh->elements[e];
      for (int v = 0; v < element.node_count; ++v) {
        if (IsFilled(state, element.nodes[v])) return true;
      }
    }
  }
  return false;
}

float SetInletFlow(SolverState& state, const FillingJob& job, double t, float dt) {
  if (state.control_mode != kVelocityControl) return state.relative_ram_speed;
  SolverInjection& unit = *job.injection;
  // Stroke fraction s = displacement / stroke.
  const float s = unit.stroke > 0 ? unit.ram_displacement / unit.stroke : 0.0f;
  // Speed profile, piecewise linear through (x_k, y_k); 0 before the first
  // point, the segment x3..x4 extended beyond x4.
  float v = 0;
  for (int k = 0; k < 4; ++k) {
    const float x0 = unit.profile[k][0], y0 = unit.profile[k][1];
    const float x1 = unit.profile[k + 1][0], y1 = unit.profile[k + 1][1];
    if (s + 1e-8f <= x0) break;
    // A segment of zero width jumps to its end value instead of dividing by 0.
    v = x1 != x0 ? y0 + (y1 - y0) / (x1 - x0) * (s - x0) : y1;
  }
  float q = v * unit.max_rate;
  if (t < unit.valve_timer[0][0] || t > unit.valve_timer[0][1]) q = 0;
  // Ram speed = Q / (pi D^2 / 4); the ram moves by speed x dt.
  const float bore = kRamSpeedPi * unit.screw_diameter * unit.screw_diameter * 0.25f;
  unit.ram_speed = bore > 0 ? q / bore : 0.0f;
  unit.ram_displacement += unit.ram_speed * dt;
  state.flow_rate[state.inlet] = q;
  state.relative_ram_speed = v;
  return v;
}

void MarkFrontNodes(SolverState& state, const FillingJob& job) {
  const MeshModel& mesh = *job.mesh;
  const int points = state.layers + 1;
  state.front_nodes_valid = false;
  state.fill_state[state.inlet] = 1;
  for (int e = 0; e < state.element_count; ++e) {
    const Element& element = mesh.elements[e];
    if (!IsFlowCategory(element.category)) continue;
    bool touches = false;
    for (int v = 0; v < element.node_count; ++v) touches = touches || IsFilled(state, element.nodes[v]);
    if (!touches) continue;
    for (int v = 0; v < element.node_count; ++v) {
      const int n = element.nodes[v];
      if (!IsEmpty(state, n)) continue;
      state.fill_state[n] = 0;
      float* T = state.node_temperature.Row(n);
      std::fill(T, T + points, job.material->melt_temperature);
    }
  }
}

void InitializeFilling(SolverState& state, const FillingJob& job) {
  MeshModel& mesh = *job.mesh;
  const PolymerData& material = *job.material;
  const int points = state.layers + 1;
  // 1. Ram at rest, valve gates for t = 0.
  job.injection->ram_speed = 0;
  job.injection->ram_displacement = 0;
  UpdateValveGates(state, job, 0.0);
  // 2. Nodes empty, volumes from the mesh preparation, profiles at melt temperature.
  for (int i = 0; i < state.node_count; ++i) {
    state.fill_state[i] = -1;
    state.fill_time[i] = -1;
    state.node_volume[i] = job.prep->control_volume[i];
  }
  FillLayerTable(state.node_temperature, material.melt_temperature);
  FillLayerTable(state.node_temperature_previous, material.melt_temperature);
  // 3. Element tables. The viscosity starts from the melt's own at the melt
  //    temperature and rest (zero shear, zero pressure): a newly reached
  //    element then conducts like the melt from its first pass, rather than
  //    like a far thinner fluid while the halfway update catches up.
  const float start_viscosity = static_cast<float>(
      std::min(CrossWlfViscosity(material, 0.0, material.melt_temperature, 0.0), double{kFrozenViscosity}));
  for (int e = 0; e < state.element_count; ++e) {
    std::fill(state.temperature.Row(e), state.temperature.Row(e) + points, material.melt_temperature);
    std::fill(state.viscosity.Row(e), state.viscosity.Row(e) + points, start_viscosity);
    std::fill(state.shear_rate.Row(e), state.shear_rate.Row(e) + points, 1e-6f);
  }
  // 4. The hot runner is full before injection starts.
  std::fill(state.hot_runner.begin(), state.hot_runner.end(), 0);
  for (int e = 0; e < state.element_count; ++e) {
    const Element& element = mesh.elements[e];
    if (element.category != kHotRunner || !state.active[e]) continue;
    for (int v = 0; v < element.node_count; ++v) {
      state.fill_state[element.nodes[v]] = 1;
      state.hot_runner[element.nodes[v]] = 1;
    }
  }
  // 5. Inlet flow at t = 0 in velocity mode.
  state.time = 0;
  state.time_step = kStartStep;
  state.control_mode = kVelocityControl;
  state.status = 'V';
  state.relative_ram_speed = SetInletFlow(state, job, 0.0, kStartStep);
  // 6. Front, filled volume, inlet fill time.
  MarkFrontNodes(state, job);
  state.filled_volume = static_cast<float>(FilledVolume(state));
  state.fill_time[state.inlet] = 0;
  // 7. Connectors open.
  for (Element& element : mesh.elements) {
    if (element.category == kConnector) element.diameter = kConnectorOpen;
  }
}

void ComputeFrontInflow(SolverState& state, const cs_di* conductance) {
  const int* cp = conductance->p;
  const int* ri = conductance->i;
  const double* cx = conductance->x;
  double total = 0;
  for (int i = 0; i < state.node_count; ++i) {
    state.front_inflow[i] = 0;
    if (!IsFront(state, i) || i >= conductance->n) continue;
    // q_i = |-sum_j K_ij p_j|: the flux the filled neighbours push into node i.
    double sum = 0;
    for (int q = cp[i]; q < cp[i + 1]; ++q) sum += cx[q] * state.pressure[ri[q]];
    state.front_inflow[i] = static_cast<float>(std::fabs(sum));
    total += std::fabs(sum);
  }
  state.flow_rate[state.inlet] = static_cast<float>(total);
}

namespace {

// Time step of one sub-step: until the first front node fills, within
// [1e-6, 0.01] s and at most max_step.
float FrontTimeStep(const SolverState& state, double max_step) {
  double dt = 1.0;
  for (int i : state.front_nodes) {
    if (!(state.front_inflow[i] > 0)) continue;
    dt = std::min(dt, (1.0 - state.fill_state[i]) * state.node_volume[i] / state.front_inflow[i]);
  }
  if (dt >= 0.01) dt = 0.01;
  if (dt > max_step) dt = max_step;
  if (dt <= 1e-6) dt = 1e-6;
  return static_cast<float>(dt);
}

// Fills every front node by its inflow over `step` from time t; a node that
// fills has its fill time set back by the overshoot. Returns the nodes that
// filled, ascending as the front list is.
std::vector<int> FillFrontNodes(SolverState& state, double t, float step) {
  std::vector<int> newly_filled;
  for (int i : state.front_nodes) {
    if (state.fill_state[i] == 0.0f) state.fill_time[i] = static_cast<float>(t);
    if (!(state.node_volume[i] > 0)) {
      state.fill_state[i] = 1;
      newly_filled.push_back(i);
      continue;
    }
    state.fill_state[i] += state.front_inflow[i] / state.node_volume[i] * step;
    if (state.fill_state[i] < 1.0f) {
      state.fill_time[i] += step;
    } else {
      const float overshoot = (state.fill_state[i] - 1.0f) * step;
      if (overshoot < 0.5f * state.fill_time[i]) state.fill_time[i] -= overshoot;
      state.fill_state[i] = 1;
      newly_filled.push_back(i);
    }
  }
  return newly_filled;
}

// Elements of newly filled nodes join the work list, kept ascending: the
// order in which the elements are visited.
void JoinFrontElements(SolverState& state, const FillingJob& job, const std::vector<int>& newly_filled) {
  const MeshPreparation& prep = *job.prep;
  for (int i : newly_filled) {
    for (int j = prep.element_start[i]; j < prep.element_start[i + 1]; ++j) {
      const int e = prep.element_list[j];
      if (FrontCandidate(state, *job.mesh, e)) state.front_elements.push_back(e);
    }
  }
  std::sort(state.front_elements.begin(), state.front_elements.end());
  state.front_elements.erase(std::unique(state.front_elements.begin(), state.front_elements.end()),
                             state.front_elements.end());
}

// Place of `node` in the ascending list `nodes`, -1 when absent.
int IndexIn(const std::vector<int>& nodes, int node) {
  auto it = std::lower_bound(nodes.begin(), nodes.end(), node);
  return it != nodes.end() && *it == node ? static_cast<int>(it - nodes.begin()) : -1;
}

// Who takes over the inflow of the newly filled nodes: pairs (newly filled
// node, receiver) and, per newly filled node, how many successors it counted.
struct InflowHandOn {
  std::vector<std::pair<int, int>> pairs;
  std::vector<int> successors;
};

// Each newly filled node hands its inflow in equal parts to the unfilled
// successors (next node of an element in its cyclic order) it is the first
// to count. A node that counted no successor (they were counted by other
// nodes, or its unfilled neighbours are all predecessors in the cyclic
// order) would drop its inflow, and with it melt the ram has injected: it
// shares with the unfilled nodes of its elements instead.
InflowHandOn ListInflowReceivers(const SolverState& state, const MeshModel& mesh,
                                 const std::vector<int>& newly_filled) {
  InflowHandOn h;
  h.successors.assign(newly_filled.size(), 0);
  std::vector<int> counted_nodes;
  for (int e : state.front_elements) {
    const Element& element = mesh.elements[e];
    for (int v = 0; v < element.node_count; ++v) {
      const int node = element.nodes[v];
      const int which = IndexIn(newly_filled, node);
      if (which < 0) continue;
      const int successor = element.nodes[(v + 1) % element.node_count];
      if (IsFilled(state, successor)) continue;
      if (std::find(counted_nodes.begin(), counted_nodes.end(), successor) != counted_nodes.end()) continue;
      counted_nodes.push_back(successor);
      ++h.successors[which];
      h.pairs.emplace_back(node, successor);
    }
  }
  for (int e : state.front_elements) {
    const Element& element = mesh.elements[e];
    for (int v = 0; v < element.node_count; ++v) {
      const int which = IndexIn(newly_filled, element.nodes[v]);
      if (which < 0 || h.successors[which] > 0) continue;
      for (int w = 0; w < element.node_count; ++w) {
        if (!IsFilled(state, element.nodes[w])) h.pairs.emplace_back(element.nodes[v], element.nodes[w]);
      }
    }
  }
  return h;
}

// Hands the inflow of the newly filled nodes on as listed; a node with no
// receiver at all shares it with the front nodes that still receive melt, so
// that the volume balance holds until the next pressure solve. The filled
// nodes then leave the front list.
void HandOnInflow(SolverState& state, const MeshModel& mesh, const std::vector<int>& newly_filled) {
  const InflowHandOn h = ListInflowReceivers(state, mesh, newly_filled);
  std::vector<int>& front = state.front_nodes;
  std::vector<int> receiving;
  for (int i : front) {
    if (IsFront(state, i) && state.front_inflow[i] > 0) receiving.push_back(i);
  }
  std::vector<float> given(newly_filled.size(), 0.0f);
  for (const auto& [node, successor] : h.pairs) {
    const int which = IndexIn(newly_filled, node);
    if (h.successors[which] == 0) {
      int shares = 0;
      for (const auto& other : h.pairs) shares += other.first == node;
      state.front_inflow[successor] += state.front_inflow[node] / shares;
    } else {
      state.front_inflow[successor] += state.front_inflow[node] / h.successors[which];
    }
    given[which] = 1;
  }
  for (size_t k = 0; k < newly_filled.size(); ++k) {
    if (given[k] != 0 || receiving.empty()) continue;
    const float share = state.front_inflow[newly_filled[k]] / static_cast<float>(receiving.size());
    for (int i : receiving) {
      if (i != newly_filled[k]) state.front_inflow[i] += share;
    }
  }
  for (int i : newly_filled) state.front_inflow[i] = 0;
  front.erase(std::remove_if(front.begin(), front.end(), [&](int i) { return !IsFront(state, i); }), front.end());
}

// Front growth into the empty successors of filled nodes where the filled
// node's bulk temperature is still above no-flow; completely filled elements
// leave the work list. Returns the new front nodes.
std::vector<int> GrowFront(SolverState& state, const FillingJob& job) {
  const MeshModel& mesh = *job.mesh;
  const PolymerData& material = *job.material;
  const int points = state.layers + 1;
  std::vector<int> grown;
  for (int e : state.front_elements) {
    const Element& element = mesh.elements[e];
    if (!state.active[e] || state.completely_filled[e]) continue;
    for (int v = 0; v < element.node_count; ++v) {
      const int node = element.nodes[v];
      const int successor = element.nodes[(v + 1) % element.node_count];
      if (!IsFilled(state, node) || !IsEmpty(state, successor)) continue;
      const float bulk = BulkTemperatureOfProfile(state.node_temperature.Row(node), state.zeta);
      if (bulk > material.no_flow_temperature) {
        state.fill_state[successor] = 0;
        grown.push_back(successor);
        // The new front node's column holds no melt of its own yet: it starts
        // at the melt temperature, the reference against which the thermal
        // update hands it the heat of the melt arriving from upstream.
        float* T = state.node_temperature.Row(successor);
        std::fill(T, T + points, material.melt_temperature);
      }
    }
    if (AllFilled(state, element)) state.completely_filled[e] = 1;
  }
  state.front_elements.erase(
      std::remove_if(state.front_elements.begin(), state.front_elements.end(),
                     [&](int e) { return state.completely_filled[e] != 0; }),
      state.front_elements.end());
  return grown;
}

// New front nodes join the list, kept ascending: the order in which nodes
// fill and hand on their inflow.
void JoinFrontNodes(SolverState& state, const std::vector<int>& grown) {
  state.grown_nodes += static_cast<int64_t>(grown.size());
  if (grown.empty()) return;
  std::vector<int>& front = state.front_nodes;
  front.insert(front.end(), grown.begin(), grown.end());
  std::sort(front.begin(), front.end());
  front.erase(std::unique(front.begin(), front.end()), front.end());
}

}  // namespace

float AdvanceFront(SolverState& state, const FillingJob& job, double t, double max_step) {
  if (!state.front_nodes_valid) RebuildFrontNodes(state);
  // 1. Time step: the first front node to fill.
  const float step = FrontTimeStep(state, max_step);
  // 2. Fill the front nodes.
  const std::vector<int> newly_filled = FillFrontNodes(state, t, step);
  // 3. Newly filled nodes: their elements join the work list, their inflow
  //    goes on to their successors.
  if (!newly_filled.empty()) {
    JoinFrontElements(state, job, newly_filled);
    HandOnInflow(state, *job.mesh, newly_filled);
  }
  // 4. Front growth.
  JoinFrontNodes(state, GrowFront(state, job));
  state.time_step = step;
  return step;
}

double FilledVolume(const SolverState& state) {
  double volume = 0;
  for (int i = 0; i < state.node_count; ++i) {
    if (!IsEmpty(state, i)) volume += double{state.node_volume[i]} * state.fill_state[i];
  }
  return volume;
}

float FilledPercentage(const SolverState& state, const FillingJob& job) {
  if (!(job.injection_volume > 0)) return 100.0f;
  const double percent = (state.filled_volume - job.hot_runner_volume) / job.injection_volume * 100.0;
  return static_cast<float>(std::clamp(percent, 0.0, 100.0));
}

void ComputeClampForce(SolverState& state, const FillingJob& job) {
  const MeshModel& mesh = *job.mesh;
  // Force of each filled element in parallel (-1 for the others), summed in
  // element order.
  state.element_value.resize(state.element_count);
  ParallelForEach(state.element_count, [&](int e) {
    state.element_value[e] = -1;
    const Element& element = mesh.elements[e];
    const int c = element.category;
    if (c != kColdRunner && c != kHotRunner && c != kPartRunner && c != kPartSurface &&
        c != kPartDualSurface && c != kPartVolume) {
      return;
    }
    bool filled = true;
    double p = 0;
    for (int v = 0; v < element.node_count; ++v) {
      filled = filled && state.fill_state[element.nodes[v]] >= 1.0f;
      p += state.pressure[element.nodes[v]];
    }
    if (!filled) return;
    // F_e = projected area x mean pressure; a dual surface carries half.
    double fe = std::fabs(element.projected_area * p / element.node_count);
    if (c == kPartDualSurface) fe *= 0.5;
    state.element_value[e] = fe;
  });
  double force = 0, moment[3] = {0, 0, 0};
  for (int e = 0; e < state.element_count; ++e) {
    const double fe = state.element_value[e];
    if (fe < 0) continue;
    force += fe;
    for (int k = 0; k < 3; ++k) moment[k] += fe * mesh.elements[e].centroid[k];
  }
  state.clamp_force = static_cast<float>(force);
  for (int k = 0; k < 3; ++k) state.clamp_centroid[k] = force > 0 ? static_cast<float>(moment[k] / force) : 0.0f;
}

void UpdateConnectors(SolverState& state, const FillingJob& job) {
  std::vector<Element>& elements = job.mesh->elements;
  ParallelForEach(static_cast<int>(elements.size()), [&](int e) {
    Element& element = elements[e];
    if (element.category != kConnector || element.node_count < 2) return;
    const float dp = std::fabs(state.pressure[element.nodes[0]] - state.pressure[element.nodes[1]]);
    element.diameter = dp >= 0.05f ? kConnectorOpen : kConnectorClosed;
  });
}

void CompleteFill(SolverState& state, double t) {
  state.front_nodes_valid = false;
  for (int i = 0; i < state.node_count; ++i) {
    if (state.fill_state[i] > 0.0f && state.fill_state[i] < 1.0f) {
      state.fill_state[i] = 1;
      state.fill_time[i] = static_cast<float>(t);
    }
  }
}

namespace {

// The fill at the start of a pass, after its pressure solve: melt in the
// mold, the inflow into the front, and the volume left before the switch-over
// (under velocity control, when it is still ahead) or the end of filling.
PassStart PassStartOf(const SolverState& state, const FillingJob& job, float previous_fraction) {
  PassStart start;
  start.filled_volume = state.filled_volume;
  start.inflow = state.flow_rate[state.inlet];
  start.filled_fraction = previous_fraction;
  start.injection_volume = job.injection_volume;
  const double injected = state.filled_volume - job.hot_runner_volume;
  double left = job.injection_volume - injected;
  const double to_switch = job.injection->switch_volume / 100.0 * job.injection_volume - injected;
  if (state.control_mode == kVelocityControl && to_switch > 0) left = std::min(left, to_switch);
  start.volume_left = left;
  return start;
}

// Called after a sub-step, when the front list is current.
bool FrontHasInflow(const SolverState& state) {
  for (int i : state.front_nodes) {
    if (IsFront(state, i) && state.front_inflow[i] > 0) return true;
  }
  return false;
}

// Adds the wall-clock seconds of its scope to one phase of the run's profile.
class PhaseTimer {
 public:
  explicit PhaseTimer(double& total) : total_(total), start_(Now()) {}
  ~PhaseTimer() { total_ += Now() - start_; }
  PhaseTimer(const PhaseTimer&) = delete;
  PhaseTimer& operator=(const PhaseTimer&) = delete;

 private:
  static double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  double& total_;
  double start_;
};

// Assembles the conductance, solves the pressure and computes the front
// inflow. Returns kPassDone, the solve's failure, or kPassOutOfMemory.
int SolveAndInflow(SolverState& state, const FillingJob& job) {
  cs_di conductance;
  bool assembled;
  {
    PhaseTimer timer(state.profile.assembly);
    assembled = AssembleConductanceInPlace(state.conductance, state, job, conductance);
  }
  if (!assembled) return kPassOutOfMemory;
  PhaseTimer timer(state.profile.pressure);
  const int solved = SolvePressure(state, job, &conductance);
  if (solved != kPressureSolved) return solved;
  ComputeFrontInflow(state, &conductance);
  return kPassDone;
}

// Above the injection pressure limit, or with the ram pressing against a
// closed-off region, nothing moves in a pass.
bool HeldBack(const SolverState& state, const FillingJob& job) {
  return state.pressure[state.inlet] > InjectionPressureLimit(*job.injection) || state.inlet_closed_off;
}

// The front sub-steps of one pass, all on the pressure field of its solve:
// the first no longer than the pass rule lets the whole pass be, then as many
// as the rule allows (see pass_rule.h); the cubic rule counts them. Time, ram
// and valve gates follow every sub-step.
void AdvanceFrontOverPass(SolverState& state, const FillingJob& job, float previous_fraction) {
  RebuildFrontElements(state, *job.mesh);
  const PassRule& rule = job.passes;
  const double pass_start = state.time;
  double limit = PassTimeLimit(rule, PassStartOf(state, job, previous_fraction));
  // A pass ends where a closed valve gate or the injection unit's valve timer
  // opens, so that the melt starts to move then and not a pass later.
  const double opens = NextFlowOpening(job, pass_start);
  if (opens > pass_start) limit = std::min(limit, opens - pass_start);
  float dt = AdvanceFront(state, job, state.time, limit);
  state.time += dt;
  // A gate that switches during the first sub-step ends the pass as it does
  // during the extra sub-steps below.
  const bool gate_switched = UpdateValveGates(state, job, state.time) > 0;
  SetInletFlow(state, job, state.time, dt);
  int n = rule.kind == kPassRuleCubic ? CubicExtraSubSteps(rule, previous_fraction, dt) : kMaxExtraSubSteps;
  if (gate_switched) n = 0;
  // Under the cubic rule N2 counts with the first sub-step, which can be very
  // short when a front node was about to fill; the later sub-steps may last
  // up to 10 ms each, and the front would then run for a quarter of a second,
  // dozens of control volumes, on one pressure field. The extra sub-steps
  // therefore also end once they have covered the millisecond N2 is meant to
  // give them.
  double extra = 0;
  for (int s = 0; s < n; ++s) {
    if (rule.kind == kPassRuleCubic && extra >= kExtraSubStepTime) break;
    const double left = limit - (state.time - pass_start);
    if (!(left > 0)) break;
    // Sub-steps only go on while some front node still receives melt; with
    // no inflow left a sub-step would let time pass while nothing fills, and
    // the injected volume would be lost from the balance.
    if (!FrontHasInflow(state)) break;
    dt = AdvanceFront(state, job, state.time, left);
    state.time += dt;
    extra += dt;
    SetInletFlow(state, job, state.time, dt);
    // A valve gate that switches ends the pass: the pressure field no longer
    // matches the open elements, and melt must not go on through a gate
    // that has closed.
    if (UpdateValveGates(state, job, state.time) > 0) break;
  }
}

// Temperatures, frozen layer and viscosity over `elapsed` s of filling.
// False when the thermal update ran out of memory.
bool UpdateThermalFields(SolverState& state, const FillingJob& job, float elapsed) {
  if (UpdateTemperatures(state, *job.mesh, *job.prep, *job.material, elapsed) != kTemperaturesUpdated) return false;
  UpdateFrozenLayer(state, *job.mesh, *job.material);
  UpdateViscosity(state, *job.mesh, *job.material);
  return true;
}

}  // namespace

int StartupPass(SolverState& state, const FillingJob& job) {
  const int solved = SolveAndInflow(state, job);
  if (solved != kPassDone) return solved;
  UpdateKinematics(state, *job.mesh);
  if (UpdateTemperatures(state, *job.mesh, *job.prep, *job.material, kStartStep) != kTemperaturesUpdated) {
    return kPassOutOfMemory;
  }
  UpdateViscosity(state, *job.mesh, *job.material);
  UpdateConnectors(state, job);
  return kPassDone;
}

int FillingPass(SolverState& state, const FillingJob& job, float previous_fraction) {
  MeshModel& mesh = *job.mesh;
  // 1. Pressure on the filled region and the inflow into the front.
  const int solved = SolveAndInflow(state, job);
  if (solved != kPassDone) return solved;
  // 2. Held back: nothing moves; the switch-over test of the driver follows.
  if (HeldBack(state, job)) {
    if (state.control_mode == kPressureControl) state.flow_rate[state.inlet] = 0;
    return kPassDone;
  }
  ++state.profile.passes;
  // 3. Kinematics, then the front sub-steps.
  {
    PhaseTimer timer(state.profile.thermal);
    UpdateKinematics(state, mesh);
  }
  const double pass_start = state.time;
  {
    PhaseTimer timer(state.profile.front);
    AdvanceFrontOverPass(state, job, previous_fraction);
  }
  // 4. Temperatures, frozen layer and viscosity over the filling time the
  //    pass covered (all its sub-steps, not only the last one: the melt cools
  //    for as long as it flows).
  {
    PhaseTimer timer(state.profile.thermal);
    if (!UpdateThermalFields(state, job, static_cast<float>(state.time - pass_start))) return kPassOutOfMemory;
  }
  // 5. Clamp force, filled volume, wall heat, connectors.
  ComputeClampForce(state, job);
  state.filled_volume = static_cast<float>(FilledVolume(state));
  AccumulateWallHeat(state, mesh);
  UpdateConnectors(state, job);
  return kPassDone;
}

}  // namespace kv
