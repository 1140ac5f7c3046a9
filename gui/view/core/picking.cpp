#include "gui/view/core/picking.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "common/geometry/constants.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

constexpr double kPlaneAngleDegrees = 2.0;  // Plane growth: normals closer than this

bool Inside(double x, double y, int x0, int y0, int x1, int y1) {
  return x >= std::min(x0, x1) && x <= std::max(x0, x1) && y >= std::min(y0, y1) && y <= std::max(y0, y1);
}

bool ProjectedInside(const ScreenProjection& view, const float p[3], int x0, int y0, int x1, int y1) {
  double w[3];
  return ProjectToWindow(view, p, w) && Inside(w[0], w[1], x0, y0, x1, y1);
}

// The facet across side `side` of facet `f`, -1 on a free edge.
int Neighbour(const DrawingTables& t, int f, int side, bool* outline) {
  const int line = t.facets[f].lines[side];
  *outline = true;
  if (line < 0 || line >= static_cast<int>(t.lines.size())) return -1;
  *outline = t.lines[line].outline != 0;
  const int twin = t.lines[line].twin;
  if (twin < 0 || twin >= static_cast<int>(t.lines.size())) return -1;
  return t.lines[twin].facet;
}

double NormalAngleDegrees(const Facet& a, const Facet& b) {
  const double dot = a.normal[0] * b.normal[0] + a.normal[1] * b.normal[1] + a.normal[2] * b.normal[2];
  return std::acos(std::clamp(dot, -1.0, 1.0)) * 180.0 / kPi;
}

// Breadth-first walk from `f`, marking every facet reached 's'.
void Walk(DrawingTables& t, int f, int pick_mode) {
  std::deque<int> queue = {f};
  t.facets[f].mark = 's';
  while (!queue.empty()) {
    const int g = queue.front();
    queue.pop_front();
    for (int side = 0; side < t.facets[g].vertex_count && side < 4; ++side) {
      bool outline = true;
      const int h = Neighbour(t, g, side, &outline);
      if (h < 0 || h >= static_cast<int>(t.facets.size()) || t.facets[h].mark != '?') continue;
      if (pick_mode != kPickShell && outline) continue;
      if (pick_mode == kPickPlane && std::fabs(NormalAngleDegrees(t.facets[h], t.facets[f])) >= kPlaneAngleDegrees)
        continue;
      t.facets[h].mark = 's';
      queue.push_back(h);
    }
  }
}

}  // namespace

bool ProjectToWindow(const ScreenProjection& view, const float p[3], double window[3]) {
  const double* m = view.modelview;
  const double* q = view.projection;
  const double in[4] = {p[0], p[1], p[2], 1.0};
  double eye[4], clip[4];
  for (int r = 0; r < 4; ++r) eye[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r] * in[3];
  for (int r = 0; r < 4; ++r) clip[r] = q[r] * eye[0] + q[4 + r] * eye[1] + q[8 + r] * eye[2] + q[12 + r] * eye[3];
  if (clip[3] == 0.0 || !std::isfinite(clip[3])) return false;
  const double nx = clip[0] / clip[3], ny = clip[1] / clip[3], nz = clip[2] / clip[3];
  window[0] = view.viewport[0] + (nx + 1) * 0.5 * view.viewport[2];
  const double up = view.viewport[1] + (ny + 1) * 0.5 * view.viewport[3];
  window[1] = view.viewport[3] - up;  // y downwards
  window[2] = (nz + 1) * 0.5;
  return std::isfinite(window[0]) && std::isfinite(window[1]);
}

void BuildVertexGrid(VertexGrid& grid, const MeshModel& model, const std::vector<unsigned char>& node_mask,
                     const ScreenProjection& view) {
  grid.cells.assign(kGridCells * kGridCells, {});
  const bool masked = node_mask.size() == model.nodes.size();
  const int w = view.viewport[2], h = view.viewport[3];
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    if (masked && !node_mask[i]) continue;
    const float p[3] = {model.nodes[i].x, model.nodes[i].y, model.nodes[i].z};
    double win[3];
    if (!ProjectToWindow(view, p, win)) continue;
    if (win[0] < 0 || win[0] > w || win[1] < 0 || win[1] > h) continue;
    const int row = static_cast<int>(win[1] * 0.1), column = static_cast<int>(win[0] * 0.1);
    if (row >= kGridCells || column >= kGridCells) continue;
    std::vector<VertexGridEntry>& cell = grid.cells[row * kGridCells + column];
    if (static_cast<int>(cell.size()) >= kGridCellEntries) continue;
    cell.push_back({static_cast<float>(win[0]), static_cast<float>(win[1]), static_cast<float>(win[2]),
                    static_cast<int>(i)});
  }
}

