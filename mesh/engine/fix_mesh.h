#pragma once
// The "Fix mesh" sequence: contract slivers, merge coincident nodes and
// elements, apply a minimum thickness, rebuild. Shared by the dialog of the
// pre-processor and kvmesh --fix.

#include <string>

#include "common/mesh/mesh_model.h"

namespace kv {

// Runs, in order: ContractElements(aspect), MergeCoincidentNodes(distance)
// (with RemoveDegenerateElements), ApplyMinimumThickness(thickness) and
// RebuildAfterMerge. Prints "Number of nodes merged/deleted: %d" and
// "Number of elements merged/deleted: %d" in the Output pane.
//   distance: merge distance (m); aspect: contraction threshold (the dialog's
//   default 0.98); thickness: minimum thickness (m).
//   returns 1; 0 when a setting or a node coordinate is not a finite number:
//   the model is then left exactly as it was, nothing is printed, and `error`
//   says why.
int FixMesh(MeshModel& model, double distance, double aspect, double thickness, std::string& error);

}  // namespace kv
