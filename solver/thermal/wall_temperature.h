#pragma once
// Mold-wall temperatures and the heat conducted into the wall.

#include "common/mesh/mesh_model.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/state/solver_state.h"
#include "solver/thermal/material_model.h"

namespace kv {

// Sets every element's mold-wall temperature (K): `cooling` (per element, from
// the cooling result; empty when there is none) or the mold temperature Tw;
// then hot-runner elements get the melt temperature. Node wall temperature =
// mean over the node's non-connector elements, not below Tw; Tw without such
// elements.
void SetWallTemperatures(SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                         const PolymerData& material, const std::vector<float>& cooling);

// Adds to the wall heat (J/m^2 through one wall) of every part-surface and
// dual-surface element the heat the latest thermal update conducted through
// its nodes' wall links (SolverState::node_wall_heat), the mean over its
// nodes. Call once after each thermal update of a filling pass.
void AccumulateWallHeat(SolverState& state, const MeshModel& mesh);

}  // namespace kv
