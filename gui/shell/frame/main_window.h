#pragma once
// The pre-processor's frame: the MDI area with the one graphics child, the
// four dockable panes (Output, Input, Command, Toolbar), the two-part status
// bar, the menu bar and the dispatch of every menu and toolbar command.
// What the commands decide lives in gui/shell/core; this class is the Qt layer.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"
#include "gui/shell/core/interpreter.h"
#include "gui/shell/core/journal.h"
#include "common/results/result_set.h"
#include "gui/shell/core/shell_state.h"
#include "gui/view/core/camera.h"
#include "gui/view/core/picking.h"
#include "gui/view/core/result_display.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QToolButton;

namespace kv {

class GraphicsView;
class SolverRuns;
struct SetupContext;

// Pane indices in creation order.
enum PaneIndex : int { kPaneOutput = 0, kPaneInput = 1, kPaneCommand = 2, kPaneToolbar = 3 };

class MainWindow : public QMainWindow {
 public:
  MainWindow();
  ~MainWindow() override;

  // Runs the command of a menu entry or toolbar button.
  void Dispatch(int command_id);

  // The action that carries a command identifier (menu and toolbar share it), or nullptr.
  QAction* Action(int command_id) const;
  // The toolbar button of a command, or nullptr.
  QToolButton* ToolButtonOf(int command_id) const;
  QDockWidget* Pane(int index) const { return panes_[index]; }
  GraphicsView* View() const { return view_widget_; }
  QLineEdit* CommandLine() const { return command_; }

  // Pane text (Output, Input) as shown.
  std::string PaneText(int index) const;

  // The two status bar parts.
  std::string StatusText(int part) const;

  // Empties the text of a pane (2: the Command pane's edit line).
  void ClearPane(int index);

  // Status "Please wait..." and the busy cursor; EndWait restores both.
  void BeginWait();
  void EndWait();

  // Shows a choice menu of the command prompts near the toolbar; choosing an
  // item enters its text on the command line. Returns 0 for an unknown menu.
  int PopupChoiceMenu(int resource);

  // The Command pane's Enter: echo, step + 1, interpreter.
  void TakeCommandEnter();

  // File > Import Mesh without its dialog: reads `path` with the reader of
  // `filter_index` (1..15) into the model; on failure the model stays as it
  // was and the Output pane says why. `length_unit` is the file's unit in
  // metres (0.001 for millimetres). Returns 1 on success.
  int ImportMesh(const std::string& path, int filter_index, double length_unit = 1.0);

  // File > Export Mesh without its dialog (the overwrite question is the
  // dialog's). Returns 1 on success.
  int ExportMesh(const std::string& path, int filter_index, bool surface_mesh);

  // File > Save Image without its dialog: filter 1 PNG, 2 BMP. Returns 1 on success.
  int SaveImage(const std::string& path, int filter_index);

  // Project and result commands without their dialogs (gui/shell/frame/result_frame.cpp).
  // File > Open: 1 on success; on failure the model is unchanged and, unless
  // `quiet`, "Unable to open file." is shown.
  int OpenProject(const std::string& path, bool quiet = false);
  // File > Save As / Save: 1 on success; on failure "Unable to save file."
  // unless `quiet`, and an earlier file at `path` stays as it was.
  int SaveProject(const std::string& path, bool quiet = false);
  // File > Read Results: appends the entries of a result file. Returns the reader's code.
  int ReadResultsFile(const std::string& path);
  // Makes the entry whose long label (or, failing that, quantity name) is
  // `name` current and shows it, as the Results dialog's OK does; `frame`
  // picks the n-th entry (0-based) of its series, -1 the last. Returns 1, or
  // 0 when no entry matches.
  int ShowResultEntry(const std::string& name, int frame = 0);
  // Results dialog OK for entry `index`.
  void ChooseResult(int index);
  // Animation > Next (+1) / Previous (-1), Play and Stop.
  void StepResultFrame(int direction);
  void PlayResults();
  void StopResults();
  // File > Save Animation without its dialogs: every frame of the current
  // entry's animation, written as AVI (compression 0 uncompressed, 1
  // Motion-JPEG). Returns 1 on success.
  int SaveAnimation(const std::string& path, int compression);
  ResultSet& results() { return results_; }
  ResultDisplay& result_display() { return display_; }

  // Batch use: the stop messages of the project, result and animation
  // commands become Output pane lines and lines on standard error.
  void SetBatchMode(bool on);

  // File > New without the save prompt.
  void NewModel();

  // Frames the model and redraws (after a read).
  void ZoomToModel();

  // Applies a standard view at once, without the animation (batch use).
  void SetStandardViewNow(int which);

  // The exit sequence; the event loop ends with code 0.
  void ExitProgram();

