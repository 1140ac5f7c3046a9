#pragma once
// Element geometry shared by the pre-processor and the solver: distances,
// triangle normals and areas, the local frame of a triangle, tetrahedron
// volumes and shape-function gradients, the volumes of the other solids, and
// element centroids.
//
// Inputs are the model's 32-bit node coordinates (m); the arithmetic runs in
// double on coordinate differences and callers store the results in the
// model's float fields. Volumes are absolute values, so the node order
// (orientation) of an element does not change them.
//
// Normal convention: the normal of a triangle p1 p2 p3 is (p3 - p1) x (p2 - p1),
// the side from which the nodes run clockwise. Every face record and every
// triangle element carries a normal of this sign.

#include "common/geometry/vec3.h"
#include "common/mesh/mesh_model.h"

namespace kv {

// Euclidean distance |b - a| (m).
double PointDistance(const Node& a, const Node& b);

// Unit normal of the triangle p1 p2 p3: (p3 - p1) x (p2 - p1) scaled to unit
// length, or (1, 0, 0) when that cross product is shorter than 1e-12.
//   normal: receives the three components.
//   returns the length of the cross product (twice the area).
double TriangleNormal(const Node& p1, const Node& p2, const Node& p3, float normal[3]);

// Area of the triangle p1 p2 p3 (m^2): half the length of (p2 - p1) x (p3 - p1),
// the cross product taken relative to p1 so that models far from the origin
// keep their precision. Never negative; 0 for a degenerate triangle.
double TriangleArea(const Vec3& p1, const Vec3& p2, const Vec3& p3);
double TriangleArea(const Node& p1, const Node& p2, const Node& p3);

// Distance (m) from `point` to the plane through `on_plane` with unit normal
// `normal`: |(point - on_plane) . normal|.
double DistanceToPlane(const float normal[3], const Node& on_plane, const Node& point);

// Local frame of a triangle element: unit vectors e1 along node 1 -> node 2
// and e2 in the triangle's plane towards node 3, orthogonal to e1. False for
// a degenerate triangle (e1, e2 then undefined).
bool TriangleFrame(const MeshModel& mesh, const Element& element, double e1[3], double e2[3]);

// Tetrahedron volume |det(p2 - p1, p3 - p1, p4 - p1)| / 6 (m^3), never negative.
double TetrahedronVolume(const Node& p1, const Node& p2, const Node& p3, const Node& p4);

// Gradient vectors of the four linear shape functions of a tetrahedron
// element times 6V (the cofactor vectors g_i), and its signed volume V (m^3),
// positive when node 4 lies on the side of (node 2 - node 1) x (node 3 - node 1).
void TetrahedronGradients(const MeshModel& mesh, const Element& element, double g[4][3], double* volume);

// Pyramid volume (m^3), base p[0..3], apex p[4]: the tetrahedra (1 2 4 5)
// and (2 3 4 5) added.
double PyramidVolume(const Node p[5]);

// Prism volume (m^3), ends p[0..2] and p[3..5]: half the sum of the six
// tetrahedra (1 2 3 6), (2 4 5 6), (1 2 4 6), (1 2 3 4), (2 4 5 3), (4 5 6 3).
double PrismVolume(const Node p[6]);

// Hexahedron volume (m^3), nodes p[0..7] (bottom 1-4, top 5-8): the sum of
// the twelve tetrahedra formed by the centroid and the two triangles of each
// of the six faces of the face table (each face split along its diagonal
// from its first node).
double HexahedronVolume(const Node p[8]);

// Copies the coordinates of the element's nodes into `p` (element order).
// Returns false, leaving `p` partly filled, when the node count is outside
// 0..8 or some node index lies outside the node table.
bool GatherElementNodes(const MeshModel& model, const Element& element, Node p[kMaxElementNodes]);

// Volume of a tetrahedron, pyramid, prism or hexahedron (m^3) by the routines
// above; 0 for the other types and for elements whose nodes cannot be
// gathered or whose node count does not match their type.
double SolidElementVolume(const MeshModel& model, const Element& element);

// Mean of `count` points (the centroid of an element or face from its nodes):
// their sum divided by the count; (0, 0, 0) when the count is not positive.
Vec3 MeanPoint(const Vec3* points, int count);

// Every element's centroid becomes the plain average of its node coordinates
// (all seven types). Node indices outside the node table are left out of the
// average; an element with no valid node gets (0, 0, 0).
void ComputeCentroids(MeshModel& model);

}  // namespace kv
