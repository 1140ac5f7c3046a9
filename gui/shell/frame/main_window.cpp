#include "gui/shell/frame/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/output/pane_output.h"
#include "gui/platform/platform.h"
#include "gui/setup/analysis/setup_dialog_widgets.h"
#include "gui/setup/analysis/solver_run.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/core/file_commands.h"
#include "gui/shell/core/menu_table.h"
#include "gui/shell/core/mesh_commands.h"
#include "gui/shell/core/system_info.h"
#include "gui/shell/frame/tool_icons.h"
#include "gui/view/core/dib_image.h"
#include "gui/view/core/png_writer.h"
#include "gui/view/gl/graphics_view.h"
#include "mesh/engine/mesh_edit.h"
#include "mesh/engine/mesh_statistics.h"
#include "mesh/exchange/mesh_exchange.h"

namespace kv {
namespace {

// Pane geometry: heights in the bottom band and the toolbar column width (pixels).
constexpr int kOutputHeight = 100;
constexpr int kInputHeight = 70;
constexpr int kCommandHeight = 30;
constexpr int kToolbarWidth = 200;
constexpr int kStatusPart0Width = 250;
// Toolbar buttons (pixels) and buttons per row.
constexpr int kButtonWidth = 30;
constexpr int kButtonHeight = 28;
constexpr int kButtonsPerRow = 6;

// Shows a toolbar button's tool-tip text in status part 0 while the mouse is on it.
class ToolTipToStatus : public QObject {
 public:
  ToolTipToStatus(QObject* parent, QLabel* status) : QObject(parent), status_(status) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Enter || event->type() == QEvent::ToolTip) {
      if (auto* button = qobject_cast<QToolButton*>(watched)) status_->setText(button->toolTip());
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QLabel* status_;
};

void AppendToPane(QPlainTextEdit* pane, const std::string& line) {
  if (!pane) return;
  pane->appendPlainText(QString::fromStdString(line));
  pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
}

}  // namespace

MainWindow::MainWindow() {
  setWindowTitle(QStringLiteral("KAVITRON"));
  setObjectName(QStringLiteral("MainWindowClass"));
  resize(1000, 720);
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
  // The bottom band runs under the toolbar column.
  setCorner(Qt::BottomRightCorner, Qt::BottomDockWidgetArea);
  setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("MDIClient"));
  setCentralWidget(mdi_);
  CreateStatusBar();
  CreatePanes();

  program_dir_ = QCoreApplication::applicationDirPath().toStdString();
  solver_runs_ = std::make_unique<SolverRuns>();
  // A finished run offers its results: File > Read Results becomes available.
  solver_runs_->on_finished = [this](const std::string&, int status) {
    if (status != 1) return;
    state_.read_results_enabled = true;
    if (QAction* a = Action(kCmdReadResults)) a->setEnabled(!MenuCommandGreyed(kCmdReadResults));
  };

  view_widget_ = new GraphicsView(view_, state_.view, model_);
  view_widget_->SetBoundarySource(&analysis_);
  view_widget_->SetResultSource(&results_, &display_);
  view_widget_->setObjectName(QStringLiteral("OpenGLWindowClass"));
  view_widget_->on_restore_status = [this] { RestoreStatus(); };
  view_widget_->on_step_frame = [this](int direction) { StepResultFrame(direction); };
  graphics_child_ = mdi_->addSubWindow(view_widget_);
  graphics_child_->setWindowTitle(QStringLiteral("Graphics"));
  graphics_child_->resize(588, 400);
  graphics_child_->showMaximized();
  // Its close box hides the child and keeps the view, which the frame and
  // its commands refer to; Window > Graphics shows it again.
  graphics_child_->setAttribute(Qt::WA_DeleteOnClose, false);
  graphics_child_->installEventFilter(this);

  CreateMenus();
  SyncCheckMarks();
  ConnectInterpreter();
  ConnectResultHooks();

  // Pane output of every module goes into the panes from now on.
  SetOutputSink([this](const std::string& line) { AppendToPane(output_, line); });
  SetInputSink([this](const std::string& line) {
    AppendToPane(input_, line);
    if (command_) command_->setFocus();
  });
}