  // Simulation > Solve without its dialog: writes the job's mesh and starts
  // the analysis program of `type` (0..5, 1 Flow). Returns 1 when started.
  int Solve(int type);
  // The analysis programs started and still running.
  SolverRuns& Runs() { return *solver_runs_; }
  // What the setup dialogs work on (the model's settings and path).
  SetupContext SetupFor();
  // Where the databases, curvex and the analysis programs are looked up
  // (the program's own directory unless set).
  const std::string& ProgramDir() const { return program_dir_; }
  void SetProgramDir(const std::string& dir) { program_dir_ = dir; }
  // False while the Graphics child is closed (Window > Graphics reopens it).
  bool ViewOpen() const { return view_open_; }
  // The Graphics child window.
  QMdiSubWindow* GraphicsChild() const { return graphics_child_; }

  MeshModel& model() { return model_; }
  AnalysisSettings& analysis() { return analysis_; }
  ShellState& state() { return state_; }
  ViewState& view() { return view_; }

  // The interpreter's view of the frame: model, selection, hooks (interpreter_frame.cpp).
  CommandContext& commands() { return commands_; }
  Selection& selection() { return selection_; }
  const Journal& journal() const { return journal_; }
  // Replays a command journal file through the interpreter without dialogs
  // or choice menus. Returns 1 done, 0 a bad line, -1 unreadable; `error` says why.
  int ReplayJournal(const std::string& path, std::string* error);
  // Batch use: every Input and Output pane line also goes to standard output.
  void EchoPanesToStandardOutput();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateMenus();
  void CreatePanes();
  void CreateToolbar(QDockWidget* pane);
  void CreateStatusBar();
  void SyncCheckMarks();
  void SetStatus(int part, const std::string& text);
  void RestoreStatus();
  void SavePrompt();
  void ShowPane(int index);
  void ApplyEffect(const CommandEffect& effect);
  void ChooseColour(bool background);
  void RunSaveImageDialog();
  void RunImportMeshDialog();
  void RunExportMeshDialog();
  void ShowSystemInformation();
  void ShowAbout();
  void ShowHelpIndex();
  void CopyToClipboard();
  void RunSetupCommand(int command_id);
  void ConnectInterpreter();
  void ConnectPicking();
  void PickAt(int x, int y);
  bool RunSelectionCommand(int command_id);
  void ShowJournal();
  void SetViewOpen(bool open);
  bool RunPropertyCommand(int command_id);
  void RunOpenDialog();
  void RunSaveAsDialog();
  void RunSave();
  void RunReadResultsDialog();
  void RunSaveAnimationDialog();
  void RunSavePlotDialog();
  void RunExportResultsDialog();
  void RunResultsDialog();
  void RunContoursDialog();
  void RunLimitsDialog();
  void RunQueryDialog();
  void AfterUnitsChange();
  void AfterModelRead(bool imported);
  // Dispatches the project, result and animation commands; false for others.
  bool DispatchResultCommand(int command_id);
  // True when the current entry animates as a limit sweep (not a series).
  bool ShowingLimitSweep() const;
  // Shows animation frame `frame` whose state is set: a sweep frame from the
  // frame lists, a series entry by rebuilding the lists.
  void ShowAnimationFrame(int frame);
  // The interpreter's hooks into the result set (property results rebuilt).
  void ConnectResultHooks();
  // A stop message: a message box, or in batch mode a pane line and standard error.
  void StopMessage(const std::string& text);

  MeshModel model_;
  AnalysisSettings analysis_;  // solver settings and the boundary records drawn by the view
  ShellState state_;
  ViewState view_;
  Selection selection_;
  DrawingTables pick_tables_;   // facets and beams the selection indexes
  VertexGrid vertex_grid_;      // nodes on screen, for the hovered node
  // Count of changes to the model's nodes, elements and visibility: the
  // vertex grid is refilled when it or the view's transforms changed.
  unsigned long pick_revision_ = 0;
  int current_property_ = 0;    // property of Create Element and Assign
  CommandContext commands_;
  Journal journal_;
  bool replaying_ = false;      // a journal is replayed: no menus or dialogs
  ResultSet results_;          // the result set shown on the model
  ResultDisplay display_;      // limits, contours and animation state of the shown entry
  bool exiting_ = false;
  std::unique_ptr<SolverRuns> solver_runs_;
  std::string program_dir_;
  bool view_open_ = true;  // the Graphics child is shown
  bool batch_mode_ = false;

  QMdiArea* mdi_ = nullptr;
  QMdiSubWindow* graphics_child_ = nullptr;
  GraphicsView* view_widget_ = nullptr;
  QDockWidget* panes_[4] = {};
  QPlainTextEdit* output_ = nullptr;
  QPlainTextEdit* input_ = nullptr;
  QLineEdit* command_ = nullptr;
  QWidget* toolbar_ = nullptr;
  QLabel* status_[2] = {};
  std::map<int, QAction*> actions_;
  std::map<int, QToolButton*> tool_buttons_;
};

// The status text shown when nothing is going on.
inline constexpr const char* kIdleStatus = "Press F1 - Pan, F2 - Zoom, F3 - Rotate.";

}  // namespace kv
