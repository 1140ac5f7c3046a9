#include "common/analysis/setup_dialogs.h"

#include <gtest/gtest.h>

#include <numbers>

#include "common/analysis/analysis_files.h"
#include "common/database/databases.h"
#include "common/output/pane_output.h"
#include "common/tests/analysis_test_util.h"

namespace kv {
namespace {

using test::ReadText;
using test::ScratchDir;

std::vector<MaterialRecord> DeliveredMaterials() {
  std::vector<MaterialRecord> materials;
  std::string error;
  EXPECT_EQ(LoadMaterials(materials, std::string(KV_SOURCE_DIR) + "/examples/materials.mdb", error), 1) << error;
  return materials;
}

std::vector<ScrewRecord> DeliveredScrews() {
  std::vector<ScrewRecord> screws;
  std::string error;
  EXPECT_EQ(LoadScrews(screws, std::string(KV_SOURCE_DIR) + "/examples/screws.mdb", error), 1) << error;
  return screws;
}

// Expects `reply` to refuse field `field` and keep the dialog open.
void ExpectRefused(const DialogReply& reply, int field) {
  EXPECT_FALSE(reply.close);
  EXPECT_EQ(reply.field, field) << reply.message;
  EXPECT_FALSE(reply.message.empty());
}

TEST(SetupDialogs, ParametersWriteWhatTheWriterWritesAndRefuseBadFields) {
  ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  ParameterFields f = OpenParametersDialog(settings.parameters);
  EXPECT_EQ(f.layers, "6");
  EXPECT_EQ(f.design_outputs, "12");
  EXPECT_EQ(f.convergence, "1e-06");
  EXPECT_EQ(f.max_iterations, "500");

  std::string model = dir.File("plate.m2D");
  f.layers = " 8 ";
  f.convergence = "2.5e-5";
  DialogReply r = AcceptParametersDialog(settings, f, model);
  EXPECT_TRUE(r.close);
  EXPECT_TRUE(r.message.empty()) << r.message;
  EXPECT_EQ(model, dir.File("plate.par"));
  SolverParameters expected;
  expected.layers = 8;
  expected.convergence = 2.5e-5f;
  ASSERT_EQ(WriteParameterFile(expected, dir.File("expected.par")), 1);
  EXPECT_EQ(ReadText(dir.File("plate.par")), ReadText(dir.File("expected.par")));
  EXPECT_TRUE(pane.HasOutput("Writing file: " + dir.File("plate.par")));

  // Refused entries leave the settings and the file alone.
  const std::string before = ReadText(dir.File("plate.par"));
  ParameterFields bad = f;
  bad.layers = "0";
  ExpectRefused(AcceptParametersDialog(settings, bad, model), 0);
  bad = f;
  bad.design_outputs = "12.5";
  ExpectRefused(AcceptParametersDialog(settings, bad, model), 1);
  bad = f;
  bad.convergence = "1e-6x";
  DialogReply refused = AcceptParametersDialog(settings, bad, model);
  ExpectRefused(refused, 2);
  EXPECT_EQ(refused.message, "Convergence criterion: \"1e-6x\" is not a number.");
  bad = f;
  bad.max_iterations = "";  // reads as 0
  ExpectRefused(AcceptParametersDialog(settings, bad, model), 3);
  EXPECT_EQ(settings.parameters.layers, 8);
  EXPECT_EQ(ReadText(dir.File("plate.par")), before);

  // Without a model path nothing is written and the user is told.
  std::string none;
  r = AcceptParametersDialog(settings, f, none);
  EXPECT_TRUE(r.close);
  EXPECT_EQ(r.message, "Data was not stored.");
  EXPECT_EQ(r.icon, kIconStop);
}

TEST(SetupDialogs, MaterialsPickFromTheDeliveredDatabaseAndRoundTripCelsius) {
  ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  std::string model = dir.File("plate.m2D");
  const std::vector<MaterialRecord> materials = DeliveredMaterials();
  ASSERT_GE(materials.size(), 2u);

  // No polymer yet: the OK is refused and the dialog stays open.
  EXPECT_EQ(OpenMaterialsDialog(settings).text[0], "");
  DialogReply r = AcceptMaterialsDialog(settings, MaterialFields{}, model);
  EXPECT_FALSE(r.close);
  EXPECT_EQ(r.message, "Select polymer first.");
  EXPECT_EQ(r.icon, kIconExclamation);

  PickMaterial(settings, materials, 0);
  PickMaterial(settings, materials, -1);  // Cancel keeps the choice
  EXPECT_EQ(settings.current_material, 0);
  MaterialFields f = OpenMaterialsDialog(settings);
  const char* expected[kMaterialFieldCount] = {materials[0].name.c_str(), "1040", "950", "2100", "0.220",
                                               "180", "280", "20", "70", "100", "80"};
  for (int i = 0; i < kMaterialFieldCount; ++i) EXPECT_EQ(f.text[i], expected[i]) << i;

  // OK with the fields as shown stores the same kelvin values (273.15 both
  // ways) and writes what the writer writes for the database record.
  r = AcceptMaterialsDialog(settings, f, model);
  EXPECT_TRUE(r.close && r.message.empty()) << r.message;
  EXPECT_EQ(settings.material.melt_temperature_min, materials[0].melt_temperature_min);
  EXPECT_EQ(settings.material.no_flow_temperature, materials[0].no_flow_temperature);
  ASSERT_EQ(WriteMaterialFile(materials[0], dir.File("expected.mtl")), 1);
  EXPECT_EQ(ReadText(dir.File("plate.mtl")), ReadText(dir.File("expected.mtl")));

  // All fields blank rewrites the file from the unchanged record.
  r = AcceptMaterialsDialog(settings, MaterialFields{}, model);
  EXPECT_TRUE(r.close);
  EXPECT_EQ(ReadText(dir.File("plate.mtl")), ReadText(dir.File("expected.mtl")));

  // A typed no-flow temperature of 105 C is stored as 378.15 K.
  f = MaterialFields{};
  f.text[9] = "105";
  ASSERT_TRUE(AcceptMaterialsDialog(settings, f, model).close);
  EXPECT_EQ(settings.material.no_flow_temperature, 378.15f);
  EXPECT_NE(ReadText(dir.File("plate.mtl")).find("1250 1 No-flow temperature\n378.150000\n"), std::string::npos);

  f.text[9] = "-300";
  ExpectRefused(AcceptMaterialsDialog(settings, f, model), 9);
  f.text[9] = "";
  f.text[2] = "0";
  ExpectRefused(AcceptMaterialsDialog(settings, f, model), 2);
  EXPECT_EQ(settings.material.no_flow_temperature, 378.15f);

  // Rheology and pVT pages: "%.4g", empty fields keep, bad fields refused.
  std::vector<std::string> wlf = OpenRheologyDialog(settings);
  EXPECT_EQ(wlf, (std::vector<std::string>{"0.252", "3.08e+04", "4.76e+10", "373.1", "0", "25.7", "61.06"}));
  wlf[0] = "0.3";
  wlf[3] = "";
  ASSERT_TRUE(AcceptRheologyDialog(settings, wlf).close);
  EXPECT_EQ(settings.material.n, 0.3f);
  EXPECT_EQ(settings.material.d2, materials[0].d2);
  wlf[1] = "abc";
  ExpectRefused(AcceptRheologyDialog(settings, wlf), 1);
  std::vector<std::string> tait = OpenPvtDialog(settings);
  ASSERT_EQ(tait.size(), 13u);
  EXPECT_EQ(tait[0], "373");
  float values[kTaitCount];
  DialogReply plot_reply;
  tait[12] = "";
  ASSERT_TRUE(PvtPlotValues(settings, tait, values, plot_reply));
  EXPECT_EQ(values[2], 9.76e-4f);
  EXPECT_EQ(values[12], 0);
  AnalysisSettings without;
  EXPECT_FALSE(RheologyPlotValues(without, wlf, values, plot_reply));
  EXPECT_TRUE(plot_reply.message.empty());  // the button does nothing
}

TEST(SetupDialogs, ProcessConditionsShowCelsiusAndWriteKelvin) {
  ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  std::string model = dir.File("plate.m2D");
  ProcessFields f = OpenProcessDialog(settings);
  const char* defaults[kProcessFieldCount] = {"0", "50", "90", "23", "0", "0", "1", "0", "0", "0"};
  for (int i = 0; i < kProcessFieldCount; ++i) EXPECT_EQ(f.text[i], defaults[i]) << i;

  // The material's mold range mean and ejection temperature replace the fields.
  PickMaterial(settings, DeliveredMaterials(), 0);
  f = OpenProcessDialog(settings);
  EXPECT_EQ(f.text[1], "45");
  EXPECT_EQ(f.text[2], "80");
  settings.material.mold_temperature_min = settings.material.mold_temperature_max = 273.15f;
  EXPECT_EQ(OpenProcessDialog(settings).text[1], "50");  // mean at 0 C: the stored value stays

  settings.process.filling_time = 9;
  f.text[0] = "35";
  f.text[9] = "-9.81";
  DialogReply r = AcceptProcessDialog(settings, f, model);
  EXPECT_TRUE(r.close && r.message.empty()) << r.message;
  ProcessConditions expected;
  expected.clamp_force = 35000;
  expected.mold_temperature = 318.15f;
  expected.ejection_temperature = 353.15f;
  expected.gravity[2] = -9.81f;
  EXPECT_EQ(settings.process.filling_time, 1);
  EXPECT_EQ(settings.process.mold_temperature, expected.mold_temperature);
  ASSERT_EQ(WriteProcessFile(expected, dir.File("expected.prc")), 1);
  EXPECT_EQ(ReadText(dir.File("plate.prc")), ReadText(dir.File("expected.prc")));
  // Shown again, the values come back as typed.
  AnalysisSettings plain;
  plain.process = settings.process;
  EXPECT_EQ(OpenProcessDialog(plain).text[1], "45");

  ProcessFields bad = f;
  bad.text[4] = bad.text[5] = bad.text[6] = "0";
  ExpectRefused(AcceptProcessDialog(settings, bad, model), 4);
  bad = f;
  bad.text[0] = "-1";
  ExpectRefused(AcceptProcessDialog(settings, bad, model), 0);
  bad = f;
  bad.text[3] = "-273.15";
  ExpectRefused(AcceptProcessDialog(settings, bad, model), 3);
  EXPECT_EQ(settings.process.clamp_force, 35000);
}

TEST(SetupDialogs, ScrewAndInjectionSettingsBecomeTheInletsInjectionFile) {
  ScratchDir dir;
  PaneCapture pane;
  AnalysisSettings settings;
  std::string model = dir.File("plate.m2D");
  const std::vector<ScrewRecord> screws = DeliveredScrews();
  ASSERT_GE(screws.size(), 2u);

  EXPECT_EQ(BeginInjectionUnit(settings), 0);
  ScrewFields f = ScrewFieldsOf(screws[0]);
  const char* shown[kScrewFieldCount] = {"Generic 20 mm screw (25 t class)", "80", "16", "38", "14", "20"};
  for (int i = 0; i < kScrewFieldCount; ++i) EXPECT_EQ(f.text[i], shown[i]) << i;
  ASSERT_TRUE(AcceptScrewDialog(settings, f).close);
  InjectionUnit expected = DefaultInjectionUnit();
  ApplyScrew(expected, screws[0]);
  const InjectionUnit& unit = settings.injection_units[0];
  EXPECT_EQ(unit.max_rate, expected.max_rate);  // 38 cm^3/s back to the same m^3/s
  EXPECT_EQ(unit.max_stroke, expected.max_stroke);
  EXPECT_EQ(unit.max_pressure, expected.max_pressure);
  EXPECT_EQ(unit.screw_diameter, expected.screw_diameter);

  // Values that "%.0f" would round away are shown in full.
  ScrewRecord small = screws[0];
  small.max_rate = 0.4f / 1e6f;
  small.diameter = 0.0225f;
  ScrewFields sf = ScrewFieldsOf(small);
  EXPECT_EQ(sf.text[3], "0.4");
  EXPECT_EQ(sf.text[5], "22.5");
  sf.text[3] = "0";
  ExpectRefused(AcceptScrewDialog(settings, sf), 3);

  // 10 cm^3 in a 20 mm bore needs 31.8 mm of the 80 mm stroke.
  DialogReply message;
  InjectionFields in = OpenInjectionDialog(settings, 10e-6, message);
  EXPECT_TRUE(message.message.empty());
  EXPECT_EQ(in.stroke, "32");
  EXPECT_EQ(in.melt_temperature, "230");
  EXPECT_EQ(in.speed[2], "100");
  EXPECT_EQ(in.gate_off[0], "1000");
  EXPECT_EQ(in.gate_on[1], "");
  // A shot that needs exactly the maximum stroke is refused with the message.
  const double full = std::numbers::pi * 0.02 * 0.02 / 4 * static_cast<double>(unit.max_stroke);
  InjectionFields none = OpenInjectionDialog(settings, full, message);
  EXPECT_EQ(message.message, "Required injection stroke is larger than maximum injection stroke.");
  EXPECT_EQ(none.stroke, "");
  ExpectRefused(AcceptInjectionDialog(settings, none), 1);

  in.melt_temperature = "240";
  in.gate_on[3] = "0.5";
  in.gate_off[3] = "2";
  in.switch_position = "5";
  ASSERT_TRUE(AcceptInjectionDialog(settings, in).close);
  InjectionFields bad = in;
  bad.position[3] = "30";  // goes back
  ExpectRefused(AcceptInjectionDialog(settings, bad), 5);
  bad = in;
  bad.speed[0] = "0";
  ExpectRefused(AcceptInjectionDialog(settings, bad), 8);

  // The unit holds what the fields said: its injection file is the writer's
  // for the same values.
  expected.melt_temperature = 240;
  expected.stroke = 32;
  expected.valve_timer[3][0] = 0.5f;
  expected.valve_timer[3][1] = 2;
  expected.switch_position = 5;
  ASSERT_EQ(settings.injection_units.size(), 1u);
  ASSERT_EQ(WriteInjectionFile(settings.injection_units, dir.File("plate.inj")), 1);
  ASSERT_EQ(WriteInjectionFile({expected}, dir.File("expected.inj")), 1);
  EXPECT_EQ(ReadText(dir.File("plate.inj")), ReadText(dir.File("expected.inj")));

  // With one inlet picked the next Screw dialog defines unit 1; Delete All
  // empties everything and writes the empty boundary file.
  settings.node_boundaries.push_back({0, kInletNode, 6});
  settings.inlet_count = 1;
  EXPECT_EQ(BeginInjectionUnit(settings), 1);
  ASSERT_TRUE(DeleteAllBoundaries(settings, model).message.empty());
  EXPECT_EQ(settings.inlet_count, 0);
  EXPECT_TRUE(settings.injection_units.empty() && settings.node_boundaries.empty());
  ASSERT_EQ(WriteBoundaryFile({}, {}, dir.File("empty.bcd")), 1);
  EXPECT_EQ(ReadText(dir.File("plate.bcd")), ReadText(dir.File("empty.bcd")));
}

TEST(SetupDialogs, BoundaryTypesFollowTheAnalysisDimension) {
  int selected = -1;
  EXPECT_EQ(BoundaryTypeChoices(2, selected), (std::vector<std::string>{"Potential inlet", "Inlet"}));
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(BoundaryTypeChoices(3, selected), (std::vector<std::string>{"Inlet", "Outlet"}));
  EXPECT_EQ(selected, 0);
  bool dialogs = true;
  EXPECT_EQ(BoundaryPickState(2, 0, dialogs), 13);
  EXPECT_FALSE(dialogs);
  EXPECT_EQ(BoundaryPickState(2, 1, dialogs), 14);
  EXPECT_TRUE(dialogs);
  EXPECT_EQ(BoundaryPickState(3, 0, dialogs), 15);
  EXPECT_TRUE(dialogs);
  EXPECT_EQ(BoundaryPickState(3, 1, dialogs), 16);
  EXPECT_FALSE(dialogs);
  EXPECT_EQ(BoundaryPickState(2, 5, dialogs), 0);
}

}  // namespace
}  // namespace kv
