#pragma once
// The run driver: everything fluxar does after the input files are read.

#include "solver/output/solver_output.h"
#include "solver/state/run_state.h"

namespace kv {

// Checks the injection node: the first inlet node of the boundary file must
// be a node of the mesh. On success sets state.inlet_node and releases the
// inlet list; otherwise prints "Error: injection node is out of bounds!"
// (console and log). Returns true when the node is valid.
bool CheckInletNode(SolverOutput& out, RunState& state);

// Runs the job whose inputs `state` holds. Returns the process exit status:
// 1 after the run, 255 when the inlet node is not a node of the mesh.
int RunDriver(SolverOutput& out, RunState& state);

}  // namespace kv
