#include "mesh/engine/rebuild.h"

#include "common/geometry/element_geometry.h"
#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"
#include "common/output/pane_output.h"
#include "mesh/engine/element_sizes.h"

namespace kv {

void RebuildAfterMerge(MeshModel& model) {
  ComputeCentroids(model);
  BuildFaceRecords(model);
  if (PairCoincidentFaces(model) != 1)
    AppendOutput("Warning: faces not paired, a node coordinate is not a number!");
  ComputeElementSizes(model);
}

void RebuildAfterRead(MeshModel& model) {
  RebuildAfterMerge(model);
  EstimateTetraThickness(model);
}

}  // namespace kv
