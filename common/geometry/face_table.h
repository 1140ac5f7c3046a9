#pragma once
// The faces of the element types and the face records derived from them.
//
// Face records are derived data: they are rebuilt from the elements after
// every read and repair, by both programs, with the same face order and the
// same normal convention (element_geometry.h), so that a face index and the
// sign of a face normal mean the same thing everywhere.

#include "common/mesh/mesh_model.h"

namespace kv {

// Faces of a tetrahedron (a, b, c, d), as element node positions:
// (a, b, c), (b, d, c), (c, d, a), (d, b, a). With the normal convention of
// element_geometry.h every normal points away from the opposite node when
// d lies on the side of (b - a) x (c - a).
inline constexpr int kTetrahedronFaces[4][3] = {{0, 1, 2}, {1, 3, 2}, {2, 3, 0}, {3, 1, 0}};

// Faces of a hexahedron (bottom 1-4, top 5-8), as element node positions.
inline constexpr int kHexahedronFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                               {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};

// Rebuilds model.faces from scratch and sets every element's face list.
// A triangle (a, b, c) gets one face (a, b, c); a tetrahedron gets its four
// faces in the order of kTetrahedronFaces. Other types, elements whose node
// count does not match their type and elements whose node indices lie outside
// the node table get none. Each face: unit normal (TriangleNormal), centroid
// the mean of its three nodes, area, owner the element (0-based), partner -1.
void BuildFaceRecords(MeshModel& model);

}  // namespace kv
