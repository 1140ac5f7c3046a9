#include "common/results/result_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/results/result_export.h"
#include "common/results/result_set.h"

namespace kv {
namespace {

const std::string kTime = "        Time                                                s\n";

MeshModel SmallMesh(size_t nodes, size_t elements) {
  MeshModel mesh;
  mesh.nodes.resize(nodes);
  mesh.elements.resize(elements);
  return mesh;
}

// "        " + name padded to 52 + unit.
std::string Title(const std::string& name, const std::string& unit) {
  std::string line = "        " + name;
  line.resize(8 + 52, ' ');
  return line + unit + "\n";
}

int ReadText(ResultSet& set, const MeshModel& mesh, const std::string& text, std::string& message) {
  TokenReader r;
  SetTokenText(r, text);
  return ReadResultsText(set, mesh, r, message);
}

std::vector<int> DefinedFlags(const ResultEntry& e) {
  std::vector<int> flags;
  for (const ResultItem& item : e.items) flags.push_back(item.defined);
  return flags;
}

// The file the writers produce (checked byte for byte in the writer tests),
// read back entry by entry.
TEST(ResultReader, ReadsEveryBlockTheSolverWrites) {
  const MeshModel mesh = SmallMesh(3, 3);
  ResultSet set;
  std::string message;
  ASSERT_EQ(ReadResults(set, mesh, std::string(KV_SOURCE_DIR) + "/common/tests/data/result_blocks.f2D", message),
            1)
      << message;
  ASSERT_EQ(set.entries.size(), 12u);
  const std::vector<ResultEntry>& e = set.entries;

  // Scalars at time 0: one entry per quantity, one item.
  EXPECT_EQ(e[0].name, "Pressure trace at entrance");
  EXPECT_EQ(e[0].unit, "Pa");
  EXPECT_EQ(e[0].location, kGlobalResult);
  EXPECT_EQ(e[0].quantity_code, kQuantityPressure);
  EXPECT_EQ(e[0].items.size(), 1u);
  EXPECT_EQ(e[0].items[0].defined, 1);
  EXPECT_EQ(e[0].variable_name[0], "Time");
  EXPECT_EQ(e[0].variable_unit[0], "s");
  EXPECT_EQ(e[1].name, "Clamp force");
  EXPECT_EQ(e[1].quantity_code, kQuantityForce);
  EXPECT_EQ(e[2].name, "Percentage total weight");
  EXPECT_EQ(e[2].unit, "%");
  EXPECT_EQ(e[2].quantity_code, kQuantityOther);
  EXPECT_EQ(e[2].frame, 2);

  // Molten core: element field without unit, elements 1 and 3 defined.
  EXPECT_EQ(e[3].name, "Molten-core");
  EXPECT_EQ(e[3].unit, "");
  EXPECT_EQ(e[3].location, kElementResult);
  EXPECT_EQ(DefinedFlags(e[3]), (std::vector<int>{1, 0, 1}));
  EXPECT_FLOAT_EQ(e[3].items[2].values[0], 0.25f);
  EXPECT_FLOAT_EQ(e[3].variable_value[0], 0.05f);
  EXPECT_EQ(e[3].label_kind, 1);
  EXPECT_EQ(e[3].short_label, "Molten-core [] : Time = 0.050000");
  EXPECT_EQ(e[3].long_label, "Molten-core [] -    3 : Time = 0.050000");

  // Average velocity: x, y, z and the length, component count 4.
  EXPECT_EQ(e[4].location, kElementVectorResult);
  EXPECT_EQ(e[4].component_count, 4);
  EXPECT_EQ(e[4].quantity_code, kQuantityVelocity);
  EXPECT_EQ(DefinedFlags(e[4]), (std::vector<int>{1, 1, 0}));
  EXPECT_FLOAT_EQ(e[4].items[1].values[0], -0.2f);
  EXPECT_FLOAT_EQ(e[4].items[1].values[1], 0.3f);
  EXPECT_FLOAT_EQ(e[4].items[1].values[3], std::sqrt(0.2f * 0.2f + 0.3f * 0.3f));

  // Nodal fields, exponent values with three digits read back exactly.
  EXPECT_EQ(e[5].name, "Bulk temperature");
  EXPECT_EQ(e[5].quantity_code, kQuantityTemperature);
  EXPECT_EQ(e[5].items[0].values[0], 500.0f);
  EXPECT_EQ(e[5].items[1].values[0], 0.25f);
  EXPECT_EQ(e[6].quantity_code, kQuantityShearRate);
  EXPECT_EQ(e[6].items[2].values[0], -1.5f);
  EXPECT_EQ(DefinedFlags(e[7]), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(e[7].items[2].values[0], 0.0009765625f);
  EXPECT_EQ(e[8].name, "Pressure");
  EXPECT_EQ(e[8].items[0].values[0], 1.5e6f);

  // Highlight: no items, one record of two points.
  EXPECT_EQ(e[9].location, kHighlightResult);
  EXPECT_EQ(e[9].label_kind, 0);
  EXPECT_EQ(e[9].items.size(), 0u);
  ASSERT_EQ(e[9].highlights.size(), 1u);
  const float expected[6] = {0.01f, -0.02f, 0.5f, 0.01f, -0.02f, 0.55f};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(e[9].highlights[0].values[k], expected[k]) << k;
  EXPECT_EQ(e[9].short_label, "Clamp force centroid []");

  // Static fields: no time.
  EXPECT_EQ(e[10].name, "Time to cool after filling");
  EXPECT_EQ(e[10].quantity_code, kQuantityTime);
  EXPECT_EQ(e[10].label_kind, 0);
  EXPECT_EQ(e[10].long_label, "Time to cool after filling [s] -   10");
  EXPECT_EQ(e[11].name, "Melt-front advancement");
  EXPECT_EQ(DefinedFlags(e[11]), (std::vector<int>{1, 1, 0}));
  EXPECT_FLOAT_EQ(e[11].items[1].values[0], 0.125f);
  for (const ResultEntry& entry : e) {
    EXPECT_EQ(entry.unit_state, 0);
    EXPECT_EQ(entry.invert_colours, 0);
  }
}

// Files written on Windows end their lines in CR LF; they read the same.
TEST(ResultReader, CarriageReturnsAreNotPartOfTheText) {
  const MeshModel mesh = SmallMesh(3, 3);
  TokenReader r;
  ASSERT_EQ(OpenTokenReader(r, std::string(KV_SOURCE_DIR) + "/common/tests/data/result_blocks.f2D"), 1);
  std::string crlf;
  for (char ch : r.text) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  ResultSet set;
  std::string message;
  ASSERT_EQ(ReadText(set, mesh, crlf, message), 1) << message;
  ASSERT_EQ(set.entries.size(), 12u);
  EXPECT_EQ(set.entries[4].unit, "m/s");
  EXPECT_EQ(set.entries[3].unit, "");
  ASSERT_EQ(set.entries[9].highlights.size(), 1u);
  EXPECT_FLOAT_EQ(set.entries[9].highlights[0].values[5], 0.55f);
}

TEST(ResultReader, AppendsBehindTheBuiltInEntriesAndTwiceWhenReadTwice) {
  MeshModel mesh = SmallMesh(2, 3);
  mesh.elements[0].type = kTriangle;
  mesh.elements[0].thickness = 0.002f;
  mesh.elements[1].type = kBeam;
  mesh.elements[1].diameter = 0.006f;
  mesh.elements[2].type = kQuadrilateral;
  mesh.elements[2].thickness = 0.003f;
  ResultSet set;
  BuildPropertyResults(set, mesh);
  ASSERT_EQ(set.entries.size(), 2u);
  EXPECT_EQ(set.current, 0);
  EXPECT_EQ(set.entries[0].long_label, "Thickness [m] -    0");
  EXPECT_EQ(set.entries[1].short_label, "Diameter [m]");
  EXPECT_EQ(set.entries[1].location, kElementResult);
  EXPECT_EQ(set.entries[1].quantity_code, kQuantityLength);
  EXPECT_EQ(DefinedFlags(set.entries[0]), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(DefinedFlags(set.entries[1]), (std::vector<int>{0, 1, 0}));
  EXPECT_FLOAT_EQ(set.entries[1].items[1].values[0], 0.006f);

  const std::string file = "---- Beginning of file.\nSCDT       1       2       1       1\n" + kTime +
                           Title("Clamp force", "N") + Title("Percentage total weight", "%") +
                           "        0.750000\n        1000.5 42.0\nENDF\n";
  std::string message;
  ASSERT_EQ(ReadText(set, mesh, file, message), 1) << message;
  ASSERT_EQ(ReadText(set, mesh, file, message), 1) << message;
  ASSERT_EQ(set.entries.size(), 6u);
  // A block with Q = 2 gives two entries of the same time.
  for (int i = 2; i < 6; ++i) {
    EXPECT_EQ(set.entries[i].frame, i);
    EXPECT_FLOAT_EQ(set.entries[i].variable_value[0], 0.75f);
  }
  EXPECT_EQ(set.entries[3].long_label, "Percentage total weight [%] -    3 : Time = 0.750000");
  EXPECT_FLOAT_EQ(set.entries[4].items[0].values[0], 1000.5f);
  EXPECT_FLOAT_EQ(set.entries[5].items[0].values[0], 42.0f);

  int count = 0;
  float lo = 0, hi = 0;
  count = DefinedItemRange(set.entries[0], lo, hi);
  EXPECT_EQ(count, 1);
  EXPECT_FLOAT_EQ(lo, 0.002f);
  EXPECT_FLOAT_EQ(hi, 0.002f);
}

TEST(ResultReader, OnlyEndfAddsNothing) {
  ResultSet set;
  std::string message;
  EXPECT_EQ(ReadText(set, SmallMesh(1, 1), "ENDF\n", message), 1);
  EXPECT_EQ(ReadText(set, SmallMesh(1, 1), "", message), 1);
  EXPECT_TRUE(set.entries.empty());
}

TEST(ResultReader, NodalVectorsKeepTheirLengthAndUnitsGiveCodes) {
  const MeshModel mesh = SmallMesh(3, 2);
  const std::string file =
      "DPDT       0       1       3       2\n" + Title("Displacement", "m") +
      "       1 3.0 4.0 0.0\n       3 0 0 -2\n"
      "VCDT       0       1       3       1\n" + Title("Velocity", "m/s") +
      "       2 1.0E+000  -2.0e-0  2\n"
      "NDDT       0       3       1       1\n" + Title("Pressure", "MPa") + Title("Flow", "m^3/s") +
      Title("Difference", "K(d)") + "       2 1 2 3\n";
  ResultSet set;
  std::string message;
  ASSERT_EQ(ReadText(set, mesh, file, message), 1) << message;
  ASSERT_EQ(set.entries.size(), 5u);
  const ResultEntry& d = set.entries[0];
  EXPECT_EQ(d.location, kNodalResult);
  EXPECT_EQ(d.component_count, 3);
  EXPECT_EQ(DefinedFlags(d), (std::vector<int>{1, 0, 1}));
  EXPECT_FLOAT_EQ(d.items[0].values[0], 5.0f);
  EXPECT_FLOAT_EQ(d.items[2].values[0], 2.0f);
  const ResultEntry& v = set.entries[1];
  EXPECT_EQ(v.component_count, 4);
  EXPECT_FLOAT_EQ(v.items[1].values[3], 3.0f);
  float lo = 0, hi = 0;
  EXPECT_EQ(DefinedItemRange(v, lo, hi), 1);
  EXPECT_FLOAT_EQ(hi, 3.0f);  // element vectors are ranged by their length
  EXPECT_EQ(set.entries[2].quantity_code, kQuantityOther);  // "MPa"
  EXPECT_EQ(set.entries[3].quantity_code, kQuantityFlowRate);
  EXPECT_EQ(set.entries[4].quantity_code, kQuantityTemperatureDifference);
  EXPECT_FLOAT_EQ(set.entries[4].items[1].values[0], 3.0f);
}

TEST(ResultReader, ThroughThicknessBlocksCarryTwoIndependentVariables) {
  const std::string file = "ELDT       2       1       1       1\n" + kTime +
                           Title("Normalized thickness", "") + Title("Temperature", "K") +
                           "        1.5\n        0.25\n       1 450.0\n";
  ResultSet set;
  std::string message;
  ASSERT_EQ(ReadText(set, SmallMesh(0, 1), file, message), 1) << message;
  ASSERT_EQ(set.entries.size(), 1u);
  const ResultEntry& e = set.entries[0];
  EXPECT_EQ(e.label_kind, 2);
  EXPECT_EQ(e.variable_name[1], "Normalized thickness");
  EXPECT_FLOAT_EQ(e.variable_value[1], 0.25f);
  EXPECT_EQ(e.short_label, "Temperature [K] : Time = 1.500000 : Normalized thickness = 0.250000");
  EXPECT_EQ(e.long_label, "Temperature [K] -    0 : Time = 1.500000 : Normalized thickness = 0.250000");
}

// Damaged files: failure with a message naming the place, and the result set
// exactly as before (no entity beyond the mesh is ever written).
TEST(ResultReader, DamagedFilesLeaveTheSetUnchanged) {
  const MeshModel mesh = SmallMesh(3, 2);
  const std::string good = "SCDT       1       1       1       1\n" + kTime + Title("P", "Pa") +
                           "        0.1\n        5.0\n";
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {"NDDT       0       1       1       1\n" + Title("P", "Pa") + "       4 1.0\n", "node 4 is not in the mesh (1..3)"},
      {"NDDT       0       1       1       1\n" + Title("P", "Pa") + "       0 1.0\n", "node 0 is not in the mesh"},
      {"NDDT       0       1       1       1\n" + Title("P", "Pa") + "      -7 1.0\n", "node -7 is not in the mesh"},
      {"ELDT       0       1       1       1\n" + Title("T", "K") + "       3 1.0\n", "element 3 is not in the mesh (1..2)"},
      {"VCDT       0       1       3       1\n" + Title("V", "m/s") + "       9 1 2 3\n", "element 9 is not in the mesh"},
      {"DPDT       0       1       3       1\n" + Title("D", "m") + "  99999999 1 2 3\n", "node 99999999 is not in the mesh"},
      {"NDDT       0       1       1       3\n" + Title("P", "Pa") + "       1 1.0\n       2 2.0\n", "node number expected (2 of 3"},
      {"NDDT       0       1       1       1\n" + Title("P", "Pa") + "       1 abc\n", "node 1: a number expected"},
      {"NDDT       0       1       1       1\n" + Title("P", "Pa") + "       1 nan\n", "node 1: a number expected"},
      {"NDDT       0       1       1       1\n" + Title("P", "Pa") + "       x 1.0\n", "node number expected"},
      {"NDDT       1       1       1       1\n" + kTime + Title("P", "Pa") + "        oops\n       1 1\n", "value of \"Time\" is not a number"},
      {"NDDT       0       5       1       1\n" + Title("P", "Pa"), "title line 2 of 5 missing"},
      {"NDDT       0   99999       1       1\n", "title line 1 of 99999 missing"},
      {"NDDT       0       1\n" + Title("P", "Pa"), "header must hold four integers"},
      {"ELDT       3       1       1       1\n", "independent-variable count 3"},
      {"ELDT       0      -1       1       1\n", "are not valid"},
      {"ELDT       0       1       0       1\n", "are not valid"},
      {"SCDT       1       2       1       1\n" + kTime + Title("A", "N") + Title("B", "%") + "        0.1\n        1.0\n",
       "scalar entry 1 of 1: a number expected"},
      {"SCDT       0       1 99999999       1\n" + Title("A", "N") + "        1.0\n", "scalar entry 1 of 1: a number expected"},
      {"HLDT       0       1       3       1\n" + Title("C", "") + "       1       2           1       0       3\n",
       "highlight line missing"},
      {"HLDT       0       1       3       1\n" + Title("C", "") + "       1       2           1       0       3\n"
       "        +1.0000E-002-2.0000E-002\n", "highlight real 3"},
  };
  for (const Case& c : cases) {
    ResultSet set;
    std::string message;
    ASSERT_EQ(ReadText(set, mesh, good, message), 1) << message;
    const ResultSet before = set;
    // A good block first, then the damaged one: nothing of the file is kept.
    EXPECT_EQ(ReadText(set, mesh, good + c.text, message), 0) << c.text;
    EXPECT_NE(message.find(c.expected), std::string::npos) << "message: " << message << "\nexpected: " << c.expected;
    EXPECT_EQ(message.rfind("<text>:", 0), 0u) << message;
    ASSERT_EQ(set.entries.size(), before.entries.size());
    EXPECT_EQ(set.entries[0].long_label, before.entries[0].long_label);
    EXPECT_EQ(set.entries[0].items[0].values[0], before.entries[0].items[0].values[0]);
  }
}

TEST(ResultReader, ResultsNeedTheMeshOfTheRun) {
  ResultSet set;
  std::string message;
  const std::string file = "NDDT       0       1       1       1\n" + Title("P", "Pa") + "       1 1.0\n";
  EXPECT_EQ(ReadText(set, MeshModel{}, file, message), 0);
  EXPECT_NE(message.find("node 1 is not in the mesh (no nodes loaded)"), std::string::npos) << message;
  EXPECT_TRUE(set.entries.empty());
  EXPECT_EQ(ReadResults(set, MeshModel{}, "/nonexistent/job.f2D", message), -1);
  EXPECT_NE(message.find("/nonexistent/job.f2D"), std::string::npos);
}

// Reals written with two-digit exponents do not fill the 12-character fields;
// such a line is refused rather than misread.
TEST(ResultReader, HighlightWithTwoDigitExponentsIsRefused) {
  const std::string head = "HLDT       0       1       3       1\n" + Title("Clamp force centroid", "") +
                           "       1       2           1       0       3\n";
  ResultSet set;
  std::string message;
  EXPECT_EQ(ReadText(set, SmallMesh(1, 1),
                     head + "        +1.0000E-02-2.0000E-02+5.0000E-01+1.0000E-02-2.0000E-02+5.5000E-01\n", message),
            0);
  EXPECT_NE(message.find("12-character"), std::string::npos) << message;
  EXPECT_TRUE(set.entries.empty());
  // Fields that hold blanks around a shorter number are still 12 characters.
  std::string line = "        ";
  for (const char* field : {"1.5E+00", "-2.0", "0.5", "1.5 ", "-2.0", "0.55"}) {
    std::string text(field);
    line += std::string(12 - text.size(), ' ') + text;
  }
  ASSERT_EQ(ReadText(set, SmallMesh(1, 1), head + line + "\n", message), 1) << message;
  EXPECT_FLOAT_EQ(set.entries[0].highlights[0].values[5], 0.55f);
}

TEST(ResultExport, NodalEntryRoundTrip) {
  const MeshModel mesh = SmallMesh(3, 1);
  ResultSet set;
  std::string message;
  const std::string file = "NDDT       1       1       1       2\n" + kTime + Title("Bulk temperature", "K") +
                           "        0.5\n       1 500.25\n       3 -1.5\n";
  ASSERT_EQ(ReadText(set, mesh, file, message), 1) << message;

  char path[] = "/tmp/kv_result_export_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_EQ(ExportNodalEntry(set.entries[0], path, message), 1) << message;
  TokenReader r;
  ASSERT_EQ(OpenTokenReader(r, path), 1);
  std::string name(60, ' ');
  name.replace(0, 16, "Bulk temperature");
  EXPECT_EQ(r.text,
            "---- Beginning of nodal data.\n"
            "NDDT       0       1       1       2\n"
            "        " + name + " K                   \n"
            "       1 500.250000\n"
            "       3 -1.500000\n");

  // Read back: same values, same undefined node, and the unit kept although
  // it stands past the 52-character name field.
  ASSERT_EQ(ReadResults(set, mesh, path, message), 1) << message;
  ASSERT_EQ(set.entries.size(), 2u);
  const ResultEntry& back = set.entries[1];
  EXPECT_EQ(back.name, "Bulk temperature");
  EXPECT_EQ(back.unit, "K");
  EXPECT_EQ(back.quantity_code, kQuantityTemperature);
  EXPECT_EQ(DefinedFlags(back), (std::vector<int>{1, 0, 1}));
  EXPECT_FLOAT_EQ(back.items[0].values[0], 500.25f);
  EXPECT_FLOAT_EQ(back.items[2].values[0], -1.5f);

  // An entry that is not nodal gives the comment line alone.
  ResultSet props;
  BuildPropertyResults(props, mesh);
  ASSERT_EQ(ExportNodalEntry(props.entries[0], path, message), 1);
  ASSERT_EQ(OpenTokenReader(r, path), 1);
  EXPECT_EQ(r.text, "---- Beginning of nodal data.\n");
  std::remove(path);

  EXPECT_EQ(ExportNodalEntry(back, "/nonexistent/dir/x.dat", message), -1);
  EXPECT_NE(message.find("Unable to create file"), std::string::npos);
}

}  // namespace
}  // namespace kv