void MainWindow::SetBatchMode(bool on) { batch_mode_ = on; }

MainWindow::~MainWindow() {
  SetOutputSink(PaneSink());
  SetInputSink(PaneSink());
}

void MainWindow::CreateStatusBar() {
  status_[0] = new QLabel(QString::fromLatin1(kIdleStatus));
  status_[0]->setFixedWidth(kStatusPart0Width);
  status_[0]->setObjectName(QStringLiteral("StatusPart0"));
  status_[1] = new QLabel;
  status_[1]->setObjectName(QStringLiteral("StatusPart1"));
  statusBar()->addWidget(status_[0]);
  statusBar()->addWidget(status_[1], 1);
  statusBar()->setMinimumHeight(20);
}

void MainWindow::CreatePanes() {
  auto make_pane = [this](int index, const char* title, QWidget* content, Qt::DockWidgetArea area) {
    auto* pane = new QDockWidget(QString::fromLatin1(title), this);
    pane->setObjectName(QString::fromLatin1(title));
    pane->setAllowedAreas(area);
    pane->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    pane->setWidget(content);
    panes_[index] = pane;
    return pane;
  };

  output_ = new QPlainTextEdit;
  output_->setReadOnly(true);
  output_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont courier(QStringLiteral("Courier"));
  courier.setStyleHint(QFont::TypeWriter);
  courier.setPixelSize(12);
  output_->setFont(courier);
  input_ = new QPlainTextEdit;
  input_->setReadOnly(true);
  QFont sans(QStringLiteral("Sans Serif"));
  sans.setPixelSize(14);
  input_->setFont(sans);
  command_ = new QLineEdit;
  command_->setMaxLength(static_cast<int>(kCommandLineLimit));
  QFont small_sans(QStringLiteral("Sans Serif"));
  small_sans.setPixelSize(12);
  command_->setFont(small_sans);
  connect(command_, &QLineEdit::returnPressed, this, [this] { TakeCommandEnter(); });

  QDockWidget* output = make_pane(kPaneOutput, "Output", output_, Qt::BottomDockWidgetArea);
  QDockWidget* input = make_pane(kPaneInput, "Input", input_, Qt::BottomDockWidgetArea);
  QDockWidget* command = make_pane(kPaneCommand, "Command", command_, Qt::BottomDockWidgetArea);
  toolbar_ = new QWidget;
  QDockWidget* toolbar = make_pane(kPaneToolbar, "Toolbar", toolbar_, Qt::RightDockWidgetArea);

  // Output left 0.6 of the band; Input over Command on the right 0.4;
  // the toolbar column at the right edge above the band.
  addDockWidget(Qt::BottomDockWidgetArea, output);
  splitDockWidget(output, input, Qt::Horizontal);
  splitDockWidget(input, command, Qt::Vertical);
  addDockWidget(Qt::RightDockWidgetArea, toolbar);
  const int band_width = width();
  resizeDocks({output, input}, {band_width * 6 / 10, band_width * 4 / 10}, Qt::Horizontal);
  resizeDocks({input, command}, {kInputHeight, kCommandHeight}, Qt::Vertical);
  resizeDocks({output}, {kOutputHeight}, Qt::Vertical);
  resizeDocks({toolbar}, {kToolbarWidth}, Qt::Horizontal);
  command->setMaximumHeight(kCommandHeight + 30);
}

void MainWindow::CreateToolbar(QDockWidget* /*pane*/) {
  auto* grid = new QGridLayout(toolbar_);
  grid->setContentsMargins(4, 3, 3, 3);
  grid->setSpacing(1);
  auto* filter = new ToolTipToStatus(this, status_[0]);
  int row = 0, column = 0;
  for (const ToolButton& b : ToolbarButtons()) {
    // Every group of the toolbar starts a row of its own.
    if (b.style == kToolSeparator) {
      ++row;
      column = 0;
      continue;
    }
    if (column == kButtonsPerRow) {
      ++row;
      column = 0;
    }
    // The icon rides on the action: a button takes its icon from its action
    // again whenever the action changes (checked, enabled), so an icon set
    // on the button alone would be lost. Menus keep showing text only.
    QAction* action = actions_.at(b.id);
    action->setIcon(ToolIcon(b.id));
    action->setIconVisibleInMenu(false);
    auto* button = new QToolButton(toolbar_);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(24, 24));
    button->setFixedSize(kButtonWidth, kButtonHeight);
    button->setAutoRaise(true);
    button->setToolTip(QString::fromLatin1(b.tooltip));
    button->setObjectName(QString::number(b.id));
    button->installEventFilter(filter);
    grid->addWidget(button, row, column++);
    tool_buttons_[b.id] = button;
  }
  grid->setRowStretch(row + 1, 1);
  grid->setColumnStretch(kButtonsPerRow, 1);
}

