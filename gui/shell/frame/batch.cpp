#include "gui/shell/frame/batch.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "common/output/pane_output.h"

#include "gui/platform/platform.h"
#include "gui/shell/core/mesh_commands.h"
#include "gui/shell/core/shell_state.h"
#include "gui/shell/frame/main_window.h"

namespace kv {

namespace {

bool IsProjectPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".sim";
}

// Reads the model of the command line: a project, or a mesh by its extension.
int ReadModel(MainWindow& window, const std::string& path) {
  if (IsProjectPath(path)) {
    if (window.OpenProject(path, true) == 1) return 1;
    std::fprintf(stderr, "kavitron: %s: Unable to open file.\n", path.c_str());
    return 0;
  }
  const int filter = ImportFilterForPath(path);
  if (filter == 0) {
    std::fprintf(stderr, "kavitron: %s: unknown mesh file extension.\n", path.c_str());
    return 0;
  }
  // The reader's lines go to the Output pane, and on failure also to
  // standard error, where a script sees them.
  std::vector<std::string> lines;
  int imported = 0;
  {
    PaneCapture capture;
    imported = window.ImportMesh(path, filter);
    lines = capture.output;
  }
  for (const std::string& line : lines) AppendOutput(line);
  if (imported != 1) {
    for (const std::string& line : lines) std::fprintf(stderr, "kavitron: %s\n", line.c_str());
    return 0;
  }
  return 1;
}

}  // namespace

int RunBatchOptions(MainWindow& window, const BatchOptions& options) {
  int rc = 0;
  if (!options.model.empty() && ReadModel(window, options.model) != 1) rc = 1;
  if (rc == 0 && !options.results.empty() && window.ReadResultsFile(options.results) != 1) {
    std::fprintf(stderr, "kavitron: %s: the result file could not be read.\n", options.results.c_str());
    rc = 1;
  }
  if (rc == 0 && !options.journal.empty()) {
    // A journal that cannot be replayed stops the run: nothing is written.
    std::string error;
    if (window.ReplayJournal(options.journal, &error) != 1) {
      std::fprintf(stderr, "kavitron: %s\n", error.c_str());
      return 255;
    }
  }
  if (rc == 0 && !options.export_path.empty()) {
    if (window.ExportMesh(options.export_path, ExportFilterForPath(options.export_path), false) != 1) {
      std::fprintf(stderr, "kavitron: unable to write %s\n", options.export_path.c_str());
      rc = 1;
    }
  }
  if (options.render_mode >= 0) {
    window.Dispatch(RenderModeCommand(options.render_mode));
  }
  window.ZoomToModel();
  if (options.view >= 0) window.SetStandardViewNow(options.view);
  if (rc == 0 && !options.entry.empty()) {
    // --frame is 1-based over the entry's series, 0 for its last frame.
    if (window.ShowResultEntry(options.entry, options.frame - 1) != 1) {
      std::fprintf(stderr, "kavitron: no result entry \"%s\" with frame %d.\n", options.entry.c_str(), options.frame);
      rc = 1;
    }
  }
  PumpMessages();
  if (rc == 0 && !options.screenshot.empty()) {
    if (window.SaveImage(options.screenshot, 1) != 1) {
      std::fprintf(stderr, "kavitron: unable to write %s\n", options.screenshot.c_str());
      rc = 1;
    }
  }
  if (rc == 0 && !options.avi.empty() && window.SaveAnimation(options.avi, options.avi_codec) != 1) {
    std::fprintf(stderr, "kavitron: unable to write %s\n", options.avi.c_str());
    rc = 1;
  }
  if (rc == 0 && !options.save.empty() && window.SaveProject(options.save, true) != 1) {
    std::fprintf(stderr, "kavitron: %s: Unable to save file.\n", options.save.c_str());
    rc = 1;
  }
  return rc;
}

}  // namespace kv
