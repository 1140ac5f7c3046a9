#include "gui/shell/core/mesh_commands.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "common/files/file_replacement.h"
#include "common/output/pane_output.h"
#include "gui/shell/core/file_commands.h"
#include "mesh/engine/mesh_edit.h"
#include "mesh/engine/mesh_statistics.h"
#include "mesh/engine/rebuild.h"
#include "mesh/exchange/mesh_exchange.h"

namespace kv {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Extension of the file name part, lower case, without the dot.
std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return Lower(path.substr(dot + 1));
}

// The filter whose pattern "*.ext" matches; `preferred` wins among equals.
int FilterFor(const std::vector<MeshFileFilter>& filters, const std::string& ext, int preferred) {
  if (ext.empty()) return 0;
  int found = 0;
  for (const MeshFileFilter& f : filters) {
    if (Lower(f.pattern) != "*." + ext) continue;
    if (f.index == preferred) return preferred;
    if (found == 0) found = f.index;
  }
  return found;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int ImportFilterForPath(const std::string& path) {
  return FilterFor(ImportMeshFilters(), ExtensionOf(path), kImportGmsh);
}

int ExportFilterForPath(const std::string& path) {
  return FilterFor(ExportMeshFilters(), ExtensionOf(path), kExportStlBinary);
}

int ImportMeshCommand(MeshModel& model, ShellState& state, const std::string& path, int filter_index,
                      double length_unit) {
  const auto start = std::chrono::steady_clock::now();
  AppendOutput(ReadingLine(path));
  std::string error;
  const int rc = ImportMeshFile(model, path, filter_index, error);
  if (rc != 1) AppendOutput(error.empty() ? "Unable to read file: " + path : error);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  if (rc != 1) return rc;
  if (length_unit > 0 && length_unit != 1.0) {
    ScaleModelLength(model, length_unit);
    RebuildAfterRead(model);
  } else if (const std::string hint = MillimetreHint(model); !hint.empty()) {
    AppendOutput(hint);
  }
  state.model_path = path;
  state.job_title = JobTitleFromPath(path);
  state.data_modified = true;
  if (filter_index == kImportM2D) state.analysis_dimension = 2;
  if (filter_index == kImportM3D) state.analysis_dimension = 3;
  PrintStatistics(model, false);
  return rc;
}

int ExportMeshCommand(const MeshModel& model, ShellState& state, const std::string& path, int filter_index,
                      bool surface_mesh) {
  const auto start = std::chrono::steady_clock::now();
  AppendOutput(WritingLine(path));
  std::string error;
  // The mesh goes to a scratch file beside `path` that replaces it only when
  // complete, so a failed export keeps an earlier file.
  FileReplacement out(path);
  int rc = out.file() ? ExportMeshFile(model, out.scratch_path(), filter_index, surface_mesh, error) : 0;
  if (rc == 1 && !out.Commit()) rc = 0;
  for (size_t at = error.find(out.scratch_path()); !out.scratch_path().empty() && at != std::string::npos;
       at = error.find(out.scratch_path(), at + path.size()))
    error.replace(at, out.scratch_path().size(), path);
  if (rc != 1) AppendOutput(error.empty() ? "Unable to write file: " + path : error);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  if (rc != 1) return rc;
  state.model_path = path;
  state.job_title = JobTitleFromPath(path);
  if (filter_index == kExportM2D) state.analysis_dimension = 2;
  if (filter_index == kExportM3D) state.analysis_dimension = 3;
  return 1;
}

}  // namespace kv
