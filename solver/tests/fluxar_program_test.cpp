// fluxar driven as a program: command line, exit statuses, console and log.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "solver/driver/entry.h"
#include "solver/tests/solver_test_util.h"

namespace kv {
namespace {

using test::Lines;
using test::ReadText;
using test::RunFluxar;
using test::ScratchDir;
using test::WriteText;

// A scratch copy of the example job; returns the job name.
std::string CopyExample(const ScratchDir& dir) {
  for (const char* ext : {"m2D", "par", "prc", "bcd", "inj", "mtl"}) {
    std::filesystem::copy_file(std::string(KV_SOURCE_DIR) + "/examples/plate/plate." + ext,
                               dir.File(std::string("plate.") + ext));
  }
  return dir.File("plate");
}

size_t CountFiles(const ScratchDir& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path)) ++n;
  return n;
}

TEST(FluxarProgram, WrongArgumentCountPrintsUsageAndCreatesNothing) {
  ScratchDir dir;
  for (const char* arguments : {"", "a b", "'' x y", "--pass-rule=cubic", "x --pass-rule=cubic",
                                "--pass-rule=cubic --pass-rule=cubic"}) {
    SCOPED_TRACE(arguments);
    test::ProgramRun run = RunFluxar(dir.path.string(), arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "\nUsage: fluxar.exe file\n\n");
    EXPECT_EQ(CountFiles(dir), 0u);
  }
}

TEST(FluxarProgram, UnknownPassRuleIsNamedAndCreatesNothing) {
  ScratchDir dir;
  const std::string job = CopyExample(dir);
  const size_t files = CountFiles(dir);
  test::ProgramRun run = RunFluxar(dir.path.string(), "--pass-rule=fast '" + job + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "\nUnknown pass rule: fast (volume or cubic)\n\nUsage: fluxar.exe file\n\n");
  EXPECT_EQ(CountFiles(dir), files);
}

TEST(FluxarProgram, ExampleJobReadsThroughEveryFile) {
  ScratchDir dir;
  std::string job = CopyExample(dir);
  test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
  EXPECT_EQ(run.status, 1) << run.output;
  std::string log = ReadText(job + ".f2D.log");
  ASSERT_FALSE(log.empty());

  // Banners: seven lines of 51 characters after an empty line, titles differ.
  std::vector<std::string> console = Lines(run.output), log_lines = Lines(log);
  ASSERT_GT(console.size(), 12u);
  EXPECT_EQ(console[0], "");
  for (int i = 1; i <= 7; ++i) {
    EXPECT_EQ(console[i].size(), 51u) << console[i];
    EXPECT_EQ(log_lines[i].size(), 51u) << log_lines[i];
  }
  EXPECT_EQ(console[3], "*    FLUXAR - MOLD FILLING SOLVER                 *");
  EXPECT_EQ(log_lines[3], "*    FLUXAR-X - MOLD FLOW SOLVER                  *");
  EXPECT_EQ(console[5], "*    VERSION:       2011                    752   *");
  EXPECT_EQ(console[8], "");
  EXPECT_EQ(console[9].substr(0, 6), "Date: ");
  EXPECT_EQ(console[9].size(), 14u);  // MM/DD/YY
  EXPECT_EQ(console[10].size(), 14u);  // Time: HH:MM:SS
  EXPECT_EQ(console[11], "Name: " + job);
  EXPECT_EQ(log_lines[11], "Name: " + job);

  for (const std::string& line :
       {std::string("Number of layers:                             6"),
        std::string("Mold temperature:                             50 \t\tC"),
        std::string("Reading mesh..."), std::string("Node (inlet): 123"),
        std::string("Melt temperature:                             230 \t\tC"),
        std::string("Material: GPPS general-purpose polystyrene (Vietri et al. 2011)"),
        std::string("   A2_t  = 61.06"), std::string("Mold material: Steel"),
        std::string("Warning: valve gate file not found!"), job + ".vlv"}) {
    EXPECT_NE(run.output.find("\n" + line + "\n"), std::string::npos) << line;
  }
  EXPECT_NE(log.find("\nPolymer material: GPPS general-purpose polystyrene"), std::string::npos);
  EXPECT_EQ(log.find("\nMaterial: "), std::string::npos);
}

