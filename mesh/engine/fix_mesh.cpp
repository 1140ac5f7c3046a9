#include "mesh/engine/fix_mesh.h"

#include <cmath>

#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "mesh/engine/mesh_repair.h"
#include "mesh/engine/rebuild.h"

namespace kv {

int FixMesh(MeshModel& model, double distance, double aspect, double thickness, std::string& error) {
  if (!std::isfinite(distance) || !std::isfinite(aspect) || !std::isfinite(thickness)) {
    error = "the merge distance, aspect ratio and minimum thickness must be numbers";
    return 0;
  }
  // The contraction moves nodes before the merge searches them: check every
  // coordinate first so that a failed search cannot leave a half-fixed model.
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    const Node& n = model.nodes[i];
    if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) {
      error = Format("node %d has a coordinate that is not a number; the mesh was not changed",
                     static_cast<int>(i) + 1);
      return 0;
    }
  }

  ContractElements(model, aspect);
  int nodes_removed = 0, elements_removed = 0;
  if (MergeCoincidentNodes(model, distance, nodes_removed, elements_removed) != 1) {
    error = "octree failure";  // unreachable with the coordinates checked above
    return 0;
  }
  AppendOutput(Format("Number of nodes merged/deleted: %d", nodes_removed));
  AppendOutput(Format("Number of elements merged/deleted: %d", elements_removed));
  ApplyMinimumThickness(model, thickness);
  RebuildAfterMerge(model);
  return 1;
}

}  // namespace kv
