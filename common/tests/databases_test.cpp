#include "common/database/databases.h"

#include <gtest/gtest.h>

#include <numbers>

#include "common/tests/analysis_test_util.h"

namespace kv {
namespace {

using test::ScratchDir;
using test::WriteText;

std::string Delivered(const char* name) { return std::string(KV_SOURCE_DIR) + "/examples/" + name; }

TEST(Databases, DeliveredMaterialsHoldThePublishedGrades) {
  std::vector<MaterialRecord> materials;
  std::string error;
  ASSERT_EQ(LoadMaterials(materials, Delivered("materials.mdb"), error), 1) << error;
  ASSERT_EQ(materials.size(), 2u);
  const MaterialRecord& ps = materials[0];
  EXPECT_EQ(ps.name, "GPPS general-purpose polystyrene (Vietri et al. 2011)");
  EXPECT_FLOAT_EQ(ps.n, 0.252f);
  EXPECT_FLOAT_EQ(ps.tau_star, 30800);
  EXPECT_FLOAT_EQ(ps.d1, 4.76e10f);
  EXPECT_FLOAT_EQ(ps.a2, 61.06f);
  EXPECT_FLOAT_EQ(ps.b5, 373);
  EXPECT_FLOAT_EQ(ps.b3s, 2.6e8f);
  EXPECT_FLOAT_EQ(ps.conductivity, 0.22f);
  EXPECT_FLOAT_EQ(ps.no_flow_temperature, 373.15f);
  EXPECT_LT(ps.melt_temperature_min, ps.melt_temperature_max);
  const MaterialRecord& pe = materials[1];
  EXPECT_EQ(pe.name, "HDPE high-density polyethylene (Krebelj et al. 2021)");
  EXPECT_FLOAT_EQ(pe.d1, 3.76174e15f);
  EXPECT_FLOAT_EQ(pe.b1m, 1.2495299e-3f);
  EXPECT_FLOAT_EQ(pe.b9, 1.023e-8f);
  EXPECT_FLOAT_EQ(pe.no_flow_temperature, 333.15f);
  EXPECT_EQ(FindMaterial(materials, pe.name), 1);
  // A trade name that differs by case matches nothing.
  EXPECT_EQ(FindMaterial(materials, "gpps general-purpose polystyrene (Vietri et al. 2011)"), -1);
}

TEST(Databases, DeliveredScrewsArePlausibleMachines) {
  std::vector<ScrewRecord> screws;
  std::string error;
  ASSERT_EQ(LoadScrews(screws, Delivered("screws.mdb"), error), 1) << error;
  ASSERT_GE(screws.size(), 4u);
  for (const ScrewRecord& s : screws) {
    SCOPED_TRACE(s.name);
    EXPECT_GE(s.diameter, 0.020f);
    EXPECT_LE(s.diameter, 0.060f);
    // Stroke of three to five diameters, ram speed 50 to 200 mm/s, resin
    // pressure 100 to 250 MPa: what machines of these sizes offer.
    EXPECT_GE(s.max_stroke / s.diameter, 3.0f);
    EXPECT_LE(s.max_stroke / s.diameter, 5.0f);
    double area = std::numbers::pi * s.diameter * s.diameter / 4;
    EXPECT_GE(s.max_rate / area, 0.05);
    EXPECT_LE(s.max_rate / area, 0.20);
    EXPECT_GE(s.max_pressure * s.pressure_ratio, 100e6);
    EXPECT_LE(s.max_pressure * s.pressure_ratio, 250e6);
  }
}

TEST(Databases, BlocksStartOrContinueEntriesAndUnknownCodesAreSkipped) {
  ScratchDir dir;
  std::string path = dir.File("materials.mdb");
  WriteText(path,
                 "---- two entries, the second in two blocks\n"
                 "MTRL 1 2 Description\n"
                 "1999 1 Resin trade name\n  First resin\n"
                 "1000 1 Constant melt density\n900.0\n"
                 "MTRL 1 2 Description\n"
                 "1999 1 Resin trade name\nSecond resin\n"
                 "5555 2 Unknown record with two value lines\n1999\n12 13\n"
                 "MTRL 2 1 Description\n"
                 "1250 1 No-flow temperature\n3.5E+002\n");
  std::vector<MaterialRecord> materials(5);  // emptied by the load
  std::string error;
  ASSERT_EQ(LoadMaterials(materials, path, error), 1) << error;
  ASSERT_EQ(materials.size(), 2u);
  EXPECT_EQ(materials[0].name, "First resin");  // leading blanks dropped
  EXPECT_FLOAT_EQ(materials[0].melt_density, 900);
  EXPECT_EQ(materials[1].name, "Second resin");
  EXPECT_FLOAT_EQ(materials[1].no_flow_temperature, 350);
  EXPECT_FLOAT_EQ(materials[1].melt_density, 0);

  // Reopening re-reads the file: an edit shows at once.
  WriteText(path, "MTRL 1 1 D\n1999 1 Resin trade name\nEdited\n");
  ASSERT_EQ(LoadMaterials(materials, path, error), 1);
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].name, "Edited");
}