TEST(FluxarProgram, MissingInputFileStopsWithItsMessageAndName) {
  const struct {
    const char* ext;
    const char* message;
  } files[] = {{"par", "Error: parameter file not found!"},
               {"prc", "Error: process conditions file not found!"},
               {"m2D", "Error: mesh file not found!"},
               {"bcd", "Error: boundary conditions file not found!"},
               {"inj", "Error: injection control file not found!"},
               {"mtl", "Error: material file not found!"}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.ext);
    ScratchDir dir;
    std::string job = CopyExample(dir);
    std::string missing = job + "." + f.ext;
    std::filesystem::remove(missing);
    test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
    EXPECT_EQ(run.status, 255);
    std::string tail = "\n" + std::string(f.message) + "\n" + missing + "\n";
    EXPECT_TRUE(run.output.ends_with(tail)) << run.output;
    // The file name is the last line of the log too.
    EXPECT_TRUE(ReadText(job + ".f2D.log").ends_with(tail));
    EXPECT_FALSE(std::filesystem::exists(job + ".f2D"));
  }
}

TEST(FluxarProgram, JobInADirectoryThatDoesNotExistStillReportsClearly) {
  ScratchDir dir;
  std::string job = dir.File("no/such/dir/plate");
  test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.output.find("\nWarning: log file cannot be created!\n" + job + ".f2D.log\n"),
            std::string::npos) << run.output;
  EXPECT_TRUE(run.output.ends_with("\nError: parameter file not found!\n" + job + ".par\n"));
}

TEST(FluxarProgram, DamagedInputEndsWithAClearErrorAndStatus255) {
  const struct {
    const char* ext;
    const char* text;
    const char* expect;
  } cases[] = {
      {"prc", "PROC 1 1 D\n11001 1 Mold wall temperature\nwarm\n", "plate.prc:3: \"warm\" is not a number"},
      {"m2D", "SUMR 0 0 1 3 1\nEPRO 1 1 Part surface\n", "Error: mesh file not found!"},
      {"inj", "INJE 1 2 D\n52000 1 N\n1\n52005 1 T\n", "plate.inj:"},
      {"mtl", "MTRL 1 1 D\n1313 7 Cross-WLF\n0.25\n", "plate.mtl:"},
      {"bcd", "BOUND 1 1 D\n10 1 Inlet - Nodes \n", "plate.bcd:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    ScratchDir dir;
    std::string job = CopyExample(dir);
    WriteText(job + "." + c.ext, c.text);
    test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
    EXPECT_EQ(run.status, 255);
    EXPECT_NE(run.output.find(c.expect), std::string::npos) << run.output;
    EXPECT_TRUE(run.output.ends_with(job + "." + c.ext + "\n")) << run.output;
  }
}

// Values a model cannot use stop the run with the file, the record and the
// value, status 255 and no result or restart file.
TEST(FluxarProgram, ImpossiblePhysicsStopsBeforeTheRun) {
  const struct {
    const char* ext;
    const char* from;
    const char* to;
    const char* expect;
  } cases[] = {
      {"mtl", "950.000000", "0.0", "plate.mtl: record 1000 (melt density, kg/m^3): 0; it must be above 0"},
      {"mtl", "950.000000", "-950", "plate.mtl: record 1000 (melt density, kg/m^3): -950;"},
      {"mtl", "0.252000", "1.5", "plate.mtl: record 1313 (Cross-WLF n): 1.5; it must be from 0 to 1"},
      {"mtl", "36.500000", "0", "plate.mtl: record 8200 (mold thermal conductivity, W/(m.C)): 0;"},
      {"inj", "503.150000", "0", "plate.inj: record 52005 (injection temperature, K): 0; it must be above 0"},
      {"inj", "0.020000", "-0.02", "plate.inj: record 52023 (screw diameter, m): -0.02;"},
      {"prc", "323.150000", "0", "plate.prc: record 11001 (mold temperature, K): 0;"},
      {"m2D", "2.000000E-003", "5.000000E+000", "plate.m2D: element 1 (thickness, m): 5;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.ext) + " " + c.to);
    ScratchDir dir;
    std::string job = CopyExample(dir);
    std::string text = ReadText(job + "." + c.ext);
    const size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.from).size(), c.to);
    WriteText(job + "." + c.ext, text);
    test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
    EXPECT_EQ(run.status, 255);
    EXPECT_NE(run.output.find("\nError: " + job.substr(0, job.size() - 5)), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(c.expect), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Filling cavity"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(job + ".f2D"));
    EXPECT_FALSE(std::filesystem::exists(job + ".ini"));
    EXPECT_NE(ReadText(job + ".f2D.log").find(c.expect), std::string::npos);
  }
}

// No file named like the aside files is left in `dir`.
void ExpectNoAsideFiles(const ScratchDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".partial-")) << entry.path();
}

