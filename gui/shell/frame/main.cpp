// kavitron: the pre- and post-processor. Without batch outputs it opens the
// frame and runs until Exit; with --screenshot, --avi or --save it reads the
// model (and results), applies the view, render mode and result entry,
// writes the outputs and ends with a non-zero status on any failure.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>

#include "common/output/pane_output.h"
#include "gui/platform/platform.h"
#include "gui/shell/core/batch_options.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/core/shell_state.h"
#include "gui/shell/frame/batch.h"
#include "gui/shell/frame/main_window.h"

namespace {

// Answers the options that need no window before Qt looks for a display
// (which ends the process when there is none). Returns the exit status, or
// -1 when the program goes on to open its window.
int StartWithoutWindow(int argc, char** argv) {
  const std::vector<std::string> raw(argv + 1, argv + argc);
  kv::BatchOptions options;
  std::string error;
  const bool parsed = kv::ParseBatchOptions(raw, &options, &error);
  if (parsed && options.help) {
    std::fputs(kv::BatchUsage(), stdout);
    return 0;
  }
  if (parsed && options.version) {
    std::fputs(kv::VersionText(), stdout);
    return 0;
  }
  if (kv::DisplayAvailable(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                           std::getenv("QT_QPA_PLATFORM"), raw))
    return -1;  // Qt's own options are taken out once it has started
  if (!parsed) {
    std::fprintf(stderr, "kavitron: %s\n%s", error.c_str(), kv::BatchUsage());
    return 2;
  }
  std::fputs("kavitron: no display to open the window on (DISPLAY is not set); "
             "start it from a desktop session or under xvfb-run.\n",
             stderr);
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
  const int early = StartWithoutWindow(argc, argv);
  if (early >= 0) return early;
  kv::SetDefaultGlFormat();
  QApplication app(argc, argv);
  std::vector<std::string> args;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  kv::BatchOptions options;
  std::string error;
  if (!kv::ParseBatchOptions(args, &options, &error)) {
    std::fprintf(stderr, "kavitron: %s\n%s", error.c_str(), kv::BatchUsage());
    return 2;
  }
  if (options.help || options.version) {
    std::fputs(options.help ? kv::BatchUsage() : kv::VersionText(), stdout);
    return 0;
  }

  kv::MainWindow window;
  // A batch run opens no dialog and echoes the pane lines to standard output.
  if (options.Batch()) {
    window.EchoPanesToStandardOutput();
    window.SetBatchMode(true);
  }
  window.show();
  kv::PumpMessages();
  const int rc = kv::RunBatchOptions(window, options);
  if (options.Batch()) return rc;
  if (rc != 0) {
    // The window stays open with the message in the Output pane.
    kv::AppendOutput("The model given on the command line could not be opened.");
  }
  return app.exec();
}
