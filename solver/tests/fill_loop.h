#pragma once
// A filling run driven pass by pass inside the test, with the state at hand:
// the loop of the run driver without its files, switch-over and status table
// (the jobs here fill in velocity control).

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "solver/filling/filling.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/thermal/wall_temperature.h"

namespace kv::test {

// A Newtonian melt of viscosity eta (Pa s) whose viscosity does not depend on
// temperature (D1 = 2 eta with n = 1), melt and mold at `temperature` (K),
// steel mold.
inline PolymerData NewtonianMelt(double eta, float temperature) {
  PolymerData m;
  m.melt_density = 1000;
  m.specific_heat = 2000;
  m.conductivity = 0.2f;
  m.no_flow_temperature = 300;
  m.n = 1;
  m.tau_star = 1e5f;
  m.d1 = static_cast<float>(2 * eta);
  m.d2 = 250;
  m.a2_tilde = 50;
  m.mold_density = 7800;
  m.mold_specific_heat = 460;
  m.mold_conductivity = 36;
  m.mold_temperature = m.melt_temperature = temperature;
  m.ejection_temperature = 300;
  return m;
}

// A general-purpose polystyrene (shear-thinning Cross-WLF) with a steel mold:
// melt 503.15 K, mold 323.15 K.
inline PolymerData Polystyrene() {
  PolymerData m;
  m.melt_density = 940;
  m.specific_heat = 2100;
  m.conductivity = 0.15f;
  m.no_flow_temperature = 373.15f;
  m.n = 0.25f;
  m.tau_star = 30000;
  m.d1 = 4.8e10f;
  m.d2 = 373.15f;
  m.d3 = 0;
  m.a1 = 25.6f;
  m.a2_tilde = 51.6f;
  m.mold_density = 7820;
  m.mold_specific_heat = 460;
  m.mold_conductivity = 36.5f;
  m.mold_temperature = 323.15f;
  m.ejection_temperature = 363.15f;
  m.melt_temperature = 503.15f;
  return m;
}

struct FillLoop {
  MeshModel mesh;
  MeshPreparation prep;
  PolymerData material;
  SolverInjection unit;
  std::vector<GateElements> gates;
  FillingJob job;
  SolverState state;
  MemoryAccount account;
  std::vector<std::pair<double, double>> trace;  // (time s, inlet pressure Pa) after every pass
  FillHistory history;  // inlet pressure at each pass's start; fill times and pressures after RunTo

  // Prepares `model` and the state for `layers` layers, injects `rate`
  // (m^3/s) at node `inlet` (0-based) and runs the two start-up passes.
  FillLoop(MeshModel model, int inlet, int layers, const PolymerData& melt, double rate)
      : mesh(std::move(model)), material(melt) {
    BuildFaceRecords(mesh);
    const float normal[3] = {0, 0, 1};
    ComputeElementGeometry(mesh, normal, prep);
    unit.melt_temperature = material.melt_temperature;
    unit.stroke = 1;
    unit.screw_diameter = 0.04f;
    for (int k = 0; k < 6; ++k) {
      unit.profile[k][0] = 0.2f * k;
      unit.profile[k][1] = 1;
    }
    unit.valve_timer[0][1] = 1000;
    unit.max_rate = static_cast<float>(rate);
    unit.max_pressure = 1e12f;
    unit.pressure_ratio = 1;
    unit.switch_volume = 100.5f;
    unit.packing_pressure = 1;
    const CategoryVolumes volumes = SumCategoryVolumes(mesh);
    job.mesh = &mesh;
    job.prep = &prep;
    job.material = &material;
    job.injection = &unit;
    job.valves = &gates;
    job.injection_volume = volumes.injection;
    EXPECT_EQ(AllocateSolverState(state, account, static_cast<int>(mesh.nodes.size()),
                                  static_cast<int>(mesh.elements.size()), layers),
              1);
    state.inlet = inlet;
    InitializeFilling(state, job);
    SetWallTemperatures(state, mesh, prep, material,
                        std::vector<float>(mesh.elements.size(), material.mold_temperature));
    for (int pass = 0; pass < 2; ++pass) EXPECT_EQ(StartupPass(state, job), kPassDone);
    state.filled_volume = static_cast<float>(FilledVolume(state));
    state.filled_percentage = FilledPercentage(state, job);
  }
  ~FillLoop() { ReleaseSolverState(state, account); }

  // One pass; false when it failed.
  bool Pass() {
    const double start = state.time;
    if (FillingPass(state, job, state.filled_percentage / 100.0f) != kPassDone) return false;
    state.filled_percentage = FilledPercentage(state, job);
    trace.emplace_back(state.time, state.pressure[state.inlet]);
    history.time.push_back(start);
    history.inlet_pressure.push_back(state.pressure[state.inlet]);
    return true;
  }

  // Passes until `percentage` is filled (then the rest of the front is
  // completed when it reaches 99.99, as the driver does). False when a pass
  // failed or 100000 passes did not get there.
  bool RunTo(float percentage) {
    for (int pass = 0; pass < 100000; ++pass) {
      if (state.filled_percentage >= percentage) {
        if (percentage >= 99.99f) CompleteFill(state, state.time);
        history.fill_time = state.fill_time;
        history.pressure = state.pressure;
        return true;
      }
      if (!Pass()) return false;
    }
    return false;
  }
};

}  // namespace kv::test
