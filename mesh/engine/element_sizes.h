#pragma once
// Per-element sizes of the pre-processor's mesh (lengths, areas, volumes) and
// the thickness estimate of tetrahedra, which lets a solid mesh be treated
// like a shell of known gap.
//
// Both read the face records, so BuildFaceRecords and PairCoincidentFaces
// (common/geometry) must have run first.

#include "common/mesh/mesh_model.h"

namespace kv {

inline constexpr float kTetraThicknessMax = 0.005f;        // m, also the value without a boundary face
inline constexpr float kTetraThicknessMin = 0.001f;        // m, lower limit of the estimate
inline constexpr float kTetraProvisionalMin = 0.0001f;     // m, lower limit of the provisional value

// The element size step. Every element is marked visible, and
//  - a beam gets its length L (m), its centroid at the midpoint, its lateral
//    area pi D L (m^2) and its volume pi D^2 L / 4 (m^3), D its diameter;
//  - a triangle gets its unit normal (as for faces), its centroid, its area
//    and its volume = area x thickness;
//  - a tetrahedron gets its centroid, its volume, its boundary face (the
//    boundary face of largest area among its faces, -1 when it has none) and a
//    provisional thickness: half the distance from that face's plane to the
//    opposite node, limited to 0.0001..0.005 m (0.005 m without a boundary face).
// Elements whose node indices lie outside the node table keep their sizes.
void ComputeElementSizes(MeshModel& model);

// Thickness of every tetrahedron: d, the distance from the plane of its
// boundary face of largest area to the node of the element not on that face,
// limited to 0.001..0.005 m; 0.005 m when it has no boundary face.
void EstimateTetraThickness(MeshModel& model);

}  // namespace kv
