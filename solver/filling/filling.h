#pragma once
// The filling algorithm: valve gates, inlet flow from the speed profile, the
// melt front, the conductance matrix and the pressure solve on the filled
// region, the sub-stepped advance of the front, clamp force, connectors.
//
// Units SI (m, Pa, s, K, m^3/s); node and element indices 0-based. The run
// driver owns the loop and calls these in the order of FillingPass.

#include <cs.h>

#include <memory>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "solver/filling/pass_rule.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/state/run_state.h"
#include "solver/state/solver_state.h"
#include "solver/thermal/material_model.h"

namespace kv {

// The elements one valve gate switches and its open window (s): an element
// belongs to a gate when every one of its nodes is a node of the gate; the
// window is the gate's first timer pair.
struct GateElements {
  std::vector<int> elements;          // 0-based element indices
  float open = 0;
  float close = 0;
};

// Elements and windows of the valve gates read from the valve-gate file.
std::vector<GateElements> GateElementsOf(const MeshModel& mesh, const std::vector<ValveGate>& gates);

// Everything the filling loop reads besides the state.
struct FillingJob {
  MeshModel* mesh = nullptr;
  const MeshPreparation* prep = nullptr;
  const PolymerData* material = nullptr;
  SolverInjection* injection = nullptr;   // the first injection unit
  const std::vector<GateElements>* valves = nullptr;
  double hot_runner_volume = 0;       // m^3
  double injection_volume = 0;        // m^3
  PassRule passes;                    // how far one pass carries the front
};

// Injection pressure limit: maximum hydraulic pressure x resin/hydraulic ratio (Pa).
double InjectionPressureLimit(const SolverInjection& injection);

struct CsFree {
  void operator()(cs_di* a) const { cs_di_spfree(a); }
};
using CsMatrix = std::unique_ptr<cs_di, CsFree>;

// Sets state, tables, hot-runner nodes, inlet flow and front (see the .cpp).
// Element temperatures start at the melt temperature, viscosities at the
// Cross-WLF value for the melt temperature at zero shear and pressure (at most
// kFrozenViscosity), shear rates at 1e-6 1/s.
void InitializeFilling(SolverState& state, const FillingJob& job);

// Active flag of every valve-gated element: 1 when open <= t <= close.
// Returns the number of elements whose flag changed.
int UpdateValveGates(SolverState& state, const FillingJob& job, double t);

// Earliest time after t (s) at which a valve gate that is closed at t opens;
// -1 when none will.
double NextGateOpening(const FillingJob& job, double t);

// Earliest time after t (s) at which a closed path of the melt opens: a valve
// gate, or the valve timer of the injection unit (its first window, when it
// opens after t and does not close before it opens); -1 when none will.
double NextFlowOpening(const FillingJob& job, double t);

// True when an element switched off by a closed valve gate holds a filled
// node: the gate stands between the melt and the rest of the mold.
bool ClosedGateHoldsMelt(const SolverState& state, const FillingJob& job);

// Velocity mode only: relative ram speed v from the speed profile at the
// current stroke fraction, inlet flow v Qmax (0 outside the first valve-timer
// window), ram speed and displacement advanced by dt. Returns v (in pressure
// mode the current relative speed, unchanged).
float SetInletFlow(SolverState& state, const FillingJob& job, double t, float dt);

// Inlet filled; every empty node of a flow element with a filled node becomes
// a front node at melt temperature.
void MarkFrontNodes(SolverState& state, const FillingJob& job);

// Conductance matrix over all nodes (compressed column form, duplicates
// summed in element order, zeros dropped; within a column the rows in the
// order of their first entry), from every active flow element without an
// empty node. Null when memory ran out.
CsMatrix AssembleConductance(const SolverState& state, const FillingJob& job);

// The same matrix, its values refilled in place into `slots`, whose sparsity
// pattern of every flow element is built at the first call for a mesh and
// kept. `matrix` becomes a view of the arrays of `slots`, valid until their
// next refill. The element fluidities are computed on the matrix library's
// threads; the matrix does not depend on their number. False when memory
// ran out (`slots` is then emptied).
bool AssembleConductanceInPlace(ConductanceSlots& slots, const SolverState& state, const FillingJob& job,
                                cs_di& matrix);

// Pressure solve results.
inline constexpr int kPressureSolved = 1;
inline constexpr int kPressureEmptyRow = 0;     // a filled node has no coefficient
inline constexpr int kPressureFailed = -1;      // the matrix library reported an error

// Solves the pressure on the filled nodes (state exactly 1) by preconditioned
// conjugate gradients, starting from the last pressures, to a residual of
// 1e-3 of the injection rate in velocity mode and 1e-6 of the last pass's
// inlet flow in pressure mode (preconditioned there by the multigrid kept in
// state.multigrid). In pressure mode the inlet is not an unknown: it holds
// state.inlet_pressure_hold, and its coefficients move to the right-hand
// side of its neighbours' rows.
// Pressure 0 at front and empty nodes.
//
// Filled nodes that no conducting element links to a front node (nor, under
// pressure control, to the inlet) form a closed-off region, as behind a
// closed valve gate: the melt there is at rest and its nodes are not
// unknowns. Such a region keeps its pressures, except the one that holds the
// inlet under velocity control while the ram pushes: the ram compresses the
// melt against the closed path up to the injection pressure limit, so its
// nodes get that limit and state.inlet_closed_off is set (cleared otherwise).
// Returns kPressureSolved, kPressureEmptyRow for a filled node without any
// coefficient that no closed valve gate explains, or kPressureFailed.
int SolvePressure(SolverState& state, const FillingJob& job, const cs_di* conductance);

// Front inflow q_i = |sum_j K_ij p_j| of every front node; the inlet flow rate
// becomes their sum.
void ComputeFrontInflow(SolverState& state, const cs_di* conductance);

// One sub-step of the front: dt from the node that fills first (limited to
// 0.01 s and to max_step, but not below 1e-6 s), fill states and times,
// inflow handed on by newly filled nodes, front growth into empty successors
// hotter than the no-flow temperature. Returns dt.
float AdvanceFront(SolverState& state, const FillingJob& job, double t, double max_step = 0.01);

// Sum of node volume x fill state over reached nodes (m^3).
double FilledVolume(const SolverState& state);

// Filled percentage: (filled - hot runner) / injection volume x 100 within
// [0, 100]; 100 when the injection volume is not positive.
float FilledPercentage(const SolverState& state, const FillingJob& job);

// Clamp force (N) and its centroid over filled elements of categories 1, 2, 9,
// 10, 11 (half) and 12.
void ComputeClampForce(SolverState& state, const FillingJob& job);

// Connector diameter 0.01 m where the pressure across it is at least 0.05 Pa,
// else 5e-5 m.
void UpdateConnectors(SolverState& state, const FillingJob& job);

// Every node with 0 < state < 1 becomes filled at time t.
void CompleteFill(SolverState& state, double t);

// Outcome of one pass (besides the pressure solve's failures).
inline constexpr int kPassDone = 1;
inline constexpr int kPassOutOfMemory = -2;   // the assembly or the thermal update ran out of memory

// One pass of the filling loop: pressure solve, front sub-steps as far as
// job.passes allows (see pass_rule.h), thermal
// update, frozen layer, viscosity, clamp force, filled volume, wall heat,
// connectors. `previous_fraction` is the filled fraction (0..1) of the previous
// pass. Returns kPassDone, or kPressureEmptyRow / kPressureFailed from the
// solve, or kPassOutOfMemory.
int FillingPass(SolverState& state, const FillingJob& job, float previous_fraction);

// The two start-up passes' body: solve, inflow, kinematics, temperatures with
// 1e-4 s, viscosity, connectors; the front does not move.
int StartupPass(SolverState& state, const FillingJob& job);

}  // namespace kv
