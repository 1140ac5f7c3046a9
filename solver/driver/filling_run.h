#pragma once
// The filling run of fluxar: mesh preparation after the mesh read, and
// everything after the inlet check (allocation, volumes, start-up passes, the
// filling loop with its status table, result file, restart file, release).

#include "solver/output/solver_output.h"
#include "solver/state/run_state.h"

namespace kv {

// Prepares the mesh just read (faces, counts, geometry, dual-surface
// connectors, geometry again, totals), printing the counts and the mesh
// property table. A mesh that cannot be filled (invalid coordinates, a shell
// without thickness, a runner without diameter, a reference outside the mesh)
// gets "Error: <what>" and false.
bool PrepareSolverMesh(SolverOutput& out, RunState& state);

// Runs the filling of the job in `state` (inlet node already checked). Writes
// the result file, the restart file and the status table. Returns the process
// status: 1 after a run that ended filled, short or at the time limit; 255
// when memory ran out, the job is inconsistent (no volume to inject, the inlet
// off every flow element, no injection unit) or the pressure system failed
// ("Error: Severe error in matrix." included).
int RunFilling(SolverOutput& out, RunState& state);

// Allocator policy of a solver process, set once at its start: every pass
// builds and frees matrices and work arrays of the same sizes, tens of
// megabytes on large meshes. Served from fresh memory maps, each would be
// faulted in page by page on every pass; from the heap, with freed memory
// kept, the next pass reuses the same pages.
void KeepFreedMemoryForReuse();

}  // namespace kv
