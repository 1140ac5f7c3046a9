#pragma once
// Mesh statistics of the pre-processor (Query > Statistics, and quietly after
// imports, project loads and property assignments).

#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// Computes the model's total volume and stores it in model.total_volume (m^3).
// Each element adds: a beam pi D^2 / 4 times its length, a triangle its area
// times its thickness, a quadrilateral the area of its triangles (1 2 3) and
// (1 3 4) times its thickness, a solid its volume.
// With verbose true the Output pane gets, in order: "Number of nodes: %d",
// "Number of faces: %d", "Number of elements: %d", the counts of beams,
// triangles, quadrangles, tetrahedra, pyramids, prisms and hexahedra, and
// "Total volume: %.4e m^3" (three exponent digits). Whatever verbose is, the
// line "Warning: element(s) with zero volume!" follows when some element of a
// category other than Connector and Part dual surface has a volume of exactly
// 0 (elements whose node indices lie outside the node table count as 0).
//   returns the total volume (m^3).
double PrintStatistics(MeshModel& model, bool verbose);

// Prints "Number of selected facets: %d" with the size of the selection.
//   selected_facets: face record indices (0-based) of the current selection.
void PrintSelectedFacetCount(const std::vector<int>& selected_facets);

}  // namespace kv
