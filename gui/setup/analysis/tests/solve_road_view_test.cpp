// The whole road inside the pre-processor (run under xvfb-run): the example
// plate's mesh imported, the analysis set up through the dialogs' functions,
// Simulation > Solve, the solver awaited, its results read back with the fill
// complete and the same status table as the solver run by hand on the
// delivered example job. The job lives in a folder whose name holds blanks,
// quotes and non-ASCII letters.
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "common/analysis/setup_dialogs.h"
#include "common/analysis/solver_launch.h"
#include "common/database/databases.h"
#include "common/output/pane_output.h"
#include "common/results/result_reader.h"
#include "common/tests/analysis_test_util.h"
#include "gui/platform/platform.h"
#include "gui/setup/analysis/solver_run.h"
#include "gui/shell/core/interpreter.h"
#include "gui/shell/frame/main_window.h"
#include "mesh/engine/mesh_statistics.h"
#include "mesh/exchange/mesh_exchange.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

QApplication& App() {
  static int argc = 1;
  static char name[] = "solve_road_view_test";
  static char* argv[] = {name, nullptr};
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
  static QApplication* app = [] {
    SetDefaultGlFormat();
    return new QApplication(argc, argv);
  }();
  return *app;
}

const std::string kExample = std::string(KV_SOURCE_DIR) + "/examples/plate/";

// Waits until no started program runs any more (at most two minutes).
bool WaitForRuns(MainWindow& window) {
  for (int i = 0; i < 1200 && window.Runs().Running() > 0; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  QApplication::processEvents();
  return window.Runs().Running() == 0;
}

// The status table of a log: from "Filling cavity..." to the fill message.
std::string StatusTable(const std::string& log) {
  const size_t begin = log.find("Filling cavity...");
  const size_t end = log.find("Cavity is completely filled.");
  if (begin == std::string::npos || end == std::string::npos) return std::string();
  return log.substr(begin, end - begin);
}

// The inlet node of the example (1-based in its file, 0-based back).
int ExampleInlet() {
  const std::string bcd = test::ReadText(kExample + "plate.bcd");
  const size_t at = bcd.find("10 1 Inlet - Nodes \n");
  return at == std::string::npos ? -1 : std::stoi(bcd.substr(at + 20)) - 1;
}

class SolveRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    window_ = std::make_unique<MainWindow>();
    window_->SetProgramDir(KV_BIN_DIR);
    window_->show();
    PumpMessages();
    job_dir_ = dir_.path / "my \"quoted\" job's pl\xC3\xA4tte \xC3\xA9t\xC3\xA9";
    fs::create_directories(job_dir_);
  }
  void TearDown() override {
    window_.reset();
    PumpMessages();
  }
  test::ScratchDir dir_;
  fs::path job_dir_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(SolveRoad, ImportSetUpSolveAndReadTheFilledPlate) {
  PaneCapture pane;
  fs::copy_file(kExample + "plate.m2D", job_dir_ / "plate.m2D");
  ASSERT_EQ(window_->ImportMesh((job_dir_ / "plate.m2D").string(), kImportM2D), 1);
  AnalysisSettings& settings = window_->analysis();
  std::string& model_path = window_->state().model_path;
  const double volume = PrintStatistics(window_->model(), false);
  std::string error;

  // Parameters and materials as the dialogs open them, the delivered polystyrene.
  ASSERT_TRUE(AcceptParametersDialog(settings, OpenParametersDialog(settings.parameters), model_path).message.empty());
  std::vector<MaterialRecord> materials;
  ASSERT_EQ(LoadMaterials(materials, DatabasePath(KV_BIN_DIR, "materials.mdb"), error), 1) << error;
  PickMaterial(settings, materials, 0);
  ASSERT_TRUE(AcceptMaterialsDialog(settings, OpenMaterialsDialog(settings), model_path).message.empty());
  // Processing conditions: the user keeps 50 C mold and 90 C ejection.
  ProcessFields process = OpenProcessDialog(settings);
  process.text[1] = "50";
  process.text[2] = "90";
  ASSERT_TRUE(AcceptProcessDialog(settings, process, model_path).message.empty());
  // Boundary conditions, inlet: the screw the database proposes, the
  // injection settings as proposed, then the inlet node picked.
  bool injection_dialogs = false;
  ASSERT_EQ(BoundaryPickState(2, 1, injection_dialogs), 14);
  BeginInjectionUnit(settings);
  std::vector<ScrewRecord> screws;
  ASSERT_EQ(LoadScrews(screws, DatabasePath(KV_BIN_DIR, "screws.mdb"), error), 1) << error;
  ASSERT_TRUE(AcceptScrewDialog(settings, ScrewFieldsOf(screws[PreselectScrew(screws, volume, 0)])).close);
  DialogReply opening;
  InjectionFields injection = OpenInjectionDialog(settings, volume, opening);
  ASSERT_TRUE(opening.message.empty()) << opening.message;
  ASSERT_TRUE(AcceptInjectionDialog(settings, injection).close);
  // The inlet pick the dialog starts: the node typed on the command line.
  ASSERT_GE(ExampleInlet(), 0);
  window_->commands().refresh_tables();
  RunCommand(window_->commands(), 14);
  window_->CommandLine()->setText(QString::number(ExampleInlet() + 1));
  window_->TakeCommandEnter();
  EXPECT_EQ(settings.inlet_count, 1);

  // The dialogs wrote the example's analysis files.
  for (const char* ext : {"par", "prc", "bcd", "inj", "mtl"})
    EXPECT_EQ(test::ReadText((job_dir_ / "plate.").string() + ext), test::ReadText(kExample + "plate." + ext)) << ext;

  ASSERT_EQ(window_->Solve(kFlowAnalysis), 1);
  ASSERT_TRUE(WaitForRuns(*window_));
  const std::string job = (job_dir_ / "plate").string();
  EXPECT_TRUE(pane.HasOutput("Analysis ended with status 1 (run completed): " + std::string(KV_BIN_DIR) + "/fluxar"))
      << window_->PaneText(0);
  EXPECT_TRUE(pane.HasOutput("Results are ready: use File > Read Results on " + job + ".f2D"));

  ResultSet results;
  ASSERT_EQ(ReadResults(results, window_->model(), job + ".f2D", error), 1) << error;
  const ResultEntry* front = nullptr;
  for (const ResultEntry& e : results.entries)
    if (e.name == "Melt-front advancement") front = &e;
  ASSERT_NE(front, nullptr);
  ASSERT_EQ(front->items.size(), window_->model().nodes.size());
  for (const ResultItem& item : front->items) EXPECT_EQ(item.defined, 1);  // every node reached

  // The same status table as the solver run by hand on the example job.
  const fs::path by_hand = dir_.path / "by hand";
  fs::create_directories(by_hand);
  for (const char* ext : {"m2D", "par", "prc", "bcd", "inj", "mtl"})
    fs::copy_file(kExample + "plate." + ext, by_hand / (std::string("plate.") + ext));
  QProcess fluxar;
  fluxar.start(QStringLiteral(KV_BIN_DIR "/fluxar"), {QString::fromStdString((by_hand / "plate").string())});
  ASSERT_TRUE(fluxar.waitForFinished(120000));
  EXPECT_EQ(fluxar.exitCode(), 1);
  const std::string table = StatusTable(test::ReadText(job + ".f2D.log"));
  EXPECT_FALSE(table.empty());
  EXPECT_EQ(table, StatusTable(test::ReadText((by_hand / "plate.f2D.log").string())));

  // The log dialog shows the log of the run.
  LogDialog log(window_.get(), JobPath(model_path), 2);
  EXPECT_NE(log.PaneText().find("Cavity is completely filled."), std::string::npos);
}