void MainWindow::CreateMenus() {
  std::vector<QMenu*> stack;
  std::map<int, QActionGroup*> groups;
  for (const MenuRow& row : MainMenuRows()) {
    switch (row.kind) {
      case kMenuPopup: {
        QMenu* menu = stack.empty() ? menuBar()->addMenu(QString::fromLatin1(row.caption))
                                    : stack.back()->addMenu(QString::fromLatin1(row.caption));
        stack.push_back(menu);
        break;
      }
      case kMenuEnd:
        if (!stack.empty()) stack.pop_back();
        break;
      case kMenuSeparator:
        if (!stack.empty()) stack.back()->addSeparator();
        break;
      default: {
        if (stack.empty()) break;
        QAction* action = stack.back()->addAction(QString::fromLatin1(row.caption));
        action->setData(row.id);
        action->setObjectName(QString::number(row.id));
        action->setCheckable(row.checkable);
        action->setChecked(row.checked);
        action->setEnabled(!MenuCommandGreyed(row.id));
        if (row.radio_group != kRadioNone) {
          QActionGroup*& group = groups[row.radio_group];
          if (!group) group = new QActionGroup(this);
          group->addAction(action);
        }
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
        actions_[id] = action;
        break;
      }
    }
  }
  CreateToolbar(panes_[kPaneToolbar]);
}

QAction* MainWindow::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QToolButton* MainWindow::ToolButtonOf(int id) const {
  auto it = tool_buttons_.find(id);
  return it == tool_buttons_.end() ? nullptr : it->second;
}

void MainWindow::SyncCheckMarks() {
  for (auto& [id, action] : actions_) {
    if (action->isCheckable()) action->setChecked(CommandChecked(state_, id));
  }
}

std::string MainWindow::PaneText(int index) const {
  if (index == kPaneOutput) return output_->toPlainText().toStdString();
  if (index == kPaneInput) return input_->toPlainText().toStdString();
  if (index == kPaneCommand) return command_->text().toStdString();
  return std::string();
}

std::string MainWindow::StatusText(int part) const {
  return (part == 0 || part == 1) ? status_[part]->text().toStdString() : std::string();
}

void MainWindow::SetStatus(int part, const std::string& text) { status_[part]->setText(QString::fromStdString(text)); }

void MainWindow::RestoreStatus() {
  SetStatus(0, kIdleStatus);
  SetStatus(1, std::string());
}

void MainWindow::ClearPane(int index) {
  if (index == kPaneOutput) output_->clear();
  else if (index == kPaneInput) input_->clear();
  else if (index == kPaneCommand) command_->clear();
}

void MainWindow::BeginWait() {
  SetStatus(0, "Please wait...");
  SetStatus(1, std::string());
  SetBusyCursor(true);
}

void MainWindow::EndWait() {
  SetBusyCursor(false);
  RestoreStatus();
}

void MainWindow::TakeCommandEnter() {
  const std::string text = command_->text().toStdString();
  ClearPane(kPaneCommand);
  TakeCommandLine(commands_, text);
}

int MainWindow::PopupChoiceMenu(int resource) {
  const ChoiceMenu* choice = FindChoiceMenu(resource);
  if (!choice) return 0;
  QMenu menu(this);
  for (const ChoiceItem& item : choice->items) {
    QAction* a = menu.addAction(QString::fromLatin1(item.caption));
    a->setData(QString::fromLatin1(item.text));
  }
  // Left of the toolbar, a little below its top.
  const QPoint top_left = toolbar_->mapToGlobal(QPoint(0, 0));
  QAction* chosen = menu.exec(QPoint(top_left.x() - 100, top_left.y() + 200));
  if (chosen) {
    command_->setText(chosen->data().toString());
    TakeCommandEnter();
  }
  return 1;
}

