#pragma once
// Helpers of the analysis-file, database and solver tests: a scratch
// directory removed at the end of the test, and the path of the expected
// files. Whole-file text comes from the mesh tests' helpers.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/tests/mesh_test_util.h"

namespace kv::test {


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

// Expected files of the analysis tests live in common/tests/data/analysis.
inline std::string AnalysisData(const std::string& name) {
  return std::string(KV_SOURCE_DIR) + "/common/tests/data/analysis/" + name;
}

}  // namespace kv::test
