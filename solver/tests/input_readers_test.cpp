#include "solver/input/input_readers.h"

#include <gtest/gtest.h>

#include "common/analysis/analysis_files.h"
#include "common/database/databases.h"
#include "solver/tests/solver_test_util.h"

namespace kv {
namespace {

using test::CapturedOutput;
using test::ScratchDir;
using test::WriteText;

std::string Tcode(const std::string& keyword, const std::string& records, int count) {
  return "---- Beginning of title\nTITL \nFILE\n---- comment\n" + keyword + " 1 " +
         std::to_string(count) + " Description of TCODE ....\n" + records +
         "---- End of file\nENDF\n";
}

TEST(InputReaders, ParametersAndProcessConditionsRoundTripWithTheirSummaries) {
  ScratchDir dir;
  CapturedOutput cap(dir);
  std::string error;
  SolverParameters written;
  written.layers = 8;
  written.design_outputs = 20;
  written.convergence = 2.5e-5f;
  written.max_iterations = 300;
  written.inertia = 1;
  ASSERT_EQ(WriteParameterFile(written, dir.File("j.par")), 1);
  SolverParameters read;
  ASSERT_EQ(ReadParameterFile(cap.out, dir.File("j.par"), read, error), kInputRead) << error;
  EXPECT_EQ(read.layers, 8);
  EXPECT_EQ(read.design_outputs, 20);
  EXPECT_FLOAT_EQ(read.convergence, 2.5e-5f);
  EXPECT_EQ(read.max_iterations, 300);
  EXPECT_EQ(read.inertia, 1);

  ProcessConditions pc;
  pc.mold_temperature = 313.15f;
  pc.ambient_temperature = 298.15f;
  pc.parting_normal[2] = -1;
  pc.gravity[1] = -9.81f;
  pc.clamp_force = 50000;
  ASSERT_EQ(WriteProcessFile(pc, dir.File("j.prc")), 1);
  ProcessConditions rc;
  ASSERT_EQ(ReadProcessFile(cap.out, dir.File("j.prc"), rc, error), kInputRead) << error;
  EXPECT_FLOAT_EQ(rc.mold_temperature, 313.15f);
  EXPECT_FLOAT_EQ(rc.clamp_force, 50000);
  EXPECT_FLOAT_EQ(rc.gravity[1], -9.81f);
  EXPECT_FLOAT_EQ(rc.cooling_time, 15);

  const std::string expected =
      "\n"
      "Parameter                                     Value\n"
      "Number of layers:                             8\n"
      "Number of design ouputs:                      20\n"
      "Convergence criterion:                        2.5000e-005\n"
      "Maximum number of iterations:                 300\n"
      "Done.\n"
      "\n"
      "Processing condition                          Value \t\tUnits\n"
      "Ambient temperature:                          25 \t\tC\n"
      "Mold temperature:                             40 \t\tC\n"
      "Parting plane (normal):                       [0 0 -1] \n"
      "Gravity vector:                               [0 -9.81 0] \t\tm/(s^2)\n"
      "Done.\n";
  EXPECT_EQ(cap.Console(), expected);
  EXPECT_EQ(cap.Log(), expected);
}

TEST(InputReaders, InletNodeSevenIsIndexSixAndAnEmptyInletListStops) {
  ScratchDir dir;
  CapturedOutput cap(dir);
  std::string error;
  std::vector<BoundaryRecord> nodes = {{0, kPotentialInletNode, 3}, {0, kInletNode, 6}};
  std::vector<BoundaryRecord> faces = {{0, kInletFace, 2}, {0, kOutletFace, 5}};
  ASSERT_EQ(WriteBoundaryFile(nodes, faces, dir.File("j.bcd")), 1);
  std::vector<int> inlets, potential;
  ASSERT_EQ(ReadBoundaryFile(cap.out, dir.File("j.bcd"), inlets, potential, error), kInputRead);
  EXPECT_EQ(inlets, std::vector<int>{6});
  EXPECT_EQ(potential, std::vector<int>{3});
  EXPECT_EQ(cap.Console(), "\nNode (inlet): 7\nDone.\n");

  // Inlet count 0: the reader itself reports the missing inlet.
  ASSERT_EQ(WriteBoundaryFile({{0, kPotentialInletNode, 3}}, {}, dir.File("none.bcd")), 1);
  std::vector<int> kept = {42};
  EXPECT_EQ(ReadBoundaryFile(cap.out, dir.File("none.bcd"), kept, potential, error), kInputNoInlet);
  EXPECT_EQ(kept, std::vector<int>{42});
  std::string console = cap.Console();
  EXPECT_NE(console.find("\nError: Inlet was not specified.\n"), std::string::npos);
  EXPECT_NE(cap.Log().find("\nError: Inlet was not specified.\n"), std::string::npos);

  // Face records of any count are passed over line by line.
  WriteText(dir.File("faces.bcd"),
                 Tcode("BOUND", "20 2 Inlet - Faces\n       1       4\n       1       5\n"
                                "10 2 Inlet - Nodes \n      11\n       2\n", 2));
  ASSERT_EQ(ReadBoundaryFile(cap.out, dir.File("faces.bcd"), inlets, potential, error), kInputRead);
  EXPECT_EQ(inlets, (std::vector<int>{10, 1}));
}

TEST(InputReaders, TwoInjectionUnitsAreReadInSolverUnits) {
  ScratchDir dir;
  CapturedOutput cap(dir);
  std::string error;
  InjectionUnit a = DefaultInjectionUnit();
  a.stroke = 45;
  a.screw_diameter = 0.025f;
  a.max_rate = 5.9e-5f;
  a.max_pressure = 16e6f;
  a.pressure_ratio = 13;
  InjectionUnit b = DefaultInjectionUnit();
  b.melt_temperature = 250;
  b.valve_timer[3][0] = 1.5f;
  b.valve_timer[3][1] = 4;
  b.switch_pressure = 120;
  ASSERT_EQ(WriteInjectionFile({a, b}, dir.File("j.inj")), 1);
  std::vector<SolverInjection> units;
  ASSERT_EQ(ReadInjectionFile(cap.out, dir.File("j.inj"), units, error), kInputRead) << error;
  ASSERT_EQ(units.size(), 2u);
  EXPECT_FLOAT_EQ(units[0].melt_temperature, 503.15f);  // 230 C
  EXPECT_FLOAT_EQ(units[0].stroke, 0.045f);
  EXPECT_FLOAT_EQ(units[0].screw_diameter, 0.025f);
  EXPECT_FLOAT_EQ(units[0].max_rate, 5.9e-5f);
  EXPECT_FLOAT_EQ(units[0].pressure_ratio, 13);
  // Percentages become fractions.
  EXPECT_FLOAT_EQ(units[0].profile[1][0], 0.2f);
  EXPECT_FLOAT_EQ(units[0].profile[1][1], 0.8f);
  EXPECT_FLOAT_EQ(units[0].valve_timer[0][1], 1000);
  EXPECT_FLOAT_EQ(units[1].melt_temperature, 523.15f);
  EXPECT_FLOAT_EQ(units[1].valve_timer[3][0], 1.5f);
  EXPECT_FLOAT_EQ(units[1].switch_pressure, 120);
  EXPECT_FLOAT_EQ(units[1].switch_volume, 99);
  EXPECT_FLOAT_EQ(units[1].packing_pressure, 0.8f);
  EXPECT_EQ(cap.Console(),
            "\n"
            "Injection control                             Value \t\tUnits\n"
            "#:                                            1 \t\t\n"
            "Melt temperature:                             230 \t\tC\n"
            "#:                                            2 \t\t\n"
            "Melt temperature:                             250 \t\tC\n"
            "Done.\n");
}

TEST(InputReaders, MaterialNamesDifferBetweenConsoleAndLog) {
  ScratchDir dir;
  CapturedOutput cap(dir);
  std::string error;
  std::vector<MaterialRecord> materials;
  ASSERT_EQ(LoadMaterials(materials, std::string(KV_SOURCE_DIR) + "/examples/materials.mdb", error), 1);
  ASSERT_EQ(WriteMaterialFile(materials[1], dir.File("j.mtl")), 1);
  JobMaterial m;
  ASSERT_EQ(ReadMaterialFile(cap.out, dir.File("j.mtl"), m, error), kInputRead) << error;
  EXPECT_EQ(m.polymer.name, materials[1].name);
  EXPECT_FLOAT_EQ(m.polymer.b3m, materials[1].b3m);
  EXPECT_FLOAT_EQ(m.polymer.tau_star, materials[1].tau_star);
  EXPECT_EQ(m.coolant_name, "Water");
  EXPECT_EQ(m.mold_name, "Steel");
  EXPECT_FLOAT_EQ(m.mold_conductivity, 36.5f);
  std::string console = cap.Console(), log = cap.Log();
  const std::string name = materials[1].name;
  EXPECT_EQ(console.find("\nMaterial: " + name + "\n"), 0u);
  EXPECT_EQ(log.find("\nPolymer material: " + name + "\n"), 0u);
  EXPECT_EQ(console.find("Polymer material:"), std::string::npos);
  // The rest is the same on both.
  EXPECT_EQ(console.substr(console.find('\n', 1)), log.substr(log.find('\n', 1)));
  for (const char* line :
       {"\nNo-flow temperature:                          60 \t\tC\n", "\n   D1    = 3.76174e+15\n",
        "\nConstant coolant viscosity:                   0.001 \t\tPa.s\n",
        "\nAmbient material: Air\n", "\nConstant air thermal conductivity:            0.024 \t\tW/(m.C)\n",
        "\nConstant mold thermal conductivity:           36.5 \t\tW/(m.C)\nDone.\n"})
    EXPECT_NE(console.find(line), std::string::npos) << line;
}

TEST(InputReaders, UnknownRecordsAreSkippedWithTheirValueLines) {
  ScratchDir dir;
  CapturedOutput cap(dir);
  std::string error;
  // Record 999's value lines look like records; they must not be read as such.
  WriteText(dir.File("j.par"), Tcode("PRMT", "999 2 Something new\n100 1 x\n200 1 y\n"
                                                  "100 1 Number of layers across half-gap\n9\n", 2));
  SolverParameters p;
  ASSERT_EQ(ReadParameterFile(cap.out, dir.File("j.par"), p, error), kInputRead) << error;
  EXPECT_EQ(p.layers, 9);
  EXPECT_EQ(p.design_outputs, 12);  // default kept
}

TEST(InputReaders, DamagedFilesAreRefusedWithFileAndLine) {
  ScratchDir dir;
  std::string error;
  struct Case {
    const char* name;
    std::string text;
    const char* expect;  // part of the message
  };
  const std::vector<Case> cases = {
      {"word.par", Tcode("PRMT", "100 1 Layers\nsix\n", 1), "j.par:7:"},
      {"cut.par", "PRMT 1 3 D\n100 1 Layers\n6\n200 1 Outputs\n", "ends"},
      {"zero.par", Tcode("PRMT", "100 1 Layers\n0\n", 1), "at least 1"},
      {"many.par", Tcode("PRMT", "100 1 Layers\n101\n", 1), "is 101; it must be at most 100"},
      {"max.par", Tcode("PRMT", "100 1 Layers\n2147483647\n", 1), "is 2147483647; it must be at most 100"},
      {"header.par", "PRMT 1 many\n", "header"},
      {"nan.prc", Tcode("PROC", "11001 1 Mold\nnan\n", 1), "not a number"},
      {"short.prc", Tcode("PROC", "11050 1 Normal\n0 0\n", 1), "record 11050"},
      {"huge.inj", Tcode("INJE", "52000 1 N\n2000000000\n", 1), "number of injections"},
      {"none.inj", Tcode("INJE", "52000 1 N\n0\n", 1), "number of injections"},
      {"first.inj", Tcode("INJE", "52005 1 T\n500\n", 1), "before the number"},
      {"count.inj", Tcode("INJE", "52000 1 N\n1\n52005 2 T\n500\n510\n", 2), "holds 2"},
      {"missing.inj", Tcode("INJE", "", 0), "no injection unit"},
      {"name.mtl", "MTRL 1 1 D\n1999 1 Resin trade name\n", "missing name"},
      {"tait.mtl", Tcode("MTRL", "1004 13 PVT\n1\n2\n3\n", 1), "record 1004"},
      {"code.bcd", Tcode("BOUND", "ten 1 Inlet\n5\n", 1), "record code expected"},
      {"node.bcd", Tcode("BOUND", "10 1 Inlet\n7.5\n", 1), "not an integer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.File(std::string("j.") + (std::string(c.name).substr(std::string(c.name).find('.') + 1)));
    WriteText(path, c.text);
    CapturedOutput cap(dir);
    std::string ext = path.substr(path.size() - 3);
    int r = -9;
    error.clear();
    if (ext == "par") {
      SolverParameters p;
      r = ReadParameterFile(cap.out, path, p, error);
    } else if (ext == "prc") {
      ProcessConditions p;
      r = ReadProcessFile(cap.out, path, p, error);
    } else if (ext == "inj") {
      std::vector<SolverInjection> units(1);
      units[0].stroke = 7;
      r = ReadInjectionFile(cap.out, path, units, error);
      ASSERT_EQ(units.size(), 1u);  // unchanged
      EXPECT_EQ(units[0].stroke, 7);
    } else if (ext == "mtl") {
      JobMaterial m;
      r = ReadMaterialFile(cap.out, path, m, error);
    } else if (ext == "bcd") {
      std::vector<int> inlets, potential;
      r = ReadBoundaryFile(cap.out, path, inlets, potential, error);
    }
    EXPECT_EQ(r, kInputDamaged);
    EXPECT_NE(error.find(c.expect), std::string::npos) << error;
    EXPECT_EQ(cap.Console(), "");  // no summary of a damaged file
  }
  CapturedOutput cap(dir);
  SolverParameters p;
  EXPECT_EQ(ReadParameterFile(cap.out, dir.File("absent.par"), p, error), kInputCannotOpen);
}

TEST(InputReaders, ValveGatesAreReadAndCheckedAgainstTheMesh) {
  ScratchDir dir;
  std::string error;
  std::string gate_pairs = "0.0 1.0\n0 0\n0 0\n0 0\n0 0\n0 0\n";
  WriteText(dir.File("j.vlv"),
                 Tcode("VALV", "80000 2 Valve gates\n2\n3 4\n" + gate_pairs + "1\n10\n" +
                                   "0.5 2.5\n0 0\n0 0\n0 0\n0 0\n0 0\n" +
                                   "80001 1 Other\n12 13\n", 2));
  CapturedOutput cap(dir);
  std::vector<ValveGate> gates;
  ASSERT_EQ(ReadValveFile(cap.out, dir.File("j.vlv"), 10, gates, error), kInputRead) << error;
  ASSERT_EQ(gates.size(), 2u);
  EXPECT_EQ(gates[0].nodes, (std::vector<int>{2, 3}));
  EXPECT_FLOAT_EQ(gates[0].timer[0][1], 1.0f);
  EXPECT_EQ(gates[1].nodes, std::vector<int>{9});
  EXPECT_FLOAT_EQ(gates[1].timer[0][0], 0.5f);
  EXPECT_EQ(cap.Console(), "\nReading valve gates...\nDone.\n");

  // Node 11 in a mesh of 10 nodes.
  EXPECT_EQ(ReadValveFile(cap.out, dir.File("j.vlv"), 9, gates, error), kInputDamaged);
  EXPECT_NE(error.find("names node 10"), std::string::npos) << error;
  EXPECT_EQ(gates.size(), 2u);
  EXPECT_EQ(ReadValveFile(cap.out, dir.File("absent.vlv"), 10, gates, error), kInputCannotOpen);
}

}  // namespace
}  // namespace kv
