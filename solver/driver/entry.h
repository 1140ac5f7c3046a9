#pragma once
// fluxar's program entry: command line, banners, date/time/name lines, the
// lowered priority, the reading of the job's input files in their fixed
// order, and the hand-over to the run driver.

#include <string>

#include "solver/output/solver_output.h"
#include "solver/state/run_state.h"

namespace kv {

// Process exit statuses of fluxar.
inline constexpr int kExitUsage = 0;       // wrong number of arguments or an unknown option
inline constexpr int kExitRun = 1;         // the run went through the driver
inline constexpr int kExitInputError = 255;  // an input file missing or unreadable

// Build number shown in the banners.
inline constexpr int kBuildNumber = 752;

// The whole program: the job name is the last argument, optionally preceded
// by --pass-rule=volume|cubic (how far one filling pass carries the front,
// see solver/filling/pass_rule.h). Writes to out.console and opens the log
// (out.log) itself. Returns the process exit status.
int FluxarMain(int argc, const char* const argv[], SolverOutput& out);

// The seven banner lines (51 characters and a line end each); `log` selects
// the log's title line.
std::string BannerText(bool log);

// Reads the job's input files into `state` in the fixed order par, prc, m2D,
// bcd, inj, mtl, vlv, each reader printing its summary. On the first failure
// prints the file's message and name (console and log).
//   returns kJobInputsRead when every required file was read, or the exit
//   status (kExitInputError).
inline constexpr int kJobInputsRead = 1;
int ReadJobInputs(SolverOutput& out, RunState& state);

}  // namespace kv
