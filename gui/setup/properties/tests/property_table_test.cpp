// Property table operations, the Fix mesh settings against kvmesh --fix, and
// the transparency factor.
#include "gui/setup/properties/property_table.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"
#include "mesh/engine/rebuild.h"
#include "tools/kvmesh/kvmesh_run.h"

namespace kv {
namespace {

ElementProperty Property(int id, int category, float thickness, float diameter, float shape = 0) {
  return ElementProperty{id, category, CategoryName(category), thickness, diameter, shape};
}

Element Carrying(int type, int property) {
  Element e;
  e.type = type;
  e.property = property;
  return e;
}

TEST(PropertyTable, NewEditAndTheTypeTable) {
  MeshModel m;
  m.properties = {Property(0, kPartSurface, 0.002f, 0)};
  m.elements = {Carrying(kTriangle, 0), Carrying(kTriangle, 0), Carrying(kBeam, -1)};
  EXPECT_EQ(AppendNewProperty(m), 1);
  EXPECT_EQ(PropertyRow(m.properties[1]), "1 - New property");
  EXPECT_EQ(CategoryOfTypePosition(3), kPartRunner);
  EXPECT_EQ(TypePositionOfCategory(kCoolingChannel), 4);
  EXPECT_EQ(TypePositionOfCategory(7), -1);
  EXPECT_EQ(PropertySizeText(m.properties[0]), "0.002");
  // The edit reaches the elements that carry the property.
  EXPECT_EQ(ApplyPropertyEdit(m, 0, "Wall", 8, 0.003), 2);
  EXPECT_EQ(m.properties[0].category, kPartDualSurface);
  EXPECT_FLOAT_EQ(m.elements[1].thickness, 0.003f);
  EXPECT_EQ(m.elements[1].category, kPartDualSurface);
  EXPECT_EQ(ApplyPropertyEdit(m, 0, "Wall", 8, 0.003), 0);  // nothing differs any more
  EXPECT_EQ(ApplyPropertyEdit(m, 1, "Feed", 1, 0.006), 0);
  EXPECT_FLOAT_EQ(m.properties[1].diameter, 0.006f);
  EXPECT_FLOAT_EQ(m.properties[1].thickness, 0.0f);
  // A Connector's diameter is shown but not stored.
  EXPECT_EQ(ApplyPropertyEdit(m, 1, "Joint", 0, 0.5), 0);
  EXPECT_FLOAT_EQ(m.properties[1].diameter, 0.006f);
  EXPECT_EQ(ApplyPropertyEdit(m, 2, "x", 0, 0), -1);
  EXPECT_EQ(ApplyPropertyEdit(m, 0, "x", 10, 0), -1);
}

// Read meshes number their properties from 1: New must not repeat one.
TEST(PropertyTable, NewTakesAnIdentifierNotInUse) {
  MeshModel m;
  m.properties = {Property(1, kPartSurface, 0.002f, 0), Property(2, kColdRunner, 0, 0.004f)};
  EXPECT_EQ(AppendNewProperty(m), 2);
  EXPECT_EQ(m.properties[2].identifier, 3);
  EXPECT_EQ(AppendNewProperty(m), 3);
  EXPECT_EQ(m.properties[3].identifier, 4);
  // Gaps stay gaps; the count is used when it is free.
  MeshModel gap;
  gap.properties = {Property(0, kPartSurface, 0.002f, 0), Property(5, kColdRunner, 0, 0.004f)};
  AppendNewProperty(gap);
  EXPECT_EQ(gap.properties[2].identifier, 2);
  AppendNewProperty(gap);
  EXPECT_EQ(gap.properties[3].identifier, 3);
}

TEST(PropertyTable, UnassignedAndEquivalentPropertiesAreRemoved) {
  MeshModel m;
  m.properties = {Property(0, kPartSurface, 0.002f, 0), Property(1, kColdRunner, 0, 0.005f),
                  Property(2, kPartSurface, 0.002005f, 0), Property(3, kPartSurface, 0.002f, 0, 0.001f),
                  Property(4, kPartDualSurface, 0.002f, 0), Property(5, kPartSurface, 0.0021f, 0)};
  m.elements = {Carrying(kTriangle, 2), Carrying(kTriangle, 3), Carrying(kTriangle, 4), Carrying(kTriangle, 5),
                Carrying(kTriangle, 0), Carrying(kTriangle, -1)};
  // Property 1 carries nothing.
  MeshModel u = m;
  EXPECT_EQ(RemoveUnassignedProperties(u), 1);
  ASSERT_EQ(u.properties.size(), 5u);
  EXPECT_EQ(u.properties[1].identifier, 1);
  EXPECT_EQ(u.properties[1].category, kPartSurface);
  EXPECT_EQ(u.elements[0].property, 1);
  EXPECT_EQ(u.elements[5].property, -1);
  // 2 (5e-6 off) and 3 (0.001 off in shape factor: at the tolerance) merge
  // into 0; the dual surface of the same size and 5 (1e-4 off) do not.
  EXPECT_EQ(MergeEquivalentProperties(m), 3);
  ASSERT_EQ(m.properties.size(), 3u);
  EXPECT_EQ(m.elements[0].property, 0);
  EXPECT_EQ(m.elements[1].property, 0);
  EXPECT_EQ(m.elements[2].property, 1);
  EXPECT_EQ(m.properties[1].category, kPartDualSurface);
  EXPECT_EQ(m.elements[3].property, 2);
  EXPECT_EQ(m.properties[2].identifier, 2);
  // No element carries a property: the table empties.
  MeshModel none;
  none.properties = {Property(0, kPartSurface, 0.002f, 0)};
  EXPECT_EQ(RemoveUnassignedProperties(none), 1);
  EXPECT_TRUE(none.properties.empty());
}

// Two triangles stitched along a duplicated edge, and a copy of the first.
MeshModel StitchedPair() {
  MeshModel m;
  m.properties = {Property(0, kPartSurface, 0.001f, 0)};
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  const int t[3][3] = {{0, 1, 2}, {3, 5, 4}, {0, 1, 2}};
  for (const auto& n : t) {
    Element e = Carrying(kTriangle, 0);
    e.node_count = 3;
    e.category = kPartSurface;
    e.thickness = 0.001f;
    for (int i = 0; i < 3; ++i) e.nodes[i] = n[i];
    m.elements.push_back(e);
  }
  return m;
}

TEST(FixMeshDialog, ReportsWhatKvmeshFixReports) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "kv_fix_dialog";
  std::filesystem::create_directories(dir);
  const std::string in = (dir / "seam.m3D").string();
  ASSERT_EQ(WriteMeshM3D(StitchedPair(), in, 0, ""), 1);
  std::ostringstream out, err;
  ASSERT_EQ(RunKvmesh({in, "--fix", "1e-5", "0.98", "0.002"}, out, err), 0) << err.str();

