// The pressure solve on the filled region: which filled nodes are unknowns,
// the closed-off regions left out, and the conjugate-gradient solve.
#include <cmath>
#include <vector>

#include "common/geometry/categories.h"
#include "solver/filling/filling.h"
#include "solver/matrix/matrix_library.h"
#include "solver/matrix/multigrid.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/vector.h"

namespace kv {

namespace {

// Where the conjugate gradients stop. The residual of a row is a volume rate
// (m^3/s) that the pressures fail to balance, so both modes stop at a share
// of the injection rate. Under velocity control that rate is the right-hand
// side itself. Under pressure control the right-hand side is the flux the
// held inlet would drive into its neighbours at their pressures of zero, far
// more than what flows (twenty times on a centre-gated plate); the stop is a
// millionth of the inlet flow of the last pass instead. Measured against
// solves stopped at 1e-10 of the right-hand side, it leaves the pressures
// within 1e-5 of the held pressure on average and the fill times within a
// third of a millisecond, as a stop at 1e-8 of the right-hand side does.
constexpr double kVelocityModeTolerance = 1e-3;
constexpr double kPressureModeFlowTolerance = 1e-6;
// Under pressure control before any flow is known: relative to the
// right-hand side.
constexpr double kPressureModeTolerance = 1e-8;

bool IsFilled(const SolverState& state, int node) { return state.fill_state[node] == 1.0f; }

// The filled nodes grouped by the conducting elements that join them (the
// entries of the conductance matrix). A group is open when melt can leave it:
// a front node shares a conducting element with it, or, under pressure
// control, it holds the inlet, whose pressure is given.
struct FilledGroups {
  std::vector<int> group;       // per node: its group, -1 for nodes not filled
  std::vector<char> open;       // per group
  std::vector<char> has_inlet;  // per group
};

FilledGroups GroupFilledNodes(const SolverState& state, const cs_di* conductance, bool pressure_mode) {
  FilledGroups g;
  g.group.assign(state.node_count, -1);
  const int* cp = conductance->p;
  const int* ri = conductance->i;
  std::vector<int> stack;
  for (int seed = 0; seed < state.node_count; ++seed) {
    if (!IsFilled(state, seed) || g.group[seed] >= 0) continue;
    const int id = static_cast<int>(g.open.size());
    g.open.push_back(0);
    g.has_inlet.push_back(0);
    g.group[seed] = id;
    stack.assign(1, seed);
    while (!stack.empty()) {
      const int node = stack.back();
      stack.pop_back();
      if (node == state.inlet) g.has_inlet[id] = 1;
      if (node >= conductance->n) continue;
      for (int q = cp[node]; q < cp[node + 1]; ++q) {
        const int other = ri[q];
        if (!IsFilled(state, other)) {
          g.open[id] = 1;  // only front nodes have entries besides filled ones
        } else if (g.group[other] < 0) {
          g.group[other] = id;
          stack.push_back(other);
        }
      }
    }
    // The held inlet pressure drives its group, unless a closed gate left the
    // inlet without any conducting element.
    const int in = state.inlet;
    if (pressure_mode && g.has_inlet[id] && in < conductance->n && cp[in] < cp[in + 1]) g.open[id] = 1;
  }
  return g;
}

// True when a flow element of `node` is switched off by a closed valve gate.
bool TouchesClosedGate(const SolverState& state, const FillingJob& job, int node) {
  const MeshPreparation& prep = *job.prep;
  for (int j = prep.element_start[node]; j < prep.element_start[node + 1]; ++j) {
    const int e = prep.element_list[j];
    if (!state.active[e] && IsFlowCategory(job.mesh->elements[e].category)) return true;
  }
  return false;
}

// A filled node without any coefficient is a fault of the mesh, unless a
// closed valve gate cut all its elements off.
bool HasUnexplainedEmptyRow(const SolverState& state, const FillingJob& job, const cs_di* conductance) {
  for (int i = 0; i < state.node_count; ++i) {
    if (!IsFilled(state, i)) continue;
    const bool empty = i >= conductance->n || conductance->p[i] == conductance->p[i + 1];
    if (empty && !TouchesClosedGate(state, job, i)) return true;
  }
  return false;
}

}  // namespace

int SolvePressure(SolverState& state, const FillingJob& job, const cs_di* conductance) {
  const bool pressure_mode = state.control_mode == kPressureControl;
  state.inlet_closed_off = false;
  if (HasUnexplainedEmptyRow(state, job, conductance)) return kPressureEmptyRow;
  const FilledGroups groups = GroupFilledNodes(state, conductance, pressure_mode);
  // Closed-off regions: melt at rest keeps its pressure; where the ram
  // pushes against it, the pressure rises to the injection limit.
  if (!pressure_mode && state.flow_rate[state.inlet] > 0 && groups.group[state.inlet] >= 0 &&
      !groups.open[groups.group[state.inlet]]) {
    state.inlet_closed_off = true;
    const float limit = static_cast<float>(InjectionPressureLimit(*job.injection));
    for (int i = 0; i < state.node_count; ++i) {
      if (groups.group[i] == groups.group[state.inlet]) state.pressure[i] = limit;
    }
  }
  // 1. Unknowns: the filled nodes of open groups in node order, numbered
  //    from 1. Under pressure control the inlet's pressure is given, and its
  //    column moves to the right-hand side.
  const int held = pressure_mode ? state.inlet : -1;
  if (pressure_mode) state.pressure[state.inlet] = state.inlet_pressure_hold;
  std::vector<uint32_t> unknown(state.node_count, 0);
  std::vector<int> node_of(1, -1);
  for (int i = 0; i < state.node_count; ++i) {
    if (i != held && groups.group[i] >= 0 && groups.open[groups.group[i]]) {
      node_of.push_back(i);
      unknown[i] = static_cast<uint32_t>(node_of.size() - 1);
    }
  }
  const uint32_t n = static_cast<uint32_t>(node_of.size() - 1);
  auto keep_closed_off = [&](int i) { return i == held || (groups.group[i] >= 0 && !groups.open[groups.group[i]]); };
  if (n == 0) {
    for (int i = 0; i < state.node_count; ++i) {
      if (!keep_closed_off(i)) state.pressure[i] = 0;
    }
    return kPressureSolved;
  }
  // 2. Tolerance by mode.
  SetSolverTolerance(pressure_mode ? kPressureModeTolerance : kVelocityModeTolerance);
  // 3. Lower triangle with the diagonal; the symmetric conductance matrix's
  //    column i is its row i.
  SparseMatrix* a = MatCreate("Ap", n, 1, 1, 0, 1);
  Vector* x = VecCreate("x", n, 0, 1);
  Vector* b = VecCreate("b", n, 0, 1);
  const int* cp = conductance->p;
  const int* ri = conductance->i;
  const double* cx = conductance->x;
  for (uint32_t row = 1; row <= n; ++row) {
    const int node = node_of[row];
    uint32_t count = 0;
    for (int q = cp[node]; q < cp[node + 1]; ++q) {
      const uint32_t col = unknown[ri[q]];
      if (col != 0 && col <= row) ++count;
    }
    MatSetRowLength(a, row, count);
    uint32_t slot = 0;
    double rhs = state.flow_rate[node];
    for (int q = cp[node]; q < cp[node + 1]; ++q) {
      if (ri[q] == held) rhs -= cx[q] * state.inlet_pressure_hold;
      const uint32_t col = unknown[ri[q]];
      if (col == 0 || col > row) continue;
      MatSetEntry(a, row, slot++, col, cx[q]);
    }
    // The pressures of the last solve start the iterations.
    VecSet(b, row, rhs);
    VecSet(x, row, state.pressure[node]);
  }
  // Under velocity control the pressure field rises steadily as the front
  // moves on: the start is extrapolated from the last two solves, p + (p -
  // p_before), at the nodes that were unknowns of both.
  if (!pressure_mode) {
    for (uint32_t row = 1; row <= n; ++row) {
      const int node = node_of[row];
      const float p = state.pressure[node], before = state.pressure_before[node];
      if (p != 0.0f && before != 0.0f) VecSet(x, row, 2.0 * p - before);
    }
  }
  const double inlet_flow = state.flow_rate[state.inlet];
  state.pressure_before = state.pressure;
  int result = kPressureSolved;
  PcgOptions options;
  options.tolerance = MatrixLibrary().tolerance;
  if (pressure_mode && inlet_flow > 0 && std::isfinite(inlet_flow)) {
    const double rhs_norm = VecNorm2(b);
    if (rhs_norm > 0) options.tolerance = kPressureModeFlowTolerance * inlet_flow / rhs_norm;
  }
  // The multigrid when chosen, and always under pressure control: there the
  // stop is some five decades below the start, which the incomplete
  // factorisation reaches only in hundreds of iterations on large meshes,
  // the multigrid in a few dozen. A hierarchy built while the inlet was an
  // unknown is built anew for the held inlet.
  if (ChosenPreconditioner() == kPreconditionerMultigrid || pressure_mode) {
    if (pressure_mode && MultigridCovers(state.multigrid, state.inlet)) state.multigrid = MultigridPreconditioner{};
    options.multigrid = &state.multigrid;
    options.unknownIds = node_of.data();
  }
  const uint32_t iterations = PcgSolve(a, x, b, options).iterations;
  ++state.profile.pressure_solves;
  state.profile.pcg_iterations += iterations;
  if (pressure_mode) {
    ++state.profile.pressure_mode_solves;
    state.profile.pressure_mode_iterations += iterations;
  }
  if (MatrixLibraryErrorCode() != 0) result = kPressureFailed;
  // 5. Pressure at the unknowns, kept in closed-off regions, 0 elsewhere.
  for (int i = 0; i < state.node_count; ++i) {
    if (!keep_closed_off(i)) state.pressure[i] = 0;
  }
  for (uint32_t row = 1; row <= n && result == kPressureSolved; ++row) {
    const double p = VecGet(x, row);
    if (!std::isfinite(p)) result = kPressureFailed;
    state.pressure[node_of[row]] = static_cast<float>(p);
  }
  MatDestroy(a);
  VecRelease(x);
  VecRelease(b);
  if (result != kPressureSolved) std::fill(state.pressure.begin(), state.pressure.end(), 0.0f);
  return result;
}

}  // namespace kv
