#pragma once
// Helpers of the solver tests (beside those of analysis_test_util.h): a
// SolverOutput whose console is kept in memory, and running the
// built fluxar program.

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/tests/analysis_test_util.h"
#include "solver/output/solver_output.h"

namespace kv::test {

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A SolverOutput writing its console into memory and its log into a file of
// `dir`; Console() and Log() return what was written so far.
struct CapturedOutput {
  SolverOutput out;
  char* buffer = nullptr;
  size_t size = 0;
  std::string log_path;

  explicit CapturedOutput(const ScratchDir& dir) : log_path(dir.File("capture.log")) {
    out.console = open_memstream(&buffer, &size);
    OpenSolverLog(out, log_path);
  }
  ~CapturedOutput() {
    CloseSolverLog(out);
    if (out.console) std::fclose(out.console);
    std::free(buffer);
  }
  std::string Console() {
    std::fflush(out.console);
    return std::string(buffer, size);
  }
  std::string Log() {
    std::fflush(out.log);
    return ReadText(log_path);
  }
};

struct ProgramRun {
  int status = -1;      // exit status
  std::string output;   // standard output and error
};

// Runs build/bin/fluxar with `arguments` (already quoted for the shell) in
// the directory `cwd`; the output goes to a file outside `cwd`.
inline ProgramRun RunFluxar(const std::string& cwd, const std::string& arguments) {
  ScratchDir capture;
  std::string out_file = capture.File("out.txt");
  std::string command = "cd '" + cwd + "' && '" + std::string(KV_BIN_DIR) + "/fluxar' " +
                        arguments + " > '" + out_file + "' 2>&1";
  int raw = std::system(command.c_str());
  ProgramRun run;
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  run.output = ReadText(out_file);
  return run;
}

}  // namespace kv::test
