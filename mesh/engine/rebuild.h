#pragma once
// The rebuild of derived data that follows every mesh read of the
// pre-processor (native and outside formats alike) and every node merge.

#include "common/mesh/mesh_model.h"

namespace kv {

// After a mesh read: ComputeCentroids, BuildFaceRecords, PairCoincidentFaces,
// ComputeElementSizes and EstimateTetraThickness, in this order, over the
// whole model. Never fails: when a node coordinate is not a finite number the
// faces stay unpaired, the Output pane gets a warning line, and every other
// step still runs.
void RebuildAfterRead(MeshModel& model);

// After a node merge: the same steps without EstimateTetraThickness, so the
// tetrahedra keep the provisional thickness of the size step.
void RebuildAfterMerge(MeshModel& model);

}  // namespace kv
