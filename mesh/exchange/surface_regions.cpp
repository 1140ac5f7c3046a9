// Surface regions of the Gmsh surface mesh: patches of facets bounded by outline edges.
#include <vector>

#include "mesh/engine/drawing_tables.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

constexpr double kRegionOutlineAngle = 50.0;  // degrees, the view's surface edges

}  // namespace

int LabelSurfaceRegions(MeshModel& model) {
  DrawingTables tables;
  BuildDrawingTables(model, DrawingOptions{}, tables);
  ClassifyOutlines(tables, model, kRegionOutlineAngle);
  for (FaceRecord& face : model.faces) face.region = 0;

  // Flood fill: take the first unvisited facet, give it the next region and
  // grow across sides that are not outlines to unvisited neighbours.
  std::vector<int> region(tables.facets.size(), 0);
  std::vector<int> stack;
  int regions = 0;
  for (size_t seed = 0; seed < tables.facets.size(); ++seed) {
    if (region[seed] != 0) continue;
    region[seed] = ++regions;
    stack.assign(1, static_cast<int>(seed));
    while (!stack.empty()) {
      const Facet& facet = tables.facets[stack.back()];
      stack.pop_back();
      for (int i = 0; i < facet.vertex_count; ++i) {
        const Line& side = tables.lines[facet.lines[i]];
        if (side.outline || side.twin < 0) continue;
        const int neighbour = tables.lines[side.twin].facet;
        if (region[neighbour] != 0) continue;
        region[neighbour] = regions;
        stack.push_back(neighbour);
      }
    }
  }
  for (size_t f = 0; f < tables.facets.size(); ++f) model.faces[tables.facets[f].face].region = region[f];
  return regions;
}

}  // namespace kv
