// kavitron: the pre- and post-processor. Without --screenshot it opens the
// frame and runs until Exit; with --screenshot it imports the model, applies
// the view and render mode, writes the picture and ends.

#include <cstdio>
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

int main(int argc, char** argv) {
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
  if (options.help) {
    std::fputs(kv::BatchUsage(), stdout);
    return 0;
  }

  kv::MainWindow window;
  if (options.Batch()) window.EchoPanesToStandardOutput();
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
