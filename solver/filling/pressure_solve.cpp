// The pressure solve on the filled region: which filled nodes are unknowns,
// the closed-off regions left out, and the conjugate-gradient solve.
#include <algorithm>
#include <cmath>
#include <vector>

#include "common/geometry/categories.h"
#include "solver/filling/filling.h"
#include "solver/matrix/matrix_handles.h"
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

// Closed-off regions: melt at rest keeps its pressure; where the ram pushes
// against the region that holds the inlet, its pressure rises to the
// injection limit.
void PressCloseOffRegion(SolverState& state, const FillingJob& job, const FilledGroups& groups,
                         bool pressure_mode) {
  const int inlet_group = groups.group[state.inlet];
  if (pressure_mode || !(state.flow_rate[state.inlet] > 0) || inlet_group < 0 || groups.open[inlet_group]) return;
  state.inlet_closed_off = true;
  const float limit = static_cast<float>(InjectionPressureLimit(*job.injection));
  for (int i = 0; i < state.node_count; ++i) {
    if (groups.group[i] == inlet_group) state.pressure[i] = limit;
  }
}

// The unknowns of the solve: the filled nodes of open groups in node order,
// numbered from 1. Under pressure control the inlet's pressure is given
// (`held`), and its column moves to the right-hand side.
struct Unknowns {
  int held = -1;                 // node whose pressure is given, -1 for none
  std::vector<uint32_t> number;  // per node: its unknown, 0 for none
  std::vector<int> node_of;      // per unknown 1..n: its node (entry 0 unused)
  uint32_t Count() const { return static_cast<uint32_t>(node_of.size() - 1); }
};

Unknowns NumberUnknowns(const SolverState& state, const FilledGroups& groups, bool pressure_mode) {
  Unknowns u;
  u.held = pressure_mode ? state.inlet : -1;
  u.number.assign(state.node_count, 0);
  u.node_of.assign(1, -1);
  for (int i = 0; i < state.node_count; ++i) {
    if (i != u.held && groups.group[i] >= 0 && groups.open[groups.group[i]]) {
      u.node_of.push_back(i);
      u.number[i] = u.Count();
    }
  }
  return u;
}

// Pressure 0 wherever the solve sets none: every node but the held inlet and
// the nodes of closed-off regions.
void ClearOpenPressures(SolverState& state, const FilledGroups& groups, int held) {
  for (int i = 0; i < state.node_count; ++i) {
    const bool closed_off = groups.group[i] >= 0 && !groups.open[groups.group[i]];
    if (i != held && !closed_off) state.pressure[i] = 0;
  }
}

// The system's lower triangle with the diagonal (the symmetric conductance
// matrix's column i is its row i), its right-hand side, the inflows less the
// held inlet's pull, and the pressures of the last solve as the start.
void AssembleSystem(const SolverState& state, const cs_di* conductance, const Unknowns& u, SparseMatrix* a,
                    Vector* x, Vector* b) {
  const int* cp = conductance->p;
  const int* ri = conductance->i;
  const double* cx = conductance->x;
  for (uint32_t row = 1; row <= u.Count(); ++row) {
    const int node = u.node_of[row];
    uint32_t count = 0;
    for (int q = cp[node]; q < cp[node + 1]; ++q) {
      const uint32_t col = u.number[ri[q]];
      if (col != 0 && col <= row) ++count;
    }
    MatSetRowLength(a, row, count);
    uint32_t slot = 0;
    double rhs = state.flow_rate[node];
    for (int q = cp[node]; q < cp[node + 1]; ++q) {
      if (ri[q] == u.held) rhs -= cx[q] * state.inlet_pressure_hold;
      const uint32_t col = u.number[ri[q]];
      if (col == 0 || col > row) continue;
      MatSetEntry(a, row, slot++, col, cx[q]);
    }
    VecSet(b, row, rhs);
    VecSet(x, row, state.pressure[node]);
  }
}

// Under velocity control the pressure field rises steadily as the front moves
// on: the start is extrapolated from the last two solves, p + (p - p_before),
// at the nodes that were unknowns of both.
void ExtrapolateStart(const SolverState& state, const Unknowns& u, Vector* x) {
  for (uint32_t row = 1; row <= u.Count(); ++row) {
    const int node = u.node_of[row];
    const float p = state.pressure[node], before = state.pressure_before[node];
    if (p != 0.0f && before != 0.0f) VecSet(x, row, 2.0 * p - before);
  }
}

