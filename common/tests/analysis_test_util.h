#pragma once
// Small helpers of the analysis-file and database tests: a scratch directory
// removed at the end of the test, whole-file reads and writes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kv::testing {

struct ScratchDir {
  std::filesystem::path path;
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kv_analysis_XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) path = made;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Expected files of the analysis tests live in common/tests/data/analysis.
inline std::string AnalysisData(const std::string& name) {
  return std::string(KV_SOURCE_DIR) + "/common/tests/data/analysis/" + name;
}

}  // namespace kv::testing
