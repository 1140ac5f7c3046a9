// The command frame of Import Mesh and Export Mesh without a display.
#include "gui/shell/core/mesh_commands.h"

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"

namespace kv {
namespace {

std::string Plate() { return std::string(KV_SOURCE_DIR) + "/examples/plate/plate.m2D"; }

TEST(MeshCommands, FilterByExtension) {
  EXPECT_EQ(ImportFilterForPath("/a/b/plate.m2D"), 1);
  EXPECT_EQ(ImportFilterForPath("/a/b/PLATE.M3D"), 2);
  EXPECT_EQ(ImportFilterForPath("box.msh"), 13);
  EXPECT_EQ(ImportFilterForPath("part.fem"), 4);
  EXPECT_EQ(ImportFilterForPath("part.vox"), 15);
  EXPECT_EQ(ImportFilterForPath("part.txt"), 0);
  EXPECT_EQ(ImportFilterForPath("/dir.m2D/part"), 0);
  EXPECT_EQ(ImportFilterForPath("noextension"), 0);
  EXPECT_EQ(ExportFilterForPath("out.stl"), 9);
  EXPECT_EQ(ExportFilterForPath("out.msh"), 11);
  EXPECT_EQ(ExportFilterForPath("out.pg2"), 5);
}

TEST(MeshCommands, ImportFrameAndFailures) {
  PaneCapture capture;
  MeshModel model;
  ShellState state;
  state.analysis_dimension = 3;
  ASSERT_EQ(ImportMeshCommand(model, state, Plate(), 1), 1);
  ASSERT_GE(capture.output.size(), 2u);
  EXPECT_EQ(capture.output.front(), "Reading file: " + Plate());
  EXPECT_EQ(capture.output.back().rfind("Elapsed time: ", 0), 0u);
  EXPECT_TRUE(state.data_modified);
  EXPECT_EQ(state.analysis_dimension, 2);
  EXPECT_EQ(state.job_title, "plate");
  EXPECT_GT(model.total_volume, 0.0);  // statistics computed quietly
  // A failed read keeps the model and the flags, and says why.
  const MeshModel before = model;
  state.data_modified = false;
  capture.output.clear();
  EXPECT_EQ(ImportMeshCommand(model, state, "/nonexistent-dir/x.m2D", 1), -1);
  EXPECT_EQ(model.nodes.size(), before.nodes.size());
  EXPECT_FALSE(state.data_modified);
  EXPECT_EQ(state.job_title, "plate");
  ASSERT_EQ(capture.output.size(), 3u);
  EXPECT_NE(capture.output[1].find("/nonexistent-dir/x.m2D"), std::string::npos);
  // The Stereolithography filter reads nothing and changes nothing.
  EXPECT_EQ(ImportMeshCommand(model, state, Plate(), 3), 1);
  EXPECT_EQ(model.nodes.size(), before.nodes.size());
}

TEST(MeshCommands, ExportFrame) {
  PaneCapture capture;
  MeshModel model;
  ShellState state;
  ASSERT_EQ(ImportMeshCommand(model, state, Plate(), 1), 1);
  const std::string path = std::string(::testing::TempDir()) + "kv_mesh_commands.m3D";
  capture.output.clear();
  ASSERT_EQ(ExportMeshCommand(model, state, path, 2, false), 1);
  EXPECT_EQ(capture.output.front(), "Writing file: " + path);
  EXPECT_EQ(state.analysis_dimension, 3);
  std::remove(path.c_str());
  EXPECT_NE(ExportMeshCommand(model, state, "/nonexistent-dir/x.m2D", 1, false), 1);
  EXPECT_EQ(state.analysis_dimension, 3);
  // An export that fails never leaves a partial file where the target was:
  // a directory in the way stays as it is and no scratch file is left.
  const std::string dir = std::string(::testing::TempDir()) + "kv_mesh_commands_dir.m2D";
  std::filesystem::create_directories(dir + "/inside");
  capture.output.clear();
  EXPECT_NE(ExportMeshCommand(model, state, dir, 1, false), 1);
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/inside"));
  for (const auto& entry : std::filesystem::directory_iterator(::testing::TempDir()))
    EXPECT_EQ(entry.path().filename().string().rfind(".kv_mesh_commands_dir.m2D", 0), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(MeshCommands, ImportInMillimetresAndTheHintForHugeModels) {
  const std::string dir = testing::TempDir();
  MeshModel big;
  big.properties = {ElementProperty{1, kPartSurface, "Part surface", 2.0f, 0, 0}};
  big.nodes = {{0, 0, 0}, {60, 0, 0}, {0, 40, 0}};
  Element e;
  e.type = kTriangle;
  e.node_count = 3;
  e.nodes[0] = 0, e.nodes[1] = 1, e.nodes[2] = 2;
  e.property = 0;
  e.category = kPartSurface;
  e.thickness = 2.0f;
  big.elements = {e};
  const std::string path = dir + "kv_mm_plate.m2D";
  ASSERT_EQ(WriteMeshM2D(big, path, 0, ""), 1);
  {
    PaneCapture capture;
    MeshModel model;
    ShellState state;
    ASSERT_EQ(ImportMeshCommand(model, state, path, 1, 0.001), 1);
    EXPECT_FLOAT_EQ(model.nodes[1].x, 0.06f);
    EXPECT_FLOAT_EQ(model.elements[0].thickness, 0.002f);
    EXPECT_NEAR(model.elements[0].area, 0.0012f, 1e-9);  // derived data in metres
    for (const std::string& line : capture.output) EXPECT_EQ(line.find("millimetres"), std::string::npos);
  }
  PaneCapture capture;
  MeshModel model;
  ShellState state;
  ASSERT_EQ(ImportMeshCommand(model, state, path, 1), 1);
  EXPECT_TRUE(capture.HasOutput(
      "The model measures 60.0 m; if its file is in millimetres, import it again with the unit mm."));
}

}  // namespace
}  // namespace kv
