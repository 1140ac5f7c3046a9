// The rows of kvmesh's option table. Add an option by adding a row (with its
// store and run functions above it) and, when it keeps settings, a field of
// KvmeshOptions.

#include "tools/kvmesh/kvmesh_options.h"
#include "tools/kvmesh/kvmesh_repair.h"
#include "tools/kvmesh/kvmesh_results.h"
#include "tools/kvmesh/kvmesh_units.h"

namespace kv {
namespace {

int StoreFormat(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string&) {
  options.input_format = arguments[0];
  return 1;
}

int StoreOutputFormat(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string&) {
  options.output_format = arguments[0];
  return 1;
}

int StoreHelp(KvmeshOptions& options, const std::vector<std::string>&, std::string&) {
  options.help = true;
  return 1;
}

int StoreResults(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string&) {
  options.results = arguments[0];
  return 1;
}

int RunResults(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error) {
  return ReportResults(model, options.results, out, error);
}

int StoreVtu(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string&) {
  options.vtu = arguments[0];
  return 1;
}

int RunVtu(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error) {
  if (options.results.empty()) {
    error = "--vtu needs --results FILE";
    return 0;
  }
  return ExportResultsForParaView(model, options.results, options.vtu, out, error);
}

}  // namespace

const std::vector<KvmeshOption>& KvmeshOptionTable() {
  static const std::vector<KvmeshOption> table = {
      {"--units", "m|mm|cm|in", 1,
       "length unit of INPUT: coordinates, thicknesses and diameters are scaled to metres", StoreUnits,
       RunUnits},
      {"--format", "NAME", 1, "read INPUT as format NAME whatever its extension", StoreFormat, nullptr},
      {"--output-format", "NAME", 1, "write OUTPUT as format NAME whatever its extension",
       StoreOutputFormat, nullptr},
      {"--results", "FILE", 1, "read the result FILE against the mesh and list its entries", StoreResults,
       RunResults},
      {"--fix", "DISTANCE ASPECT THICKNESS", 3,
       "contract elements of aspect measure above ASPECT, merge nodes closer than DISTANCE (m), "
       "apply the minimum THICKNESS (m)",
       StoreFix, RunFix},
      {"--vtu", "BASE", 1,
       "with --results: write BASE.pvd and one VTK unstructured grid BASE_NNNN.vtu per time frame for ParaView",
       StoreVtu, RunVtu},
      {"--stats", "", 0, "print the mesh statistics", StoreStats, RunStats},
      {"--help", "", 0, "print this text", StoreHelp, nullptr},
  };
  return table;
}

}  // namespace kv
