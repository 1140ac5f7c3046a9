// kvmesh MESH --results FILE: the result file read against the mesh, one line
// per entry of the result set, driven as the built program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "common/tests/mesh_test_util.h"
#include "tools/kvmesh/kvmesh_run.h"

namespace kv {
namespace {

using test::ReadText;
using test::ScratchPath;
using test::WriteText;

const std::string kData = std::string(KV_SOURCE_DIR) + "/common/tests/data/";

// Runs the built kvmesh with `arguments`; its output and errors go to `log`.
int RunProgram(const std::string& arguments, const std::string& log) {
  const std::string command = std::string(KV_BIN_DIR) + "/kvmesh " + arguments + " >" + log + " 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(KvmeshResults, ListsEveryEntryWithItsRange) {
  const std::string mesh = kData + "small.m2D", results = kData + "result_blocks.f2D";
  const std::string log = ScratchPath("log.txt");
  ASSERT_EQ(RunProgram(mesh + " --results " + results, log), 0) << ReadText(log);
  EXPECT_EQ(ReadText(log),
            "Reading file: " + mesh + "\n"
            "Number of nodes:      4\n"
            "Number of elements:   4\n"
            "Number of properties: 3\n"
            "Reading file: " + results + "\n"
            "Result entries: 14\n"
            "Thickness [m] -    0 | element | 3 defined | min 1.000000E-003 | max 2.000000E-003\n"
            "Diameter [m] -    1 | element | 1 defined | min 6.000000E-003 | max 6.000000E-003\n"
            "Pressure trace at entrance [Pa] -    2 : Time = 0.000000 | global scalar | 1 defined"
            " | min 0.000000E+000 | max 0.000000E+000\n"
            "Clamp force [N] -    3 : Time = 0.000000 | global scalar | 1 defined | min 0.000000E+000"
            " | max 0.000000E+000\n"
            "Percentage total weight [%] -    4 : Time = 0.000000 | global scalar | 1 defined"
            " | min 0.000000E+000 | max 0.000000E+000\n"
            "Molten-core [] -    5 : Time = 0.050000 | element | 2 defined | min 2.500000E-001"
            " | max 1.000000E+000\n"
            "Average velocity [m/s] -    6 : Time = 0.050000 | element vector | 2 defined"
            " | min 1.000000E-001 | max 3.605551E-001\n"
            "Bulk temperature [K] -    7 : Time = 0.050000 | nodal | 2 defined | min 2.500000E-001"
            " | max 5.000000E+002\n"
            "Representative shear rate [1/s] -    8 : Time = 0.050000 | nodal | 3 defined"
            " | min -1.500000E+000 | max 1.234500E+003\n"
            "Wall shear stress [Pa] -    9 : Time = 0.050000 | nodal | 1 defined | min 9.765625E-004"
            " | max 9.765625E-004\n"
            "Pressure [Pa] -   10 : Time = 0.050000 | nodal | 2 defined | min 0.000000E+000"
            " | max 1.500000E+006\n"
            "Clamp force centroid [] -   11 | highlight\n"
            "Time to cool after filling [s] -   12 | element | 3 defined | min 0.000000E+000"
            " | max 1.000000E+001\n"
            "Melt-front advancement [s] -   13 | nodal | 2 defined | min 0.000000E+000"
            " | max 1.250000E-001\n"
            "Done.\n");
}

// A result file that does not belong to the mesh, a damaged one and a missing
// one: status 1 and the reason, no entry listed.
TEST(KvmeshResults, RefusesResultsThatDoNotFitTheMesh) {
  const std::string mesh = kData + "small.m2D";
  const std::string results = ScratchPath("other.f2D"), log = ScratchPath("log.txt");
  WriteText(results,
            "NDDT       0       1       1       1\n"
            "        Melt-front advancement                              s\n"
            "       9 0.5\n"
            "ENDF\n");
  EXPECT_EQ(RunProgram(mesh + " --results " + results, log), 1);
  EXPECT_NE(ReadText(log).find("kvmesh: --results: " + results +
                               ":3: NDDT block: node 9 is not in the mesh (1..4).\n"),
            std::string::npos)
      << ReadText(log);
  EXPECT_EQ(ReadText(log).find("Result entries"), std::string::npos) << ReadText(log);

  WriteText(results, "SCDT       1       1       1       1\n        Time   s\n");
  EXPECT_EQ(RunProgram(mesh + " --results " + results, log), 1);
  EXPECT_NE(ReadText(log).find("title line 2 of 2 missing"), std::string::npos) << ReadText(log);

  std::ostringstream out, err;
  EXPECT_EQ(RunKvmesh({mesh, "--results", ScratchPath("missing.f2D")}, out, err), 1);
  EXPECT_NE(err.str().find("missing.f2D: cannot open the file"), std::string::npos) << err.str();
  std::ostringstream out2, err2;
  EXPECT_EQ(RunKvmesh({mesh, "--results"}, out2, err2), 2);
  EXPECT_NE(err2.str().find("--results needs 1 argument (FILE)"), std::string::npos) << err2.str();
}

// The example job run by the solver, its result file read against its mesh:
// every block the solver writes is accepted, and the final set closes the list.
TEST(KvmeshResults, ReadsWhatTheSolverWrites) {
  const std::string fluxar = std::string(KV_BIN_DIR) + "/fluxar";
  const std::filesystem::path example = std::filesystem::path(KV_SOURCE_DIR) / "examples" / "plate";
  if (!std::filesystem::exists(fluxar) || !std::filesystem::exists(example / "plate.m2D"))
    GTEST_SKIP() << "fluxar or the example job is not built";
  const std::string job = ScratchPath("plate"), log = ScratchPath("log.txt");
  for (const char* extension : {"m2D", "par", "prc", "bcd", "inj", "mtl"})
    std::filesystem::copy_file(example / (std::string("plate.") + extension), job + "." + extension,
                               std::filesystem::copy_options::overwrite_existing);
  const int status = std::system((fluxar + " " + job + " >" + log + " 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << ReadText(log);

  ASSERT_EQ(RunProgram(job + ".m2D --results " + job + ".f2D", log), 0) << ReadText(log);
  const std::string text = ReadText(log);
  EXPECT_NE(text.find("Pressure trace at entrance [Pa] -    2 : Time = 0.000000 | global scalar | 1 defined"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Time to cool after filling [s] - "), std::string::npos) << text;
  EXPECT_NE(text.find("Clamp force centroid [] - "), std::string::npos) << text;
  // The last entry is the melt-front advancement, defined at every node of a
  // completely filled plate.
  const size_t last = text.rfind("Melt-front advancement [s] - ");
  ASSERT_NE(last, std::string::npos) << text;
  const std::string tail = text.substr(last);
  const size_t nodes_at = text.find("Number of nodes:");
  ASSERT_NE(nodes_at, std::string::npos) << text;
  const int nodes = std::atoi(text.c_str() + nodes_at + 16);
  EXPECT_GT(nodes, 0);
  EXPECT_NE(tail.find("| nodal | " + std::to_string(nodes) + " defined | min 0.000000E+000"), std::string::npos)
      << tail;
  EXPECT_EQ(tail.substr(tail.find('\n') + 1), "Done.\n") << tail;
}

}  // namespace
}  // namespace kv
