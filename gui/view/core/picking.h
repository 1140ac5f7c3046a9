#pragma once
// Picking without a display: projecting nodes to the window, the vertex pick
// grid and the hovered node, the facet rule with its Plane, Surface and Shell
// region walks, and box selection. The OpenGL view supplies the matrices it
// draws with; everything else works on the drawing tables and the selection.
// Window coordinates have y downwards (0 at the top), as mouse events give.

#include <vector>

#include "common/mesh/mesh_model.h"
#include "gui/view/core/selection.h"
#include "mesh/engine/drawing_tables.h"

namespace kv {

// The transforms of the drawn frame, as OpenGL holds them (column-major).
struct ScreenProjection {
  double modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  double projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  int viewport[4] = {0, 0, 0, 0};   // x, y, width, height (pixels)
};

// Window position of model point `p`: x to the right, y downwards from the
// top of the viewport, depth 0..1. False when the point cannot be projected.
bool ProjectToWindow(const ScreenProjection& view, const float p[3], double window[3]);

inline constexpr int kGridCells = 200;       // cells per row and column
inline constexpr int kGridCellPixels = 10;   // cell side (pixels)
inline constexpr int kGridCellEntries = 19;  // nodes kept per cell

struct VertexGridEntry {
  float x = 0, y = 0, depth = 0;  // window position
  int node = -1;
};

// Screen-space grid of projected nodes: cell (row, column) holds the nodes
// that project into its 10 x 10 pixels, at most 19; further ones are dropped.
struct VertexGrid {
  std::vector<std::vector<VertexGridEntry>> cells;  // kGridCells x kGridCells, row-major
  // What the cells were filled from (RefreshVertexGrid): the frame's
  // transforms and the revision of the model's nodes and visibility.
  ScreenProjection built_for;
  unsigned long built_revision = 0;
  bool built = false;
};

// Refills the grid with every node whose mask entry is 1 (nodes of hidden
// elements are not pickable; a mask of another size allows every node) and
// whose projection lies inside the viewport.
void BuildVertexGrid(VertexGrid& grid, const MeshModel& model, const std::vector<unsigned char>& node_mask,
                     const ScreenProjection& view);

// Refills the grid (BuildVertexGrid) only when it was filled for other
// transforms (the view changed: rotation, pan, zoom, window size) or another
// `model_revision` (the caller's count of changes to the nodes, the elements
// or their visibility). Returns true when it refilled. Hovering and clicking
// then look nodes up without projecting the whole model again.
bool RefreshVertexGrid(VertexGrid& grid, const MeshModel& model, const std::vector<unsigned char>& node_mask,
                       const ScreenProjection& view, unsigned long model_revision);

// The node under window point (x, y): the entry nearest to the point in its
// cell; when that cell is empty, the nearest entry among the cells of the
// same row and column and the ones before them. -1 when none, or when the
// point lies outside the grid.
int TrackHoveredNode(const VertexGrid& grid, int x, int y);

// The facet rule of a click on facet `f` (pick modes 2 Facet .. 5 Shell): a
// selected facet is removed (Plane, Surface, Shell: with its region); an
// unselected one is added (with its region). The facet marks are used.
void ApplyFacetPick(Selection& selection, DrawingTables& tables, int f, int pick_mode);

// The facets reached from `f` by the walk of `pick_mode` (3 Plane: across
// non-outline sides to facets within 2 degrees of f's plane; 4 Surface:
// across non-outline sides; 5 Shell: across every shared side), `f`
// included, ascending, whatever the selection. The marks end as '?'.
std::vector<int> FacetRegion(DrawingTables& tables, int f, int pick_mode);

// The facet drawn at window pixel (x, y): among the facets whose projected
// triangles (quadrangles: two triangles) contain the pixel's centre, the
// nearest to the viewer; the first in table order on equal depth. -1 when
// none. Only the tables' facets (visible elements) can be hit.
int PickFacetAt(const DrawingTables& tables, const ScreenProjection& view, int x, int y);

// The beam drawn at window pixel (x, y): among the beams whose projected
// axis passes within their projected radius (at least 2 pixels) of the
// pixel's centre, the nearest to the viewer; -1 when none.
int PickBeamAt(const DrawingTables& tables, const ScreenProjection& view, int x, int y);

// Box selection between window points (x0, y0) and (x1, y1), border included:
// Vertex (0) appends every pickable node inside; Line (1) replaces the beams
// by those whose midpoint and second end are inside; the facet modes replace
// the facets by those whose centroid of the first three vertices and whose
// second and third vertices are inside.
void SelectInBox(Selection& selection, const MeshModel& model, const DrawingTables& tables,
                 const ScreenProjection& view, int pick_mode, int x0, int y0, int x1, int y1);

}  // namespace kv
