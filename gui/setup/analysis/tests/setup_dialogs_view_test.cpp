// The Qt setup dialogs on a display (run under xvfb-run): captions and
// object names, and a refused entry that keeps the dialog open.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/analysis/analysis_files.h"
#include "common/output/pane_output.h"
#include "common/tests/analysis_test_util.h"
#include "gui/platform/platform.h"
#include "gui/setup/analysis/setup_dialog_widgets.h"

namespace kv {
namespace {

QApplication& SharedApp() {
  static int argc = 1;
  static char name[] = "setup_dialogs_view_test";
  static char* argv[] = {name, nullptr};
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static QApplication* app = [] {
    SetDefaultGlFormat();
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Answers the modal widgets that come up, one step per widget, until the
// steps are used up; `seen` records "<object name>|<text>" of each.
class ModalScript {
 public:
  using Step = std::function<void(QWidget* modal)>;
  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start(30);
  }
  std::vector<std::string> seen;

 private:
  void Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_ || next_ >= steps_.size()) return;
    last_ = modal;
    std::string text = modal->objectName().toStdString();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) text = "message|" + box->text().toStdString();
    seen.push_back(text);
    steps_[next_++](modal);
  }
  std::vector<Step> steps_;
  size_t next_ = 0;
  QWidget* last_ = nullptr;
  QTimer timer_;
};

void ClickOk(QWidget* dialog) {
  dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

void SetField(QWidget* dialog, int index, const char* text) {
  dialog->findChild<QLineEdit*>(QStringLiteral("field%1").arg(index))->setText(QString::fromUtf8(text));
}

TEST(SetupDialogsView, RefusedEntryKeepsTheParametersDialogOpen) {
  SharedApp();
  test::ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  std::string model = dir.File("plate.m2D");
  SetupContext context;
  context.settings = &settings;
  context.model_path = &model;
  ModalScript script({
      [](QWidget* d) {
        SetField(d, 0, "zero");
        ClickOk(d);
      },
      [](QWidget* box) { static_cast<QMessageBox*>(box)->accept(); },
      [](QWidget* d) {
        // Still the same dialog: a layer count the solver can use now.
        EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("field2"))->text(), QStringLiteral("1e-06"));
        SetField(d, 0, "7");
        ClickOk(d);
      },
  });
  RunParametersDialog(context);
  ASSERT_EQ(script.seen.size(), 3u);
  EXPECT_EQ(script.seen[0], "Parameters");
  EXPECT_EQ(script.seen[1], "message|Number of layers: \"zero\" is not a whole number.");
  EXPECT_EQ(script.seen[2], "Parameters");
  EXPECT_EQ(settings.parameters.layers, 7);
  SolverParameters expected;
  expected.layers = 7;
  ASSERT_EQ(WriteParameterFile(expected, dir.File("expected.par")), 1);
  EXPECT_EQ(test::ReadText(dir.File("plate.par")), test::ReadText(dir.File("expected.par")));
}

TEST(SetupDialogsView, MaterialsWithoutPolymerAskForOneAndCancelWritesNothing) {
  SharedApp();
  test::ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  std::string model = dir.File("plate.m2D");
  SetupContext context;
  context.settings = &settings;
  context.model_path = &model;
  ModalScript script({
      [](QWidget* d) { ClickOk(d); },
      [](QWidget* box) { static_cast<QMessageBox*>(box)->accept(); },
      [](QWidget* d) { static_cast<QDialog*>(d)->reject(); },
  });
  RunMaterialsDialog(context);
  ASSERT_EQ(script.seen.size(), 3u);
  EXPECT_EQ(script.seen[0], "Materials");
  EXPECT_EQ(script.seen[1], "message|Select polymer first.");
  EXPECT_EQ(script.seen[2], "Materials");
  EXPECT_FALSE(std::filesystem::exists(dir.File("plate.mtl")));
}

TEST(SetupDialogsView, BoundaryConditionsRunTheScrewAndInjectionDialogsForAnInlet) {
  SharedApp();
  test::ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  std::string model = dir.File("plate.m2D");
  SetupContext context;
  context.settings = &settings;
  context.model_path = &model;
  context.dimension = 2;
  context.model_volume = 10e-6;  // 10 cm^3
  std::string stroke_shown, gate_off_shown;
  ModalScript script({
      [](QWidget* d) { ClickOk(d); },  // "Inlet" is preselected
      [](QWidget* d) {
        const char* machine[] = {"", "80", "16", "25.3", "14", "20"};
        for (int i = 1; i < 6; ++i) SetField(d, i, machine[i]);
        ClickOk(d);
      },
      [&](QWidget* d) {
        stroke_shown = d->findChild<QLineEdit*>(QStringLiteral("field1"))->text().toStdString();
        gate_off_shown = d->findChild<QLineEdit*>(QStringLiteral("field20"))->text().toStdString();
        SetField(d, 23, "4.5");  // gate 4 off
        ClickOk(d);
      },
  });
  EXPECT_EQ(RunBoundaryConditionsDialog(context, nullptr), 14);
  ASSERT_EQ(script.seen.size(), 3u);
  EXPECT_EQ(script.seen[0], "Boundary conditions");
  EXPECT_EQ(script.seen[1], "Screw");
  EXPECT_EQ(script.seen[2], "Injection settings");
  EXPECT_EQ(stroke_shown, "32");
  EXPECT_EQ(gate_off_shown, "1000");
  ASSERT_EQ(settings.injection_units.size(), 1u);
  const InjectionUnit& u = settings.injection_units[0];
  EXPECT_EQ(u.max_rate, static_cast<float>(25.3 / 1e6));
  EXPECT_EQ(u.screw_diameter, 0.02f);
  EXPECT_EQ(u.stroke, 32);
  EXPECT_EQ(u.valve_timer[0][1], 1000);
  EXPECT_EQ(u.valve_timer[3][1], 4.5f);
  EXPECT_EQ(settings.inlet_count, 0);  // counted when the pick completes
}

}  // namespace
}  // namespace kv