void MainWindow::ShowPane(int index) {
  QDockWidget* pane = panes_[index];
  pane->show();
  pane->raise();
  if (index == kPaneCommand) command_->setFocus();
}

void MainWindow::ApplyEffect(const CommandEffect& e) {
  if (!e.output.empty()) AppendOutput(e.output);
  if (e.check_marks) SyncCheckMarks();
  if (e.visibility) commands_.refresh_tables();  // hidden elements leave the pick tables
  if (e.invalidate) view_widget_->Invalidate();
  if (e.redraw) view_widget_->RedrawView();
}

void MainWindow::SavePrompt() {
  if (!state_.data_modified) return;
  if (AskYesNo(this, "Data has not been saved. Save now?")) RunSave();
}

void MainWindow::NewModel() {
  StopResults();
  view_widget_->DeleteDisplayLists();
  if (QAction* a = Action(kCmdReadResults)) a->setEnabled(false);
  EndCommand(commands_);
  ClearSelection(selection_);
  model_ = MeshModel();
  ResetAnalysisSettings(analysis_);  // the boundary records belong to the model
  current_property_ = 0;
  commands_.refresh_tables();
  results_ = ResultSet();
  display_ = ResultDisplay();
  state_.data_modified = false;
  state_.read_results_enabled = false;
  state_.view.show_results = false;
  SyncCheckMarks();
  view_widget_->Invalidate();
  view_widget_->RedrawView();
}

void MainWindow::ZoomToModel() { view_widget_->ResetAndRedraw(); }

void MainWindow::SetStandardViewNow(int which) {
  const std::vector<ViewState> states = PlanStandardView(view_, which);
  if (!states.empty()) view_widget_->PlayMove({states.back()});
}

void MainWindow::Dispatch(int id) {
  // Commands of modules not in this build are greyed and never arrive here;
  // an entry greyed at start (Read Results) runs once the frame enables it.
  const QAction* action = Action(id);
  if (action ? !action->isEnabled() : MenuCommandGreyed(id)) return;
  if (!view_open_ && CommandNeedsView(id)) return;
  const CommandEffect effect = ApplyFlagCommand(state_, id);
  if (effect.handled) {
    ApplyEffect(effect);
    if (id == kCmdMetric || id == kCmdEnglish || id == kCmdShowResults) AfterUnitsChange();
    return;
  }
  if (const int code = InterpretedCommandOf(id)) {
    commands_.refresh_tables();
    RunCommand(commands_, code);
    return;
  }
  if (RunSelectionCommand(id) || RunPropertyCommand(id)) return;
  if (DispatchResultCommand(id)) return;
  const int standard = StandardViewOfCommand(id);
  if (standard >= 0) {
    view_widget_->StandardView(standard);
    return;
  }
  switch (id) {
    case kCmdNew:
      SavePrompt();
      NewModel();
      break;
    case kCmdImportMesh: RunImportMeshDialog(); break;
    case kCmdExportMesh: RunExportMeshDialog(); break;
    case kCmdSaveImage: RunSaveImageDialog(); break;
    case kCmdMeshStatistics: PrintStatistics(model_, true); break;
    case kCmdExit:
      SavePrompt();
      ExitProgram();
      break;
    case kCmdForeground: ChooseColour(false); break;
    case kCmdBackground: ChooseColour(true); break;
    case kCmdRedraw: view_widget_->RedrawView(); break;
    case kCmdZoomWindow:
      SetStatus(0, "Press mouse left button and drag.");
      view_widget_->ArmZoomWindow();
      break;
    case kCmdZoomAll: view_widget_->ZoomAll(); break;
    case kCmdCopyToClipboard: CopyToClipboard(); break;
    case kCmdShowOutput: ShowPane(kPaneOutput); break;
    case kCmdShowInput: ShowPane(kPaneInput); break;
    case kCmdShowCommand: ShowPane(kPaneCommand); break;
    case kCmdShowToolbar: ShowPane(kPaneToolbar); break;
    case kCmdShowGraphics:
      graphics_child_->showMaximized();
      mdi_->setActiveSubWindow(graphics_child_);
      SetViewOpen(true);
      break;
    case kCmdHelpIndex: ShowHelpIndex(); break;
    case kCmdSystem: ShowSystemInformation(); break;
    case kCmdAbout: ShowAbout(); break;
    case kCmdParameters:
    case kCmdMaterials:
    case kCmdProcessingConditions:
    case kCmdBoundaryConditionsDialog:
    case kCmdSolve:
    case kCmdLog: RunSetupCommand(id); break;
    default:
      // Undo, Options and Record are entries without an action.
      break;
  }
}

