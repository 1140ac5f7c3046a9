#pragma once
// The fields of one filling run: per-node and per-element arrays, the tables
// by layer and the run-wide values of the filling loop.
//
// Every array is allocated once before the loop by AllocateSolverState, which
// counts its bytes; ReleaseSolverState gives them back and lowers the count, so
// that a remainder shows a leak. Units are SI (m, Pa, s, K); indices are
// 0-based.

#include <cstdint>
#include <vector>

#include "solver/matrix/multigrid.h"
#include "solver/state/conductance_slots.h"
#include "solver/state/layer_table.h"
#include "solver/state/thermal_workspace.h"

namespace kv {

// Control mode of the injection: the ram follows the speed profile until the
// switch-over, then the inlet pressure is held.
enum ControlMode : int { kVelocityControl = 0, kPressureControl = 1 };

// Bytes the solver counts as allocated. 64-bit: a 100k-node mesh with many
// layers overflows a 32-bit count.
struct MemoryAccount {
  int64_t bytes = 0;
  // Most bytes the run may hold; an allocation that would pass it fails as if
  // the system had refused it. Lets a run be bounded, and the out-of-memory path
  // be exercised without exhausting the machine.
  int64_t limit = INT64_MAX;
};

// Wall-clock seconds spent in the parts of the filling passes, and the number
// of passes; for benchmarks.
struct FillingProfile {
  double assembly = 0;       // conductance matrix
  double pressure = 0;       // pressure solve and front inflow
  double thermal = 0;        // thermal update, frozen layer, viscosity, kinematics
  double front = 0;          // front sub-steps
  long passes = 0;
  long pressure_solves = 0;
  long pcg_iterations = 0;   // summed over the pressure solves
  long pressure_mode_solves = 0;       // of them under pressure control
  long pressure_mode_iterations = 0;
};

struct SolverState {
  int node_count = 0;
  int element_count = 0;
  int layers = 0;                       // layers across the half-gap (L)

  // Through-thickness grid: zeta[k] = k / L, dzeta[k] = zeta[k] - zeta[k-1],
  // dzeta[0] = 0, k = 0..L (0 at the mid-plane or axis, 1 at the wall).
  std::vector<float> zeta;
  std::vector<float> dzeta;

  // Per node.
  std::vector<float> pressure;          // Pa; 0 at front and empty nodes
  std::vector<float> pressure_before;   // Pa, of the solve before the last (start of the next solve)
  std::vector<float> flow_rate;         // m^3/s; only the inlet entry is used
  std::vector<float> fill_state;        // -1 empty, 0..1 front, exactly 1 filled
  std::vector<float> fill_time;         // s; -1 until reached
  std::vector<float> node_volume;       // m^3, control volume
  std::vector<float> front_inflow;      // m^3/s into each front node
  std::vector<float> node_wall_temperature;  // K
  std::vector<float> node_wall_heat;    // J/m^2 of wall conducted into the mold by the latest thermal update
  std::vector<int32_t> hot_runner;      // 1 for a node of an active hot-runner element
  LayerTable node_temperature;          // K, current profile per node
  LayerTable node_temperature_previous; // K, profile of the previous pass

  // Per element.
  std::vector<float> wall_temperature;  // K, mold wall
  std::vector<float> frozen_fraction;   // 0..1, never decreases
  std::vector<float> velocity_x, velocity_y, velocity_z;  // m/s, gap average, global axes
  std::vector<int16_t> completely_filled;  // 1 once every node is filled
  std::vector<float> wall_heat;         // J/m^2 conducted into the wall since the start
  std::vector<int32_t> active;          // 0 while a closed valve gate switches it off
  LayerTable temperature;               // K
  LayerTable viscosity;                 // Pa s
  LayerTable shear_rate;                // 1/s
  LayerTable profile_x;                 // m/s, local velocity across the gap (runner axis or local x)
  LayerTable profile_y;                 // m/s, local y (triangles)

  // Run-wide values.
  int inlet = -1;                       // 0-based injection node
  double time = 0;                      // s
  float time_step = 1e-4f;              // s
  float filled_percentage = 0;          // %
  float filled_volume = 0;              // m^3
  float clamp_force = 0;                // N
  float clamp_centroid[3] = {0, 0, 0};  // m
  float relative_ram_speed = 0;         // 0..1
  int control_mode = kVelocityControl;
  char status = 'V';
  float inlet_pressure_hold = 0;        // Pa, the held inlet pressure after the switch-over
  // Set by the pressure solve under velocity control when the filled region
  // around the inlet has no way out (a closed valve gate): the ram then
  // presses against melt at rest.
  bool inlet_closed_off = false;
  int64_t grown_nodes = 0;              // nodes the front advance has reached, run total

  // Work list of the front advance: the active, not completely filled flow
  // elements that hold a filled node, ascending. Rebuilt once per pass.
  std::vector<int> front_elements;
  // The front nodes (0 <= fill state < 1), ascending, kept by the front
  // advance; rebuilt by it when not valid.
  std::vector<int> front_nodes;
  bool front_nodes_valid = false;

  // Multigrid preconditioner of the pressure solve, kept from pass to pass
  // (used when ChosenPreconditioner() picks it).
  MultigridPreconditioner multigrid;

  // Work arrays of the thermal update, kept from pass to pass.
  ThermalWorkspace thermal;

  // Pattern and values of the conductance matrix, kept from pass to pass.
  ConductanceSlots conductance;

  // Work arrays of the per-element sweeps (one entry per element, sized at
  // first use and kept from pass to pass).
  std::vector<uint8_t> element_flag;
  std::vector<double> element_value;

  FillingProfile profile;
};

// Bytes of the arrays AllocateSolverState creates for these counts.
int64_t SolverStateBytes(int node_count, int element_count, int layers);

// Sizes every array zero-filled (active flags 1) and the grid of `layers`
// layers, and adds the bytes to `account`. Returns 1, or 0 when memory ran out
// (the state is then released and the account unchanged) or a count is
// negative or the layer count below 1.
int AllocateSolverState(SolverState& state, MemoryAccount& account, int node_count,
                        int element_count, int layers);

// Releases every array and subtracts its bytes from `account`.
void ReleaseSolverState(SolverState& state, MemoryAccount& account);

}  // namespace kv
