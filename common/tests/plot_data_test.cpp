#include "common/plot/plot_data.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "common/tests/analysis_test_util.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

// Cross-WLF constants of the delivered polystyrene.
const float kWlf[7] = {0.252f, 30800, 4.76e10f, 373.15f, 0, 25.7f, 61.06f};

TEST(PlotData, ViscosityCurvesFollowCrossWlfOnLogAxes) {
  double t[4];
  ViscosityPlotTemperatures(453.15, 553.15, t);
  EXPECT_DOUBLE_EQ(t[1], 453.15 + 33.3);
  EXPECT_DOUBLE_EQ(t[2], 453.15 + 66.6);
  PlotData plot = BuildViscosityPlot(kWlf, t);
  EXPECT_EQ(plot.scale, kPlotLogarithmic);
  ASSERT_EQ(plot.curves.size(), 4u);
  EXPECT_EQ(plot.curves[0].label, "T = 180 (\xBA" "C)");
  EXPECT_EQ(plot.curves[3].label, "T = 280 (\xBA" "C)");
  const PlotCurve& c = plot.curves[0];
  ASSERT_EQ(c.x.size(), 50u);
  EXPECT_DOUBLE_EQ(c.x.front(), 1);
  EXPECT_NEAR(c.x.back(), 1e5, 1e-9);
  // Closed form at 180 C: eta0 = D1 exp(-A1 (T - D2) / (A2 + T - D2)).
  const double eta0 = 4.76e10 * std::exp(-25.7 * 80 / (61.06 + 80));
  EXPECT_NEAR(c.y[0], eta0 / (1 + std::pow(eta0 * 1 / 30800.0, 1 - 0.252)), 1e-6 * c.y[0]);
  // Shear thinning: high rates far below the low-rate plateau, and a hotter
  // melt flows more easily.
  EXPECT_LT(c.y.back(), c.y.front() / 50);
  EXPECT_LT(plot.curves[3].y[0], plot.curves[0].y[0]);
  const std::string text = FormatPlotData(plot);
  EXPECT_EQ(text.substr(0, text.find("T = ")),
            "Rheology\nViscosity (Pa.s)\nShear rate (1/s)\n2 (1 - Linear, 2 - Logaritmic)\n4\n50\n");
  EXPECT_NE(text.find("\n100000.000000 "), std::string::npos);
}

TEST(PlotData, PvtCurvesSwitchDomainAtTheTransition) {
  // b5 373 K, b6 5.1e-7 K/Pa; solid and melt lines meet at b5 at zero pressure.
  const float tait[13] = {373, 5.1e-7f, 9.76e-4f, 5.8e-7f, 1.67e8f, 3.6e-3f, 9.76e-4f,
                          2.3e-7f, 2.6e8f, 3.0e-3f, 0, 0, 0};
  double p[5];
  PvtPlotPressures(p);
  EXPECT_EQ(p[4], 2e8);
  PlotData plot = BuildPvtPlot(tait, p);
  ASSERT_EQ(plot.curves.size(), 5u);
  EXPECT_EQ(plot.curves[2].label, "p = 100 (MPa)");
  EXPECT_EQ(plot.x_title, "Temperature (\xBA" "C)");
  const PlotCurve& zero = plot.curves[0];
  EXPECT_DOUBLE_EQ(zero.x.front(), 0);
  EXPECT_NEAR(zero.x.back(), 300, 1e-9);
  // At zero pressure V = V0: melt above 99.85 C, solid below, in cm^3/g.
  const double t_melt = zero.x[20] + 273.15;  // 122 C
  EXPECT_NEAR(zero.y[20], (9.76e-4 + 5.8e-7 * (t_melt - 373)) * 1000, 1e-6);
  const double t_solid = zero.x[5] + 273.15;
  EXPECT_NEAR(zero.y[5], (9.76e-4 + 2.3e-7 * (t_solid - 373)) * 1000, 1e-6);
  // At 100 MPa the transition moves up by b6 p = 51 K, and the melt at 300 C
  // is compressed by the Tait factor.
  const double t = 573.15, b = 1.67e8 * std::exp(-3.6e-3 * (t - 373));
  EXPECT_NEAR(plot.curves[2].y[49], (9.76e-4 + 5.8e-7 * (t - 373)) * (1 - 0.0894 * std::log(1 + 1e8 / b)) * 1000,
              1e-6);
  const double t_between = plot.curves[2].x[19] + 273.15;  // 389.5 K: melt at 0 MPa, solid at 100 MPa
  ASSERT_GT(t_between, 373);
  ASSERT_LT(t_between, 373 + 51);
  const double b_solid = 2.6e8 * std::exp(-3.0e-3 * (t_between - 373));
  EXPECT_NEAR(plot.curves[2].y[19],
              (9.76e-4 + 2.3e-7 * (t_between - 373)) * (1 - 0.0894 * std::log(1 + 1e8 / b_solid)) * 1000, 1e-6);
  // Pressure compresses the melt.
  EXPECT_LT(plot.curves[4].y[40], zero.y[40]);
}

ResultEntry Entry(const std::string& name, int label_kind, float time, float thickness,
                  std::vector<float> values, int location = kElementResult) {
  ResultEntry e;
  e.name = name;
  e.unit = "K";
  e.label_kind = label_kind;
  e.location = location;
  e.variable_name[0] = "Time";
  e.variable_unit[0] = "s";
  e.variable_name[1] = "Normalized thickness";
  e.variable_unit[1] = "-";
  e.variable_value[0] = time;
  e.variable_value[1] = thickness;
  for (float v : values) {
    ResultItem item;
    item.values[0] = v;
    item.defined = 1;
    e.items.push_back(item);
  }
  return e;
}

