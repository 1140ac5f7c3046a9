#pragma once
// The solver's one output facility: every message goes first to the console
// (standard output) and then, with the same text, into the job's log. The
// log is shared by the input readers, the run driver and the status table.

#include <cstdio>
#include <string>

namespace kv {

struct SolverOutput {
  std::FILE* console = stdout;  // not owned
  std::FILE* log = nullptr;     // owned; nullptr until opened (and when it cannot be)

  SolverOutput() = default;
  SolverOutput(const SolverOutput&) = delete;
  SolverOutput& operator=(const SolverOutput&) = delete;
  ~SolverOutput();
};

// Creates the log at `path` (mode "w"). Returns 1, or 0 when it cannot be
// created; the output then goes to the console only.
int OpenSolverLog(SolverOutput& out, const std::string& path);

// Flushes and closes the log (nothing when none is open).
void CloseSolverLog(SolverOutput& out);

// printf to the console, then the same text to the log.
void Print(SolverOutput& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// printf to the console only / to the log only (for the few lines that
// differ between the two).
void PrintConsole(SolverOutput& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void PrintLog(SolverOutput& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Text already formatted (e.g. with FormatExponent), console then log.
void PrintText(SolverOutput& out, const std::string& text);

// Flushes the console and the log, so that a reader of the log sees every
// line written so far.
void FlushSolverOutput(SolverOutput& out);

}  // namespace kv
