// The project and result File commands without a display: progress lines,
// flags, units applied to what is read, and the failures that keep the model.
#include "gui/shell/core/result_commands.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"

namespace kv {
namespace {

const std::string kData = std::string(KV_SOURCE_DIR) + "/common/tests/data/";

std::string Scratch(const std::string& name) {
  const std::string dir = std::string(::testing::TempDir()) + "kv_result_commands_" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  return dir + "/" + name;
}

TEST(ResultCommands, ReadResultsAppliesTheDisplayUnitsAndSavePlotWritesTheCurrentNodalEntry) {
  MeshModel mesh;
  std::string error;
  ASSERT_EQ(ReadMeshNative(mesh, kData + "small.m2D", error), 1) << error;
  ResultSet set;
  BuildPropertyResults(set, mesh);
  ShellState state;
  PaneCapture capture;
  ASSERT_EQ(ReadResultsCommand(set, mesh, state, kData + "result_blocks.f2D"), 1);
  EXPECT_EQ(capture.output.front(), "Reading file: " + kData + "result_blocks.f2D");
  EXPECT_EQ(capture.output.back().rfind("Elapsed time: ", 0), 0u);
  EXPECT_EQ(state.job_title, "result_blocks");
  int pressure = -1;
  for (size_t i = 0; i < set.entries.size(); ++i)
    if (set.entries[i].name == "Pressure") pressure = static_cast<int>(i);
  ASSERT_GE(pressure, 0);
  EXPECT_EQ(set.entries[static_cast<size_t>(pressure)].unit, "MPa");  // Metric at start
  EXPECT_EQ(set.entries[static_cast<size_t>(pressure)].unit_state, 1);
  // A damaged file leaves the set as it was.
  const size_t count = set.entries.size();
  const std::string damaged = Scratch("damaged.f2D");
  std::ofstream(damaged) << "NDDT 1 1 1 3\n        Pressure  Pa\n 0.5\n 1 2.0\n";
  EXPECT_NE(ReadResultsCommand(set, mesh, state, damaged), 1);
  EXPECT_EQ(set.entries.size(), count);

  // Save Plot: only a nodal current entry.
  set.current = 0;  // thickness: an element entry
  EXPECT_EQ(SavePlotCommand(set, Scratch("plot.dat")), 0);
  set.current = pressure;
  ASSERT_EQ(SavePlotCommand(set, Scratch("plot.dat")), 1);
  EXPECT_TRUE(capture.HasOutput("Exporting to file: " + Scratch("plot.dat")));
  std::ifstream plot(Scratch("plot.dat"));
  std::string first;
  std::getline(plot, first);
  EXPECT_EQ(first, "---- Beginning of nodal data.");
  EXPECT_EQ(SavePlotCommand(set, "/proc/kv-plot.dat"), -1);
  // Export for ParaView: nothing without results, the files with them.
  EXPECT_EQ(ExportResultsCommand(ResultSet(), mesh, Scratch("none.pvd")), 0);
  ASSERT_EQ(ExportResultsCommand(set, mesh, Scratch("fill.pvd")), 1);
  EXPECT_TRUE(std::filesystem::exists(Scratch("fill.pvd")));
  EXPECT_TRUE(std::filesystem::exists(Scratch("fill_0000.vtu")));
}

TEST(ResultCommands, ProjectSaveAndOpenSetPathsAndFlags) {
  MeshModel mesh;
  std::string error;
  ASSERT_EQ(ReadMeshNative(mesh, kData + "small.m2D", error), 1) << error;
  AnalysisSettings analysis;
  ResultSet set;
  BuildPropertyResults(set, mesh);
  ShellState state;
  state.data_modified = true;
  PaneCapture capture;
  const std::string path = Scratch("p.sim");
  ASSERT_EQ(SaveProjectCommand({&mesh, &analysis, &set}, state, path), 1);
  EXPECT_FALSE(state.data_modified);
  EXPECT_EQ(state.project_path, path);
  EXPECT_TRUE(capture.HasOutput("Writing file: " + path));
  state.data_modified = true;
  EXPECT_EQ(SaveProjectCommand({&mesh, &analysis, &set}, state, "/proc/p.sim"), 0);
  EXPECT_TRUE(state.data_modified);
  EXPECT_EQ(state.project_path, path);

  MeshModel opened;
  AnalysisSettings opened_analysis;
  ResultSet opened_set;
  ShellState fresh;
  fresh.view.units = 2;
  ASSERT_EQ(OpenProjectCommand({&opened, &opened_analysis, &opened_set}, fresh, path), 1);
  EXPECT_EQ(fresh.project_path, path);
  EXPECT_TRUE(fresh.read_results_enabled);
  EXPECT_EQ(opened.nodes.size(), mesh.nodes.size());
  EXPECT_EQ(opened_set.entries[0].unit, "in");  // the display units of the frame applied
  EXPECT_EQ(opened_set.entries[0].unit_state, 2);
  // A file that is no project: refused with the reason, the tables kept.
  const std::string junk = Scratch("junk.sim");
  std::ofstream(junk) << "junk";
  EXPECT_EQ(OpenProjectCommand({&opened, &opened_analysis, &opened_set}, fresh, junk), 0);
  EXPECT_EQ(opened.nodes.size(), mesh.nodes.size());
  EXPECT_EQ(fresh.project_path, path);
  EXPECT_EQ(std::string(kOpenFailedText), "Unable to open file.");
  EXPECT_EQ(std::string(kSaveFailedText), "Unable to save file.");
}

}  // namespace
}  // namespace kv
