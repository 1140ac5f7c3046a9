#pragma once
// Quantities derived for the result file from the per-element tables.

#include <cstdint>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/state/solver_state.h"
#include "solver/thermal/material_model.h"

namespace kv {

// One value per entity and whether the entity has a value in the block.
struct EntityField {
  std::vector<float> value;
  std::vector<uint8_t> defined;  // 1 when value[i] is meaningful
};

// "Bulk temperature" per node (K): per element of categories 1, 2, 9, 10, 11,
// 12 the mean over its L + 1 points (points outside [Tw, 1000 K] add 0 but
// still count), Tw for an element with an empty node; per node the mean over
// its elements. Nodes without such elements have no value.
EntityField NodeBulkTemperature(const SolverState& state, const MeshModel& mesh,
                                const MeshPreparation& prep, const PolymerData& material);

// "Representative shear rate" per node (1/s): per element of categories 1, 2,
// 9, 10, 11, 12 whose nodes are all reached, the mean over the points of the
// shear rate, only values within [0, 1e8] adding; per node the mean over such
// elements.
EntityField NodeShearRate(const SolverState& state, const MeshModel& mesh,
                          const MeshPreparation& prep);

// "Wall shear stress" per node (Pa): the same averaging of eta gamma at each
// point, for elements of categories 9, 10, 11 and 12.
EntityField NodeWallShearStress(const SolverState& state, const MeshModel& mesh,
                                const MeshPreparation& prep);

// "Time to cool after filling" per element (s), every element but connectors
// and hot runners: t = h^2 / (pi^2 alpha) log10(16 (Tb - Tw) / (pi^2 (Te -
// Tw))), 0 when negative; h = diameter (1, 9), thickness (10, 12), twice the
// thickness (11); Tb the mean over the points within [0, 1000 K] (the
// mid-plane value for 12). Elements of non-flow categories have no value.
EntityField ElementCoolingTime(const SolverState& state, const MeshModel& mesh,
                               const PolymerData& material);

}  // namespace kv
