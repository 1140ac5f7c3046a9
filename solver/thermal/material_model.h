#pragma once
// Material and process data of the filling run, the Cross-WLF viscosity with
// its halfway update, the frozen layer and the element half-gaps.
//
// Temperatures in K, pressures in Pa, shear rates in 1/s, viscosities in Pa s,
// lengths in m. Element indices are 0-based.

#include "common/mesh/mesh_model.h"
#include "solver/state/solver_state.h"

namespace kv {

// The values the filling and thermal models use, gathered from the material,
// process and injection-control files.
struct PolymerData {
  float melt_density = 0;        // kg/m^3
  float specific_heat = 0;       // J/(kg C)
  float conductivity = 0;        // W/(m C)
  float no_flow_temperature = 0; // K
  // Cross-WLF constants: n, tau* (Pa), D1 (Pa s), D2 (K), D3 (K/Pa), A1, A2~ (K).
  float n = 0, tau_star = 0, d1 = 0, d2 = 0, d3 = 0, a1 = 0, a2_tilde = 0;
  float mold_density = 0;        // kg/m^3
  float mold_specific_heat = 0;  // J/(kg C)
  float mold_conductivity = 0;   // W/(m C)
  float mold_temperature = 0;    // K, Tw of the process conditions
  float ejection_temperature = 0;// K
  float melt_temperature = 0;    // K, first injection unit
};

// Upper bound of the viscosity and the mark of a frozen grid point (Pa s).
inline constexpr float kFrozenViscosity = 100000.0f;

// Cross-WLF viscosity (Pa s) at pressure p (Pa), temperature T (K) and shear
// rate gamma (1/s):
//   T* = D2 + D3 p, A2 = A2~ + D3 p,
//   eta0 = D1 exp(-A1 (T - T*) / (A2 + T - T*)) above T*, D1 at or below,
//   eta  = eta0 / (1 + (eta0 gamma / tau*)^(1 - n)).
double CrossWlfViscosity(const PolymerData& material, double p, double T, double gamma);

// Half-gap b of an element (m): radius for runners, half the thickness for part
// surface and part volume, the thickness (0.001 m when not positive) for a dual
// surface; 0 for categories without flow.
float ElementHalfGap(const Element& element);

// Moves the viscosity of every filled flow element halfway towards its
// Cross-WLF value at the element's mean nodal pressure (element frozen through:
// every point kFrozenViscosity). Elements with an unfilled node keep theirs.
void UpdateViscosity(SolverState& state, const MeshModel& mesh, const PolymerData& material);

// Frozen-layer fraction of one temperature profile (L + 1 values from the
// mid-plane to the wall) for the no-flow temperature Tnf: the first k = 1..L
// scanning outwards with T_k < Tnf and (k = L or T_(k+1) < Tnf) places the
// no-flow position by linear interpolation between k-1 and k; the fraction is
// 1 - position. 0 when no such point exists.
float FrozenFractionOfProfile(const float* T, const std::vector<float>& zeta,
                              const std::vector<float>& dzeta, float no_flow_temperature);

// Raises the frozen fraction of every flow element whose nodes are all reached
// (it never decreases).
void UpdateFrozenLayer(SolverState& state, const MeshModel& mesh, const PolymerData& material);

}  // namespace kv
