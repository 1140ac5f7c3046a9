#include "tools/kvmesh/kvmesh_units.h"

#include <ostream>

#include "common/output/pane_output.h"
#include "mesh/engine/mesh_edit.h"
#include "mesh/engine/rebuild.h"

namespace kv {

int StoreUnits(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string& error) {
  const double factor = LengthUnitFactor(arguments[0]);
  if (factor <= 0) {
    error = "unknown length unit '" + arguments[0] + "' (m, mm, cm or in)";
    return 0;
  }
  options.length_unit = factor;
  return 1;
}

int RunUnits(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string&) {
  if (options.length_unit == 1.0) {
    const std::string hint = MillimetreHint(model);
    if (!hint.empty()) out << hint << "\n";
    return 1;
  }
  ScaleModelLength(model, options.length_unit);
  PaneCapture capture;
  RebuildAfterRead(model);
  for (const std::string& line : capture.output) out << line << "\n";
  return 1;
}

}  // namespace kv
