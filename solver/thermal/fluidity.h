#pragma once
// Element fluidity: the through-thickness integral of z^2 / eta (z^3 / eta for
// runners) that turns a pressure gradient into a flow.

#include "common/mesh/mesh_model.h"
#include "solver/state/solver_state.h"

namespace kv {

// Fluidity S of element `e` from its viscosity table by the trapezoid rule over
// the grid, starting from 1e-20 and skipping intervals with a non-positive end
// viscosity:
//   runners (categories 0, 1, 2, 9), R = diameter / 2:
//     S = [1e-20 + sum R dzeta_k (1/2)((R zeta_(k-1))^3 / eta_(k-1) + (R zeta_k)^3 / eta_k)] / (2R)
//     (m^3 / (Pa s); the mean velocity is -(S/R) dp/ds);
//   part surface (10) and dual surface (11) with b = ElementHalfGap:
//     S = 1e-20 + sum b dzeta_k (1/2)((b zeta_(k-1))^2 / eta_(k-1) + (b zeta_k)^2 / eta_k)
//     (m^3 / (Pa s); the mean velocity is -(S/b) grad p);
//   part volume (12), b = thickness / 2:
//     S = 1e-20 + sum b dzeta_k (1/4)(b zeta_k / eta_k + b zeta_(k-1) / eta_(k-1)).
// Other categories give 1e-20.
double ElementFluidity(const SolverState& state, const Element& element, int e);

}  // namespace kv
