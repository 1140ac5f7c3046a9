#pragma once
// Simulation > Solve and Results > Log: the "Solver" dialog, the analysis
// programs started on the job (no shell: the job path is one argument), the
// Output lines when one cannot start and when one ends, and the "Log file"
// dialog that follows a log while it grows.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QObject>

#include "common/analysis/solver_launch.h"
#include "common/mesh/mesh_model.h"

class QPlainTextEdit;
class QProcess;
class QRadioButton;
class QTimer;

namespace kv {

// The "Solver" dialog: the analysis type chosen (0..5), or -1 for Cancel.
int RunSolverDialog(QWidget* parent);

// The analysis programs started by this frame and still running.
class SolverRuns : public QObject {
 public:
  SolverRuns() = default;
  // Running programs are left to run on when the frame goes.
  ~SolverRuns() override;

  // Solve: writes the mesh for the dimension (the model path's extension is
  // replaced), then starts the program of `type` on the job with
  // `program_dir` as its working directory. Every step and failure is an
  // Output line. Returns 1 when a program was started, 0 otherwise.
  int Solve(const MeshModel& model, std::string& model_path, int dimension, int type,
            const std::string& program_dir);

  // Programs still running.
  int Running() const { return static_cast<int>(processes_.size()); }

  // Called when a program ends, after its Output lines: the result file it
  // writes and its exit status (-1 after a crash).
  std::function<void(const std::string& result_file, int status)> on_finished;

 private:
  std::vector<QProcess*> processes_;
};

// The "Log file" dialog: the radio buttons of the analysis types, the log in
// a read-only pane in a fixed-pitch font, OK (reload the selected type's
// log) and Cancel (close). While it is open the pane takes up every line the
// program adds to the log, without holding up the frame.
class LogDialog : public QDialog {
 public:
  // job: the job path ("" when nothing was opened, imported or exported).
  LogDialog(QWidget* parent, const std::string& job, int dimension);

  // Reads what the log holds now (what the timer does twice a second).
  void Poll();
  std::string PaneText() const;

 private:
  void Load(int type);

  std::string job_;
  int dimension_ = 2;
  LogFollower log_;
  QPlainTextEdit* pane_ = nullptr;
  QRadioButton* types_[kAnalysisTypeCount] = {};
  QTimer* timer_ = nullptr;
};

}  // namespace kv
