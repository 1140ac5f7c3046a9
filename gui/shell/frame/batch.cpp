#include "gui/shell/frame/batch.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/output/pane_output.h"

#include "gui/platform/platform.h"
#include "gui/shell/core/mesh_commands.h"
#include "gui/shell/core/shell_state.h"
#include "gui/shell/frame/main_window.h"

namespace kv {

int RunBatchOptions(MainWindow& window, const BatchOptions& options) {
  int rc = 0;
  if (!options.model.empty()) {
    const int filter = ImportFilterForPath(options.model);
    if (filter == 0) {
      std::fprintf(stderr, "kavitron: %s: unknown mesh file extension.\n", options.model.c_str());
      rc = 1;
    } else {
      // The reader's lines go to the Output pane, and on failure also to
      // standard error, where a script sees them.
      std::vector<std::string> lines;
      int imported = 0;
      {
        PaneCapture capture;
        imported = window.ImportMesh(options.model, filter);
        lines = capture.output;
      }
      for (const std::string& line : lines) AppendOutput(line);
      if (imported != 1) {
        for (const std::string& line : lines) std::fprintf(stderr, "kavitron: %s\n", line.c_str());
        rc = 1;
      }
    }
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
  PumpMessages();
  if (!options.screenshot.empty()) {
    if (window.SaveImage(options.screenshot, 1) != 1) {
      std::fprintf(stderr, "kavitron: unable to write %s\n", options.screenshot.c_str());
      rc = 1;
    }
  }
  return rc;
}

}  // namespace kv
