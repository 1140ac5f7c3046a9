#include "common/analysis/solver_launch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/tests/analysis_test_util.h"

namespace kv {
namespace {

TEST(SolverLaunch, TableJobPathAndLogNames) {
  EXPECT_STREQ(LaunchProgram(kFlowAnalysis, 2), "fluxar");
  EXPECT_STREQ(LaunchProgram(kFlowAnalysis, 3), "volumar");
  EXPECT_STREQ(LaunchProgram(0, 2), "gatewise");
  EXPECT_STREQ(LaunchProgram(4, 2), "chillar");
  EXPECT_EQ(LaunchProgram(0, 3), nullptr);
  EXPECT_EQ(LaunchProgram(5, 2), nullptr);  // Warp
  EXPECT_EQ(LaunchProgram(6, 2), nullptr);

  EXPECT_EQ(JobPath("/w/my plate.m2D"), "/w/my plate");
  EXPECT_EQ(JobPath("a.m2D"), "a");
  EXPECT_EQ(JobPath(".m2D"), "");  // four characters or fewer: empty

  EXPECT_EQ(LogFileName("plate", kFlowAnalysis, 2), "plate.f2D.log");
  EXPECT_EQ(LogFileName("plate", kFlowAnalysis, 3), "plate.f3D.log");
  EXPECT_EQ(LogFileName("plate", 0, 2), "plate.o2D.log");
  EXPECT_EQ(LogFileName("plate", 2, 2), "plate.a2D.log");
  EXPECT_EQ(LogFileName("plate", 2, 3), "");
  EXPECT_EQ(LogFileName("plate", 3, 2), "");
}

TEST(SolverLaunch, PlansSayWhatIsNotStartedAndWhy) {
  test::ScratchDir dir;
  test::WriteText(dir.File("fluxar"), "#!/bin/sh\n");
  std::filesystem::permissions(dir.File("fluxar"), std::filesystem::perms::owner_all);
  const std::string model = "/jobs/it's a \"plate\" \xC3\xA9t\xC3\xA9.m2D";

  SolvePlan plan = PlanSolve(model, 2, kFlowAnalysis, dir.path.string());
  EXPECT_EQ(plan.mesh_extension, "m2D");
  EXPECT_EQ(plan.program, dir.File("fluxar"));
  EXPECT_EQ(plan.job, "/jobs/it's a \"plate\" \xC3\xA9t\xC3\xA9");  // one argument, nothing quoted
  EXPECT_TRUE(plan.message.empty());

  plan = PlanSolve(model, 2, 0, dir.path.string());  // Opti: not shipped
  EXPECT_EQ(plan.mesh_extension, "m2D");
  EXPECT_TRUE(plan.program.empty());
  EXPECT_EQ(plan.message, "Analysis program not installed: " + dir.File("gatewise"));

  plan = PlanSolve(model, 3, 2, dir.path.string());  // Weld on a solid model
  EXPECT_EQ(plan.mesh_extension, "m3D");
  EXPECT_EQ(plan.message, "No Weld analysis program for solid models.");
  plan = PlanSolve(model, 2, 5, dir.path.string());  // Warp: the mesh all the same
  EXPECT_EQ(plan.mesh_extension, "m2D");
  EXPECT_TRUE(plan.program.empty());

  plan = PlanSolve("", 2, kFlowAnalysis, dir.path.string());
  EXPECT_TRUE(plan.mesh_extension.empty() && plan.program.empty());
  EXPECT_FALSE(plan.message.empty());

  // A file that is not executable is not a program.
  test::WriteText(dir.File("holdon"), "x");
  std::filesystem::permissions(dir.File("holdon"), std::filesystem::perms::owner_read);
  EXPECT_EQ(PlanSolve(model, 2, 3, dir.path.string()).message, "Analysis program not installed: " + dir.File("holdon"));

  EXPECT_EQ(SolveEndLines("/b/fluxar", 1, false, "/j/p.f2D"),
            (std::vector<std::string>{"Analysis ended with status 1 (run completed): /b/fluxar",
                                      "Results are ready: use File > Read Results on /j/p.f2D"}));
  EXPECT_EQ(SolveEndLines("/b/fluxar", 255, false, "/j/p.f2D").size(), 1u);
  EXPECT_EQ(SolveEndLines("/b/fluxar", 0, true, "/j/p.f2D")[0], "Analysis ended abnormally: /b/fluxar");
}

TEST(SolverLaunch, LogIsFollowedLineByLineAsItGrows) {
  test::ScratchDir dir;
  LogFollower log;
  log.path = dir.File("p.f2D.log");
  std::vector<std::string> lines;
  bool restarted = false;
  EXPECT_FALSE(ReadNewLogLines(log, lines, restarted));  // not there yet

  std::FILE* f = std::fopen(log.path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fputs("KAVITRON flow\nReading", f);
  std::fflush(f);
  ASSERT_TRUE(ReadNewLogLines(log, lines, restarted));
  EXPECT_EQ(lines, std::vector<std::string>{"KAVITRON flow"});  // the half line waits
  std::fputs(" mesh\r\n\nDone.\n", f);
  std::fflush(f);
  ASSERT_TRUE(ReadNewLogLines(log, lines, restarted));
  EXPECT_EQ(lines, (std::vector<std::string>{"KAVITRON flow", "Reading mesh", "", "Done."}));
  ASSERT_TRUE(ReadNewLogLines(log, lines, restarted));
  EXPECT_EQ(lines.size(), 4u);  // nothing new
  std::fclose(f);

  // A new run rewrites the log: it is read again from the start.
  test::WriteText(log.path, "New\n");
  lines.clear();
  ASSERT_TRUE(ReadNewLogLines(log, lines, restarted));
  EXPECT_TRUE(restarted);
  EXPECT_EQ(lines, std::vector<std::string>{"New"});

  // A long log comes in whole, line by line.
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + "\n";
  test::WriteText(log.path, big);
  LogFollower fresh;
  fresh.path = log.path;
  lines.clear();
  ASSERT_TRUE(ReadNewLogLines(fresh, lines, restarted));
  ASSERT_EQ(lines.size(), 20000u);
  EXPECT_EQ(lines[19999], "line 19999");
}

}  // namespace
}  // namespace kv
