#include "gui/setup/analysis/solver_run.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "common/analysis/analysis_files.h"
#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"

namespace kv {

int RunSolverDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Solver"));
  dialog.setObjectName(QStringLiteral("Solver"));
  auto* layout = new QGridLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Type:")), 0, 0);
  auto* type = new QComboBox;
  type->setObjectName(QStringLiteral("type"));
  for (const char* t : kAnalysisTypes) type->addItem(QString::fromLatin1(t));
  type->setCurrentIndex(kFlowAnalysis);
  layout->addWidget(type, 0, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons, 1, 0, 1, 2);
  return dialog.exec() == QDialog::Accepted ? type->currentIndex() : -1;
}

SolverRuns::~SolverRuns() {
  // A QProcess ends its program when it is destroyed; a solve outlives the
  // frame, so the objects of running programs are let go instead.
  for (QProcess* p : processes_) {
    p->disconnect();
    p->setParent(nullptr);
  }
}

int SolverRuns::Solve(const MeshModel& model, std::string& model_path, int dimension, int type,
                      const std::string& program_dir) {
  const SolvePlan plan = PlanSolve(model_path, dimension, type, program_dir);
  if (!plan.mesh_extension.empty()) {
    model_path = AnalysisFilePath(model_path, plan.mesh_extension.c_str());
    AppendOutput("Writing file: " + model_path);
    const int written = dimension == 3 ? WriteMeshM3D(model, model_path, 0, "") : WriteMeshM2D(model, model_path, 0, "");
    if (written != 1) {
      AppendOutput("Unable to write file: " + model_path);
      return 0;
    }
    AppendOutput("Done.");
  }
  if (!plan.message.empty()) AppendOutput(plan.message);
  if (plan.program.empty()) return 0;

  auto* process = new QProcess(this);
  process->setProgram(QString::fromStdString(plan.program));
  process->setArguments({QString::fromStdString(plan.job)});
  process->setWorkingDirectory(QString::fromStdString(program_dir));
  // The program's console output goes to the frame's own; its log is the record.
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  const std::string program = plan.program;
  const std::string result_file = LogFileName(plan.job, type, dimension).empty()
                                      ? std::string()
                                      : plan.job + (dimension == 3 ? ".f3D" : ".f2D");
  connect(process, &QProcess::finished, this, [this, process, program, result_file](int code, QProcess::ExitStatus st) {
    const bool crashed = st == QProcess::CrashExit;
    for (const std::string& line : SolveEndLines(program, code, crashed, result_file)) AppendOutput(line);
    std::erase(processes_, process);
    process->deleteLater();
    if (on_finished) on_finished(result_file, crashed ? -1 : code);
  });
  AppendOutput("Starting: " + program + " \"" + plan.job + "\"");
  process->start();
  if (!process->waitForStarted(10000)) {
    AppendOutput("Unable to start the analysis program: " + program + " (" +
                 process->errorString().toStdString() + ")");
    delete process;
    return 0;
  }
  processes_.push_back(process);
  return 1;
}

LogDialog::LogDialog(QWidget* parent, const std::string& job, int dimension)
    : QDialog(parent), job_(job), dimension_(dimension) {
  setWindowTitle(QStringLiteral("Log file"));
  setObjectName(QStringLiteral("Log file"));
  resize(720, 480);
  auto* layout = new QVBoxLayout(this);
  auto* radios = new QHBoxLayout;
  for (int i = 0; i < kAnalysisTypeCount; ++i) {
    types_[i] = new QRadioButton(QString::fromLatin1(kAnalysisTypes[i]));
    types_[i]->setObjectName(QString::fromLatin1(kAnalysisTypes[i]));
    radios->addWidget(types_[i]);
  }
  types_[kFlowAnalysis]->setChecked(true);
  layout->addLayout(radios);
  pane_ = new QPlainTextEdit;
  pane_->setObjectName(QStringLiteral("log"));
  pane_->setReadOnly(true);
  pane_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font(QStringLiteral("Courier"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(12);
  pane_->setFont(font);
  layout->addWidget(pane_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    for (int i = 0; i < kAnalysisTypeCount; ++i)
      if (types_[i]->isChecked()) Load(i);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_->start(500);
  Load(kFlowAnalysis);
}

void LogDialog::Load(int type) {
  pane_->clear();
  log_ = LogFollower();
  if (job_.empty()) return;
  log_.path = LogFileName(job_, type, dimension_);
  Poll();
}

void LogDialog::Poll() {
  if (log_.path.empty()) return;
  std::vector<std::string> lines;
  bool restarted = false;
  if (!ReadNewLogLines(log_, lines, restarted)) return;
  if (restarted) pane_->clear();
  if (lines.empty()) return;
  QScrollBar* bar = pane_->verticalScrollBar();
  const bool at_end = bar->value() == bar->maximum();
  std::string text;
  for (const std::string& l : lines) text += (text.empty() ? "" : "\n") + l;
  pane_->appendPlainText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
  if (at_end) bar->setValue(bar->maximum());
}

std::string LogDialog::PaneText() const { return pane_->toPlainText().toStdString(); }

}  // namespace kv
