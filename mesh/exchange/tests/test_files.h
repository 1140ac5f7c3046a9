#pragma once
// Files for the exchange tests: fixtures in tests/data and scratch files in
// the test's temporary directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace kv::test {

// Path of a fixture in mesh/exchange/tests/data.
inline std::string DataPath(const std::string& name) {
  return std::string(KV_SOURCE_DIR) + "/mesh/exchange/tests/data/" + name;
}

// A fresh path in a directory of this test process's own: ctest runs the cases
// in parallel processes, and other checkouts may run the same tests at once, so
// a shared directory would let one case overwrite another's files.
inline std::string ScratchPath(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) / ("kv_exchange_tests_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / name).string();
  std::filesystem::remove(path);
  return path;
}

// Writes `text` to a fresh scratch file and returns its path.
inline std::string WriteScratch(const std::string& name, const std::string& text) {
  const std::string path = ScratchPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// The whole content of a file ("" when it cannot be read).
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kv::test
