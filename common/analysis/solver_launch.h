#pragma once
// What Simulation > Solve and Results > Log decide, without a display: the
// analysis types, the launch table of analysis programs, the job path, the
// log names, the words that report a finished run, and the reading of a log
// that is still growing.
//
// The analysis programs are looked up next to the pre-processor under their
// lower-case names without extension; only `fluxar` belongs to this suite.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// Analysis types in the order of the "Type:" box ("Flow" is preselected).
inline constexpr int kAnalysisTypeCount = 6;
inline constexpr const char* kAnalysisTypes[kAnalysisTypeCount] = {"Opti", "Flow", "Weld",
                                                                   "Pack", "Cool", "Warp"};
inline constexpr int kFlowAnalysis = 1;

// The program of analysis type `type` (0..5) for a model of `dimension`
// (2 midplane, 3 solid): "gatewise", "fluxar", "volumar", "seamline",
// "holdon", "chillar"; nullptr when the table has none.
const char* LaunchProgram(int type, int dimension);

// The job path: `model_path` without its last four characters (point and
// extension); empty for a path of four characters or fewer.
std::string JobPath(const std::string& model_path);

// The log of analysis `type` for `job` (a job path or title): "%s.f2D.log"
// (Flow 2D), "%s.f3D.log" (Flow 3D), "%s.o2D.log" (Opti 2D), "%s.a2D.log"
// (Weld 2D); empty when the type has no log for the dimension.
std::string LogFileName(const std::string& job, int type, int dimension);

// What one Solve does.
struct SolvePlan {
  std::string mesh_extension;  // "m2D" or "m3D": the mesh written first; empty: nothing at all
  std::string program;         // full path of the program to start; empty: none
  std::string job;             // its one argument
  std::string message;         // an Output line when nothing is started, else empty
};

// Plans Solve for analysis `type`: nothing without a model path; the mesh
// for the dimension always; the program of the launch table when there is
// one and it exists in `program_dir` ("Analysis program not installed: %s"
// otherwise), none for a type without a program.
SolvePlan PlanSolve(const std::string& model_path, int dimension, int type, const std::string& program_dir);

// The Output lines that report the end of an analysis program, by its exit
// status (fluxar: 1 after a run, 255 a missing input file, 0 a usage error)
// or a crash. `result_file` is offered when the run completed.
std::vector<std::string> SolveEndLines(const std::string& program, int status, bool crashed,
                                       const std::string& result_file);

// Reads a log as it grows: every call returns the complete lines added since
// the last one (a line still being written waits for its line end; a file
// that got shorter is read again from its start, with `restarted` set).
struct LogFollower {
  std::string path;
  uint64_t offset = 0;   // bytes consumed
  std::string partial;   // start of an unfinished last line
};

// Appends the new complete lines of the log to `lines`. Returns false when
// the file cannot be opened (nothing changes then).
bool ReadNewLogLines(LogFollower& log, std::vector<std::string>& lines, bool& restarted);

}  // namespace kv
