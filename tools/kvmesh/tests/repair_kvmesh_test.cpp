#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/mesh/native_mesh_file.h"
#include "common/tests/mesh_test_util.h"
#include "tools/kvmesh/kvmesh_run.h"

namespace kv {
namespace {

using test::MakeElement;
using test::ReadText;
using test::ScratchPath;

// Two part-surface triangles stitched along a duplicated edge, plus a copy of
// the first triangle.
MeshModel StitchedPair() {
  MeshModel m;
  m.properties = {test::MakeProperty(kPartSurface, 0.001f)};
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  m.elements = {MakeElement(kTriangle, {0, 1, 2}, 0), MakeElement(kTriangle, {3, 5, 4}, 0),
                MakeElement(kTriangle, {0, 1, 2}, 0)};
  for (Element& e : m.elements) e.category = kPartSurface, e.thickness = 0.001f;
  return m;
}

TEST(KvmeshRepair, FixMergesAndStatsReportsTheFixedMesh) {
  const std::string in = ScratchPath("in.m3D"), out = ScratchPath("out.m3D");
  ASSERT_EQ(WriteMeshM3D(StitchedPair(), in, 0, ""), 1);
  std::ostringstream o, e;
  ASSERT_EQ(RunKvmesh({in, out, "--stats", "--fix", "1e-5", "0.98", "0.002"}, o, e), 0) << e.str();
  EXPECT_EQ(o.str(), "Reading file: " + in +
                         "\nNumber of nodes:      6\nNumber of elements:   3\nNumber of properties: 1\n"
                         "Number of nodes merged/deleted: 2\n"
                         "Number of elements merged/deleted: 1\n"
                         "Number of nodes: 4\nNumber of faces: 2\nNumber of elements: 2\n"
                         "Number of beams: 0\nNumber of triangles: 2\nNumber of quadrangles: 0\n"
                         "Number of tetrahedra: 0\nNumber of pyramids: 0\nNumber of prisms: 0\n"
                         "Number of hexahedra: 0\nTotal volume: 2.0000e-003 m^3\n"
                         "Writing file: " + out + "\nDone.\n");
  MeshModel back;
  std::string error;
  ASSERT_EQ(ReadMeshNative(back, out, error), 1) << error;
  EXPECT_EQ(back.nodes.size(), 4u);
  EXPECT_EQ(back.elements.size(), 2u);
  EXPECT_FLOAT_EQ(back.properties[0].thickness, 0.002f);
}

TEST(KvmeshRepair, BadFixSettingsAreRefusedBeforeAnythingIsWritten) {
  const std::string in = ScratchPath("in.m3D"), out = ScratchPath("out.m3D");
  ASSERT_EQ(WriteMeshM3D(StitchedPair(), in, 0, ""), 1);
  const std::string original = ReadText(in);
  for (const auto& [args, message] :
       std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--fix", "1e-5", "nan", "0"}, "kvmesh: --fix ASPECT is not a number ('nan')\n"},
           {{"--fix", "-1", "0.98", "0"}, "kvmesh: --fix DISTANCE must not be negative\n"},
           {{"--fix", "0", "10", "1e39"},
            "kvmesh: --fix THICKNESS \"1e39\" does not fit a 32-bit float (largest 3.4E+38)\n"},
           {{"--fix", "1e-5", "0.98"}, "kvmesh: --fix needs 3 arguments (DISTANCE ASPECT THICKNESS)\n"}}) {
    std::vector<std::string> arguments = {in, out};
    arguments.insert(arguments.end(), args.begin(), args.end());
    std::ostringstream o, e;
    EXPECT_EQ(RunKvmesh(arguments, o, e), 2);
    EXPECT_EQ(e.str().substr(0, e.str().find('\n') + 1), message);
  }
  EXPECT_EQ(ReadText(in), original);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace kv
