#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/mesh/native_mesh_file.h"
#include "common/tests/mesh_test_util.h"
#include "tools/kvmesh/kvmesh_run.h"

namespace kv {
namespace {

using test::MakeElement;
using test::ScratchPath;

// A 60 x 40 mm triangle pair 2 mm thick with a 5 mm runner, written in
// millimetres.
MeshModel MillimetrePlate() {
  MeshModel m;
  m.properties = {test::MakeProperty(kPartSurface, 2.0f), test::MakeProperty(kColdRunner, 5.0f)};
  m.nodes = {{0, 0, 0}, {60, 0, 0}, {60, 40, 0}, {0, 40, 0}, {0, 0, 30}};
  m.elements = {MakeElement(kTriangle, {0, 1, 2}, 0), MakeElement(kTriangle, {0, 2, 3}, 0),
                MakeElement(kBeam, {0, 4}, 1)};
  return m;
}

TEST(KvmeshUnits, MillimetresAreScaledToMetres) {
  const std::string in = ScratchPath("mm.m2D"), out = ScratchPath("m.m2D");
  ASSERT_EQ(WriteMeshM2D(MillimetrePlate(), in, 0, ""), 1);
  std::ostringstream o, e;
  ASSERT_EQ(RunKvmesh({in, out, "--units", "mm"}, o, e), 0) << e.str();
  MeshModel back;
  std::string error;
  ASSERT_EQ(ReadMeshNative(back, out, error), 1) << error;
  EXPECT_FLOAT_EQ(back.nodes[1].x, 0.06f);
  EXPECT_FLOAT_EQ(back.nodes[4].z, 0.03f);
  EXPECT_FLOAT_EQ(back.properties[0].thickness, 0.002f);
  EXPECT_FLOAT_EQ(back.properties[1].diameter, 0.005f);
  EXPECT_EQ(o.str().find("millimetres"), std::string::npos);

  // Read as metres, the 60 m part gets the hint; inches scale by 0.0254.
  std::ostringstream o2, e2;
  ASSERT_EQ(RunKvmesh({in, "--units", "m"}, o2, e2), 0) << e2.str();
  EXPECT_NE(o2.str().find("The model measures 60.0 m; if its file is in millimetres, import it again with the unit mm."),
            std::string::npos)
      << o2.str();
  std::ostringstream o3, e3;
  ASSERT_EQ(RunKvmesh({in, out, "--units", "in"}, o3, e3), 0) << e3.str();
  MeshModel inches;
  ASSERT_EQ(ReadMeshNative(inches, out, error), 1) << error;
  EXPECT_FLOAT_EQ(inches.nodes[1].x, 60 * 0.0254f);

  std::ostringstream o4, e4;
  EXPECT_NE(RunKvmesh({in, out, "--units", "ft"}, o4, e4), 0);
  EXPECT_NE(e4.str().find("unknown length unit 'ft'"), std::string::npos) << e4.str();
}

}  // namespace
}  // namespace kv
