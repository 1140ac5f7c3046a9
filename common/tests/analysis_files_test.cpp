#include "common/analysis/analysis_files.h"

#include <gtest/gtest.h>

#include "common/analysis/analysis_settings.h"
#include "common/database/databases.h"
#include "common/output/pane_output.h"
#include "common/tests/analysis_test_util.h"

namespace kv {
namespace {

using test::AnalysisData;
using test::ReadText;
using test::ScratchDir;

MaterialRecord Gpps() {
  MaterialRecord m;
  m.name = "GPPS general-purpose polystyrene (Vietri et al. 2011)";
  m.melt_density = 950;
  m.solid_density = 1040;
  const float tait[kTaitCount] = {373,     5.1e-7f, 9.76e-4f, 5.8e-7f, 1.67e8f, 3.6e-3f, 9.76e-4f,
                                  2.3e-7f, 2.6e8f,  3.0e-3f,  0,       0,       0};
  SetTaitCoefficients(m, tait);
  m.specific_heat = 2100;
  m.conductivity = 0.22f;
  m.no_flow_temperature = 373.15f;
  const float wlf[kCrossWlfCount] = {0.252f, 30800, 4.76e10f, 373.15f, 0, 25.7f, 61.06f};
  SetCrossWlfConstants(m, wlf);
  return m;
}

TEST(AnalysisFiles, InitialSettingsWriteTheHandCheckedParameterAndProcessFiles) {
  ScratchDir dir;
  AnalysisSettings settings;
  ASSERT_EQ(WriteParameterFile(settings.parameters, dir.File("job.par")), 1);
  EXPECT_EQ(ReadText(dir.File("job.par")), ReadText(AnalysisData("defaults.par")));
  ASSERT_EQ(WriteProcessFile(settings.process, dir.File("job.prc")), 1);
  EXPECT_EQ(ReadText(dir.File("job.prc")), ReadText(AnalysisData("defaults.prc")));

  // The title goes after "TITL "; a new model resets everything but inertia.
  settings.parameters.layers = 9;
  settings.parameters.inertia = 1;
  settings.process.mold_temperature = 300;
  settings.injection_units.push_back(DefaultInjectionUnit());
  ResetAnalysisSettings(settings);
  EXPECT_EQ(settings.parameters.layers, 6);
  EXPECT_EQ(settings.parameters.inertia, 1);
  EXPECT_FLOAT_EQ(settings.process.mold_temperature, 323.15f);
  EXPECT_TRUE(settings.injection_units.empty());
  ASSERT_EQ(WriteParameterFile(settings.parameters, dir.File("t.par"), "Plate"), 1);
  EXPECT_NE(ReadText(dir.File("t.par")).find("\nTITL Plate\n"), std::string::npos);
}

TEST(AnalysisFiles, BoundaryFileListsEachKindWithItsOwnLineLayout) {
  ScratchDir dir;
  std::vector<BoundaryRecord> nodes = {{0, kPotentialInletNode, 2},
                                       {0, kInletNode, 6},
                                       {0, kPotentialInletNode, 11},
                                       {0, 99, 40}};  // unknown type: not written
  std::vector<BoundaryRecord> faces = {{0, kInletFace, 43}, {1, kOutletFace, 9}, {1, kOutletFace, 10}};
  ASSERT_EQ(WriteBoundaryFile(nodes, faces, dir.File("job.bcd")), 1);
  EXPECT_EQ(ReadText(dir.File("job.bcd")), ReadText(AnalysisData("mixed.bcd")));
}

TEST(AnalysisFiles, TwoInjectionUnitsRepeatEveryRecordPerUnit) {
  ScratchDir dir;
  std::vector<ScrewRecord> screws;
  std::string error;
  ASSERT_EQ(LoadScrews(screws, std::string(KV_SOURCE_DIR) + "/examples/screws.mdb", error), 1);
  ASSERT_GE(screws.size(), 2u);
  InjectionUnit first = DefaultInjectionUnit();
  ApplyScrew(first, screws[1]);  // 25 mm
  first.stroke = 45;
  InjectionUnit second = DefaultInjectionUnit();
  ApplyScrew(second, screws[0]);  // 20 mm
  second.melt_temperature = 240;
  second.stroke = 30;
  second.valve_timer[0][0] = 0.5f;
  second.valve_timer[0][1] = 2.0f;
  second.switch_position = 5;
  ASSERT_EQ(WriteInjectionFile({first, second}, dir.File("job.inj")), 1);
  // 230 C is written 503.150000, 45 mm as 0.045000 m, "swtich" as it stands.
  EXPECT_EQ(ReadText(dir.File("job.inj")), ReadText(AnalysisData("two_units.inj")));
}

TEST(AnalysisFiles, MaterialFileCarriesPolymerAndFixedCoolantAirMold) {
  ScratchDir dir;
  ASSERT_EQ(WriteMaterialFile(Gpps(), dir.File("job.mtl")), 1);
  EXPECT_EQ(ReadText(dir.File("job.mtl")), ReadText(AnalysisData("gpps.mtl")));

  // A name can never add lines to the file.
  MaterialRecord odd = Gpps();
  odd.name = "Two\nlines";
  ASSERT_EQ(WriteMaterialFile(odd, dir.File("odd.mtl")), 1);
  std::string text = ReadText(dir.File("odd.mtl"));
  EXPECT_NE(text.find("1999 1 Resin trade name\nTwo\n6000 1"), std::string::npos);
}

TEST(AnalysisFiles, UnwritablePathReturnsZeroAndLeavesNothing) {
  ScratchDir dir;
  std::string path = dir.File("missing/dir/job.par");
  EXPECT_EQ(WriteParameterFile(SolverParameters{}, path), 0);
  EXPECT_EQ(WriteMaterialFile(Gpps(), path), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(AnalysisFiles, JobFilePathsReplaceTheExtension) {
  EXPECT_EQ(AnalysisFilePath("/w/plate.m2D", "par"), "/w/plate.par");
  EXPECT_EQ(AnalysisFilePath("/w/a.b/plate.fem", "bcd"), "/w/a.b/plate.bcd");
  EXPECT_EQ(AnalysisFilePath("/w/plate", "mtl"), "/w/plate.mtl");
  EXPECT_EQ(AnalysisFilePath("", "mtl"), ".mtl");
}

TEST(AnalysisSettings, DialogArithmetic) {
  // Required stroke of 4 V / (pi D^2): 10 cm^3 in a 20 mm bore is 31.83 mm.
  EXPECT_NEAR(RequiredStroke(10e-6, 0.020), 0.0318310, 1e-6);
  EXPECT_EQ(RequiredStroke(10e-6, 0), 0);
  ProcessConditions c;
  c.filling_time = 7;
  c.packing_time = 0;
  SetStandardPhaseTimes(c);
  EXPECT_EQ(c.filling_time, 1);
  EXPECT_EQ(c.packing_time, 5);
  EXPECT_EQ(c.cooling_time, 15);
  InjectionUnit u = DefaultInjectionUnit();
  EXPECT_EQ(u.melt_temperature, 230);
  EXPECT_EQ(u.profile[5][0], 100);
  EXPECT_EQ(u.profile[2][1], 100);
  EXPECT_EQ(u.valve_timer[0][1], 1000);
  EXPECT_EQ(u.valve_timer[1][1], 0);
  EXPECT_FLOAT_EQ(u.fill_pack_ratio, 0.8f);
}

TEST(AnalysisFiles, StoringNextToTheModelReportsEachStepInTheOutputPane) {
  test::ScratchDir dir;
  SolverParameters parameters;
  auto write_par = [&](const std::string& path) { return WriteParameterFile(parameters, path); };
  {
    PaneCapture pane;
    std::string model = dir.File("part.m2D");
    EXPECT_EQ(StoreAnalysisFile(model, "par", write_par), 1);
    EXPECT_EQ(model, dir.File("part.par"));  // the path keeps the last extension
    EXPECT_EQ(pane.output, (std::vector<std::string>{"Writing file: " + model, "Done."}));
    EXPECT_EQ(test::ReadText(model), test::ReadText(test::AnalysisData("defaults.par")));
  }
  {
    PaneCapture pane;
    std::string none;
    EXPECT_EQ(StoreAnalysisFile(none, "par", write_par), 0);
    EXPECT_TRUE(pane.output.empty());
  }
  {
    PaneCapture pane;
    std::string model = dir.File("gone/part.m2D");
    EXPECT_EQ(StoreAnalysisFile(model, "par", write_par), -1);
    EXPECT_EQ(pane.output.back(), "Unable to write file: " + dir.File("gone/part.par"));
    EXPECT_FALSE(pane.HasOutput("Done."));
  }
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

// The value lines that follow the record line `head` in `text`.
std::vector<std::string> ValueLines(const std::string& text, const std::string& head, int count) {
  std::vector<std::string> lines;
  size_t at = text.find(head + "\n");
  if (at == std::string::npos) return lines;
  at += head.size() + 1;
  for (int i = 0; i < count && at < text.size(); ++i) {
    size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

TEST(AnalysisFiles, MaximumInjectionRateReadsBackAsTheSameFloat) {
  test::ScratchDir dir;
  // Rates as the Screw dialog stores them (cm^3/s / 1e6) for a small, a
  // mid-sized and a catalogue machine; "%f" would write 0.000000, 0.000025
  // and (exactly) 0.000059.
  const float rates[] = {0.4f / 1e6f, 25.3f / 1e6f, 59.0f / 1e6f, 1.234567e-3f};
  std::vector<InjectionUnit> units;
  for (float rate : rates) {
    InjectionUnit u = DefaultInjectionUnit();
    u.max_rate = rate;
    units.push_back(u);
  }
  ASSERT_EQ(WriteInjectionFile(units, dir.File("job.inj")), 1);
  const std::string text = test::ReadText(dir.File("job.inj"));
  std::vector<std::string> lines = ValueLines(text, "52021 4 Maximum injection rate", 4);
  ASSERT_EQ(lines.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(std::strtof(lines[i].c_str(), nullptr), rates[i]) << lines[i];
    EXPECT_EQ(lines[i].find_first_of("eE"), std::string::npos) << "plain decimal: " << lines[i];
  }
  EXPECT_EQ(lines[1], "0.0000253");
  EXPECT_EQ(lines[2], "0.000059");  // six decimals suffice: written as before
  // The records after it keep their "%f" form.
  EXPECT_EQ(ValueLines(text, "52025 4 Resin/hydraulic pressure ratio", 1).at(0), "0.000000");
}

}  // namespace
}  // namespace kv