// Tolerance and preconditioner of the solve. The multigrid when chosen, and
// always under pressure control: there the stop is some five decades below
// the start, which the incomplete factorisation reaches only in hundreds of
// iterations on large meshes, the multigrid in a few dozen. A hierarchy built
// while the inlet was an unknown is built anew for the held inlet.
PcgOptions SolveOptions(SolverState& state, const Unknowns& u, bool pressure_mode, double inlet_flow, Vector* b) {
  PcgOptions options;
  options.tolerance = pressure_mode ? kPressureModeTolerance : kVelocityModeTolerance;
  if (pressure_mode && inlet_flow > 0 && std::isfinite(inlet_flow)) {
    const double rhs_norm = VecNorm2(b);
    if (rhs_norm > 0) options.tolerance = kPressureModeFlowTolerance * inlet_flow / rhs_norm;
  }
  if (ChosenPreconditioner() == kPreconditionerMultigrid || pressure_mode) {
    if (pressure_mode && MultigridCovers(state.multigrid, state.inlet)) state.multigrid = MultigridPreconditioner{};
    options.multigrid = &state.multigrid;
    options.unknownIds = u.node_of.data();
  }
  return options;
}

void CountSolve(FillingProfile& profile, bool pressure_mode, uint32_t iterations) {
  ++profile.pressure_solves;
  profile.pcg_iterations += iterations;
  if (pressure_mode) {
    ++profile.pressure_mode_solves;
    profile.pressure_mode_iterations += iterations;
  }
}

// Pressures of the unknowns into the node table; kPressureFailed at the first
// value that is not finite.
int StorePressures(SolverState& state, const Unknowns& u, const Vector* x) {
  for (uint32_t row = 1; row <= u.Count(); ++row) {
    const double p = VecGet(x, row);
    if (!std::isfinite(p)) return kPressureFailed;
    state.pressure[u.node_of[row]] = static_cast<float>(p);
  }
  return kPressureSolved;
}

}  // namespace

int SolvePressure(SolverState& state, const FillingJob& job, const cs_di* conductance) {
  const bool pressure_mode = state.control_mode == kPressureControl;
  state.inlet_closed_off = false;
  if (HasUnexplainedEmptyRow(state, job, conductance)) return kPressureEmptyRow;
  const FilledGroups groups = GroupFilledNodes(state, conductance, pressure_mode);
  PressCloseOffRegion(state, job, groups, pressure_mode);
  // 1. Unknowns; the held inlet takes its pressure.
  if (pressure_mode) state.pressure[state.inlet] = state.inlet_pressure_hold;
  const Unknowns u = NumberUnknowns(state, groups, pressure_mode);
  const uint32_t n = u.Count();
  if (n == 0) {
    ClearOpenPressures(state, groups, u.held);
    return kPressureSolved;
  }
  // 2. The system, started from the last solve.
  MatrixHandle a(MatCreate("Ap", n, 1, 1, 0, 1));
  VectorHandle x(VecCreate("x", n, 0, 1));
  VectorHandle b(VecCreate("b", n, 0, 1));
  AssembleSystem(state, conductance, u, a.get(), x.get(), b.get());
  if (!pressure_mode) ExtrapolateStart(state, u, x.get());
  const double inlet_flow = state.flow_rate[state.inlet];
  state.pressure_before = state.pressure;
  // 3. Conjugate gradients with the tolerance and preconditioner of the mode.
  const PcgOptions options = SolveOptions(state, u, pressure_mode, inlet_flow, b.get());
  CountSolve(state.profile, pressure_mode, PcgSolve(a.get(), x.get(), b.get(), options).iterations);
  // 4. Pressure at the unknowns, kept in closed-off regions, 0 elsewhere.
  ClearOpenPressures(state, groups, u.held);
  const int result = MatrixLibraryErrorCode() != 0 ? kPressureFailed : StorePressures(state, u, x.get());
  if (result != kPressureSolved) std::fill(state.pressure.begin(), state.pressure.end(), 0.0f);
  return result;
}

}  // namespace kv
