#pragma once
// Element geometry of the pre-processor's mesh: distances, triangle normals
// and areas, and the volumes of the four solid element types.
//
// Inputs are the model's 32-bit node coordinates (m); the arithmetic runs in
// double and callers store the results in the model's float fields. Volumes
// are absolute values, so the node order (orientation) of an element does not
// change them.

#include "common/mesh/mesh_model.h"

namespace kv {

inline constexpr double kPi = 3.1415927;   // the value of pi used for beam areas and volumes

// Euclidean distance |b - a| (m).
double PointDistance(const Node& a, const Node& b);

// Unit normal of the triangle p1 p2 p3: (p3 - p1) x (p2 - p1) scaled to unit
// length, or (1, 0, 0) when that cross product is shorter than 1e-12.
//   normal: receives the three components.
//   returns the length of the cross product (twice the area).
double TriangleNormal(const Node& p1, const Node& p2, const Node& p3, float normal[3]);

// Area of the triangle p1 p2 p3 (m^2): half the absolute value of the unit
// normal dotted with the sum of the cross products of consecutive vertices,
// that sum taken relative to p1 ((p2 - p1) x (p3 - p1), the same vector) so
// that models far from the origin keep their precision.
double TriangleArea(const Node& p1, const Node& p2, const Node& p3);

// Tetrahedron volume |det(p2 - p1, p3 - p1, p4 - p1)| / 6 (m^3), never negative.
double TetrahedronVolume(const Node& p1, const Node& p2, const Node& p3, const Node& p4);

// Pyramid volume (m^3), base p[0..3], apex p[4]: the tetrahedra (1 2 4 5)
// and (2 3 4 5) added.
double PyramidVolume(const Node p[5]);

// Prism volume (m^3), ends p[0..2] and p[3..5]: half the sum of the six
// tetrahedra (1 2 3 6), (2 4 5 6), (1 2 4 6), (1 2 3 4), (2 4 5 3), (4 5 6 3).
double PrismVolume(const Node p[6]);

// Hexahedron volume (m^3), nodes p[0..7] (bottom 1-4, top 5-8): the sum of
// the twelve tetrahedra formed by the centroid and the two triangles of each
// of the six faces (each face split along its diagonal from its first node).
double HexahedronVolume(const Node p[8]);

// Copies the coordinates of the element's nodes into `p` (element order).
// Returns false, leaving `p` partly filled, when the node count is outside
// 0..8 or some node index lies outside the node table.
bool GatherElementNodes(const MeshModel& model, const Element& element, Node p[kMaxElementNodes]);

// Volume of a tetrahedron, pyramid, prism or hexahedron (m^3) by the routines
// above; 0 for the other types and for elements whose nodes cannot be
// gathered or whose node count does not match their type.
double SolidElementVolume(const MeshModel& model, const Element& element);

}  // namespace kv
