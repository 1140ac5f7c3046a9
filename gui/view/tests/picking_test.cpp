// Picking without a display: the growth rules of Plane, Surface and Shell on
// plates meeting at 1, 3 and 90 degrees, box selection, and the vertex grid.
#include "gui/view/core/picking.h"

#include <cmath>

#include <gtest/gtest.h>

#include "gui/view/core/view_settings.h"
#include "mesh/engine/rebuild.h"

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

// The grid is refilled when the view or the model changed, and only then.
TEST(Picking, VertexGridFollowsViewAndModelChanges) {
  Plates p;
  VertexGrid grid;
  ScreenProjection v = TopView();
  EXPECT_TRUE(RefreshVertexGrid(grid, p.model, {}, v, 1));
  EXPECT_EQ(TrackHoveredNode(grid, 300, 100), 2);       // node 3 at (1, 1)
  EXPECT_FALSE(RefreshVertexGrid(grid, p.model, {}, v, 1));
  // Panned by 0.5 to the right: node 3 is seen 50 pixels further right.
  v.modelview[12] = 0.5;
  EXPECT_TRUE(RefreshVertexGrid(grid, p.model, {}, v, 1));
  EXPECT_EQ(TrackHoveredNode(grid, 350, 100), 2);
  EXPECT_FALSE(RefreshVertexGrid(grid, p.model, {}, v, 1));
  // A wider window shows the same model at other pixels.
  v.viewport[2] = 800;
  EXPECT_TRUE(RefreshVertexGrid(grid, p.model, {}, v, 1));
  // Node 3 moved by a command (a new revision), same view: found at its new place.
  v.viewport[2] = 400;
  p.model.nodes[2] = {1, 1.5f, 0};
  EXPECT_TRUE(RefreshVertexGrid(grid, p.model, {}, v, 2));
  EXPECT_EQ(TrackHoveredNode(grid, 350, 50), 2);
  // Hidden by the mask of a new revision: no longer hovered.
  std::vector<unsigned char> mask(p.model.nodes.size(), 1);
  mask[2] = 0;
  EXPECT_TRUE(RefreshVertexGrid(grid, p.model, mask, v, 3));
  EXPECT_NE(TrackHoveredNode(grid, 350, 50), 2);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(Picking, ClickPicksTheNearestDrawnFacetAndBeam) {
  Plates p;
  ScreenProjection v = TopView();
  // From above (looking down -z, nearer means larger z): over plate A.
  EXPECT_EQ(p.tables.facets[PickFacetAt(p.tables, v, 260, 170)].element, 0);
  EXPECT_EQ(p.tables.facets[PickFacetAt(p.tables, v, 220, 120)].element, 1);
  EXPECT_EQ(p.tables.facets[PickFacetAt(p.tables, v, 150, 150)].element / 2, 2);  // plate C
  EXPECT_EQ(PickFacetAt(p.tables, v, 10, 10), -1);
  // Seen from the side (x towards the viewer), plate B hides plate A's edge.
  ScreenProjection side = v;
  // Eye looks down -x: eye x = y, eye y = z, eye z = x.
  const double m[16] = {0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  std::copy(m, m + 16, side.modelview);
  const int f = PickFacetAt(p.tables, side, 260, 170);  // y = 0.6, z = 0.3
  ASSERT_GE(f, 0);
  EXPECT_EQ(p.tables.facets[f].element / 2, 1);  // plate B, at x = 1, nearest

  // Two stacked triangles: the upper one is hit, whichever comes first.
  for (float lower : {0.0f, 1.0f}) {
    MeshModel stack;
    stack.nodes = {{0, 0, lower}, {1, 0, lower}, {0, 1, lower}, {0, 0, 1 - lower}, {1, 0, 1 - lower}, {0, 1, 1 - lower}};
    for (int k = 0; k < 2; ++k) {
      Element e;
      e.type = kTriangle;
      e.node_count = 3;
      e.nodes[0] = 3 * k, e.nodes[1] = 3 * k + 1, e.nodes[2] = 3 * k + 2;
      e.category = kPartSurface;
      stack.elements.push_back(e);
    }
    RebuildAfterRead(stack);
    DrawingTables st;
    BuildDrawingTables(stack, DrawingOptions{}, st);
    const int hit = PickFacetAt(st, v, 210, 190);
    ASSERT_GE(hit, 0);
    EXPECT_EQ(st.facets[hit].element, lower == 0.0f ? 1 : 0);
  }

  // A beam along x at y = 1.5.
  MeshModel m2 = p.model;
  m2.nodes.push_back({-1, 1.5f, 0});
  m2.nodes.push_back({1, 1.5f, 0});
  Element beam;
  beam.type = kBeam;
  beam.node_count = 2;
  beam.nodes[0] = 10;
  beam.nodes[1] = 11;
  beam.category = kColdRunner;
  beam.diameter = 0.01f;
  m2.elements.push_back(beam);
  RebuildAfterRead(m2);
  DrawingTables t;
  BuildDrawingTables(m2, DrawingOptions{}, t);
  ASSERT_EQ(t.beams.size(), 1u);
  EXPECT_EQ(PickBeamAt(t, v, 250, 49), 0);   // y = 1.5 projects to 50
  EXPECT_EQ(PickBeamAt(t, v, 250, 60), -1);  // 10 pixels off a 1-pixel beam
}

}  // namespace
}  // namespace kv
