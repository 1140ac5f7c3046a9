// The frame's project, result and animation commands: the file dialogs and
// questions, the Results, Contours, Limits, Query and compression-options
// dialogs, and the glue between the result display state and the view. What
// these commands decide lives in gui/shell/core and gui/view/core.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

#include "common/output/pane_output.h"
#include "common/plot/plot_data.h"
#include "common/text/number_format.h"
#include "gui/platform/platform.h"
#include "gui/setup/analysis/setup_dialog_widgets.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/core/command_steps.h"
#include "gui/shell/core/result_commands.h"
#include "gui/shell/frame/main_window.h"
#include "gui/view/core/avi_writer.h"
#include "gui/view/core/dib_image.h"
#include "gui/view/core/result_units.h"
#include "gui/view/gl/graphics_view.h"

namespace kv {
namespace {

// A modal dialog with OK and Cancel under `layout`, named by its number.
QDialogButtonBox* AddOkCancel(QDialog& dialog, QLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

bool OverwriteAllowed(QWidget* parent, const std::string& path) {
  return !QFile::exists(QString::fromStdString(path)) || AskYesNo(parent, "File already exists. Overwrite?");
}

}  // namespace

void MainWindow::StopMessage(const std::string& text) {
  if (!batch_mode_) {
    ShowStop(this, text);
    return;
  }
  AppendOutput(text);
  std::fprintf(stderr, "kavitron: %s\n", text.c_str());
}

bool MainWindow::DispatchResultCommand(int id) {
  switch (id) {
    case kCmdOpen: RunOpenDialog(); return true;
    case kCmdSave: RunSave(); return true;
    case kCmdSaveAs: RunSaveAsDialog(); return true;
    case kCmdReadResults: RunReadResultsDialog(); return true;
    case kCmdSaveAnimation: RunSaveAnimationDialog(); return true;
    case kCmdExportResults: RunExportResultsDialog(); return true;
    case kCmdPlot: RunResultsDialog(); return true;
    case kCmdContours: RunContoursDialog(); return true;
    case kCmdLimits: RunLimitsDialog(); return true;
    case kCmdResultQuery: RunQueryDialog(); return true;
    case kCmdSavePlot: RunSavePlotDialog(); return true;
    case kCmdNext: StepResultFrame(+1); return true;
    case kCmdPrevious: StepResultFrame(-1); return true;
    case kCmdPlay: PlayResults(); return true;
    case kCmdStop: StopResults(); return true;
    default: return false;
  }
}

void MainWindow::AfterModelRead(bool imported) {
  if (imported) {
    // An imported mesh shows its thickness and diameter as results.
    BuildPropertyResults(results_, model_);
    display_ = ResultDisplay();
    ApplyUnits(results_, state_.view.units);
    state_.read_results_enabled = true;
  }
  if (QAction* a = Action(kCmdReadResults)) a->setEnabled(state_.read_results_enabled);
  SyncCheckMarks();
  view_widget_->Invalidate();
  view_widget_->ResetAndRedraw();
}

void MainWindow::ConnectResultHooks() {
  // The value queries and result plots read the result set and the view.
  commands_.results = &results_;
  commands_.display = &display_;
  commands_.results_shown = &state_.view.show_results;
  commands_.hooks.read_view = [this](ViewPicture* picture) {
    BeginWait();
    const bool ok = view_widget_->ReadPicture(picture);
    EndWait();
    return ok;
  };
  commands_.hooks.show_plot = [this](const PlotData& plot) {
    // Batch runs and journal replays start no viewer.
    if (!batch_mode_ && !replaying_) ShowPlotInViewer(this, plot, program_dir_);
  };
  // Property edits and mesh commands show the new thickness and diameter.
  commands_.hooks.property_results = [this] {
    StopResults();
    BuildPropertyResults(results_, model_);
    display_.frame_count = 1;
    display_.current_frame = 0;
    ApplyUnits(results_, state_.view.units);
    if (state_.view.show_results) UpdateCurrentFrame(display_, results_, model_);
    view_widget_->Invalidate();
  };
}

void MainWindow::AfterUnitsChange() {
  ApplyUnits(results_, state_.view.units);
  if (state_.view.show_results) UpdateCurrentFrame(display_, results_, model_);
  view_widget_->Invalidate();
  view_widget_->RedrawView();
}

int MainWindow::OpenProject(const std::string& path, bool quiet) {
  StopResults();
  BeginWait();
  const int rc = OpenProjectCommand({&model_, &analysis_, &results_}, state_, path);
  EndWait();
  if (rc == 1) {
    display_ = ResultDisplay();
    state_.view.show_results = false;
  } else if (!quiet) {
    StopMessage(kOpenFailedText);
  }
  view_widget_->DeleteDisplayLists();
  AfterModelRead(false);
  return rc;
}

int MainWindow::SaveProject(const std::string& path, bool quiet) {
  BeginWait();
  const int rc = SaveProjectCommand({&model_, &analysis_, &results_}, state_, path);
  EndWait();
  if (rc != 1 && !quiet) StopMessage(kSaveFailedText);
  return rc;
}

int MainWindow::ReadResultsFile(const std::string& path) {
  BeginWait();
  const int rc = ReadResultsCommand(results_, model_, state_, path);
  EndWait();
  view_widget_->Invalidate();
  return rc;
}

void MainWindow::RunOpenDialog() {
  int filter = 1;
  std::string path;
  if (!RunFileDialog(this, "Open", ProjectFilters(), false, &filter, &path)) return;
  OpenProject(path);
}

void MainWindow::RunSaveAsDialog() {
  int filter = 1;
  std::string path = state_.project_path;
  if (!RunFileDialog(this, "Save As", ProjectFilters(), true, &filter, &path)) return;
  // The earlier file is replaced only once the new one is complete.
  if (!OverwriteAllowed(this, path)) return;
  SaveProject(path);
}

void MainWindow::RunSave() {
  if (state_.project_path.empty()) RunSaveAsDialog();
  else SaveProject(state_.project_path);
}

void MainWindow::RunReadResultsDialog() {
  int filter = state_.analysis_dimension == 3 ? 3 : 1;
  std::string path = state_.job_title;
  if (!RunFileDialog(this, "Read results", ResultFileFilters(), false, &filter, &path)) return;
  ReadResultsFile(path);
}

void MainWindow::RunExportResultsDialog() {
  if (results_.entries.empty()) {
    StopMessage("Read results first.");
    return;
  }
  int filter = 1;
  std::string path = state_.job_title;
  if (!RunFileDialog(this, "Export Results", ExportResultsFilters(), true, &filter, &path)) return;
  if (!OverwriteAllowed(this, path)) return;
  BeginWait();
  const int rc = ExportResultsCommand(results_, model_, path);
  EndWait();
  if (rc != 1) StopMessage(kSaveFailedText);
}

void MainWindow::RunSavePlotDialog() {
  if (!state_.view.show_results) return;
  int filter = 1;
  std::string path = state_.job_title;
  if (!RunFileDialog(this, "Save Plot", SavePlotFilters(), true, &filter, &path)) return;
  if (!OverwriteAllowed(this, path)) return;
  BeginWait();
  if (SavePlotCommand(results_, path) == 0) AppendOutput("Save Plot writes nodal results only.");
  EndWait();
}

void MainWindow::ChooseResult(int index) {
  if (!ChooseResultEntry(display_, results_, index)) return;
  const ResultEntry& entry = results_.entries[static_cast<size_t>(index)];
  if (entry.location == kHighlightResult && entry.name.rfind("Clamp force centroid", 0) == 0 &&
      !entry.highlights.empty()) {
    const float* v = entry.highlights[0].values;
    AppendOutput(Format("Clamp force centroid: %f, %f, %f", v[0], v[1], v[2]));
  }
  if (entry.location == kGlobalResult) {
    // Curves over time go to the XY plot viewer; the model stays shown.
    PlotData plot;
    std::string error;
    if (BuildScalarTimePlot(results_, plot, error) != 1) StopMessage(error);
    else if (!batch_mode_) ShowPlotInViewer(this, plot, program_dir_);
    state_.view.show_results = false;
  } else if (entry.label_kind == 2) {
    // Values across the thickness: pick an element to plot its profile.
    state_.view.show_results = false;
    RunCommand(commands_, kCodeElementPlot);
  } else {
    UpdateCurrentFrame(display_, results_, model_);
    state_.view.show_results = true;
  }
  SyncCheckMarks();
  view_widget_->Invalidate();
  view_widget_->RedrawView();
}

int MainWindow::ShowResultEntry(const std::string& name, int frame) {
  int index = -1;
  for (size_t i = 0; i < results_.entries.size() && index < 0; ++i)
    if (results_.entries[i].long_label == name) index = static_cast<int>(i);
  for (size_t i = 0; i < results_.entries.size() && index < 0; ++i)
    if (results_.entries[i].name == name) index = static_cast<int>(i);
  if (index < 0) return 0;
  if (frame != 0 && IsSeriesEntry(results_.entries[static_cast<size_t>(index)])) {
    const std::vector<int> series = SeriesOf(results_, index);
    if (frame < 0 || frame >= static_cast<int>(series.size())) {
      if (frame >= 0) return 0;
      index = series.back();
    } else {
      index = series[static_cast<size_t>(frame)];
    }
  }
  ChooseResult(index);
  return 1;
}

bool MainWindow::ShowingLimitSweep() const {
  const int current = results_.current;
  return current >= 0 && current < static_cast<int>(results_.entries.size()) &&
         !IsSeriesEntry(results_.entries[static_cast<size_t>(current)]);
}

void MainWindow::ShowAnimationFrame(int frame) {
  // Sweep frames come from the frame lists; a series entry is a new picture.
  if (ShowingLimitSweep())
    view_widget_->ShowSweepFrame(frame);
  else
    view_widget_->Invalidate();
}

void MainWindow::StepResultFrame(int direction) {
  state_.view.show_results = true;
  SyncCheckMarks();
  if (StepFrame(display_, results_, model_, direction)) ShowAnimationFrame(display_.current_frame);
  view_widget_->RedrawView();
}

void MainWindow::PlayResults() {
  state_.view.show_results = true;
  SyncCheckMarks();
  if (display_.lists_need_compiling) view_widget_->ForgetSweepFrames();
  PlayAnimation(display_, results_, model_, [this](int frame) {
    ShowAnimationFrame(frame);
    view_widget_->RedrawView();
    PumpMessages();
  });
}

void MainWindow::StopResults() { StopAnimation(display_); }

int MainWindow::SaveAnimation(const std::string& path, int compression) {
  if (results_.current < 0 || results_.current >= static_cast<int>(results_.entries.size())) {
    StopMessage("Select results to animate.");
    return 0;
  }
  state_.view.show_results = true;
  SyncCheckMarks();
  std::vector<std::vector<uint8_t>> frames;
  bool captured = true;
  BeginWait();
  if (display_.lists_need_compiling) view_widget_->ForgetSweepFrames();
  PlayAnimation(display_, results_, model_, [&](int frame) {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    ShowAnimationFrame(frame);
    if (!view_widget_->CaptureRgba(&width, &height, &rgba)) {
      captured = false;
      StopAnimation(display_);
      return;
    }
    frames.push_back(PackDib(width, height, rgba));
    PumpMessages();
  });
  EndWait();
  if (!captured || frames.empty()) {
    StopMessage("Unable to read the picture of the view.");
    return 0;
  }
  AviOptions options;
  options.compression = compression;
  std::string message;
  BeginWait();
  const int rc = WriteAviFile(path, frames, options, message);
  EndWait();
  if (rc != 1) {
    AppendOutput(message);
    StopMessage(rc == -1 ? "Unable to open AVI file." : "Error compressing stream.");
    return 0;
  }
  return 1;
}

void MainWindow::RunSaveAnimationDialog() {
  if (results_.current < 0) {
    StopMessage("Select results to animate.");
    return;
  }
  int filter = 1;
  std::string path = state_.job_title;
  if (!RunFileDialog(this, "Save animation", AnimationFilters(), true, &filter, &path)) return;
  if (!OverwriteAllowed(this, path)) return;
  // The compression options: full frames or Motion-JPEG.
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("compression"));
  dialog.setWindowTitle(QStringLiteral("Video Compression"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* full = new QRadioButton(QStringLiteral("Full Frames (Uncompressed)"));
  auto* mjpeg = new QRadioButton(QStringLiteral("Motion JPEG"));
  mjpeg->setChecked(true);
  layout->addWidget(full);
  layout->addWidget(mjpeg);
  AddOkCancel(dialog, layout);
  if (dialog.exec() != QDialog::Accepted) {
    StopMessage("Error saving AVI options.");
    return;
  }
  QElapsedTimer clock;
  clock.start();
  AppendOutput("Writing file: " + path);
  SaveAnimation(path, mjpeg->isChecked() ? kAviMotionJpeg : kAviUncompressed);
  AppendOutput(Format("Elapsed time: %.2f seconds.", static_cast<double>(clock.elapsed()) / 1000.0));
}

void MainWindow::RunResultsDialog() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("228"));
  dialog.setWindowTitle(QStringLiteral("Results"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* list = new QListWidget;
  list->setObjectName(QStringLiteral("1111"));
  for (const ResultEntry& e : results_.entries) list->addItem(QString::fromStdString(e.long_label));
  if (list->count() > 0) list->setCurrentRow(0);
  layout->addWidget(list);
  AddOkCancel(dialog, layout);
  if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return;
  const std::string chosen = list->currentItem()->text().toStdString();
  for (size_t i = 0; i < results_.entries.size(); ++i) {
    if (results_.entries[i].long_label == chosen) {
      ChooseResult(static_cast<int>(i));
      return;
    }
  }
}

void MainWindow::RunContoursDialog() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("229"));
  dialog.setWindowTitle(QStringLiteral("Contours"));
  auto* layout = new QFormLayout(&dialog);
  auto* count = new QComboBox;
  count->setObjectName(QStringLiteral("1115"));
  for (const char* n : {"2", "4", "8", "16", "32", "64", "128"}) count->addItem(QString::fromLatin1(n));
  count->setCurrentText(QStringLiteral("32"));
  auto* draw = new QCheckBox(QStringLiteral("Draw contours"));
  draw->setObjectName(QStringLiteral("1132"));
  draw->setChecked(display_.draw_contours != 0);
  // Off: the bands are cut from the facets and drawn flat instead of through
  // the colour texture (for drivers whose 1D textures misbehave).
  auto* texture = new QCheckBox(QStringLiteral("Texture contouring"));
  texture->setObjectName(QStringLiteral("texture"));
  texture->setChecked(display_.texture_contouring != 0);
  layout->addRow(QStringLiteral("Number of contours:"), count);
  layout->addRow(draw);
  layout->addRow(texture);
  AddOkCancel(dialog, layout);
  if (dialog.exec() != QDialog::Accepted) return;
  display_.draw_contours = draw->isChecked() ? 1 : 0;
  display_.texture_contouring = texture->isChecked() ? 1 : 0;
  display_.contours = count->currentText().toInt() - 1;  // the texture follows at the rebuild
  view_widget_->Invalidate();
  view_widget_->RedrawView();
}

void MainWindow::RunLimitsDialog() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("237"));
  dialog.setWindowTitle(QStringLiteral("Limits"));
  auto* layout = new QFormLayout(&dialog);
  auto* min_edit = new QLineEdit;
  auto* max_edit = new QLineEdit;
  min_edit->setObjectName(QStringLiteral("1129"));
  max_edit->setObjectName(QStringLiteral("1130"));
  if (!results_.entries.empty()) {
    min_edit->setText(QString::fromStdString(Format("%f", display_.minimum)));
    max_edit->setText(QString::fromStdString(Format("%f", display_.maximum)));
  }
  auto* automatic = new QCheckBox(QStringLiteral("Auto"));
  automatic->setObjectName(QStringLiteral("1131"));
  layout->addRow(QStringLiteral("Min:"), min_edit);
  layout->addRow(QStringLiteral("Max:"), max_edit);
  layout->addRow(automatic);
  AddOkCancel(dialog, layout);
  if (dialog.exec() != QDialog::Accepted) return;
  std::string message;
  if (!ApplyLimits(display_, automatic->isChecked(), min_edit->text().toStdString(), max_edit->text().toStdString(),
                   &message)) {
    // A limit that is not a number leaves the limits as they were.
    StopMessage(message);
    return;
  }
  UpdateCurrentFrame(display_, results_, model_);
  view_widget_->Invalidate();
  view_widget_->RedrawView();
}

void MainWindow::RunQueryDialog() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("239"));
  dialog.setWindowTitle(QStringLiteral("Query"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* value = new QRadioButton(QStringLiteral("Value (Interactive)"));
  auto* area = new QRadioButton(QStringLiteral("Value x Area"));
  value->setObjectName(QStringLiteral("1135"));
  area->setObjectName(QStringLiteral("1136"));
  value->setChecked(true);
  layout->addWidget(value);
  layout->addWidget(area);
  AddOkCancel(dialog, layout);
  if (dialog.exec() != QDialog::Accepted) return;
  RunCommand(commands_, value->isChecked() ? kCodeValueAtCursor : kCodeValueTimesArea);
  view_widget_->Invalidate();
  view_widget_->RedrawView();
}

}  // namespace kv