TEST(PlotData, ResultPlotsTakeEveryEntryOfTheQuantityInOrder) {
  ResultSet set;
  // Temperature through the thickness at two times, three layers each, with
  // another quantity in between.
  for (float t : {0.5f, 1.0f}) {
    for (float h : {0.0f, 0.5f, 1.0f}) set.entries.push_back(Entry("Temperature", 2, t, h, {t * 100 + h, 7}));
    set.entries.push_back(Entry("Pressure", 1, t, 0, {t}));
  }
  set.current = 1;  // Temperature at t = 0.5, thickness 0.5
  PlotData plot;
  std::string error;
  ASSERT_EQ(BuildThroughThicknessPlot(set, 0, plot, error), 1) << error;
  ASSERT_EQ(plot.curves.size(), 2u);
  EXPECT_EQ(plot.curves[1].label, "Time = 1.000 (s)");
  EXPECT_EQ(plot.curves[1].x, (std::vector<double>{0, 0.5, 1}));
  EXPECT_DOUBLE_EQ(plot.curves[1].y[2], 101);
  EXPECT_EQ(plot.y_title, "Temperature [K]");
  EXPECT_EQ(plot.x_title, "Normalized thickness [-]");
  EXPECT_EQ(BuildThroughThicknessPlot(set, 2, plot, error), 0);
  EXPECT_EQ(error, "Element 3 is not in the result.");

  set.current = 3;  // Pressure at one node over time
  ASSERT_EQ(BuildEntityTimePlot(set, 0, plot, error), 1) << error;
  ASSERT_EQ(plot.curves.size(), 1u);
  EXPECT_EQ(plot.curves[0].x, (std::vector<double>{0.5, 1}));
  EXPECT_EQ(plot.x_title, "Time [s]");
  EXPECT_EQ(BuildScalarTimePlot(set, plot, error), 0);  // not a global scalar

  ResultSet scalars;
  for (int i = 0; i < 40; ++i) scalars.entries.push_back(Entry("Clamp force", 1, i * 0.1f, 0, {i * 2.0f}, kGlobalResult));
  scalars.current = 0;
  ASSERT_EQ(BuildScalarTimePlot(scalars, plot, error), 1) << error;
  const std::string text = FormatPlotData(plot);
  EXPECT_EQ(text.substr(0, text.find("0.000000 0.000000")),
            "XY plot\nClamp force [K]\nTime [s]\n1 Linear (1 - Linear, 2 - Logaritmic)\n1\n40\n\n");
}

// Points TMPDIR at a scratch directory while it lives.
struct TempDirOverride {
  test::ScratchDir dir;
  std::string saved;
  bool had = false;
  TempDirOverride() {
    if (const char* t = std::getenv("TMPDIR")) {
      had = true;
      saved = t;
    }
    setenv("TMPDIR", dir.path.c_str(), 1);
  }
  ~TempDirOverride() {
    if (had)
      setenv("TMPDIR", saved.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }
};

TEST(PlotData, PlotFileLivesInAPrivateDirectoryAndNeverFollowsALink) {
  TempDirOverride temp;
  std::string path, error;
  ASSERT_EQ(PlotFilePath(path, error), 1) << error;
  const fs::path dir = fs::path(path).parent_path();
  EXPECT_EQ(fs::path(path).filename(), "graph.out");
  EXPECT_EQ(dir.parent_path(), temp.dir.path);
  struct stat st;
  ASSERT_EQ(lstat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A link planted at graph.out is replaced, and its target stays untouched.
  const std::string victim = temp.dir.File("victim.txt");
  test::WriteText(victim, "precious\n");
  fs::create_symlink(victim, path);
  double t[4] = {453.15, 480, 510, 553.15};
  ASSERT_EQ(WritePlotFile(BuildViscosityPlot(kWlf, t), path, error), 1) << error;
  EXPECT_EQ(test::ReadText(victim), "precious\n");
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_EQ(test::ReadText(path).substr(0, 9), "Rheology\n");
  // Only graph.out is left in the directory (no temporary files).
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  // A directory opened to others, or a link in place of the directory, is refused.
  fs::permissions(dir, fs::perms::group_write | fs::perms::others_write, fs::perm_options::add);
  EXPECT_EQ(PlotFilePath(path, error), 0);
  EXPECT_NE(error.find("not a private directory"), std::string::npos) << error;
  fs::remove_all(dir);
  fs::create_directory(temp.dir.File("elsewhere"));
  fs::permissions(temp.dir.File("elsewhere"), fs::perms::owner_all, fs::perm_options::replace);
  fs::create_directory_symlink(temp.dir.File("elsewhere"), dir);
  EXPECT_EQ(PlotFilePath(path, error), 0);
}

TEST(PlotData, UnwritablePlotsAreRefusedWhole) {
  test::ScratchDir dir;
  std::string error;
  PlotData plot;
  plot.title = "XY plot";
  plot.curves.push_back({"a", {1, 2}, {3, 4}});
  plot.curves.push_back({"b", {1}, {3}});
  EXPECT_EQ(WritePlotFile(plot, dir.File("graph.out"), error), 0);
  plot.curves[1] = {"b", {1, 2}, {3, NAN}};
  EXPECT_EQ(WritePlotFile(plot, dir.File("graph.out"), error), 0);
  EXPECT_FALSE(fs::exists(dir.File("graph.out")));
  plot.curves[1].y[1] = 5;
  EXPECT_EQ(WritePlotFile(plot, dir.File("no/such/dir/graph.out"), error), 0);
  EXPECT_NE(error.find("Unable to write file"), std::string::npos);
}

}  // namespace
}  // namespace kv
