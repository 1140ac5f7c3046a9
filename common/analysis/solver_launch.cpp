#include "common/analysis/solver_launch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "common/text/number_format.h"

namespace kv {

const char* LaunchProgram(int type, int dimension) {
  static const char* const kMidplane[kAnalysisTypeCount] = {"gatewise", "fluxar", "seamline",
                                                            "holdon", "chillar", nullptr};
  static const char* const kSolid[kAnalysisTypeCount] = {nullptr, "volumar", nullptr,
                                                         nullptr, nullptr, nullptr};
  if (type < 0 || type >= kAnalysisTypeCount) return nullptr;
  return dimension == 3 ? kSolid[type] : kMidplane[type];
}

std::string JobPath(const std::string& model_path) {
  return model_path.size() >= 5 ? model_path.substr(0, model_path.size() - 4) : std::string();
}

std::string LogFileName(const std::string& job, int type, int dimension) {
  if (type == kFlowAnalysis) return job + (dimension == 3 ? ".f3D.log" : ".f2D.log");
  if (dimension == 3) return std::string();
  if (type == 0) return job + ".o2D.log";
  if (type == 2) return job + ".a2D.log";
  return std::string();
}

SolvePlan PlanSolve(const std::string& model_path, int dimension, int type, const std::string& program_dir) {
  SolvePlan plan;
  if (model_path.empty()) {
    plan.message = "No model to solve: import or open a model first.";
    return plan;
  }
  plan.mesh_extension = dimension == 3 ? "m3D" : "m2D";
  const char* program = LaunchProgram(type, dimension);
  const char* type_name = type >= 0 && type < kAnalysisTypeCount ? kAnalysisTypes[type] : "?";
  if (!program) {
    plan.message = Format("No %s analysis program for %s models.", type_name, dimension == 3 ? "solid" : "midplane");
    return plan;
  }
  const std::string path = program_dir + "/" + program;
  if (access(path.c_str(), X_OK) != 0) {
    plan.message = "Analysis program not installed: " + path;
    return plan;
  }
  plan.program = path;
  plan.job = JobPath(model_path);
  return plan;
}

std::vector<std::string> SolveEndLines(const std::string& program, int status, bool crashed,
                                       const std::string& result_file) {
  if (crashed) return {"Analysis ended abnormally: " + program};
  std::vector<std::string> lines;
  const char* meaning = status == 1     ? "run completed"
                        : status == 255 ? "an input file is missing or damaged"
                        : status == 0   ? "usage error"
                                        : "failed";
  lines.push_back(Format("Analysis ended with status %d (%s): %s", status, meaning, program.c_str()));
  if (status == 1 && !result_file.empty())
    lines.push_back("Results are ready: use File > Read Results on " + result_file);
  return lines;
}

bool ReadNewLogLines(LogFollower& log, std::vector<std::string>& lines, bool& restarted) {
  restarted = false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(log.path.c_str(), "rb"), &std::fclose);
  if (!file) return false;
  struct stat st;
  if (fstat(fileno(file.get()), &st) != 0) return false;
  if (static_cast<uint64_t>(st.st_size) < log.offset) {
    log.offset = 0;
    log.partial.clear();
    restarted = true;
  }
  if (std::fseek(file.get(), static_cast<long>(log.offset), SEEK_SET) != 0) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    log.offset += n;
    for (size_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        if (!log.partial.empty() && log.partial.back() == '\r') log.partial.pop_back();
        lines.push_back(std::move(log.partial));
        log.partial.clear();
      } else {
        log.partial += buffer[i];
      }
    }
  }
  return true;
}

}  // namespace kv
