// Energy balances of whole fills driven pass by pass: the heat the melt loses
// against the heat the walls receive, the work of the inlet pressure against
// viscous heating, and the convergence of a non-isothermal fill under mesh
// refinement.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "solver/tests/fill_loop.h"
#include "solver/tests/test_meshes.h"
#include "solver/thermal/result_quantities.h"
#include "solver/thermal/thermal_update.h"

namespace kv {
namespace {

struct Energy {
  double wall = 0;  // J conducted into the mold
  double lost = 0;  // J of enthalpy the melt lost against the melt temperature
  double work = 0;  // J, integral of inlet pressure x injection rate over time
};

// Runs `run` to the end of fill, adding up the work of the inlet pressure (the
// pressure of each pass's solve times the volume injected during the pass).
bool FillWithWork(test::FillLoop& run, double rate, Energy& energy, double* wall_of_nodes = nullptr,
                  double radius = 0) {
  double last = run.state.time;
  while (run.state.filled_percentage < 99.99f) {
    if (!run.Pass()) return false;
    energy.work += run.state.pressure[run.state.inlet] * rate * (run.state.time - last);
    last = run.state.time;
    if (wall_of_nodes) {
      // Runner nodes: wall area 2 V / R.
      for (int i = 0; i < run.state.node_count; ++i) {
        *wall_of_nodes += run.state.node_wall_heat[i] * 2 * run.state.node_volume[i] / radius;
      }
    }
    if (run.trace.size() > 100000) return false;
  }
  CompleteFill(run.state, run.state.time);
  return true;
}

// Enthalpy the melt lost, from the element tables by the trapezoid across the
// half-gap, and the wall heat of the elements (two walls each).
void StripEnergy(const test::FillLoop& run, Energy& energy) {
  const SolverState& s = run.state;
  const double rho_cp = double{run.material.melt_density} * run.material.specific_heat;
  const int L = s.layers;
  for (int e = 0; e < s.element_count; ++e) {
    const Element& element = run.mesh.elements[e];
    const float* T = s.temperature.Row(e);
    double mean = 0;
    for (int k = 0; k <= L; ++k) mean += (k == 0 || k == L ? 0.5 : 1.0) * T[k] / L;
    energy.lost += rho_cp * element.volume * (run.material.melt_temperature - mean);
    energy.wall += 2 * element.area * s.wall_heat[e];
  }
}

// A 100 x 10 x 1.5 mm strip gated at a corner, filled in 0.5 s into a steel
// mold at 323.15 K, by default with a 2 Pa s Newtonian melt at 503.15 K.
Energy StripBalance(int layers, PolymerData melt = test::NewtonianMelt(2, 503.15f)) {
  melt.mold_temperature = 323.15f;
  const double rate = 0.1 * 0.01 * 0.0015 / 0.5;
  test::FillLoop run(test::Plate(0.1, 0.01, 40, 4, 0.0015f), 0, layers, melt, rate);
  Energy energy;
  EXPECT_TRUE(FillWithWork(run, rate, energy));
  StripEnergy(run, energy);
  return energy;
}

TEST(ThermalBalance, StripWallHeatIsTheHeatTheMeltLost) {
  // What the walls received is what the melt lost plus the viscous heat (the
  // work of the inlet pressure), within 3 % for L >= 8; the heat lost
  // converges in L (L = 8 against 16 within 3 %).
  std::vector<Energy> by_layers;
  for (int layers : {4, 8, 16}) {
    const Energy e = StripBalance(layers);
    by_layers.push_back(e);
    RecordProperty("L" + std::to_string(layers),
                   "wall " + std::to_string(e.wall) + " J, lost " + std::to_string(e.lost) + " J, work " +
                       std::to_string(e.work) + " J");
    EXPECT_GT(e.lost, 50.0) << "L " << layers;
    if (layers >= 8) {
      EXPECT_NEAR(e.wall, e.lost + e.work, 0.03 * (e.lost + e.work)) << "L " << layers;
    }
  }
  EXPECT_NEAR(by_layers[1].lost, by_layers[2].lost, 0.03 * by_layers[2].lost);
}

TEST(ThermalBalance, ShearThinningMeltOnColdWallsHeatsByTheWorkOfThePressure) {
  // Polystyrene in the same strip: the viscosity climbs steeply towards the
  // cold walls and the pressure's work is about a sixth of the heat the
  // walls take; wall heat against heat lost plus work within 1 %.
  const Energy e = StripBalance(8, test::Polystyrene());
  RecordProperty("balance", "wall " + std::to_string(e.wall) + " J, lost " + std::to_string(e.lost) +
                                " J, work " + std::to_string(e.work) + " J");
  EXPECT_GT(e.work, 0.1 * e.wall);
  EXPECT_NEAR(e.wall, e.lost + e.work, 0.01 * e.wall);
}

TEST(ThermalBalance, ViscousHeatingIsTheWorkOfTheInletPressure) {
  // A 4 mm runner of 100 mm filled in 1.26 s by a 5000 Pa s Newtonian melt,
  // mold at the melt temperature: the inlet pressure's work goes into the
  // melt's enthalpy and, by conduction, into the walls, within 2 %. The heat
  // of the melt the last filled node sends on must reach the front nodes:
  // lost there, 7 % of the work went missing.
  const double R = 0.002, rate = 1e-6;
  MeshModel mesh;
  const float origin[3] = {0, 0, 0}, along_x[3] = {1, 0, 0};
  test::AddRunner(mesh, -1, origin, along_x, 0.1, 200, static_cast<float>(2 * R));
  const PolymerData melt = test::NewtonianMelt(5000, 500);
  const int L = 8;
  test::FillLoop run(mesh, 0, L, melt, rate);
  Energy energy;
  double wall = 0;
  ASSERT_TRUE(FillWithWork(run, rate, energy, &wall, R));
  // Enthalpy gained, from the node columns (cross-section weights).
  const ColumnRows rows = MakeColumnRows(L, R, 1, melt);
  double total = 0;
  for (double c : rows.capacity) total += c;
  double gained = 0, hottest = 0;
  for (int i = 0; i < run.state.node_count; ++i) {
    const float* T = run.state.node_temperature.Row(i);
    for (int k = 0; k <= L; ++k) {
      gained += rows.rho_cp * run.state.node_volume[i] * rows.capacity[k] / total * (T[k] - melt.melt_temperature);
      hottest = std::max(hottest, double{T[k]});
    }
  }
  RecordProperty("balance", "work " + std::to_string(energy.work) + " J, gained " + std::to_string(gained) +
                                " J, wall " + std::to_string(wall) + " J, hottest " + std::to_string(hottest) + " K");
  EXPECT_GT(gained, 0.2 * energy.work);
  EXPECT_LT(hottest, melt.melt_temperature + 99) << "no point may reach the upper limit";
  EXPECT_NEAR(gained + wall, energy.work, 0.02 * energy.work);
}

}  // namespace
}  // namespace kv