SetupContext MainWindow::SetupFor() {
  SetupContext c;
  c.parent = this;
  c.settings = &analysis_;
  c.model_path = &state_.model_path;
  c.program_dir = program_dir_;
  c.dimension = state_.analysis_dimension;
  c.model_volume = model_.total_volume;
  return c;
}

int MainWindow::Solve(int type) {
  return solver_runs_->Solve(model_, state_.model_path, state_.analysis_dimension, type, program_dir_);
}

void MainWindow::RunSetupCommand(int id) {
  SetupContext c = SetupFor();
  switch (id) {
    case kCmdParameters: RunParametersDialog(c); break;
    case kCmdMaterials: RunMaterialsDialog(c); break;
    case kCmdProcessingConditions: RunProcessDialog(c); break;
    case kCmdBoundaryConditionsDialog: {
      // The shot the machine must hold is the model's volume.
      c.model_volume = PrintStatistics(model_, false);
      const int pick = RunBoundaryConditionsDialog(c, [this] { view_widget_->RedrawView(); });
      if (pick != 0) {
        commands_.refresh_tables();
        RunCommand(commands_, pick);
      }
      break;
    }
    case kCmdSolve: {
      const int type = RunSolverDialog(this);
      if (type >= 0) Solve(type);
      break;
    }
    case kCmdLog: {
      // Modeless, so that the frame stays usable while the log grows.
      auto* log = new LogDialog(this, state_.model_path.empty() ? std::string() : JobPath(state_.model_path),
                                state_.analysis_dimension);
      log->setAttribute(Qt::WA_DeleteOnClose);
      log->show();
      break;
    }
    default: break;
  }
}

