#include "mesh/engine/drawing_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv {
namespace {

// Adds a triangle element of `category` with one face record of its own, the
// normal computed as (p3 - p1) x (p2 - p1) normalised.
int AddTriangle(MeshModel& model, int a, int b, int c, int category, float thickness) {
  Element element;
  element.type = kTriangle;
  element.category = category;
  element.node_count = 3;
  element.nodes[0] = a;
  element.nodes[1] = b;
  element.nodes[2] = c;
  element.thickness = thickness;
  model.elements.push_back(element);
  FaceRecord face;
  face.nodes[0] = a;
  face.nodes[1] = b;
  face.nodes[2] = c;
  face.element = static_cast<int>(model.elements.size()) - 1;
  const Node& p1 = model.nodes[a];
  const Node& p2 = model.nodes[b];
  const Node& p3 = model.nodes[c];
  const float u[3] = {p3.x - p1.x, p3.y - p1.y, p3.z - p1.z};
  const float v[3] = {p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
  float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (float& x : n) x /= len;
  std::copy(n, n + 3, face.normal);
  model.faces.push_back(face);
  return static_cast<int>(model.elements.size()) - 1;
}

int AddBeam(MeshModel& model, int a, int b, int category, float diameter) {
  Element element;
  element.type = kBeam;
  element.category = category;
  element.node_count = 2;
  element.nodes[0] = a;
  element.nodes[1] = b;
  element.diameter = diameter;
  model.elements.push_back(element);
  return static_cast<int>(model.elements.size()) - 1;
}

// Two triangles on the side (0,0,0)-(1,0,0); the second one lies in the plane
// z = 0 (flat) or is folded up to the plane y = 0 (90 degrees).
MeshModel TwoTriangles(bool folded, float t1 = 0.002f, float t2 = 0.002f) {
  MeshModel model;
  model.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  if (folded) model.nodes[3] = {0, 0, 1};
  AddTriangle(model, 0, 1, 2, kPartSurface, t1);
  AddTriangle(model, 1, 0, 3, kPartSurface, t2);
  return model;
}

int OutlineCount(const DrawingTables& tables) {
  int count = 0;
  for (const Line& line : tables.lines) count += line.outline;
  return count;
}

TEST(DrawingTables, FacetsLinesAndTwins) {
  MeshModel model = TwoTriangles(false);
  DrawingTables tables;
  BuildDrawingTables(model, DrawingOptions{}, tables);
  ASSERT_EQ(tables.facets.size(), 2u);
  ASSERT_EQ(tables.lines.size(), 6u);
  EXPECT_EQ(tables.facets[1].element, 1);
  EXPECT_EQ(tables.facets[1].property_code, kPartSurface);
  EXPECT_FLOAT_EQ(tables.facets[0].colours[2][0], 0.8f);
  EXPECT_FLOAT_EQ(tables.facets[0].colours[2][2], 0.5f);
  EXPECT_FLOAT_EQ(tables.facets[0].colours[2][3], 1.0f);
  // The shared side runs 0->1 in the first facet and 1->0 in the second.
  const int shared_a = tables.facets[0].lines[0];
  const int shared_b = tables.facets[1].lines[0];
  EXPECT_EQ(tables.lines[shared_a].twin, shared_b);
  EXPECT_EQ(tables.lines[shared_b].twin, shared_a);
  EXPECT_EQ(tables.lines[shared_b].facet, 1);
  int free_edges = 0;
  for (const Line& line : tables.lines) free_edges += line.twin == -1;
  EXPECT_EQ(free_edges, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(tables.node_mask[i], 1);
}

TEST(DrawingTables, OutlinesByAngle) {
  DrawingTables tables;
  MeshModel flat = TwoTriangles(false);
  BuildDrawingTables(flat, DrawingOptions{}, tables);
  ClassifyOutlines(tables, flat, 50);
  EXPECT_EQ(OutlineCount(tables), 4);  // free edges only
  ClassifyOutlines(tables, flat, -1);
  EXPECT_EQ(OutlineCount(tables), 6);  // every side
  ClassifyOutlines(tables, flat, 50);
  EXPECT_EQ(OutlineCount(tables), 4);  // flags are cleared first

  MeshModel folded = TwoTriangles(true);
  BuildDrawingTables(folded, DrawingOptions{}, tables);
  ClassifyOutlines(tables, folded, 50);
  EXPECT_EQ(OutlineCount(tables), 6);  // 90 degrees lies in [50, 130]
  ClassifyOutlines(tables, folded, 95);
  EXPECT_EQ(OutlineCount(tables), 4);  // [95, 85] is empty
}

TEST(DrawingTables, ThicknessStepsOfTwentyPercent) {
  DrawingTables tables;
  MeshModel step = TwoTriangles(false, 0.002f, 0.0015f);  // 25 % step
  BuildDrawingTables(step, DrawingOptions{}, tables);
  ClassifyOutlines(tables, step, 50);
  EXPECT_EQ(OutlineCount(tables), 6);

  MeshModel small = TwoTriangles(false, 0.002f, 0.0019f);  // 5 % step
  BuildDrawingTables(small, DrawingOptions{}, tables);
  ClassifyOutlines(tables, small, 50);
  EXPECT_EQ(OutlineCount(tables), 4);

  MeshModel zero = TwoTriangles(false, 0.0f, 0.0f);  // no thickness at all
  BuildDrawingTables(zero, DrawingOptions{}, tables);
  ClassifyOutlines(tables, zero, 50);
  EXPECT_EQ(OutlineCount(tables), 4);

  // Faces of solids are not shell facets: no thickness test between them.
  MeshModel solid = TwoTriangles(false, 0.002f, 0.001f);
  solid.elements[0].type = kTetrahedron;
  solid.elements[1].type = kTetrahedron;
  BuildDrawingTables(solid, DrawingOptions{}, tables);
  ClassifyOutlines(tables, solid, 50);
  EXPECT_EQ(OutlineCount(tables), 4);
}

TEST(DrawingTables, VisibilityHidesFacetsBeamsAndNodes) {
  MeshModel model = TwoTriangles(false);
  model.nodes.push_back({2, 0, 0});
  model.nodes.push_back({3, 0, 0});
  model.nodes.push_back({4, 0, 0});
  AddBeam(model, 1, 4, kPartRunner, 0.004f);   // shares node 1 with the part
  AddBeam(model, 4, 5, kColdRunner, 0.006f);
  AddBeam(model, 5, 6, kConnector, 0.001f);
  model.elements[0].category = kMoldSurface;

  ViewCategories shown;
  RefreshVisibility(model, shown);
  DrawingTables tables;
  BuildDrawingTables(model, DrawingOptions{}, tables);
  EXPECT_EQ(tables.facets.size(), 2u);
  ASSERT_EQ(tables.beams.size(), 3u);
  EXPECT_FLOAT_EQ(tables.beams[1].radius, 0.003f);
  EXPECT_EQ(tables.beams[1].kind, kColdRunner);
  EXPECT_FLOAT_EQ(tables.beams[1].colour[1], 1.0f);
  EXPECT_FLOAT_EQ(tables.facets[0].colours[0][0], 0.8f);  // mold surface grey
  EXPECT_FLOAT_EQ(tables.facets[0].colours[0][2], 0.8f);

  shown.part = false;
  RefreshVisibility(model, shown);
  BuildDrawingTables(model, DrawingOptions{}, tables);
  ASSERT_EQ(tables.facets.size(), 1u);          // only the mold surface
  EXPECT_EQ(tables.facets[0].element, 0);
  ASSERT_EQ(tables.beams.size(), 2u);           // cold runner and connector stay
  EXPECT_EQ(tables.beams[0].kind, kColdRunner);
  EXPECT_EQ(tables.beams[1].kind, kConnector);
  // Nodes of hidden elements are masked, also where a visible element shares them.
  const unsigned char expected[] = {0, 0, 1, 0, 0, 1, 1};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(tables.node_mask[i], expected[i]) << "node " << i;

  EXPECT_FALSE(IsCategoryShown(7, shown));
  EXPECT_TRUE(IsCategoryShown(kConnector, ViewCategories{false, false, false, false}));
}

TEST(DrawingTables, PairedFacesAndBadReferencesAreLeftOut) {
  MeshModel model = TwoTriangles(false);
  model.faces[0].partner = 1;
  model.faces[1].partner = 0;
  AddTriangle(model, 0, 1, 2, kPartSurface, 0.002f);
  model.faces.back().nodes[2] = 99;      // node beyond the table
  AddBeam(model, 0, -5, kColdRunner, 0.002f);
  FaceRecord orphan;
  orphan.element = 42;                   // element beyond the table
  model.faces.push_back(orphan);
  DrawingTables tables;
  BuildDrawingTables(model, DrawingOptions{}, tables);
  EXPECT_TRUE(tables.facets.empty());
  EXPECT_TRUE(tables.lines.empty());
  EXPECT_TRUE(tables.beams.empty());
  ClassifyOutlines(tables, model, 50);
}

TEST(DrawingTables, QuadrangleFacetsAndResultValues) {
  MeshModel model;
  model.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  Element quad;
  quad.type = kQuadrilateral;
  quad.category = kPartSurface;
  quad.node_count = 4;
  for (int i = 0; i < 4; ++i) quad.nodes[i] = i;
  model.elements.push_back(quad);
  FaceRecord face;
  face.shape = 3;
  face.node_count = 4;
  for (int i = 0; i < 4; ++i) face.nodes[i] = i;
  face.element = 0;
  face.normal[2] = 1;
  model.faces.push_back(face);
  std::vector<float> values = {0.0f, 0.25f, 0.5f, 1.0f};
  DrawingOptions options;
  options.node_values = &values;
  options.opacity = 0.5f;
  options.foreground[1] = 1.0f;
  DrawingTables tables;
  BuildDrawingTables(model, options, tables);
  ASSERT_EQ(tables.facets.size(), 1u);
  EXPECT_EQ(tables.facets[0].shape, 3);
  EXPECT_EQ(tables.facets[0].vertex_count, 4);
  EXPECT_FLOAT_EQ(tables.facets[0].values[3], 1.0f);
  EXPECT_FLOAT_EQ(tables.facets[0].colours[1][3], 0.5f);
  ASSERT_EQ(tables.lines.size(), 4u);
  EXPECT_FLOAT_EQ(tables.lines[3].ends[0][1], 1.0f);  // side from vertex 4 back to vertex 1
  EXPECT_FLOAT_EQ(tables.lines[3].ends[1][1], 0.0f);
  EXPECT_FLOAT_EQ(tables.lines[3].colour[1], 1.0f);
}

TEST(DrawingTables, BeamFarRadiusTaper) {
  Beam beam;
  beam.ends[1][2] = 0.03f;
  beam.radius = 0.004f;
  EXPECT_FLOAT_EQ(BeamFarRadius(beam), 0.004f);
  beam.taper = 0.1f;
  EXPECT_NEAR(BeamFarRadius(beam), 0.004 + std::sin(0.1) * std::sqrt(0.004 * 0.004 + 0.03 * 0.03),
              1e-6);
  beam.taper = 0.8f;  // beyond 45 degrees: a straight cylinder
  EXPECT_FLOAT_EQ(BeamFarRadius(beam), 0.004f);
}

}  // namespace
}  // namespace kv
