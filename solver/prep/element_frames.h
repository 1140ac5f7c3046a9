#pragma once
// Frames and shape-function gradients of single elements, from the node
// coordinates alone: the local frame the mesh preparation gives a triangle,
// and the gradients the kinematics and the conductance of a tetrahedron use.

#include "common/mesh/mesh_model.h"

namespace kv {

// Vector d from node `from` to node `to` (m).
void NodeDifference(const MeshModel& mesh, int from, int to, double d[3]);

// Local frame of a triangle: unit vectors e1 along node 1 -> node 2 and e2 in
// the triangle's plane towards node 3. False for a degenerate triangle.
bool TriangleFrame(const MeshModel& mesh, const Element& element, double e1[3], double e2[3]);

// Gradient vectors of the four linear shape functions of a tetrahedron times
// 6V (cofactor vectors g_i) and its signed volume V (m^3).
void TetrahedronGradients(const MeshModel& mesh, const Element& element, double g[4][3],
                          double* volume);

}  // namespace kv
