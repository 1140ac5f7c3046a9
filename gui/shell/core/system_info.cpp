#include "gui/shell/core/system_info.h"

#include <sys/utsname.h>

#include <fstream>
#include <sstream>

namespace kv {
namespace {

std::string ReadWholeFile(const char* path) {
  std::ifstream in(path);
  if (!in) return std::string();
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

std::string ValueOfKey(const std::string& text, const std::string& key, char separator) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t sep = line.find(separator);
    if (sep == std::string::npos) continue;
    if (Trim(line.substr(0, sep)) != key) continue;
    std::string value = Trim(line.substr(sep + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::string();
}

std::string ProcessorDescription() {
  std::string model = ValueOfKey(ReadWholeFile("/proc/cpuinfo"), "model name", ':');
  if (!model.empty()) return model;
  struct utsname u;
  if (uname(&u) == 0 && u.machine[0]) return u.machine;
  return "Unknown";
}

std::string OperatingSystemDescription() {
  const std::string pretty = ValueOfKey(ReadWholeFile("/etc/os-release"), "PRETTY_NAME", '=');
  std::string kernel;
  struct utsname u;
  if (uname(&u) == 0) kernel = std::string(u.sysname) + " " + u.release;
  if (!pretty.empty() && !kernel.empty()) return pretty + ", " + kernel;
  if (!pretty.empty()) return pretty;
  if (!kernel.empty()) return kernel;
  return "Unknown";
}

std::vector<std::string> SystemInformationLines(const std::string& processor, const std::string& os,
                                                const std::string& renderer, const std::string& vendor) {
  return {
      "----------- System Information -----------",
      "Processor: " + processor,
      "Operating system: " + os,
      "Graphics card: " + renderer + ", " + vendor,
  };
}

}  // namespace kv
