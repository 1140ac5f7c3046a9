#include "solver/driver/run_driver.h"

#include "solver/driver/entry.h"
#include "solver/driver/filling_run.h"

namespace kv {

bool CheckInletNode(SolverOutput& out, RunState& state) {
  // The first inlet listed is the injection node; a 0-based index must lie in
  // [0, node count).
  int node = state.inlet_nodes.empty() ? -1 : state.inlet_nodes.front();
  if (node < 0 || node >= static_cast<int>(state.mesh.nodes.size())) {
    Print(out, "\nError: injection node is out of bounds!\n");
    return false;
  }
  state.inlet_node = node;
  state.inlet_nodes.clear();
  state.inlet_nodes.shrink_to_fit();
  return true;
}

int RunDriver(SolverOutput& out, RunState& state) {
  if (!CheckInletNode(out, state)) return kExitInputError;
  return RunFilling(out, state);
}

}  // namespace kv
