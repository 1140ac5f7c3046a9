#include "solver/driver/entry.h"

#include <unistd.h>

#include <ctime>

#include "common/mesh/native_mesh_file.h"
#include "solver/driver/filling_run.h"
#include "solver/driver/run_driver.h"
#include "solver/filling/pass_rule.h"
#include "solver/input/input_checks.h"
#include "solver/input/input_readers.h"
#include "solver/input/job_files.h"

namespace kv {
namespace {

// Lowers the priority one step below normal, so that the interactive
// pre-processor stays responsive while a run goes on.
void LowerPriority() {
  if (nice(1) == -1) {
    // A failure to change the priority does not matter for the run.
  }
}

// Prints the date (MM/DD/YY), time (HH:MM:SS) and job name lines, on the
// console first and then in the log.
void PrintDateTimeName(SolverOutput& out, const std::string& job) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[32], time[32];
  std::strftime(date, sizeof date, "%m/%d/%y", &local);
  std::strftime(time, sizeof time, "%H:%M:%S", &local);
  PrintConsole(out, "Date: %s\nTime: %s\nName: %s\n", date, time, job.c_str());
  PrintLog(out, "Date: %s\nTime: %s\nName: %s\n", date, time, job.c_str());
}

// The messages of a required input that cannot be read: a detail line when
// the file is damaged, the file's message, then its name (console and log).
int InputFailed(SolverOutput& out, const char* message, const std::string& path,
                const std::string& detail) {
  if (!detail.empty()) Print(out, "\nError: %s\n", detail.c_str());
  Print(out, "\nError: %s\n", message);
  Print(out, "%s\n", path.c_str());
  FlushSolverOutput(out);
  return kExitInputError;
}

}  // namespace

std::string BannerText(bool log) {
  const std::string stars(51, '*');
  const std::string blank = "*" + std::string(49, ' ') + "*";
  std::string title = log ? "*    FLUXAR-X - MOLD FLOW SOLVER                  *"
                          : "*    FLUXAR - MOLD FILLING SOLVER                 *";
  char version[64];
  std::snprintf(version, sizeof version, "*    VERSION:       2011           %12d   *", kBuildNumber);
  return stars + "\n" + blank + "\n" + title + "\n" + blank + "\n" + version + "\n" + blank +
         "\n" + stars + "\n";
}

int ReadJobInputs(SolverOutput& out, RunState& state) {
  const std::string& job = state.job;
  std::string error;
  int r;

  std::string par = JobFileName(job, "par");
  r = ReadParameterFile(out, par, state.parameters, error);
  if (r != kInputRead) return InputFailed(out, "parameter file not found!", par, error);

  std::string prc = JobFileName(job, "prc");
  r = ReadProcessFile(out, prc, state.process, error);
  if (r != kInputRead) return InputFailed(out, "process conditions file not found!", prc, error);

  std::string m2d = JobFileName(job, "m2D");
  Print(out, "\nReading mesh...\n");
  r = ReadSolverMesh(state.mesh, m2d, error);
  if (r != 1) return InputFailed(out, "mesh file not found!", m2d, r == 0 ? error : "");
  if (!PrepareSolverMesh(out, state)) return kExitInputError;

  std::string bcd = JobFileName(job, "bcd");
  r = ReadBoundaryFile(out, bcd, state.inlet_nodes, state.potential_inlets, error);
  if (r == kInputNoInlet) return kExitInputError;
  if (r != kInputRead) return InputFailed(out, "boundary conditions file not found!", bcd, error);

  std::string inj = JobFileName(job, "inj");
  r = ReadInjectionFile(out, inj, state.injections, error);
  if (r != kInputRead) return InputFailed(out, "injection control file not found!", inj, error);

  std::string mtl = JobFileName(job, "mtl");
  r = ReadMaterialFile(out, mtl, state.material, error);
  if (r != kInputRead) return InputFailed(out, "material file not found!", mtl, error);

  // The valve-gate file is optional: without it (or when it cannot be read)
  // the run goes on without valve gates.
  std::string vlv = JobFileName(job, "vlv");
  r = ReadValveFile(out, vlv, static_cast<int>(state.mesh.nodes.size()), state.valve_gates, error);
  if (r != kInputRead) {
    if (r == kInputDamaged) Print(out, "\nWarning: %s\n", error.c_str());
    Print(out, "\nWarning: valve gate file not found!\n");
    Print(out, "%s\n", vlv.c_str());
    state.valve_gates.clear();
  }
  // Values the models cannot use stop the run before anything is written.
  if (!CheckJobInputs(state, error)) {
    Print(out, "\nError: %s\n", error.c_str());
    FlushSolverOutput(out);
    return kExitInputError;
  }
  return kJobInputsRead;
}

int FluxarMain(int argc, const char* const argv[], SolverOutput& out) {
  // The job name, after it an optional pass rule (--pass-rule=volume, the
  // default, or --pass-rule=cubic); anything else is a usage error and
  // creates no file.
  RunState state;
  const std::string option = "--pass-rule=";
  const bool with_rule = argc == 3 && std::string(argv[1]).rfind(option, 0) == 0;
  if (with_rule && !ParsePassRule(std::string(argv[1]).substr(option.size()), state.passes)) {
    PrintConsole(out, "\nUnknown pass rule: %s (volume or cubic)\n", argv[1] + option.size());
    PrintConsole(out, "\nUsage: fluxar.exe file\n\n");
    return kExitUsage;
  }
  if ((argc != 2 && !with_rule) || std::string(argv[argc - 1]).rfind(option, 0) == 0) {
    PrintConsole(out, "\nUsage: fluxar.exe file\n\n");
    return kExitUsage;
  }
  state.job = argv[argc - 1];

  PrintConsole(out, "\n");
  PrintConsole(out, "%s\n", BannerText(false).c_str());
  std::string log_name = JobLogName(state.job);
  if (OpenSolverLog(out, log_name) == 1) {
    PrintLog(out, "\n%s\n", BannerText(true).c_str());
  } else {
    PrintConsole(out, "\nWarning: log file cannot be created!\n%s\n", log_name.c_str());
  }
  PrintDateTimeName(out, state.job);
  LowerPriority();

  int status = ReadJobInputs(out, state);
  if (status != kJobInputsRead) return status;
  status = RunDriver(out, state);
  FlushSolverOutput(out);
  CloseSolverLog(out);
  return status;
}

}  // namespace kv
