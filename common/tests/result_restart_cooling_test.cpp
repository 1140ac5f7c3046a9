#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/results/cooling_input.h"
#include "common/results/restart_file.h"

namespace kv {
namespace {

std::string FileBytes(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  return bytes;
}

// The little-endian 32-bit float at byte `offset`.
float FloatAt(const std::string& bytes, size_t offset) {
  uint32_t bits = static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset])) |
                  static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8 |
                  static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 2])) << 16 |
                  static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 3])) << 24;
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

TEST(RestartFile, LayoutSizeAndValues) {
  // 2 nodes, 3 elements, 2 layers (3 grid values); the element table is padded
  // to 4 values per row as the solver's by-layer tables are.
  const std::vector<float> fill_time = {0.0f, 0.5f}, fill_state = {1.0f, 0.25f};
  const std::vector<float> pressure = {2e7f, 1e5f}, flow = {3e-5f, 0.0f};
  const std::vector<float> wall_heat = {10.0f, 20.0f, 30.0f};
  const std::vector<float> element_t = {500, 501, 502, -1, 510, 511, 512, -1, 520, 521, 522, -1};
  const std::vector<float> node_t = {400, 401, 402, 410, 411, 412};
  RestartState s;
  s.time = 1.5f;
  s.filled_percentage = 100.0f;
  s.clamp_force = 4.5e5f;
  s.ram_speed = 0.75f;
  s.fill_time = fill_time;
  s.fill_state = fill_state;
  s.pressure = pressure;
  s.flow_rate = flow;
  s.wall_heat = wall_heat;
  s.layer_count = 2;
  s.element_temperature = element_t;
  s.element_stride = 4;
  s.node_temperature = node_t;
  s.node_stride = 3;

  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(WriteRestartFile(f, s), 1);
  const std::string bytes = FileBytes(f);
  std::fclose(f);

  // 80 + 4 * (4 n + m + (L + 1) (m + n)) with n = 2, m = 3, L = 2.
  ASSERT_EQ(bytes.size(), 80u + 4u * (8u + 3u + 3u * 5u));
  EXPECT_EQ(FloatAt(bytes, 0), 1.5f);
  EXPECT_EQ(FloatAt(bytes, 4), 100.0f);
  EXPECT_EQ(FloatAt(bytes, 8), 4.5e5f);
  EXPECT_EQ(FloatAt(bytes, 12), 0.75f);
  for (size_t i = 16; i < 80; ++i) EXPECT_EQ(bytes[i], '\0') << "byte " << i;
  const std::vector<float> expected = {0.0f, 0.5f, 1.0f, 0.25f, 2e7f, 1e5f, 3e-5f, 0.0f, 10, 20, 30,
                                       500, 501, 502, 510, 511, 512, 520, 521, 522,
                                       400, 401, 402, 410, 411, 412};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(FloatAt(bytes, 80 + 4 * i), expected[i]) << "value " << i;
  // Byte order: 1.5f is 0x3FC00000, stored low byte first.
  EXPECT_EQ(static_cast<unsigned char>(bytes[3]), 0x3F);
  EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0xC0);
}

TEST(RestartFile, ArraysThatDoNotFitWriteNothing) {
  const std::vector<float> two = {1, 2}, one = {1};
  const std::vector<float> grid(6, 300.0f);
  RestartState s;
  s.fill_time = two;
  s.fill_state = two;
  s.pressure = two;
  s.flow_rate = one;  // wrong length
  s.wall_heat = one;
  s.layer_count = 2;
  s.element_temperature = grid;
  s.element_stride = 3;
  s.node_temperature = grid;
  s.node_stride = 3;
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(WriteRestartFile(f, s), -1);
  s.flow_rate = two;
  s.node_stride = 4;  // two rows of stride 4 need 7 values
  EXPECT_EQ(WriteRestartFile(f, s), -1);
  s.node_stride = 2;  // shorter than the 3 grid values
  EXPECT_EQ(WriteRestartFile(f, s), -1);
  EXPECT_EQ(FileBytes(f).size(), 0u);
  s.node_stride = 3;
  EXPECT_EQ(WriteRestartFile(f, s), 1);
  std::fclose(f);
}

constexpr const char* kCoolingTitle = "        Cycle-averaged mold temperature                     K\n";

TEST(CoolingInput, ReadsTheNamedBlockAndPassesOverOthers) {
  TokenReader r;
  SetTokenText(r, std::string("---- Beginning of file.\n"
                              "---- Beginning of element data.\n"
                              "ELDT       1       1       1       2\n"
                              "        Time                                                s\n"
                              "        Molten-core\n"
                              "        1.0\n"
                              "       1 0.5\n"
                              "       2 0.5\n"
                              "ELDT       0       1       1       2\n") +
                      kCoolingTitle +
                      "        0.000000\n"
                      "       3 3.300000E+002\n"
                      "       1 320.5\n"
                      "ENDF\n");
  std::vector<float> wall(4, 300.0f);
  std::string message;
  ASSERT_EQ(ReadCoolingInput(r, wall, message), kCoolingRead) << message;
  EXPECT_EQ(wall, (std::vector<float>{320.5f, 300.0f, 330.0f, 300.0f}));
}

TEST(CoolingInput, NoBlockOrNoFileChangesNothing) {
  std::vector<float> wall(2, 300.0f);
  std::string message;
  TokenReader r;
  SetTokenText(r, "---- only a comment\nENDF\nELDT       0       1       1       1\n");
  EXPECT_EQ(ReadCoolingInput(r, wall, message), kCoolingAbsent);
  EXPECT_EQ(ReadCoolingInputFile("/nonexistent/job.c2D", wall, message), kCoolingUnreadable);
  EXPECT_EQ(wall, (std::vector<float>(2, 300.0f)));
}

// Damaged blocks: a message naming the fault, and the temperatures unchanged
// (no element beyond the table is ever written).
TEST(CoolingInput, DamagedBlocksChangeNothing) {
  struct Case {
    const char* entries;
    const char* count;
    const char* expected;
  } cases[] = {
      {"0.0\n       1 320.0\n       5 330.0\n", "2", "element 5 is not in the mesh"},
      {"0.0\n       0 330.0\n", "1", "element 0 is not in the mesh"},
      {"0.0\n       1 320.0\n", "3", "element number expected (1 of 3"},
      {"0.0\n       1 abc\n", "1", "not a number"},
      {"0.0\n       1 nan\n", "1", "not a number"},
      {"0.0\n       1 -4.0\n", "1", "not above 0 K"},
      {"x\n       1 320.0\n", "1", "a real expected"},
  };
  for (const Case& c : cases) {
    TokenReader r;
    SetTokenText(r, std::string("ELDT       0       1       1       ") + c.count + "\n" + kCoolingTitle + c.entries);
    std::vector<float> wall(4, 300.0f);
    std::string message;
    EXPECT_EQ(ReadCoolingInput(r, wall, message), kCoolingDamaged) << c.entries;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    EXPECT_EQ(wall, (std::vector<float>(4, 300.0f))) << c.entries;
  }
  TokenReader r;
  SetTokenText(r, "ELDT       0       1\n");
  std::vector<float> wall(4, 300.0f);
  std::string message;
  EXPECT_EQ(ReadCoolingInput(r, wall, message), kCoolingDamaged);
  EXPECT_NE(message.find("four integers"), std::string::npos) << message;
}

}  // namespace
}  // namespace kv
