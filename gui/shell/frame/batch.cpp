#include "gui/shell/frame/batch.h"

#include <cstdio>

#include "gui/platform/platform.h"
#include "gui/shell/core/shell_state.h"
#include "gui/shell/frame/main_window.h"

namespace kv {

int RunBatchOptions(MainWindow& window, const BatchOptions& options) {
  int rc = 0;
  if (!options.model.empty()) {
    std::fprintf(stderr, "kavitron: importing meshes is not part of this build; %s was not read.\n",
                 options.model.c_str());
    rc = 1;
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