bool RefreshVertexGrid(VertexGrid& grid, const MeshModel& model, const std::vector<unsigned char>& node_mask,
                       const ScreenProjection& view, unsigned long model_revision) {
  const ScreenProjection& b = grid.built_for;
  const bool same_view = std::equal(b.modelview, b.modelview + 16, view.modelview) &&
                         std::equal(b.projection, b.projection + 16, view.projection) &&
                         std::equal(b.viewport, b.viewport + 4, view.viewport);
  if (grid.built && same_view && grid.built_revision == model_revision) return false;
  BuildVertexGrid(grid, model, node_mask, view);
  grid.built_for = view;
  grid.built_revision = model_revision;
  grid.built = true;
  return true;
}

int TrackHoveredNode(const VertexGrid& grid, int x, int y) {
  const int row = std::abs(y) / kGridCellPixels, column = std::abs(x) / kGridCellPixels;
  if (row >= kGridCells || column >= kGridCells || grid.cells.empty()) return -1;
  auto nearest_in = [&](int r, int c, double* best) {
    int found = -1;
    for (const VertexGridEntry& e : grid.cells[r * kGridCells + c]) {
      const double d = (e.x - x) * (e.x - x) + (e.y - y) * (e.y - y);
      if (d < *best) {
        *best = d;
        found = e.node;
      }
    }
    return found;
  };
  double best = 1e300;
  int node = nearest_in(row, column, &best);
  if (node >= 0) return node;
  // An empty cell: the nearest entry of its row and column, up to it.
  for (int c = 0; c < column; ++c)
    if (const int n = nearest_in(row, c, &best); n >= 0) node = n;
  for (int r = 0; r < row; ++r)
    if (const int n = nearest_in(r, column, &best); n >= 0) node = n;
  return node;
}

std::vector<int> FacetRegion(DrawingTables& tables, int f, int pick_mode) {
  std::vector<int> region;
  if (f < 0 || f >= static_cast<int>(tables.facets.size())) return region;
  for (Facet& facet : tables.facets) facet.mark = '?';
  Walk(tables, f, pick_mode);
  for (size_t i = 0; i < tables.facets.size(); ++i) {
    if (tables.facets[i].mark == 's') region.push_back(static_cast<int>(i));
    tables.facets[i].mark = '?';
  }
  return region;
}

void ApplyFacetPick(Selection& selection, DrawingTables& tables, int f, int pick_mode) {
  if (f < 0 || f >= static_cast<int>(tables.facets.size())) return;
  std::vector<int>& selected = selection.facets;
  const bool grows = pick_mode == kPickPlane || pick_mode == kPickSurface || pick_mode == kPickShell;
  for (Facet& facet : tables.facets) facet.mark = '?';
  const bool was_selected = std::binary_search(selected.begin(), selected.end(), f);
  if (was_selected) {
    if (!grows) {
      ToggleSorted(selected, f);
      return;
    }
    // The region the same walk selects from f, over every facet, leaves.
    const std::vector<int> region = FacetRegion(tables, f, pick_mode);
    std::vector<int> kept;
    std::set_difference(selected.begin(), selected.end(), region.begin(), region.end(), std::back_inserter(kept));
    selected.swap(kept);
    return;
  }
  InsertSorted(selected, f);
  if (!grows) return;
  for (int s : selected) tables.facets[s].mark = 's';
  tables.facets[f].mark = '?';
  Walk(tables, f, pick_mode);
  selected.clear();
  for (size_t i = 0; i < tables.facets.size(); ++i)
    if (tables.facets[i].mark == 's') selected.push_back(static_cast<int>(i));
}

namespace {

// Depth at (px, py) inside the projected triangle a, b, c, or false when the
// point lies outside it (edges included).
bool DepthInTriangle(const double a[3], const double b[3], const double c[3], double px, double py, double* depth) {
  const double d = (b[1] - c[1]) * (a[0] - c[0]) + (c[0] - b[0]) * (a[1] - c[1]);
  if (d == 0.0) return false;
  const double l1 = ((b[1] - c[1]) * (px - c[0]) + (c[0] - b[0]) * (py - c[1])) / d;
  const double l2 = ((c[1] - a[1]) * (px - c[0]) + (a[0] - c[0]) * (py - c[1])) / d;
  const double l3 = 1.0 - l1 - l2;
  constexpr double kEdge = -1e-9;
  if (l1 < kEdge || l2 < kEdge || l3 < kEdge) return false;
  *depth = l1 * a[2] + l2 * b[2] + l3 * c[2];
  return true;
}

}  // namespace

