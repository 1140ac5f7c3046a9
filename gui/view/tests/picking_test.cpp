// Picking without a display: the growth rules of Plane, Surface and Shell on
// plates meeting at 1, 3 and 90 degrees, box selection, and the vertex grid.
#include "gui/view/core/picking.h"

#include <cmath>

#include <gtest/gtest.h>

#include "gui/mesh/rebuild.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

// Plate A (elements 1, 2) in z = 0 over [0,1]^2; plate C (5, 6) joined at
// x = 0, tilted 1 degree; plate E (7, 8) joined at y = 0, tilted 3 degrees;
// plate B (3, 4) standing at x = 1, at 90 degrees.
MeshModel BentPlates() {
  const float zc = std::tan(1.0f * 3.14159265f / 180.0f), ze = std::tan(3.0f * 3.14159265f / 180.0f);
  MeshModel m;
  m.properties = {ElementProperty{1, kPartSurface, "Part surface", 0.002f, 0, 0}};
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 1},
             {1, 1, 1}, {-1, 0, zc}, {-1, 1, zc}, {0, -1, ze}, {1, -1, ze}};
  const int triangles[8][3] = {{0, 1, 2}, {0, 2, 3}, {1, 4, 5}, {1, 5, 2}, {6, 0, 3}, {6, 3, 7}, {8, 9, 1}, {8, 1, 0}};
  for (const auto& t : triangles) {
    Element e;
    e.type = kTriangle;
    e.node_count = 3;
    for (int i = 0; i < 3; ++i) e.nodes[i] = t[i];
    e.property = 0;
    e.category = kPartSurface;
    e.thickness = 0.002f;
    m.elements.push_back(e);
  }
  RebuildAfterRead(m);
  return m;
}

struct Plates {
  MeshModel model = BentPlates();
  DrawingTables tables;
  Selection selection;
  Plates() {
    BuildDrawingTables(model, DrawingOptions{}, tables);
    ClassifyOutlines(tables, model, kOutlineAngle);
  }
  // The elements (0-based) of the selected facets.
  std::vector<int> Elements() const { return SelectedElements(selection, tables); }
  int FacetOf(int element) const {
    for (size_t f = 0; f < tables.facets.size(); ++f)
      if (tables.facets[f].element == element) return static_cast<int>(f);
    return -1;
  }
};

// Orthographic view of [-2, 2]^2 in a 400 x 400 window, looking down z.
ScreenProjection TopView() {
  ScreenProjection v;
  v.projection[0] = 0.5;
  v.projection[5] = 0.5;
  v.projection[10] = -0.5;
  v.viewport[2] = 400;
  v.viewport[3] = 400;
  return v;
}

TEST(Picking, PlaneSurfaceAndShellGrowth) {
  Plates p;
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(0), kPickPlane);
  EXPECT_EQ(p.Elements(), (std::vector<int>{0, 1, 4, 5}));  // stops at 3 and 90 degrees
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(1), kPickPlane);  // selected: its plane leaves
  EXPECT_TRUE(p.selection.facets.empty());
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(0), kPickSurface);
  EXPECT_EQ(p.Elements(), (std::vector<int>{0, 1, 4, 5, 6, 7}));  // stops at the outline edge
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(2), kPickFacet);  // one facet more
  EXPECT_EQ(p.Elements().size(), 7u);
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(2), kPickFacet);  // and off again
  EXPECT_EQ(p.Elements().size(), 6u);
  ClearSelection(p.selection);
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(3), kPickShell);
  EXPECT_EQ(p.Elements().size(), 8u);
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(6), kPickShell);  // the whole sheet leaves
  EXPECT_TRUE(p.selection.facets.empty());
  // Invert takes every facet not selected.
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(0), kPickFacet);
  InvertSelection(p.selection, p.tables);
  EXPECT_EQ(p.selection.facets.size(), 7u);
}

