// Flag commands, the command line, batch options, file command texts and the
// system information block.
#include <gtest/gtest.h>

#include "common/output/pane_output.h"
#include "gui/shell/core/batch_options.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/core/file_commands.h"
#include "gui/shell/core/interpreter.h"
#include "gui/shell/core/shell_state.h"
#include "gui/shell/core/system_info.h"

namespace kv {
namespace {

TEST(FlagCommands, TogglesRadiosAndTheirEffects) {
  ShellState s;
  CommandEffect e = ApplyFlagCommand(s, kCmdPart);
  EXPECT_TRUE(e.handled && e.invalidate && e.redraw && e.visibility);
  EXPECT_FALSE(s.view.categories.part);
  EXPECT_FALSE(CommandChecked(s, kCmdPart));
  ApplyFlagCommand(s, kCmdPart);
  EXPECT_TRUE(CommandChecked(s, kCmdPart));
  e = ApplyFlagCommand(s, kCmdBoundaryConditions);
  EXPECT_FALSE(s.view.boundary_conditions);
  EXPECT_FALSE(e.visibility);
  // Render modes are exclusive and invalidate the lists; pick modes do not.
  e = ApplyFlagCommand(s, kCmdFacetWireframe);
  EXPECT_TRUE(e.invalidate);
  EXPECT_EQ(s.view.render_mode, kFacetWireframe);
  EXPECT_TRUE(CommandChecked(s, kCmdFacetWireframe));
  EXPECT_FALSE(CommandChecked(s, kCmdSurfaceOutline));
  e = ApplyFlagCommand(s, kCmdPickShell);
  EXPECT_FALSE(e.invalidate);
  EXPECT_EQ(s.view.pick_mode, kPickShell);
  EXPECT_FALSE(CommandChecked(s, kCmdPickFacet));
  // Units print their line.
  e = ApplyFlagCommand(s, kCmdEnglish);
  EXPECT_EQ(e.output, "Units: English");
  EXPECT_EQ(s.view.units, kUnitsEnglish);
  EXPECT_EQ(ApplyFlagCommand(s, kCmdMetric).output, "Units: Metric");
  // Triad toggles; other commands are not flag commands.
  ApplyFlagCommand(s, kCmdOrientation);
  EXPECT_FALSE(s.view.triad);
  EXPECT_FALSE(ApplyFlagCommand(s, kCmdZoomAll).handled);
  EXPECT_EQ(RenderModeCommand(kShade), kCmdShade);
  EXPECT_EQ(PickModeCommand(kPickVertex), kCmdPickVertex);
  EXPECT_EQ(RenderModeCommand(9), 0);
}

TEST(CommandLine, EnterEchoesStepsAndCallsTheInterpreter) {
  PaneCapture capture;
  // A context without tables: the steps are counted but none runs.
  InterpreterState st;
  CommandContext ctx;
  ctx.state = &st;
  RunCommand(ctx, 23);
  EXPECT_EQ(st.command, 23);
  EXPECT_EQ(st.step, 0);
  EXPECT_EQ(st.calls, 1);
  // An empty line is not echoed but still advances the step.
  EXPECT_EQ(TakeCommandLine(ctx, ""), "");
  EXPECT_TRUE(capture.input.empty());
  EXPECT_EQ(st.step, 1);
  EXPECT_EQ(st.calls, 2);
  TakeCommandLine(ctx, "0.5 1 2");
  ASSERT_EQ(capture.input.size(), 1u);
  EXPECT_EQ(capture.input[0], "0.5 1 2");
  EXPECT_EQ(st.step, 2);
  // At most 80 characters are taken.
  EXPECT_EQ(TakeCommandLine(ctx, std::string(100, 'x')).size(), 80u);
}

TEST(BatchOptions, ParsesAndRefusesBadArguments) {
  BatchOptions o;
  std::string error;
  ASSERT_TRUE(ParseBatchOptions({"--screenshot", "out.png", "--view", "iso", "--render", "shade", "plate.m2D"}, &o,
                                &error));
  EXPECT_EQ(o.screenshot, "out.png");
  EXPECT_EQ(o.view, 6);
  EXPECT_EQ(o.render_mode, kShade);
  EXPECT_EQ(o.model, "plate.m2D");
  EXPECT_FALSE(ParseBatchOptions({"--view", "sideways"}, &o, &error));
  EXPECT_EQ(error, "Unknown view: sideways.");
  EXPECT_FALSE(ParseBatchOptions({"--render"}, &o, &error));
  EXPECT_EQ(error, "Missing value after --render.");
  EXPECT_FALSE(ParseBatchOptions({"--frobnicate"}, &o, &error));
  EXPECT_FALSE(ParseBatchOptions({"a.m2D", "b.m2D"}, &o, &error));
  ASSERT_TRUE(ParseBatchOptions({}, &o, &error));
  EXPECT_TRUE(o.screenshot.empty());
  EXPECT_EQ(o.view, -1);
  EXPECT_FALSE(o.Batch());
  // Result options.
  ASSERT_TRUE(ParseBatchOptions({"--results", "p.f2D", "--entry", "Pressure", "--frame", "last", "--avi", "p.avi",
                                 "--avi-codec", "raw", "--save", "p.sim", "p.sim"},
                                &o, &error))
      << error;
  EXPECT_EQ(o.results, "p.f2D");
  EXPECT_EQ(o.entry, "Pressure");
  EXPECT_EQ(o.frame, 0);
  EXPECT_EQ(o.avi_codec, 0);
  EXPECT_EQ(o.save, "p.sim");
  EXPECT_TRUE(o.Batch());
  ASSERT_TRUE(ParseBatchOptions({"--entry", "Pressure", "--frame", "3"}, &o, &error));
  EXPECT_EQ(o.frame, 3);
  EXPECT_FALSE(o.Batch());
  for (const char* bad : {"0", "-2", "x", "3x", "9999999999"}) {
    EXPECT_FALSE(ParseBatchOptions({"--entry", "Pressure", "--frame", bad}, &o, &error)) << bad;
  }
  EXPECT_FALSE(ParseBatchOptions({"--avi", "p.avi"}, &o, &error));
  EXPECT_EQ(error, "--avi needs --entry.");
  EXPECT_FALSE(ParseBatchOptions({"--entry", "P", "--avi", "p.avi", "--avi-codec", "h264"}, &o, &error));
  ASSERT_TRUE(ParseBatchOptions({"--version"}, &o, &error));
  EXPECT_TRUE(o.version);
}

TEST(BatchOptions, ADisplayIsNamedOrAQtPlatformChosen) {
  EXPECT_FALSE(DisplayAvailable(nullptr, nullptr, nullptr, {"--help"}));
  EXPECT_FALSE(DisplayAvailable("", "", "", {}));
  EXPECT_TRUE(DisplayAvailable(":0", nullptr, nullptr, {}));
  EXPECT_TRUE(DisplayAvailable(nullptr, "wayland-0", nullptr, {}));
  EXPECT_TRUE(DisplayAvailable(nullptr, nullptr, "offscreen", {}));
  EXPECT_TRUE(DisplayAvailable(nullptr, nullptr, nullptr, {"-platform", "offscreen", "plate.m2D"}));
}

TEST(FileCommands, FiltersJobTitleAndLines) {
  ASSERT_EQ(SaveImageFilters().size(), 2u);
  EXPECT_EQ(SaveImageFilters()[0], "PNG File (*.png)");
  EXPECT_EQ(JobTitleFromPath("/home/u/jobs/plate.m2D"), "plate");
  EXPECT_EQ(JobTitleFromPath("plate.m2D"), "plate");
  EXPECT_EQ(JobTitleFromPath("x"), "");
  EXPECT_EQ(ReadingLine("a.m2D"), "Reading file: a.m2D");
  EXPECT_EQ(ElapsedLine(1.234), "Elapsed time: 1.23 seconds.");
}

TEST(SystemInformation, BlockAndKeyParsing) {
  const auto lines = SystemInformationLines("CPU X", "Debian", "llvmpipe", "Mesa");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "----------- System Information -----------");
  EXPECT_EQ(lines[1], "Processor: CPU X");
  EXPECT_EQ(lines[2], "Operating system: Debian");
  EXPECT_EQ(lines[3], "Graphics card: llvmpipe, Mesa");
  EXPECT_EQ(ValueOfKey("processor\t: 0\nmodel name\t: Fast CPU @ 3GHz\n", "model name", ':'), "Fast CPU @ 3GHz");
  EXPECT_EQ(ValueOfKey("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12\"\n", "PRETTY_NAME", '='),
            "Debian GNU/Linux 12");
  EXPECT_EQ(ValueOfKey("A=1\n", "B", '='), "");
  EXPECT_FALSE(ProcessorDescription().empty());
  EXPECT_FALSE(OperatingSystemDescription().empty());
}

}  // namespace
}  // namespace kv