  MeshModel model;
  std::string error;
  ASSERT_EQ(ReadMeshNative(model, in, error), 1) << error;
  RebuildAfterRead(model);
  FixMeshFields fields;
  fields.thickness = "0.002";
  PaneCapture capture;
  ASSERT_EQ(ApplyFixMesh(model, fields, error), 1) << error;
  ASSERT_EQ(capture.output.size(), 2u);
  EXPECT_EQ(capture.output[0], "Number of nodes merged/deleted: 2");
  EXPECT_EQ(capture.output[1], "Number of elements merged/deleted: 1");
  for (const std::string& line : capture.output) EXPECT_NE(out.str().find(line + "\n"), std::string::npos) << line;
  EXPECT_EQ(model.nodes.size(), 4u);
  // A field that is not a number changes nothing.
  fields.aspect = "0.98x";
  EXPECT_EQ(ApplyFixMesh(model, fields, error), 0);
  EXPECT_EQ(error, "Enter numbers in the three fields.");
}

TEST(Transparency, FactorAndOpaqueFlag) {
  PaneCapture capture;
  bool opaque = false;
  EXPECT_FLOAT_EQ(ApplyTransparency(10, &opaque), 1.0f);
  EXPECT_TRUE(opaque);
  EXPECT_FLOAT_EQ(ApplyTransparency(3, &opaque), 0.3f);
  EXPECT_FALSE(opaque);
  EXPECT_EQ(capture.output.back(), "Transparency factor set to: 0.300000");
  EXPECT_FLOAT_EQ(ApplyTransparency(42, &opaque), 1.0f);
}

}  // namespace
}  // namespace kv
