#include "gui/shell/core/result_commands.h"

#include <chrono>

#include "common/files/file_replacement.h"
#include "common/output/pane_output.h"
#include "common/results/result_export.h"
#include "common/results/result_reader.h"
#include "common/results/result_vtu.h"
#include "gui/shell/core/file_commands.h"
#include "gui/view/core/result_units.h"
#include "mesh/engine/mesh_statistics.h"

namespace kv {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

const std::vector<std::string>& ProjectFilters() {
  static const std::vector<std::string> filters = {"Norvale Files (*.sim)"};
  return filters;
}

const std::vector<std::string>& ResultFileFilters() {
  static const std::vector<std::string> filters = {"Flow 2D Results (*.f2D)", "Weld 2D Results (*.a2D)",
                                                   "Flow 3D Results (*.f3D)"};
  return filters;
}

const std::vector<std::string>& AnimationFilters() {
  static const std::vector<std::string> filters = {"AVI Files (*.avi)"};
  return filters;
}

const std::vector<std::string>& SavePlotFilters() {
  static const std::vector<std::string> filters = {"Result Files (*.dat)"};
  return filters;
}

const std::vector<std::string>& ExportResultsFilters() {
  static const std::vector<std::string> filters = {"ParaView Files (*.pvd)"};
  return filters;
}

int OpenProjectCommand(const ProjectTables& tables, ShellState& state, const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  AppendOutput(ReadingLine(path));
  std::string message;
  const int rc = ReadProject(tables, path, message);
  if (rc != 1) AppendOutput(message);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  if (rc != 1) return 0;
  state.model_path = path;
  state.project_path = path;
  state.data_modified = false;
  state.read_results_enabled = true;
  ApplyUnits(*tables.results, state.view.units);
  PrintStatistics(*tables.mesh, false);
  return 1;
}

int SaveProjectCommand(const ProjectTables& tables, ShellState& state, const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  AppendOutput(WritingLine(path));
  const int rc = WriteProject(tables, path);
  if (rc != 1) AppendOutput("Unable to write file: " + path);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  if (rc != 1) return 0;
  state.project_path = path;
  state.model_path = path;
  state.data_modified = false;
  return 1;
}

int ReadResultsCommand(ResultSet& set, const MeshModel& mesh, ShellState& state, const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  AppendOutput(ReadingLine(path));
  std::string message;
  const int rc = ReadResults(set, mesh, path, message);
  if (rc != 1) AppendOutput(message.empty() ? "Unable to read file: " + path : message);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  if (rc != 1) return rc;
  state.model_path = path;
  state.job_title = JobTitleFromPath(path);
  ApplyUnits(set, state.view.units);
  return 1;
}

int SavePlotCommand(const ResultSet& set, const std::string& path) {
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) return 0;
  const ResultEntry& entry = set.entries[static_cast<size_t>(set.current)];
  if (entry.location != kNodalResult) return 0;
  const auto start = std::chrono::steady_clock::now();
  AppendOutput("Exporting to file: " + path);
  // The block is written to the scratch file, which then replaces `path`.
  FileReplacement out(path);
  std::string message;
  int rc = out.file() ? ExportNodalEntry(entry, out.scratch_path(), message) : -1;
  if (rc == 1 && !out.Commit()) rc = -1;
  if (rc != 1) AppendOutput(message.empty() ? "Unable to write file: " + path : message);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  return rc == 1 ? 1 : -1;
}

int ExportResultsCommand(const ResultSet& set, const MeshModel& mesh, const std::string& path) {
  if (set.entries.empty()) return 0;
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> written;
  std::string message;
  const int rc = ExportResultsVtu(mesh, set, path, written, message);
  for (const std::string& file : written) AppendOutput(WritingLine(file));
  if (rc != 1) AppendOutput(message);
  AppendOutput(ElapsedLine(SecondsSince(start)));
  return rc == 1 ? 1 : -1;
}

}  // namespace kv