TEST(Picking, HiddenCategoriesAreNeverPicked) {
  Plates p;
  p.model.elements[2].category = kMoldSurface;  // plate B belongs to the mold
  p.model.elements[3].category = kMoldSurface;
  ViewCategories shown;
  shown.mold = false;
  RefreshVisibility(p.model, shown);
  BuildDrawingTables(p.model, DrawingOptions{}, p.tables);
  ClassifyOutlines(p.tables, p.model, kOutlineAngle);
  ApplyFacetPick(p.selection, p.tables, p.FacetOf(0), kPickShell);
  EXPECT_EQ(p.Elements(), (std::vector<int>{0, 1, 4, 5, 6, 7}));
  // A box over everything takes no hidden facet and no node of a hidden
  // element (nodes 2 and 3 are on plate B's foot).
  SelectInBox(p.selection, p.model, p.tables, TopView(), kPickFacet, 0, 0, 400, 400);
  EXPECT_EQ(p.Elements(), (std::vector<int>{0, 1, 4, 5, 6, 7}));
  SelectInBox(p.selection, p.model, p.tables, TopView(), kPickVertex, 0, 0, 400, 400);
  EXPECT_EQ(p.selection.nodes, (std::vector<int>{0, 3, 6, 7, 8, 9}));
  // Over node 3 the grid's cell is empty: the nearest pickable node of the
  // row is node 4 at (0, 1, 0).
  VertexGrid grid;
  BuildVertexGrid(grid, p.model, p.tables.node_mask, TopView());
  EXPECT_EQ(TrackHoveredNode(grid, 300, 100), 3);
}

TEST(Picking, BoxesReplaceFacetsAndAddNodes) {
  Plates p;
  const ScreenProjection v = TopView();
  double w[3];
  const float corner[3] = {1, 1, 0};
  ASSERT_TRUE(ProjectToWindow(v, corner, w));
  EXPECT_DOUBLE_EQ(w[0], 300);
  EXPECT_DOUBLE_EQ(w[1], 100);
  // Plate A from above: x 200..300, y 100..200 (borders included).
  SelectInBox(p.selection, p.model, p.tables, v, kPickFacet, 300, 200, 200, 100);
  EXPECT_EQ(p.Elements(), (std::vector<int>{0, 1, 2, 3}));  // B stands on A's edge: seen edge-on inside
  SelectInBox(p.selection, p.model, p.tables, v, kPickFacet, 100, 100, 200, 200);
  EXPECT_EQ(p.Elements(), (std::vector<int>{4, 5}));  // replaced by plate C
  SelectInBox(p.selection, p.model, p.tables, v, kPickVertex, 100, 100, 200, 200);
  SelectInBox(p.selection, p.model, p.tables, v, kPickVertex, 195, 195, 205, 205);
  EXPECT_EQ(p.selection.nodes, (std::vector<int>{0, 3, 6, 7, 0}));  // added, node 1 twice
}

TEST(Picking, VertexGridHoverAndFullCells) {
  Plates p;
  VertexGrid grid;
  const ScreenProjection v = TopView();
  BuildVertexGrid(grid, p.model, {}, v);
  EXPECT_EQ(TrackHoveredNode(grid, 301, 101), 2);  // nodes 3 and 6 coincide on screen: the first wins
  EXPECT_EQ(TrackHoveredNode(grid, 205, 395), 8);  // empty cell: the nearest of its column above
  EXPECT_EQ(TrackHoveredNode(grid, 2005, 10), -1);
  // More than 19 nodes in one cell: the extra ones cannot be hovered.
  MeshModel crowd;
  for (int i = 0; i < 25; ++i) crowd.nodes.push_back(Node{0.001f * i, 0, 0});
  BuildVertexGrid(grid, crowd, {}, v);
  EXPECT_EQ(grid.cells[20 * kGridCells + 20].size(), 19u);
  EXPECT_EQ(TrackHoveredNode(grid, 210, 200), 18);
}

}  // namespace
}  // namespace kv