TEST(Databases, MissingOrDamagedFilesGiveClearFailures) {
  ScratchDir dir;
  std::vector<ScrewRecord> screws(3);
  std::string error;
  EXPECT_EQ(LoadScrews(screws, dir.File("none.mdb"), error), -1);
  EXPECT_TRUE(screws.empty());

  // A value that is not a number: the complete entry before it is kept.
  std::string path = dir.File("screws.mdb");
  WriteText(path,
                 "SCRW 1 1 D\n4999 1 Commercial name\nGood\n"
                 "SCRW 1 2 D\n4999 1 Commercial name\nBad\n4101 1 Screw diameter\n0,025\n");
  EXPECT_EQ(LoadScrews(screws, path, error), 0);
  ASSERT_EQ(screws.size(), 1u);
  EXPECT_EQ(screws[0].name, "Good");
  EXPECT_NE(error.find("screws.mdb:8:"), std::string::npos) << error;
  EXPECT_NE(error.find("0,025"), std::string::npos) << error;

  // A block that continues an entry when none has started.
  WriteText(path, "SCRW 2 1 D\n4101 1 Screw diameter\n0.03\n");
  EXPECT_EQ(LoadScrews(screws, path, error), 0);
  EXPECT_TRUE(screws.empty());

  // A file cut short inside a block, a header without numbers, a name missing.
  for (const char* text : {"SCRW 1 3 D\n4101 1 Screw diameter\n0.03\n",
                           "SCRW one two\n", "SCRW 1 1 D\n4999 1 Commercial name\n",
                           "SCRW 1 -4 D\n", "SCRW 1 1 D\n4101 1 Screw diameter\nnan\n"}) {
    SCOPED_TRACE(text);
    WriteText(path, text);
    EXPECT_EQ(LoadScrews(screws, path, error), 0);
    EXPECT_TRUE(screws.empty());
    EXPECT_FALSE(error.empty());
  }
}

TEST(Databases, ScrewPreselectionNeedsStrictlyLargerCapacity) {
  std::vector<ScrewRecord> screws(3);
  screws[0].diameter = 0.02f;
  screws[0].max_stroke = 0.08f;
  screws[1].diameter = 0.03f;
  screws[1].max_stroke = 0.12f;
  screws[2].diameter = 0.04f;
  screws[2].max_stroke = 0.16f;
  double small = ScrewCapacity(screws[0]);
  EXPECT_NEAR(small, std::numbers::pi * 0.02 * 0.02 / 4 * 0.08, 1e-10);
  EXPECT_EQ(PreselectScrew(screws, small * 0.5, -1), 0);
  // A machine whose capacity equals the shot is not taken; the next is.
  EXPECT_EQ(PreselectScrew(screws, small, -1), 1);
  // A shot larger than every machine keeps the earlier selection.
  EXPECT_EQ(PreselectScrew(screws, 1.0, 2), 2);
  EXPECT_EQ(PreselectScrew(screws, 1.0, -1), -1);
  EXPECT_EQ(DatabasePath("/opt/kv/bin", "screws.mdb"), "/opt/kv/bin/screws.mdb");
  EXPECT_EQ(DatabasePath("/opt/kv/bin/", "screws.mdb"), "/opt/kv/bin/screws.mdb");
}

}  // namespace
}  // namespace kv
