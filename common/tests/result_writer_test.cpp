#include "common/results/result_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kv {
namespace {

// A temporary file that the writers fill and the test reads back.
struct TempFile {
  std::FILE* file = std::tmpfile();
  ~TempFile() {
    if (file) std::fclose(file);
  }
  std::string Text() {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
  }
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every writer in the order of an end of filling, on three nodes and three
// elements, against a hand-checked file.
TEST(ResultWriter, BlocksMatchTheExpectedFileByteForByte) {
  TempFile out;
  ASSERT_NE(out.file, nullptr);
  std::FILE* f = out.file;
  const float t = 0.05f;
  const std::vector<uint8_t> first_and_last = {1, 0, 1};
  const std::vector<uint8_t> first_two = {1, 1, 0};
  const std::vector<uint8_t> last_only = {0, 0, 1};
  const std::vector<float> molten = {1.0f, 0.5f, 0.25f};
  const std::vector<float> vx = {0.1f, -0.2f, 0.0f}, vy = {0.0f, 0.3f, 0.0f}, vz = {0.0f, 0.0f, 0.0f};
  const std::vector<float> bulk = {500.0f, 0.25f, 0.0f};
  const std::vector<float> shear = {1234.5f, 0.0f, -1.5f};
  const std::vector<float> stress = {7.0f, 7.0f, 0.0009765625f};
  const std::vector<float> pressure = {1.5e6f, 0.0f, 9.0f};
  const float centroid[3] = {0.01f, -0.02f, 0.5f};
  const float normal[3] = {0.0f, 0.0f, 1.0f};
  const std::vector<float> cool = {2.5f, 0.0f, 10.0f};
  const std::vector<float> fill_time = {0.0f, 0.125f, -1.0f};

  EXPECT_EQ(WriteResultFileBegin(f), 1);
  EXPECT_EQ(WritePressureTraceBlock(f, 0.0f, 0.0f), 1);
  EXPECT_EQ(WriteClampForceBlock(f, 0.0f, 0.0f, 0.0f), 1);
  EXPECT_EQ(WriteMoltenCoreBlock(f, t, molten, first_and_last), 1);
  EXPECT_EQ(WriteAverageVelocityBlock(f, t, vx, vy, vz, first_two), 1);
  EXPECT_EQ(WriteBulkTemperatureBlock(f, t, bulk, first_two), 1);
  EXPECT_EQ(WriteShearRateBlock(f, t, shear, {}), 1);
  EXPECT_EQ(WriteWallShearStressBlock(f, t, stress, last_only), 1);
  EXPECT_EQ(WriteMeltPressureBlock(f, t, pressure, first_two), 1);
  EXPECT_EQ(WriteClampCentroidBlock(f, centroid, normal), 1);
  EXPECT_EQ(WriteTimeToCoolBlock(f, cool, {}), 1);
  EXPECT_EQ(WriteMeltFrontBlock(f, fill_time, first_two), 1);
  EXPECT_EQ(WriteResultFileEnd(f), 1);

  EXPECT_EQ(out.Text(), ReadWhole(std::string(KV_SOURCE_DIR) + "/common/tests/data/result_blocks.f2D"));
}

TEST(ResultWriter, ScalarBlocksAtAnOutputTime) {
  TempFile out;
  ASSERT_NE(out.file, nullptr);
  EXPECT_EQ(WritePressureTraceBlock(out.file, 1.25f, 2.5e7f), 1);
  EXPECT_EQ(WriteClampForceBlock(out.file, 1.25f, 123456.5f, 99.995f), 1);
  const std::string blank52(52 - 4, ' ');
  EXPECT_EQ(out.Text(),
            "---- Beginning of scalar data.\n"
            "SCDT       1       1       1       1\n"
            "        Time" + blank52 + "s\n"
            "        Pressure trace at entrance                          Pa\n"
            "        1.250000\n"
            "        25000000.000000\n"
            "---- Beginning of scalar data.\n"
            "SCDT       1       2       1       1\n"
            "        Time" + blank52 + "s\n"
            "        Clamp force                                         N\n"
            "        Percentage total weight                             %\n"
            "        1.250000\n"
            "        123456.500000 99.995003\n");
}

// Highlight reals keep their 12-character fields at every magnitude, so that a
// reader can cut the line into fields.
TEST(ResultWriter, HighlightFieldsAreTwelveCharactersWide) {
  TempFile out;
  ASSERT_NE(out.file, nullptr);
  const float centroid[3] = {-123.456f, 1e-30f, 0.0f};
  const float normal[3] = {0.6f, 0.0f, -0.8f};
  ASSERT_EQ(WriteClampCentroidBlock(out.file, centroid, normal), 1);
  std::string text = out.Text();
  size_t last = text.rfind('\n', text.size() - 2);
  std::string line = text.substr(last + 1, text.size() - last - 2);
  ASSERT_EQ(line.size(), 8u + 6u * 12u) << line;
  EXPECT_EQ(line.substr(0, 8), "        ");
  for (int k = 0; k < 6; ++k) {
    std::string field = line.substr(8 + 12 * k, 12);
    EXPECT_TRUE(field[0] == '+' || field[0] == '-') << field;
    EXPECT_EQ(field[2], '.') << field;
    EXPECT_EQ(field[7], 'E') << field;
  }
  EXPECT_EQ(line.substr(8, 24), "-1.2346E+002+1.0000E-030");
  EXPECT_EQ(line.substr(8 + 36, 36), "-1.2343E+002+1.0000E-030-4.0000E-002");
}

TEST(ResultWriter, ArraysThatDoNotFitWriteNothing) {
  TempFile out;
  ASSERT_NE(out.file, nullptr);
  const std::vector<float> three = {1, 2, 3}, two = {1, 2};
  const std::vector<uint8_t> mask_two = {1, 1};
  EXPECT_EQ(WriteMeltPressureBlock(out.file, 0.0f, three, mask_two), -1);
  EXPECT_EQ(WriteAverageVelocityBlock(out.file, 0.0f, three, two, three, {}), -1);
  EXPECT_EQ(WriteTimeToCoolBlock(out.file, two, std::vector<uint8_t>{1, 0, 1}), -1);
  EXPECT_EQ(WriteMeltPressureBlock(nullptr, 0.0f, three, {}), -1);
  EXPECT_EQ(out.Text(), "");
}

// A block with no listed entity still has its header with E = 0.
TEST(ResultWriter, NoEntityListedGivesAnEmptyBlock) {
  TempFile out;
  ASSERT_NE(out.file, nullptr);
  const std::vector<float> values = {1, 2};
  const std::vector<uint8_t> none = {0, 0};
  ASSERT_EQ(WriteMeltFrontBlock(out.file, values, none), 1);
  EXPECT_EQ(out.Text(),
            "---- Beginning of nodal data.\n"
            "NDDT       0       1       1       0\n"
            "        Melt-front advancement                              s\n");
}

TEST(ResultWriter, WriteErrorIsReported) {
  std::FILE* f = std::fopen("/dev/full", "w");
  if (!f) GTEST_SKIP() << "/dev/full is not available";
  std::vector<float> values(5000, 1.0f);
  int status = WriteMeltPressureBlock(f, 0.0f, values, {});
  // The error shows at the latest when the buffer is flushed.
  if (status == 1) status = std::fflush(f) == 0 ? 1 : -1;
  EXPECT_EQ(status, -1);
  std::fclose(f);
}

}  // namespace
}  // namespace kv
