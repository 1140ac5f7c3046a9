#pragma once
// Derived topology of the pre-processor's mesh: element centroids, the face
// records of triangles and tetrahedra, and the pairing of coincident faces.
//
// Face records are derived data: they are rebuilt from the elements after
// every read and repair (see rebuild.h for the order of the steps).

#include "common/mesh/mesh_model.h"

namespace kv {

// Every element's centroid becomes the plain average of its node coordinates
// (all seven types). Node indices outside the node table are left out of the
// average; an element with no valid node gets (0, 0, 0).
void ComputeCentroids(MeshModel& model);

// Rebuilds model.faces from scratch and sets every element's face list.
// A triangle (a, b, c) gets one face (a, b, c); a tetrahedron (a, b, c, d)
// gets four, in this order: (a, b, c), (b, d, c), (c, d, a), (d, b, a). Other
// types, and elements whose node indices lie outside the node table, get
// none. Each face: unit normal (p3 - p1) x (p2 - p1) (or (1, 0, 0) when
// degenerate), centroid the mean of its three nodes, area, owner the element
// (0-based), partner -1.
void BuildFaceRecords(MeshModel& model);

// Pairs coincident faces through the point octree over the face centroids:
// within each leaf, each face i still unpaired takes the first later face j
// of the leaf that is still unpaired, has the same node count, belongs to an
// element of the same type, and whose centroid lies closer than 1e-6 m; i and
// j become each other's partner. Faces left with partner -1 are the boundary.
// Faces whose owner is outside the element table are never paired.
//   returns 1 (also when there are fewer than two faces), or 0 when a face
//   centroid is not a finite number; no partner is changed then.
int PairCoincidentFaces(MeshModel& model);

}  // namespace kv
