#include "common/files/write_aside.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace kv {
namespace {

std::string Scratch(const std::string& name) {
  const auto dir = std::filesystem::path(testing::TempDir()) / ("kv_aside_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

std::string Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WriteAside, CommitReplacesTheTargetAndAnAbandonedWriteLeavesItAlone) {
  const std::string target = Scratch("result.f2D");
  std::ofstream(target) << "old results\n";
  {
    AsideFile file;
    ASSERT_EQ(OpenAside(file, target, "w"), 1);
    EXPECT_EQ(file.aside, (std::filesystem::path(target).parent_path() / ".partial-result.f2D").string());
    std::fputs("half of the new", file.file);
    EXPECT_EQ(Content(target), "old results\n");  // untouched while writing
  }  // abandoned: no commit
  EXPECT_EQ(Content(target), "old results\n");
  EXPECT_FALSE(std::filesystem::exists(AsideName(target)));

  AsideFile file;
  ASSERT_EQ(OpenAside(file, target, "w"), 1);
  std::fputs("new results\n", file.file);
  EXPECT_EQ(CommitAside(file), 1);
  EXPECT_EQ(Content(target), "new results\n");
  EXPECT_FALSE(std::filesystem::exists(AsideName(target)));
}

TEST(WriteAside, AWriteThatFailsPartWayKeepsTheOldFile) {
  const std::string target = Scratch("big.ini");
  std::ofstream(target) << "good\n";
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  AsideFile file;
  int opened = OpenAside(file, target, "wb");
  const std::string block(1000, 'x');
  for (int i = 0; i < 10 && opened; ++i) std::fwrite(block.data(), 1, block.size(), file.file);
  const int committed = CommitAside(file);
  setrlimit(RLIMIT_FSIZE, &old);
  ASSERT_EQ(opened, 1);
  EXPECT_EQ(committed, 0);
  EXPECT_EQ(Content(target), "good\n");
  EXPECT_FALSE(std::filesystem::exists(AsideName(target)));

  // A target that cannot be replaced (a directory) fails the commit too.
  const std::string dir_target = Scratch("adir");
  std::filesystem::create_directories(dir_target);
  AsideFile other;
  ASSERT_EQ(OpenAside(other, dir_target, "w"), 1);
  std::fputs("x", other.file);
  EXPECT_EQ(CommitAside(other), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir_target));
  EXPECT_FALSE(std::filesystem::exists(AsideName(dir_target)));
}

}  // namespace
}  // namespace kv
