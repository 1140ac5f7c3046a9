// curvex run as a program on each plot kind the pre-processor writes: the
// saved PNG shows the curves in their colours; a damaged file is refused
// with a message and no picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/plot/plot_data.h"
#include "common/tests/analysis_test_util.h"
#include "plotview/core/curve_colours.h"

namespace kv {
namespace {

struct CurvexRun {
  int status = -1;
  std::string error_text;
};

CurvexRun RunCurvex(const QStringList& arguments) {
  QProcess process;
  if (std::getenv("DISPLAY") == nullptr) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
  }
  process.start(QStringLiteral(KV_BIN_DIR "/curvex"), arguments);
  CurvexRun run;
  if (!process.waitForFinished(60000)) return run;
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.error_text = process.readAllStandardError().toStdString();
  return run;
}

// Pixels whose colour is within a small distance of `rgb`.
int PixelsOfColour(const QImage& image, unsigned rgb) {
  const int r = (rgb >> 16) & 0xff, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - r) + std::abs(c.green() - g) + std::abs(c.blue() - b) < 40) ++count;
    }
  }
  return count;
}

ResultEntry Entry(const std::string& name, int label_kind, int location, float time, float thickness, float value) {
  ResultEntry e;
  e.name = name;
  e.unit = "Pa";
  e.label_kind = label_kind;
  e.location = location;
  e.variable_name[0] = "Time";
  e.variable_unit[0] = "s";
  e.variable_name[1] = "Normalized thickness";
  e.variable_unit[1] = "-";
  e.variable_value[0] = time;
  e.variable_value[1] = thickness;
  ResultItem item;
  item.values[0] = value;
  item.defined = 1;
  e.items.assign(3, item);
  return e;
}

// The five plots of the pre-processor, each with its number of curves.
std::vector<std::pair<PlotData, size_t>> FivePlots() {
  std::vector<std::pair<PlotData, size_t>> plots;
  const float wlf[7] = {0.252f, 30800, 4.76e10f, 373.15f, 0, 25.7f, 61.06f};
  double t[4];
  ViscosityPlotTemperatures(453.15, 553.15, t);
  plots.push_back({BuildViscosityPlot(wlf, t), 4});
  const float tait[13] = {373, 5.1e-7f, 9.76e-4f, 5.8e-7f, 1.67e8f, 3.6e-3f, 9.76e-4f,
                          2.3e-7f, 2.6e8f, 3.0e-3f, 0, 0, 0};
  double p[5];
  PvtPlotPressures(p);
  plots.push_back({BuildPvtPlot(tait, p), 5});
  ResultSet thickness, scalar, nodal;
  for (int step = 1; step <= 3; ++step) {
    for (int layer = 0; layer <= 6; ++layer)
      thickness.entries.push_back(Entry("Temperature", 2, kElementResult, step * 0.1f, layer / 6.0f,
                                        500 - 10 * step - 30 * layer / 6.0f * layer / 6.0f));
    scalar.entries.push_back(Entry("Clamp force", 1, kGlobalResult, step * 0.1f, 0, 1e4f * step * step));
    nodal.entries.push_back(Entry("Pressure", 1, kNodalResult, step * 0.1f, 0, 2e6f * step));
  }
  thickness.current = scalar.current = nodal.current = 0;
  PlotData plot;
  std::string error;
  EXPECT_EQ(BuildThroughThicknessPlot(thickness, 1, plot, error), 1) << error;
  plots.push_back({plot, 3});
  EXPECT_EQ(BuildScalarTimePlot(scalar, plot, error), 1) << error;
  plots.push_back({plot, 1});
  EXPECT_EQ(BuildEntityTimePlot(nodal, 2, plot, error), 1) << error;
  plots.push_back({plot, 1});
  return plots;
}

TEST(CurvexView, SavedPicturesOfTheFivePlotKindsShowEveryCurve) {
  test::ScratchDir dir;
  int index = 0;
  for (const auto& [plot, curves] : FivePlots()) {
    ASSERT_EQ(plot.curves.size(), curves);
    const std::string data = dir.File("graph" + std::to_string(index) + ".out");
    const std::string png = dir.File("plot" + std::to_string(index++) + ".png");
    std::string error;
    ASSERT_EQ(WritePlotFile(plot, data, error), 1) << error;
    CurvexRun run = RunCurvex({QString::fromStdString(data), QStringLiteral("--save"), QString::fromStdString(png)});
    ASSERT_EQ(run.status, 0) << plot.title << ": " << run.error_text;
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull()) << png;
    EXPECT_GT(image.width(), 300);
    // Every curve draws a line of many pixels in its own colour (the legend
    // marker alone is far fewer).
    for (size_t c = 0; c < curves; ++c)
      EXPECT_GT(PixelsOfColour(image, kCurveColours[c]), 250) << plot.title << " curve " << c + 1;
    EXPECT_LT(PixelsOfColour(image, kCurveColours[curves]), 20) << plot.title << ": no extra curve";
    // Axis labels and titles are drawn (dark text), not only the lines.
    EXPECT_GT(PixelsOfColour(image, 0x404040) + PixelsOfColour(image, 0x202020), 300) << plot.title;
  }
  // SVG too.
  std::string error;
  ASSERT_EQ(WritePlotFile(FivePlots()[0].first, dir.File("v.out"), error), 1);
  CurvexRun run = RunCurvex({QString::fromStdString(dir.File("v.out")), QStringLiteral("--save"),
                       QString::fromStdString(dir.File("v.svg"))});
  ASSERT_EQ(run.status, 0) << run.error_text;
  EXPECT_NE(test::ReadText(dir.File("v.svg")).find("<svg"), std::string::npos);
}

TEST(CurvexView, DamagedFileIsRefusedWithAMessageAndNoPicture) {
  test::ScratchDir dir;
  test::WriteText(dir.File("bad.out"), "Rheology\nViscosity\nShear\n2\n4\n50\nT = 180\n1 2\n");
  CurvexRun run = RunCurvex({QString::fromStdString(dir.File("bad.out")), QStringLiteral("--save"),
                       QString::fromStdString(dir.File("bad.png"))});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.error_text.find("need more lines than the file holds"), std::string::npos) << run.error_text;
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.png")));
  run = RunCurvex({QString::fromStdString(dir.File("missing.out")), QStringLiteral("--save"),
                   QString::fromStdString(dir.File("m.png"))});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.error_text.find("Unable to open file"), std::string::npos) << run.error_text;
}

}  // namespace
}  // namespace kv