TEST_F(SolveRoad, ProgramsThatAreMissingOrCannotStartAreReported) {
  PaneCapture pane;
  fs::copy_file(kExample + "plate.m2D", job_dir_ / "plate.m2D");
  ASSERT_EQ(window_->ImportMesh((job_dir_ / "plate.m2D").string(), kImportM2D), 1);
  // Opti is not part of this suite: the mesh is written all the same.
  fs::remove(job_dir_ / "plate.m2D");
  EXPECT_EQ(window_->Solve(0), 0);
  EXPECT_TRUE(fs::exists(job_dir_ / "plate.m2D"));
  EXPECT_TRUE(pane.HasOutput("Analysis program not installed: " + std::string(KV_BIN_DIR) + "/gatewise"));

  // A program that is there but cannot be started says so with its path.
  const fs::path bin = dir_.path / "bin";
  fs::create_directories(bin);
  test::WriteText((bin / "fluxar").string(), "not a program\n");
  fs::permissions(bin / "fluxar", fs::perms::owner_all);
  window_->SetProgramDir(bin.string());
  EXPECT_EQ(window_->Solve(kFlowAnalysis), 0);
  bool said = false;
  for (const std::string& line : pane.output)
    said = said || line.rfind("Unable to start the analysis program: " + (bin / "fluxar").string(), 0) == 0;
  EXPECT_TRUE(said) << window_->PaneText(0);
  EXPECT_EQ(window_->Runs().Running(), 0);
}

}  // namespace
}  // namespace kv
