// Replays the kept fuzz corpus (seeds and every input that ever found a
// fault) through the same harness functions the libFuzzer programs run, so
// that the ordinary and the sanitizer builds test them too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/harnesses.h"

namespace kv {
namespace {

const std::filesystem::path kCorpus = std::filesystem::path(KV_SOURCE_DIR) / "fuzz" / "corpus";

TEST(FuzzCorpus, OneFolderPerHarnessEachWithSeeds) {
  std::set<std::string> folders, names;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus))
    if (entry.is_directory()) folders.insert(entry.path().filename().string());
  for (const FuzzHarness& h : FuzzHarnesses()) {
    names.insert(h.name);
    const auto dir = kCorpus / h.name;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << h.name;
    EXPECT_FALSE(std::filesystem::is_empty(dir)) << h.name << " has no seed";
  }
  EXPECT_EQ(folders, names);
}

TEST(FuzzCorpus, EveryKeptInputPassesItsHarness) {
  size_t replayed = 0;
  for (const FuzzHarness& h : FuzzHarnesses()) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus / h.name))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      SCOPED_TRACE(file.string());
      std::ifstream in(file, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      // A broken guarantee aborts inside the harness and fails this test;
      // the line before the abort names the input.
      std::fprintf(stderr, "replaying %s\n", file.string().c_str());
      EXPECT_EQ(h.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
      ++replayed;
    }
  }
  EXPECT_GT(replayed, FuzzHarnesses().size());
}

}  // namespace
}  // namespace kv