void MainWindow::ChooseColour(bool background) {
  float* rgb = background ? state_.view.background : state_.view.foreground;
  const QColor initial = QColor::fromRgbF(rgb[0], rgb[1], rgb[2]);
  const QColor chosen = QColorDialog::getColor(initial, this, QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return;
  // Each channel / 255; the background keeps its alpha.
  rgb[0] = static_cast<float>(chosen.red()) / 255.0f;
  rgb[1] = static_cast<float>(chosen.green()) / 255.0f;
  rgb[2] = static_cast<float>(chosen.blue()) / 255.0f;
  if (!background) view_widget_->Invalidate();
  view_widget_->RedrawView();
}

int MainWindow::SaveImage(const std::string& path, int filter_index) {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  if (!view_widget_->CaptureRgba(&width, &height, &rgba)) {
    AppendOutput("Unable to read the picture of the view.");
    return 0;
  }
  const int rc = filter_index == 2 ? WriteBmpFile(path, PackDib(width, height, rgba))
                                   : WritePngFile(path, width, height, rgba);
  if (rc == -1) AppendOutput("Unable to open file: " + path);
  else if (rc == 0) AppendOutput("Unable to write the picture: " + path);
  return rc == 1 ? 1 : 0;
}

void MainWindow::RunSaveImageDialog() {
  int filter = 1;
  std::string path = state_.job_title;
  if (!RunFileDialog(this, "Save image", SaveImageFilters(), true, &filter, &path)) return;
  state_.model_path = path;
  if (QFile::exists(QString::fromStdString(path))) {
    if (!AskYesNo(this, "File already exists. Overwrite?")) return;
  }
  QElapsedTimer clock;
  clock.start();
  BeginWait();
  AppendOutput(WritingLine(path));
  SaveImage(path, filter);
  AppendOutput(ElapsedLine(static_cast<double>(clock.elapsed()) / 1000.0));
  EndWait();
}

int MainWindow::ImportMesh(const std::string& path, int filter_index, double length_unit) {
  BeginWait();
  const int rc = ImportMeshCommand(model_, state_, path, filter_index, length_unit);
  EndWait();
  if (rc != 1) return rc;
  ClearSelection(selection_);
  commands_.refresh_tables();
  AfterModelRead(true);
  return rc;
}

int MainWindow::ExportMesh(const std::string& path, int filter_index, bool surface_mesh) {
  BeginWait();
  const int rc = ExportMeshCommand(model_, state_, path, filter_index, surface_mesh);
  EndWait();
  return rc;
}

namespace {

std::vector<std::string> FilterTexts(const std::vector<MeshFileFilter>& filters) {
  std::vector<std::string> texts;
  for (const MeshFileFilter& f : filters) texts.push_back(f.text);
  return texts;
}

}  // namespace

void MainWindow::RunImportMeshDialog() {
  int filter = 1;
  std::string path;
  if (!RunFileDialog(this, "Import Mesh", FilterTexts(ImportMeshFilters()), false, &filter, &path)) return;
  // The file's length unit; outside tools often write millimetres.
  bool ok = false;
  const QString unit = QInputDialog::getItem(this, QStringLiteral("Import Mesh"), QStringLiteral("Length unit of the file:"),
                                             {QStringLiteral("m"), QStringLiteral("mm"), QStringLiteral("cm"),
                                              QStringLiteral("in")},
                                             0, false, &ok);
  if (!ok) return;
  ImportMesh(path, filter, LengthUnitFactor(unit.toStdString()));
}

void MainWindow::RunExportMeshDialog() {
  int filter = 1;
  std::string path = state_.job_title;
  if (!RunFileDialog(this, "Export Mesh", FilterTexts(ExportMeshFilters()), true, &filter, &path)) return;
  if (QFile::exists(QString::fromStdString(path)) && !AskYesNo(this, "File already exists. Overwrite?")) return;
  bool surface = false;
  if (filter == kExportGmsh) surface = AskYesNo(this, "Create surface mesh?", true);
  ExportMesh(path, filter, surface);
}

void MainWindow::CopyToClipboard() {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  if (!view_widget_->CaptureRgba(&width, &height, &rgba)) return;
  // Read-back rows are bottom-up; the clipboard picture is top-down.
  QImage image(rgba.data(), width, height, width * 4, QImage::Format_RGBA8888);
  QApplication::clipboard()->setImage(image.mirrored().convertToFormat(QImage::Format_RGB888));
}

void MainWindow::ShowSystemInformation() {
  for (const std::string& line : SystemInformationLines(ProcessorDescription(), OperatingSystemDescription(),
                                                        view_widget_->Renderer(), view_widget_->Vendor())) {
    AppendOutput(line);
  }
}

void MainWindow::ShowAbout() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("103"));
  dialog.setWindowTitle(QStringLiteral("About"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("KAVITRON\nVersion 2012 beta\n\nInjection molding simulation")));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  dialog.exec();
}

void MainWindow::ShowHelpIndex() {
  const std::string path = QCoreApplication::applicationDirPath().toStdString() + "/kavitron-help.html";
  if (!ShowHelpWindow(this, path)) ShowStop(this, "Unable to open the help file " + path + ".");
}

void MainWindow::ExitProgram() {
  if (exiting_) return;
  exiting_ = true;
  StopResults();
  // Release the model and the view's lists before the loop ends.
  view_widget_->DeleteDisplayLists();
  model_ = MeshModel();
  hide();
  QCoreApplication::exit(0);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == graphics_child_ && event->type() == QEvent::Close && !exiting_) SetViewOpen(false);
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::SetViewOpen(bool open) {
  view_open_ = open;
  for (auto& [id, action] : actions_)
    if (CommandNeedsView(id)) action->setEnabled(open && !MenuCommandGreyed(id));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing the frame never asks to save.
  ExitProgram();
  event->accept();
}

}  // namespace kv