TEST(FluxarProgram, AFailedResultWriteKeepsThePreviousResults) {
  ScratchDir dir;
  const std::string job = CopyExample(dir);
  ASSERT_EQ(RunFluxar(dir.path.string(), "'" + job + "'").status, 1);
  const std::string results = ReadText(job + ".f2D");
  ASSERT_GT(results.size(), 80000u);

  // A file-size limit of 64 KiB (inherited by the program) cuts the result
  // file short; the signal it would raise is ignored as fluxar itself does.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.output.find("\nError: the result file could not be written completely!\n" + job + ".f2D\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(ReadText(job + ".f2D"), results);
  ExpectNoAsideFiles(dir);

  // A restart file that cannot replace its target (a directory of that
  // name) is named too; the result file is complete.
  std::filesystem::remove(job + ".ini");
  std::filesystem::create_directory(job + ".ini");
  run = RunFluxar(dir.path.string(), "'" + job + "'");
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.output.find("\nError: the restart file could not be written!\n" + job + ".ini\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(ReadText(job + ".f2D"), results);
  ExpectNoAsideFiles(dir);
}

TEST(FluxarProgram, InletProblemsStopTheRun) {
  {
    // No inlet node: the boundary reader's own message, status 255.
    ScratchDir dir;
    std::string job = CopyExample(dir);
    WriteText(job + ".bcd", "BOUND 1 2 D\n1 0 Optimum\n10 0 Inlet - Nodes \nENDF\n");
    test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.output.ends_with("\nError: Inlet was not specified.\n")) << run.output;
    EXPECT_TRUE(ReadText(job + ".f2D.log").ends_with("\nError: Inlet was not specified.\n"));
  }
  for (const char* node : {"124", "0", "-3"}) {
    // The example mesh has 123 nodes.
    SCOPED_TRACE(node);
    ScratchDir dir;
    std::string job = CopyExample(dir);
    WriteText(job + ".bcd", std::string("BOUND 1 1 D\n10 1 Inlet - Nodes \n") + node + "\nENDF\n");
    test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.output.ends_with("\nError: injection node is out of bounds!\n")) << run.output;
    EXPECT_FALSE(std::filesystem::exists(job + ".f2D"));
  }
}

TEST(FluxarProgram, ValveGateFileIsReadOrOnlyWarnedAbout) {
  ScratchDir dir;
  std::string job = CopyExample(dir);
  WriteText(job + ".vlv",
                 "VALV 1 1 D\n80000 1 Valve gates\n1\n123\n0 2\n0 0\n0 0\n0 0\n0 0\n0 0\nENDF\n");
  test::ProgramRun run = RunFluxar(dir.path.string(), "'" + job + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("\nReading valve gates...\nDone.\n"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Warning"), std::string::npos);

  // A gate on a node the mesh does not have: warned, the run goes on.
  WriteText(job + ".vlv",
                 "VALV 1 1 D\n80000 1 Valve gates\n1\n500\n0 2\n0 0\n0 0\n0 0\n0 0\n0 0\nENDF\n");
  run = RunFluxar(dir.path.string(), "'" + job + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("names node 500"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\nWarning: valve gate file not found!\n" + job + ".vlv\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kv
