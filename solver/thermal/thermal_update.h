#pragma once
// The through-thickness thermal update of the filling solver.
//
// Every reached node carries a temperature profile over L + 1 points from its
// mid-plane (or runner axis) to the mold wall. Once per pass the profile is
// advanced by one time step of the heat equation across the gap, with two
// sources: heat carried in by the melt from upstream nodes, and viscous
// heating. The element tables follow from the node profiles.

#include "common/mesh/mesh_model.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/state/solver_state.h"
#include "solver/thermal/material_model.h"

namespace kv {

// Advances every node profile by `dt` (s) and refreshes the element
// temperature tables. Steps:
//   1. current profiles -> previous table; empty nodes take their node wall
//      temperature at every point;
//   2. per reached node: half-gap b (mean over its non-connector flow
//      elements; nodes with b = 0 are left as they are), multiplier m = 1,
//      curvature flag 1 where runners make up at least half of those
//      elements, and the source (see the .cpp);
//   3. a = m dt' alpha / dz^2 (mold diffusivity at the wall point), c = kappa
//      dt' alpha / (dz z_k), dz = b / (L + 1), z_k = (k + 1) dz;
//   4. dt is split into dt' so that the rows stay monotone (a + c/2 <= 1) and
//      the convective Courant number stays at or below 1; where the Fourier
//      number m dt' alpha_mold / (dzeta_L b)^2 is at least 0.5: Crank-Nicolson
//      rows solved by sparse LU, one factorisation per distinct (b, kappa,
//      sub-step) reused for every node that shares it; below 0.5: the explicit
//      form of the same rows with as many sub-steps as keep it monotone;
//   5. results limited to [node wall temperature, melt temperature + 100 K] and
//      stored into both node tables;
//   6. element table = mean of the profiles of the element's nodes.
// Returns 1, or 0 when the sparse factorisation failed or memory ran out (the
// profiles are then left as they were at step 1).
int UpdateTemperatures(SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                       const PolymerData& material, float dt);

// Bulk temperature of one profile weighted by the parabolic velocity, sum w_k
// T_k / sum w_k with w_k = 1.5 - 1.5 zeta_k^2; T_0 when the weights sum to 0.
float BulkTemperatureOfProfile(const float* T, const std::vector<float>& zeta);

}  // namespace kv
