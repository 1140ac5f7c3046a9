#include <string>

#include "common/mesh/native_mesh_file.h"
#include "common/tests/mesh_test_util.h"

namespace kv {
namespace {

using test::MakeElement;
using test::MakeProperty;
using test::ReadText;
using test::ScratchPath;

std::string Expected(const std::string& name) {
  return ReadText(std::string(KV_SOURCE_DIR) + "/common/tests/data/" + name);
}

// Element section of a written file: the lines between its header and the end.
std::string ElementSection(const std::string& text) {
  size_t begin = text.find("---- Beginning of element data.\n");
  size_t end = text.find("---- End of file.");
  if (begin == std::string::npos || end == std::string::npos) return "";
  begin += std::string("---- Beginning of element data.\n").size();
  return text.substr(begin, end - begin);
}

std::string SummaryLine(const std::string& text) {
  size_t begin = text.find("SUMR");
  return begin == std::string::npos ? "" : text.substr(begin, text.find('\n', begin) - begin);
}

// The three variants of the small model match the hand-checked files byte for
// byte: title, summary, blocks per category (the cooling surface only in
// .m2D), three-digit exponents, keyword padding, numbering and the quad split.
TEST(NativeMeshWriter, WritesTheExactLayoutOfEachVariant) {
  MeshModel m = test::SmallModel();
  std::string fem = ScratchPath("small.fem"), m2d = ScratchPath("small.m2D"), m3d = ScratchPath("small.m3D");
  ASSERT_EQ(WriteMeshFem(m, fem, 0, ""), 1);
  ASSERT_EQ(WriteMeshM2D(m, m2d, 0, ""), 1);
  ASSERT_EQ(WriteMeshM3D(m, m3d, 0, ""), 1);
  EXPECT_EQ(ReadText(fem), Expected("small.fem"));
  EXPECT_EQ(ReadText(m2d), Expected("small.m2D"));
  EXPECT_EQ(ReadText(m3d), Expected("small.m3D"));
}

TEST(NativeMeshWriter, ReportsAFileThatCannotBeCreated) {
  MeshModel m = test::SmallModel();
  std::string path = ScratchPath("no/such/dir/x.m2D");
  EXPECT_EQ(WriteMeshFem(m, path, 0, ""), 0);
  EXPECT_EQ(WriteMeshM2D(m, path, 0, ""), 0);
  EXPECT_EQ(WriteMeshM3D(m, path, 0, ""), 0);
}

TEST(NativeMeshWriter, SplitsQuadsAndHexahedraForTheSolver) {
  MeshModel m;
  m.properties = {MakeProperty(kPartVolume, 0)};
  for (int i = 0; i < 8; ++i) m.nodes.push_back({float(i), 0, 0});
  m.elements = {MakeElement(kQuadrilateral, {4, 5, 6, 7}, 0)};
  std::string path = ScratchPath("quad.m2D");
  ASSERT_EQ(WriteMeshM2D(m, path, 0, ""), 1);
  std::string text = ReadText(path);
  EXPECT_EQ(SummaryLine(text), "SUMR        0        0        1        8        2");
  EXPECT_EQ(ElementSection(text),
            "TRI           1        1       -1        5        6        7\n"
            "TRI           2        1       -1        5        7        8\n");

  m.elements = {MakeElement(kHexahedron, {0, 1, 2, 3, 4, 5, 6, 7}, 0)};
  ASSERT_EQ(WriteMeshM2D(m, path, 0, ""), 1);
  text = ReadText(path);
  EXPECT_EQ(SummaryLine(text), "SUMR        0        0        1        8        6");
  EXPECT_EQ(ElementSection(text),
            "TETRA         1        1       -1        1        2        4        5\n"
            "TETRA         2        1       -1        2        4        5        8\n"
            "TETRA         3        1       -1        6        2        5        8\n"
            "TETRA         4        1       -1        2        3        4        8\n"
            "TETRA         5        1       -1        3        2        6        8\n"
            "TETRA         6        1       -1        7        3        6        8\n");
}

// Pyramids and prisms have no place in the solver's file; .m3D keeps them,
// with "PYRAMID " keeping its eight characters.
TEST(NativeMeshWriter, PyramidsAndPrismsOnlyInM3D) {
  MeshModel m;
  m.properties = {MakeProperty(kPartVolume, 0)};
  for (int i = 0; i < 6; ++i) m.nodes.push_back({0, float(i), 0});
  m.elements = {MakeElement(kPyramid, {0, 1, 2, 3, 4}, 0), MakeElement(kTetrahedron, {0, 1, 2, 3}, 0),
                MakeElement(kPrism, {0, 1, 2, 3, 4, 5}, 0)};
  std::string m2d = ScratchPath("p.m2D"), m3d = ScratchPath("p.m3D"), fem = ScratchPath("p.fem");
  ASSERT_EQ(WriteMeshM2D(m, m2d, 0, ""), 1);
  ASSERT_EQ(WriteMeshM3D(m, m3d, 0, ""), 1);
  ASSERT_EQ(WriteMeshFem(m, fem, 0, ""), 1);
  EXPECT_EQ(SummaryLine(ReadText(m2d)), "SUMR        0        0        1        6        1");
  EXPECT_EQ(ElementSection(ReadText(m2d)), "TETRA         1        1       -1        1        2        3        4\n");
  EXPECT_EQ(SummaryLine(ReadText(m3d)), "SUMR        0        0        1        6        3");
  EXPECT_EQ(ElementSection(ReadText(m3d)),
            "PYRAMID         1        1       -1        1        2        3        4        5\n"
            "TETRA         2        1       -1        1        2        3        4\n"
            "PRISM         3        1       -1        1        2        3        4        5        6\n");
  EXPECT_EQ(ElementSection(ReadText(fem)),
            "PYRAMID         1        1        0        1        2        3        4        5\n"
            "TETRA           2        1        0        1        2        3        4\n"
            "PRISM           3        1        0        1        2        3        4        5        6\n");
}

// Which categories get a block: all ten in .m2D; .fem without cooling and
// mold surfaces (dual surface as "Part surface", part runner's first value 1);
// .m3D without channels, cooling, mold and dual surfaces. SUMR counts all.
TEST(NativeMeshWriter, PropertyBlocksPerVariant) {
  MeshModel m;
  const int categories[] = {kConnector, kColdRunner, kHotRunner, kCoolingChannel, kCoolingSurface,
                            kMoldSurface, kPartRunner, kPartSurface, kPartDualSurface, kPartVolume};
  for (int c : categories) m.properties.push_back(MakeProperty(c, 0.003f));
  std::string m2d = ScratchPath("c.m2D"), m3d = ScratchPath("c.m3D"), fem = ScratchPath("c.fem");
  ASSERT_EQ(WriteMeshM2D(m, m2d, 0, ""), 1);
  ASSERT_EQ(WriteMeshM3D(m, m3d, 0, ""), 1);
  ASSERT_EQ(WriteMeshFem(m, fem, 0, ""), 1);
  auto headers = [](const std::string& text) {
    std::string out;
    for (size_t p = text.find("EPRO"); p != std::string::npos; p = text.find("EPRO", p + 1))
      out += text.substr(p, text.find('\n', p) - p) + "|";
    return out;
  };
  EXPECT_EQ(headers(ReadText(m2d)),
            "EPRO       1       1    Connector|EPRO       2       5    Cold solid runner|"
            "EPRO       3       6    Hot solid runner|EPRO       4       3    Channel|"
            "EPRO       5       4    Cooling surface|EPRO       6       4    Mold surface|"
            "EPRO       7       4    Part runner|EPRO       8       4    Part surface|"
            "EPRO       9       4    Part dual surface|EPRO      10       3    Part volume|");
  EXPECT_EQ(headers(ReadText(fem)),
            "EPRO       1       1    Connector|EPRO       2       5    Cold solid runner|"
            "EPRO       3       6    Hot solid runner|EPRO       4       3    Channel|"
            "EPRO       7       4    Part runner|EPRO       8       4    Part surface|"
            "EPRO       9       4    Part surface|EPRO      10       3    Part volume|");
  EXPECT_EQ(headers(ReadText(m3d)),
            "EPRO       1       1    Connector|EPRO       2       5    Cold solid runner|"
            "EPRO       3       6    Hot solid runner|EPRO       7       4    Part runner|"
            "EPRO       8       4    Part surface|EPRO      10       3    Part volume|");
  for (const std::string& path : {m2d, m3d, fem})
    EXPECT_EQ(SummaryLine(ReadText(path)), "SUMR        0        0       10        0        0");

  // The hot runner block in full, and the part runner's first value per variant.
  std::string text = ReadText(m2d);
  size_t hot = text.find("EPRO       3");
  EXPECT_EQ(text.substr(hot, text.find("EPRO       4") - hot),
            "EPRO       3       6    Hot solid runner\n"
            "       30000       1    Plastic element\n"
            "                          2.000000E+000\n"
            "       30100       2    Thickness/diameter & shape factor\n"
            "                          3.000000E-003  1.000000E+000\n"
            "       30102       1    Initial fill condition\n"
            "                          1.000000E+000\n"
            "       30104       1    Hot runner manifold ID\n"
            "                          1.000000E+000\n"
            "       30112       2    Mold material ID\n"
            "                          1.000000E+000  1.000000E+000\n"
            "       30202       2    Runner diameter limits\n"
            "                          1.000000E-003  8.000000E-002\n");
  auto part_runner_first = [](const std::string& t) {
    size_t p = t.find("Part runner\n");
    p = t.find('\n', t.find('\n', p) + 1);
    return t.substr(p + 1, t.find('\n', p + 1) - p - 1);
  };
  EXPECT_EQ(part_runner_first(text), "                          2.000000E+000");
  EXPECT_EQ(part_runner_first(ReadText(fem)), "                          1.000000E+000");
}

// An element whose property index lies outside the table is written with -1;
// the title goes between "TITL " and the variant's words.
TEST(NativeMeshWriter, PropertyOutOfRangeAndTitle) {
  MeshModel m;
  m.properties = {MakeProperty(kPartSurface, 0.001f)};
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  m.elements = {MakeElement(kTriangle, {0, 1, 2}, 5), MakeElement(kTriangle, {0, 1, 2}, -1)};
  std::string path = ScratchPath("t.fem");
  ASSERT_EQ(WriteMeshFem(m, path, 0, "Plate"), 1);
  std::string text = ReadText(path);
  EXPECT_NE(text.find("\nTITL Plate FEM file.\n"), std::string::npos);
  EXPECT_EQ(ElementSection(text),
            "TRI             1       -1        0        1        2        3\n"
            "TRI             2       -1        0        1        2        3\n");
}

// A paired element is named by the number it carries in the .m2D file: after
// a split quad and a left-out pyramid that differs from its position.
TEST(NativeMeshWriter, PairedNumbersFollowTheM2DNumbering) {
  MeshModel m;
  m.properties = {MakeProperty(kPartSurface, 0.001f)};
  for (int i = 0; i < 5; ++i) m.nodes.push_back({float(i), 1, 0});
  m.elements = {MakeElement(kQuadrilateral, {0, 1, 2, 3}, 0, 3), MakeElement(kPyramid, {0, 1, 2, 3, 4}, 0),
                MakeElement(kTriangle, {0, 1, 2}, 0, 1), MakeElement(kTriangle, {1, 2, 3}, 0, 0)};
  std::string path = ScratchPath("pair.m2D");
  ASSERT_EQ(WriteMeshM2D(m, path, 0, ""), 1);
  EXPECT_EQ(ElementSection(ReadText(path)),
            "TRI           1        1        4        1        2        3\n"
            "TRI           2        1        4        1        3        4\n"
            "TRI           3        1       -1        1        2        3\n"
            "TRI           4        1        1        2        3        4\n");
}

}  // namespace
}  // namespace kv
