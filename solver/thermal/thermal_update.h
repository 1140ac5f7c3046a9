#pragma once
// The through-thickness thermal update of the filling solver.
//
// Every reached node carries a temperature profile over L + 1 points from its
// mid-plane (or runner axis) to the mold wall. Once per pass the profile is
// advanced by one time step of the heat equation across the gap, with two
// sources: heat carried in by the melt from upstream nodes, and viscous
// heating. The element tables follow from the node profiles.

#include <vector>

#include "common/mesh/mesh_model.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/state/solver_state.h"
#include "solver/thermal/material_model.h"

namespace kv {

// Conduction rows of one node column across its half-gap b (m), L layers,
// slab (kappa 0) or cylinder of radius b (kappa 1): points z_k = k b / L, each
// the centre of its cell (half cells at the mid-plane or axis and at the
// wall). Per unit of wall area for a slab and per radian of a cylinder:
//   capacity[k]  cell heat capacity, rho cp x cell size (J/(m^2 K)), with the
//                cell size the integral of r dr in a cylinder;
//   face[k]      conductance between points k and k + 1 (W/(m^2 K)), lambda
//                r / h in a cylinder; face[L] links the wall point to the node
//                wall temperature one spacing h = b / L beyond it through the
//                mold's conductivity;
//   wall_area    the wall's share of the cell units: 1 for a slab, b for a
//                cylinder, so that face[L] (T_L - T_wall) / wall_area is the
//                heat flux into the wall in W/m^2.
struct ColumnRows {
  double rho_cp = 0;               // J/(m^3 K) of the melt
  std::vector<double> capacity;    // L + 1 values
  std::vector<double> face;        // L + 1 values
  double wall_area = 1;
};
ColumnRows MakeColumnRows(int layers, double b, int kappa, const PolymerData& material);

// Advances every node profile by `dt` (s), the filling time since the last
// update, and refreshes the element temperature tables:
//   1. current profiles -> previous table; empty nodes take their node wall
//      temperature at every point; node wall heat set to 0;
//   2. per reached node: half-gap b (mean over its non-connector flow
//      elements; nodes with b = 0 are left as they are), curvature flag 1
//      where runners make up at least half of those elements;
//   3. the conduction rows of MakeColumnRows, the mold link of a filled node
//      through the depth sqrt(pi alpha_m t) of mold the heat has reached in
//      the time t since state.fill_time (at least one spacing; the update
//      covers [state.time - dt, state.time]), Crank-Nicolson across the melt
//      and fully implicit through the mold link, the step split in powers of
//      two until every row is monotone (all fully implicit past 4096
//      sub-steps); the tridiagonal rows factored once per column class;
//   4. sources: heat carried in by upstream melt along each layer (upwind,
//      from the velocity profiles of the filled elements across the faces of
//      the median-dual control volumes; dt split so that no layer takes in
//      more than its volume per split), the heat of the melt the last filled
//      nodes send on into their front neighbours (mixed across the gap), and
//      the viscous heating of the filled and front elements, tau^2 / eta
//      with the stress tau the pressure gradient sets;
//      a front node (fill state s < 1) conducts for the share s of the step,
//      rounded to eighths (its wall is wetted as far as it is filled; none
//      while s rounds to 0);
//   5. results limited to [node wall temperature, melt temperature + 100 K] and
//      stored into both node tables; node_wall_heat holds the heat the wall
//      link conducted into the mold (J per m^2 of wall);
//   6. element table = mean of the profiles of the element's nodes.
// Returns kTemperaturesUpdated, or kTemperaturesFailed when a factorisation
// failed or memory ran out (the profiles are then left as they were at step 1).
inline constexpr int kTemperaturesUpdated = 1;
inline constexpr int kTemperaturesFailed = 0;
int UpdateTemperatures(SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                       const PolymerData& material, float dt);

// Bulk temperature of one profile weighted by the parabolic velocity, sum w_k
// T_k / sum w_k with w_k = 1.5 - 1.5 zeta_k^2; T_0 when the weights sum to 0.
float BulkTemperatureOfProfile(const float* T, const std::vector<float>& zeta);

}  // namespace kv
