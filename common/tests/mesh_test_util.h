#pragma once
// Helpers shared by the tests of mesh files: scratch paths, whole-file text,
// small models, and a comparison of two meshes as far as files carry them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/mesh/mesh_model.h"

namespace kv::test {

// A fresh path in the test's scratch directory.
inline std::string ScratchPath(const std::string& name) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "kv_mesh_tests" /
                              (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::create_directories(dir);
  std::filesystem::path path = dir / name;
  std::filesystem::remove(path);
  return path.string();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline Element MakeElement(int type, std::initializer_list<int> nodes, int property, int paired = -1) {
  Element e;
  e.type = type;
  e.node_count = static_cast<int>(nodes.size());
  int i = 0;
  for (int n : nodes) e.nodes[i++] = n;
  e.property = property;
  e.paired = paired;
  return e;
}

inline ElementProperty MakeProperty(int category, float size) {
  ElementProperty p;
  p.category = category;
  p.name = CategoryName(category);
  p.thickness = p.diameter = size;
  return p;
}

// Element `e` with category and sizes taken from its property as a reader
// sets them.
inline Element AsRead(const MeshModel& m, Element e) {
  const ElementProperty* p =
      e.property >= 0 && e.property < static_cast<int>(m.properties.size()) ? &m.properties[e.property] : nullptr;
  e.category = p ? p->category : 0;
  e.thickness = p && (e.type == kTriangle || e.type == kQuadrilateral) ? p->thickness : 0;
  e.diameter = p && e.type == kBeam ? p->diameter : 0;
  return e;
}

// The small model of the expected files in common/tests/data: a cold runner
// beam, a part-surface quad and a cooling-surface triangle paired with it.
inline MeshModel SmallModel() {
  MeshModel m;
  m.properties = {MakeProperty(kColdRunner, 0.006f), MakeProperty(kPartSurface, 0.002f),
                  MakeProperty(kCoolingSurface, 0.001f)};
  for (int i = 0; i < 3; ++i) m.properties[i].identifier = i + 1;
  m.nodes = {{0, 0, 0}, {0.01f, 0, 0}, {0.01f, 0.01f, 0}, {0, 0.01f, -0.5f}};
  m.elements = {MakeElement(kBeam, {0, 1}, 0), MakeElement(kQuadrilateral, {0, 1, 2, 3}, 1, 2),
                MakeElement(kTriangle, {0, 2, 3}, 2, 1)};
  for (Element& e : m.elements) e = AsRead(m, e);
  return m;
}

inline void ExpectNear(float a, float b) { EXPECT_NEAR(a, b, 1e-6 * std::max(1.0f, std::fabs(b))); }

// Compares what the native files carry: properties (category, name, sizes),
// nodes, and elements (type, nodes, property, paired, category, sizes).
inline void ExpectSameMesh(const MeshModel& got, const MeshModel& want) {
  ASSERT_EQ(got.properties.size(), want.properties.size());
  for (size_t i = 0; i < want.properties.size(); ++i) {
    SCOPED_TRACE("property " + std::to_string(i));
    EXPECT_EQ(got.properties[i].category, want.properties[i].category);
    EXPECT_EQ(got.properties[i].name, want.properties[i].name);
    ExpectNear(got.properties[i].thickness, want.properties[i].thickness);
    ExpectNear(got.properties[i].diameter, want.properties[i].diameter);
  }
  ASSERT_EQ(got.nodes.size(), want.nodes.size());
  for (size_t i = 0; i < want.nodes.size(); ++i) {
    SCOPED_TRACE("node " + std::to_string(i));
    ExpectNear(got.nodes[i].x, want.nodes[i].x);
    ExpectNear(got.nodes[i].y, want.nodes[i].y);
    ExpectNear(got.nodes[i].z, want.nodes[i].z);
  }
  ASSERT_EQ(got.elements.size(), want.elements.size());
  for (size_t i = 0; i < want.elements.size(); ++i) {
    SCOPED_TRACE("element " + std::to_string(i));
    const Element& g = got.elements[i];
    const Element& w = want.elements[i];
    EXPECT_EQ(g.type, w.type);
    ASSERT_EQ(g.node_count, w.node_count);
    for (int k = 0; k < w.node_count; ++k) EXPECT_EQ(g.nodes[k], w.nodes[k]);
    EXPECT_EQ(g.property, w.property);
    EXPECT_EQ(g.paired, w.paired);
    EXPECT_EQ(g.category, w.category);
    ExpectNear(g.thickness, w.thickness);
    ExpectNear(g.diameter, w.diameter);
  }
}

}  // namespace kv::test
