#include "solver/input/job_files.h"

namespace kv {

std::string JobFileName(const std::string& job, const char* extension) {
  return job + "." + extension;
}

std::string JobLogName(const std::string& job) { return job + ".f2D.log"; }

}  // namespace kv
