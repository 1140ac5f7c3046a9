#include "tools/kvmesh/kvmesh_repair.h"

#include <ostream>

#include "common/output/pane_output.h"
#include "common/text/token_reader.h"
#include "mesh/engine/fix_mesh.h"
#include "mesh/engine/mesh_statistics.h"

namespace kv {
namespace {

// Sends the Output-pane lines of `capture` to `out`, one per line.
void Print(const PaneCapture& capture, std::ostream& out) {
  for (const std::string& line : capture.output) out << line << "\n";
}

}  // namespace

int StoreFix(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string& error) {
  static const char* const kNames[3] = {"DISTANCE", "ASPECT", "THICKNESS"};
  double values[3];
  for (int i = 0; i < 3; ++i) {
    if (!ParseReal(arguments[static_cast<size_t>(i)], values[i])) {
      error = std::string("--fix ") + kNames[i] + " is not a number ('" + arguments[static_cast<size_t>(i)] + "')";
      return 0;
    }
    // The values meet float node coordinates and thicknesses.
    if (!FitsFloat(values[i])) {
      error = std::string("--fix ") + kNames[i] + " " + NotAFloatText(arguments[static_cast<size_t>(i)]);
      return 0;
    }
  }
  if (values[0] < 0 || values[2] < 0) {
    error = std::string("--fix ") + (values[0] < 0 ? "DISTANCE" : "THICKNESS") + " must not be negative";
    return 0;
  }
  options.fix = true;
  options.fix_distance = values[0];
  options.fix_aspect = values[1];
  options.fix_thickness = values[2];
  return 1;
}

int RunFix(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error) {
  PaneCapture capture;
  const int ok = FixMesh(model, options.fix_distance, options.fix_aspect, options.fix_thickness, error);
  Print(capture, out);
  return ok;
}

int StoreStats(KvmeshOptions& options, const std::vector<std::string>&, std::string&) {
  options.stats = true;
  return 1;
}

int RunStats(MeshModel& model, const KvmeshOptions&, std::ostream& out, std::string&) {
  PaneCapture capture;
  PrintStatistics(model, true);
  Print(capture, out);
  return 1;
}

}  // namespace kv
