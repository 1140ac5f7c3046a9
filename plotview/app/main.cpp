// curvex: shows the curves of one plot data file.
//   curvex FILE                      the chart window
//   curvex FILE --save out.png|.svg  saves the chart and ends (status 1 on failure)
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "plotview/app/chart_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string file, save;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--save" && i + 1 < argc) {
      save = argv[++i];
    } else if (file.empty()) {
      file = arg;
    } else {
      std::fprintf(stderr, "usage: curvex FILE [--save out.png|out.svg]\n");
      return 1;
    }
  }
  if (file.empty()) {
    std::fprintf(stderr, "usage: curvex FILE [--save out.png|out.svg]\n");
    return 1;
  }
  kv::ChartWindow window;
  std::string error;
  if (!save.empty()) {
    // Laid out but never on screen: the picture has the window's size.
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    if (!window.LoadFile(file, error)) {
      std::fprintf(stderr, "curvex: %s\n", error.c_str());
      return 1;
    }
    // The chart lays out its axes and legend in posted events.
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    if (!window.SaveChart(save, error)) {
      std::fprintf(stderr, "curvex: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (!window.LoadFile(file, error)) {
    QMessageBox::critical(nullptr, QStringLiteral("curvex"), QString::fromStdString(error));
    return 1;
  }
  window.show();
  return app.exec();
}
