#pragma once
// Kinematics of the melt: the gap-averaged velocity of every filled element,
// the velocity profile across its gap and the shear rate at every grid point.

#include "common/mesh/mesh_model.h"
#include "solver/state/solver_state.h"

namespace kv {

// Recomputes, for every active flow element whose nodes are all filled, from
// the nodal pressures and the element fluidity S:
//   - the average velocity (m/s, global axes, each component limited to
//     [-1, 1]): runners u = -(S/R) dp/ds along the axis from node 1 to node 2;
//     triangles -(S/b) grad p in the triangle's plane (local coordinates of the
//     mesh preparation); tetrahedra -S grad p of the linear pressure field;
//   - the profile across the gap at every grid point z = zeta_k b:
//     runners P_k = 2 S g (z^2 - R^2) / R^3, triangles P_k = 1.5 S g (z^2 - b^2)
//     / b^3 per in-plane component (limited to [-1, 1]), so that the mean of
//     the profile over the gap (area-weighted for the pipe) is the average
//     velocity; zero at frozen points (viscosity within 1 of 100000);
//   - the shear rate: 0 at the mid-plane, |P_k - P_(k-1)| / (dzeta_k b) outwards
//     (the two in-plane components combined for triangles).
// Elements that are not filled keep their previous values.
void UpdateKinematics(SolverState& state, const MeshModel& mesh);

// Pressure gradient of a runner or triangle from its nodal pressures (Pa/m):
// along a runner's axis from node 1 to node 2 (*gy = 0), or in a triangle's
// local frame of the mesh preparation (x along node 1 -> node 2). False, with
// both 0, for other categories and degenerate elements.
bool ElementPressureGradient(const SolverState& state, const Element& element, double* gx, double* gy);

}  // namespace kv
