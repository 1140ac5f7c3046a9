#pragma once
// Mesh repair of the pre-processor: merging coincident nodes, removing
// degenerate and duplicated elements, contracting sliver elements, and a
// minimum thickness. The "Fix mesh" sequence of the three is in fix_mesh.h.
//
// Every coincidence search goes through the point octree. A failed search (a
// coordinate that is not a finite number) is reported by the return value and
// leaves the model exactly as it was; the caller tells the user.

#include "common/mesh/mesh_model.h"

namespace kv {

// Merges nodes closer than `distance` (m, compared strictly) and drops the
// nodes that no element uses.
//  1. Within each octree leaf, for each pair a < b closer than `distance`,
//     b maps to a unless b is mapped already (the map is not followed: when a
//     is itself mapped, b still maps to a).
//  2. Element node lists take the map targets; the nodes that some element
//     references are kept, in their old order, and renumbered densely
//     (element node lists and face records follow).
//  3. RemoveDegenerateElements runs on the result.
// The octree's straddle margin is widened to `distance` when that is larger
// than 1e-6 m, so that every pair closer than `distance` meets in some leaf.
//   nodes_removed: old node count - kept count (merged and unused nodes).
//   elements_removed: the count of RemoveDegenerateElements.
//   returns 1; 0 when `distance` or a node coordinate is not a finite number
//   (the model is unchanged and both counts are 0). A model without nodes
//   returns 1 with both counts 0.
int MergeCoincidentNodes(MeshModel& model, double distance, int& nodes_removed, int& elements_removed);

// Removes degenerate and duplicated elements:
//  - of two elements whose centroids lie closer than 1e-6 m, the earlier one
//    (the later one survives);
//  - elements naming a node outside the node table, naming a node twice, or
//    whose node count does not fit their type;
//  - tetrahedra, pyramids, prisms and hexahedra of volume below 1e-30 m^3.
// The survivors keep their order; paired element indices are renumbered and
// become -1 when they pointed to a removed element or outside the table.
// Centroids, face records and face pairs are rebuilt afterwards.
//   returns the number of elements removed (0 for an empty model), or -1 when
//   a centroid is not a finite number (no element is removed; only the
//   centroids are recomputed).
int RemoveDegenerateElements(MeshModel& model);

// Result of ElementAspectMeasure. Edge ends are 0-based node indices, -1 when
// no edge was found; positions are the face (index into model.faces) and the
// edge's first vertex within the face.
struct AspectMeasure {
  double measure = 0;              // 1 - shortest / longest
  double shortest = 1e30;          // m
  double longest = 1e-30;          // m
  int shortest_nodes[2] = {-1, -1};
  int longest_nodes[2] = {-1, -1};
  int shortest_face = -1, shortest_position = -1;
  int longest_face = -1, longest_position = -1;
};

// Aspect measure of element `element` (0-based) over the edges of its face
// records (consecutive face nodes, the last joined to the first): the
// shortest edge (strictly shorter than the best so far, from 1e30 m) and the
// longest (strictly longer, from 1e-30 m); measure = 1 - shortest/longest.
// An element without faces (or an index outside the table) keeps the start
// values, so its measure is about -1e60 and it has no edge.
AspectMeasure ElementAspectMeasure(const MeshModel& model, int element);

// Contracts sliver elements and isolated connectors:
//  1. in index order, an element whose aspect measure exceeds `threshold`
//     (the dialog offers 0.98) has both ends of its shortest edge moved to
//     their midpoint (later elements see the moved nodes);
//  2. a connector (a beam of category Connector) whose two nodes are used by
//     no element other than connectors has them moved to their midpoint
//     (triangles and solids of category 0, which merely lack a property, are
//     never collapsed and count as users of their nodes);
//  3. centroids are recomputed.
// The moved nodes coincide; MergeCoincidentNodes joins them and drops the
// collapsed elements.
void ContractElements(MeshModel& model, double threshold);

// Every property whose thickness is at most `thickness` (m) takes it; then
// every element with a valid property index takes its property's thickness
// (also where the element's thickness differed from its property's).
void ApplyMinimumThickness(MeshModel& model, double thickness);

}  // namespace kv