int PickFacetAt(const DrawingTables& tables, const ScreenProjection& view, int x, int y) {
  const double px = x + 0.5, py = y + 0.5;
  int best = -1;
  double best_depth = 0;
  for (size_t f = 0; f < tables.facets.size(); ++f) {
    const Facet& facet = tables.facets[f];
    const int count = facet.vertex_count == 4 ? 4 : 3;
    double w[4][3];
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) ok = ProjectToWindow(view, facet.vertices[i], w[i]);
    if (!ok) continue;
    for (int t = 0; t < count - 2; ++t) {  // a quadrangle as two triangles
      double depth = 0;
      if (!DepthInTriangle(w[0], w[t + 1], w[t + 2], px, py, &depth)) continue;
      if (best < 0 || depth < best_depth) {
        best = static_cast<int>(f);
        best_depth = depth;
      }
      break;
    }
  }
  return best;
}

int PickBeamAt(const DrawingTables& tables, const ScreenProjection& view, int x, int y) {
  const double px = x + 0.5, py = y + 0.5;
  int best = -1;
  double best_depth = 0;
  for (size_t b = 0; b < tables.beams.size(); ++b) {
    const Beam& beam = tables.beams[b];
    double a[3], e[3];
    if (!ProjectToWindow(view, beam.ends[0], a) || !ProjectToWindow(view, beam.ends[1], e)) continue;
    // The projected radius: a point one radius off the first end, sideways.
    const float side[3] = {beam.ends[0][0] + beam.radius, beam.ends[0][1], beam.ends[0][2]};
    const float up[3] = {beam.ends[0][0], beam.ends[0][1] + beam.radius, beam.ends[0][2]};
    double s1[3], s2[3];
    double radius = 2.0;
    if (ProjectToWindow(view, side, s1) && ProjectToWindow(view, up, s2))
      radius = std::max({radius, std::hypot(s1[0] - a[0], s1[1] - a[1]), std::hypot(s2[0] - a[0], s2[1] - a[1])});
    const double dx = e[0] - a[0], dy = e[1] - a[1];
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((px - a[0]) * dx + (py - a[1]) * dy) / length2, 0.0, 1.0) : 0.0;
    const double cx = a[0] + t * dx, cy = a[1] + t * dy;
    if (std::hypot(px - cx, py - cy) > radius) continue;
    const double depth = a[2] + t * (e[2] - a[2]);
    if (best < 0 || depth < best_depth) {
      best = static_cast<int>(b);
      best_depth = depth;
    }
  }
  return best;
}

void SelectInBox(Selection& selection, const MeshModel& model, const DrawingTables& tables,
                 const ScreenProjection& view, int pick_mode, int x0, int y0, int x1, int y1) {
  if (pick_mode == kPickVertex) {
    const bool masked = tables.node_mask.size() == model.nodes.size();
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      if (masked && !tables.node_mask[i]) continue;
      const float p[3] = {model.nodes[i].x, model.nodes[i].y, model.nodes[i].z};
      if (ProjectedInside(view, p, x0, y0, x1, y1)) selection.nodes.push_back(static_cast<int>(i));
    }
    return;
  }
  if (pick_mode == kPickLine) {
    selection.beams.clear();
    for (size_t b = 0; b < tables.beams.size(); ++b) {
      const Beam& beam = tables.beams[b];
      float mid[3];
      for (int k = 0; k < 3; ++k) mid[k] = 0.5f * (beam.ends[0][k] + beam.ends[1][k]);
      if (ProjectedInside(view, mid, x0, y0, x1, y1) && ProjectedInside(view, beam.ends[1], x0, y0, x1, y1))
        selection.beams.push_back(static_cast<int>(b));
    }
    return;
  }
  selection.facets.clear();
  for (size_t f = 0; f < tables.facets.size(); ++f) {
    const Facet& facet = tables.facets[f];
    float centroid[3];
    for (int k = 0; k < 3; ++k)
      centroid[k] = (facet.vertices[0][k] + facet.vertices[1][k] + facet.vertices[2][k]) / 3.0f;
    if (ProjectedInside(view, centroid, x0, y0, x1, y1) && ProjectedInside(view, facet.vertices[1], x0, y0, x1, y1) &&
        ProjectedInside(view, facet.vertices[2], x0, y0, x1, y1))
      selection.facets.push_back(static_cast<int>(f));
  }
}

}  // namespace kv
