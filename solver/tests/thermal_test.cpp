#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "solver/matrix/parallel.h"
#include "solver/prep/mesh_preparation.h"
#include "solver/tests/fill_loop.h"
#include "solver/tests/test_meshes.h"
#include "solver/thermal/fluidity.h"
#include "solver/thermal/kinematics.h"
#include "solver/thermal/material_model.h"
#include "solver/thermal/result_quantities.h"
#include "solver/thermal/thermal_update.h"
#include "solver/thermal/wall_temperature.h"

namespace kv {
namespace {

constexpr double kPi = 3.14159265358979323846;

PolymerData Polystyrene() { return test::Polystyrene(); }

// A filled plate job: state allocated for `layers`, every node filled,
// profiles at melt temperature.
struct PlateJob {
  MeshModel mesh;
  MeshPreparation prep;
  SolverState state;
  MemoryAccount account;
  PolymerData material = Polystyrene();

  explicit PlateJob(int layers, float thickness = 0.002f) {
    mesh = test::Plate(0.02, 0.01, 4, 2, thickness);
    BuildFaceRecords(mesh);
    const float normal[3] = {0, 0, 1};
    ComputeElementGeometry(mesh, normal, prep);
    EXPECT_EQ(AllocateSolverState(state, account, static_cast<int>(mesh.nodes.size()),
                                  static_cast<int>(mesh.elements.size()), layers), 1);
    for (int i = 0; i < state.node_count; ++i) {
      state.fill_state[i] = 1;
      state.fill_time[i] = 0;
    }
    FillLayerTable(state.node_temperature, material.melt_temperature);
    FillLayerTable(state.temperature, material.melt_temperature);
    SetWallTemperatures(state, mesh, prep, material, {});
  }

  // One pass's update over dt s, the state's time moved on as a pass does.
  int Update(double dt) {
    state.time += dt;
    return UpdateTemperatures(state, mesh, prep, material, static_cast<float>(dt));
  }
};

// A mold that holds its wall at the mold temperature, as the closed forms of
// the resting melt assume: steel of ten thousand times its conductivity.
void HoldWallAtMoldTemperature(PolymerData& m) { m.mold_conductivity *= 1e4f; }

TEST(CrossWlf, ZeroShearPlateauAndShift) {
  PolymerData m = Polystyrene();
  // At or below T* there is no WLF shift: eta0 = D1; n = 1 halves it at any rate.
  m.n = 1;
  EXPECT_NEAR(CrossWlfViscosity(m, 0, 300, 0), m.d1 / 2, m.d1 * 1e-6);
  EXPECT_NEAR(CrossWlfViscosity(m, 0, 300, 1e4), m.d1 / 2, m.d1 * 1e-6);
  // Above T*: eta0 = D1 exp(-A1 dT / (A2 + dT)), by hand for dT = 130 K.
  m.n = 0.25f;
  const double eta0 = 4.8e10 * std::exp(-25.6 * 130.0 / (51.6 + 130.0));
  EXPECT_NEAR(CrossWlfViscosity(m, 0, 503.15, 0), eta0, eta0 * 1e-5);
  const double thinned = eta0 / (1 + std::pow(eta0 * 1000 / 30000, 0.75));
  EXPECT_NEAR(CrossWlfViscosity(m, 0, 503.15, 1000), thinned, thinned * 1e-5);
  // D3 raises T* with pressure: viscosity grows with pressure.
  m.d3 = 1e-7f;
  EXPECT_GT(CrossWlfViscosity(m, 5e7, 503.15, 1000), CrossWlfViscosity(m, 0, 503.15, 1000));
}

TEST(CrossWlf, ViscosityMovesHalfwayAndFreezes) {
  PlateJob job(2);
  job.material.n = 1;
  job.material.a1 = 0;
  job.material.d1 = 100;  // Newtonian 50 Pa s
  FillLayerTable(job.state.viscosity, 100);
  UpdateViscosity(job.state, job.mesh, job.material);
  EXPECT_FLOAT_EQ(job.state.viscosity.Row(0)[1], 75);  // 100 -> 50 goes halfway
  job.material.d1 = 400;                                // now 200 Pa s
  UpdateViscosity(job.state, job.mesh, job.material);
  // Rising: 75 (1 + 0.5 (200 - 75) / 200).
  EXPECT_FLOAT_EQ(job.state.viscosity.Row(0)[1], 75 * (1 + 0.5f * 125 / 200));
  job.state.frozen_fraction[3] = 1;
  UpdateViscosity(job.state, job.mesh, job.material);
  EXPECT_EQ(job.state.viscosity.Row(3)[0], kFrozenViscosity);
  // Elements with an unfilled node keep their viscosity.
  job.state.fill_state[0] = 0.5f;
  const float before = job.state.viscosity.Row(0)[1];
  UpdateViscosity(job.state, job.mesh, job.material);
  EXPECT_EQ(job.state.viscosity.Row(0)[1], before);
}

TEST(FrozenLayer, FractionFromProfile) {
  SolverState s;
  MemoryAccount a;
  ASSERT_EQ(AllocateSolverState(s, a, 1, 1, 4), 1);
  const float hot[5] = {500, 500, 490, 480, 470};
  EXPECT_EQ(FrozenFractionOfProfile(hot, s.zeta, s.dzeta, 373.15f), 0.0f);
  // Only the wall point below Tnf = 400: position 0.75 + 0.25 (400-480)/(350-480).
  const float skin[5] = {500, 500, 490, 480, 350};
  EXPECT_NEAR(FrozenFractionOfProfile(skin, s.zeta, s.dzeta, 400), 1 - (0.75 + 0.25 * 80.0 / 130.0), 1e-6);
  // A cold point between hot ones does not count unless the next is cold too.
  const float pocket[5] = {500, 390, 450, 380, 350};
  EXPECT_NEAR(FrozenFractionOfProfile(pocket, s.zeta, s.dzeta, 400), 1 - (0.5 + 0.25 * 50.0 / 70.0), 1e-6);
  // L = 1: mid-plane and wall only.
  SolverState one;
  ASSERT_EQ(AllocateSolverState(one, a, 1, 1, 1), 1);
  const float two[2] = {450, 350};
  EXPECT_NEAR(FrozenFractionOfProfile(two, one.zeta, one.dzeta, 400), 0.5, 1e-6);
}

TEST(ThermalUpdate, CoolsTowardsTheWallWithinBounds) {
  // Small steps take the explicit branch, large ones the implicit rows.
  for (float dt : {1e-4f, 0.05f}) {
    PlateJob job(6);
    const double alpha_m = 36.5 / (7820.0 * 460.0);
    const double fourier = dt * alpha_m / std::pow(job.state.dzeta[6] * 0.001, 2);
    SCOPED_TRACE(fourier >= 0.5 ? "implicit" : "explicit");
    float centre_before = job.state.node_temperature.Row(6)[0];
    for (int pass = 0; pass < 40; ++pass) {
      ASSERT_EQ(job.Update(dt), 1);
      for (int i = 0; i < job.state.node_count; ++i) {
        const float* T = job.state.node_temperature.Row(i);
        for (int k = 0; k <= 6; ++k) {
          ASSERT_GE(T[k], job.material.mold_temperature);
          ASSERT_LE(T[k], job.material.melt_temperature + 100);
          if (k > 0) {
            EXPECT_LE(T[k], T[k - 1] + 1e-3f) << "profile must fall towards the wall";
          }
        }
      }
      const float centre = job.state.node_temperature.Row(6)[0];
      EXPECT_LE(centre, centre_before + 1e-3f);
      centre_before = centre;
    }
    EXPECT_LT(job.state.node_temperature.Row(6)[6], job.material.melt_temperature - 50);
    // Element tables follow the nodes.
    EXPECT_FLOAT_EQ(job.state.temperature.Row(0)[6],
                    (job.state.node_temperature.Row(0)[6] + job.state.node_temperature.Row(1)[6] +
                     job.state.node_temperature.Row(6)[6]) / 3);
  }
}

TEST(ThermalUpdate, OneLongStepCoolsAsMuchAsManyShortOnes) {
  // A pass hands the update the whole filling time it covered; the update
  // subdivides it. 20 ms in one call and in 20 calls of 1 ms must agree.
  PlateJob once(8), many(8);
  ASSERT_EQ(once.Update(0.02), 1);
  for (int pass = 0; pass < 20; ++pass) ASSERT_EQ(many.Update(0.001), 1);
  const float* a = once.state.node_temperature.Row(7);
  const float* b = many.state.node_temperature.Row(7);
  EXPECT_LT(a[7], once.material.melt_temperature - 10) << "the gap must have cooled near the wall";
  for (int k = 0; k <= 8; ++k) EXPECT_NEAR(a[k], b[k], 0.5) << "point " << k;
}

// Excess temperature (T - Tw) / (T0 - Tw) of a slab of half-width b between
// walls held at Tw, at the mid-plane and averaged over the gap, at Fourier
// number Fo = alpha t / b^2 (Fourier series, 50 terms).
void SlabSeries(double fo, double* middle, double* mean) {
  *middle = *mean = 0;
  for (int n = 0; n < 50; ++n) {
    const double lambda = (2 * n + 1) * kPi / 2;
    const double decay = std::exp(-lambda * lambda * fo);
    *middle += (n % 2 ? -1 : 1) * 2 / lambda * decay;
    *mean += 2 / (lambda * lambda) * decay;
  }
}

// The same for a cylinder of radius R with its wall at Tw (Bessel series over
// the zeros of J0, 30 terms); the mean is over the cross-section.
void CylinderSeries(double fo, double* axis, double* mean) {
  *axis = *mean = 0;
  for (int n = 1; n <= 30; ++n) {
    // n-th zero of J0 by Newton from its asymptotic value; J0' = -J1.
    double x = (n - 0.25) * kPi;
    for (int it = 0; it < 20; ++it) x += std::cyl_bessel_j(0.0, x) / std::cyl_bessel_j(1.0, x);
    const double decay = std::exp(-x * x * fo);
    *axis += 2 / (x * std::cyl_bessel_j(1.0, x)) * decay;
    *mean += 4 / (x * x) * decay;
  }
}

// Excess temperature of one node's column at its first point and averaged with
// the cell capacities of its rows.
void ColumnExcess(const SolverState& s, int node, const ColumnRows& rows, double t0, double tw, double* first,
                  double* mean) {
  const float* T = s.node_temperature.Row(node);
  double sum = 0, total = 0;
  for (size_t k = 0; k < rows.capacity.size(); ++k) {
    sum += rows.capacity[k] * (T[k] - tw);
    total += rows.capacity[k];
  }
  *first = (T[0] - tw) / (t0 - tw);
  *mean = sum / total / (t0 - tw);
}

TEST(ThermalUpdate, RestingSlabCoolsAsTheFourierSeries) {
  // Melt at rest in a 2 mm gap between walls held at the mold temperature,
  // L = 16: mid-plane and mean temperature against the series at Fourier
  // numbers 0.02 to 0.8, within 1 % of the excess temperature.
  PlateJob job(16);
  HoldWallAtMoldTemperature(job.material);
  const double b = 0.001, t0 = job.material.melt_temperature, tw = job.material.mold_temperature;
  const double alpha = 0.15 / (940.0 * 2100.0);
  const ColumnRows rows = MakeColumnRows(16, b, 0, job.material);
  double t = 0;
  for (double fo : {0.02, 0.05, 0.1, 0.2, 0.4, 0.8}) {
    while (t < fo * b * b / alpha - 1e-9) {
      const double dt = std::min(0.05, fo * b * b / alpha - t);
      ASSERT_EQ(job.Update(dt), 1);
      t += dt;
    }
    double middle, mean, exact_middle, exact_mean;
    ColumnExcess(job.state, 7, rows, t0, tw, &middle, &mean);
    SlabSeries(fo, &exact_middle, &exact_mean);
    EXPECT_NEAR(middle, exact_middle, 0.01 * exact_middle) << "Fo " << fo;
    EXPECT_NEAR(mean, exact_mean, 0.01 * exact_mean) << "Fo " << fo;
  }
}

TEST(ThermalUpdate, RestingRunnerCoolsAsTheBesselSeries) {
  // Melt at rest in a 4 mm runner with its wall held at the mold
  // temperature, L = 16: the cylinder's own series, which the slab's misses
  // by far (the curvature term).
  MeshModel mesh;
  const float origin[3] = {0, 0, 0}, along_x[3] = {1, 0, 0};
  test::AddRunner(mesh, -1, origin, along_x, 0.02, 4, 0.004f);
  MeshPreparation prep;
  const float normal[3] = {0, 0, 1};
  ComputeElementGeometry(mesh, normal, prep);
  SolverState s;
  MemoryAccount account;
  ASSERT_EQ(AllocateSolverState(s, account, 5, 4, 16), 1);
  PolymerData m = Polystyrene();
  HoldWallAtMoldTemperature(m);
  for (int i = 0; i < 5; ++i) {
    s.fill_state[i] = 1;
    s.fill_time[i] = 0;
  }
  FillLayerTable(s.node_temperature, m.melt_temperature);
  SetWallTemperatures(s, mesh, prep, m, {});
  const double R = 0.002, t0 = m.melt_temperature, tw = m.mold_temperature;
  const double alpha = 0.15 / (940.0 * 2100.0);
  const ColumnRows rows = MakeColumnRows(16, R, 1, m);
  double t = 0;
  for (double fo : {0.02, 0.05, 0.1, 0.2, 0.4}) {
    while (t < fo * R * R / alpha - 1e-9) {
      const double dt = std::min(0.1, fo * R * R / alpha - t);
      s.time += dt;
      ASSERT_EQ(UpdateTemperatures(s, mesh, prep, m, static_cast<float>(dt)), 1);
      t += dt;
    }
    double axis, mean, exact_axis, exact_mean;
    ColumnExcess(s, 2, rows, t0, tw, &axis, &mean);
    CylinderSeries(fo, &exact_axis, &exact_mean);
    EXPECT_NEAR(axis, exact_axis, 0.01 * exact_axis) << "Fo " << fo;
    EXPECT_NEAR(mean, exact_mean, 0.01 * exact_mean) << "Fo " << fo;
  }
}

TEST(ThermalUpdate, ThickMeltAgainstSteelTakesTheContactTemperature) {
  // Polystyrene 3 mm deep on either side of the mid-plane against steel: for
  // the seconds the heat needs to cross a millimetre of melt both sides act
  // as half-spaces, and their interface holds the temperature the two
  // effusivities e = sqrt(lambda rho c) give, (e_p T_melt + e_m T_mold) /
  // (e_p + e_m), about 8 K above the mold's: within 1 K, and the same at 2 s
  // as at 5 s.
  PlateJob job(32, 0.006f);
  const PolymerData& m = job.material;
  const double e_p = std::sqrt(double{m.conductivity} * m.melt_density * m.specific_heat);
  const double e_m = std::sqrt(double{m.mold_conductivity} * m.mold_density * m.mold_specific_heat);
  const double contact = (e_p * m.melt_temperature + e_m * m.mold_temperature) / (e_p + e_m);
  ASSERT_GT(contact, m.mold_temperature + 5.0);
  for (double until : {2.0, 5.0}) {
    while (job.state.time < until - 1e-9) ASSERT_EQ(job.Update(0.05), 1);
    const float* T = job.state.node_temperature.Row(7);
    EXPECT_NEAR(T[32], contact, 1.0) << "at " << until << " s";
    EXPECT_NEAR(T[0], m.melt_temperature, 0.5) << "the mid-plane must not have felt the wall yet";
  }
}

TEST(ThermalUpdate, IsothermalJobStaysPut) {
  PlateJob job(6);
  job.material.mold_temperature = job.material.melt_temperature;
  SetWallTemperatures(job.state, job.mesh, job.prep, job.material, {});
  for (int pass = 0; pass < 5; ++pass) {
    ASSERT_EQ(UpdateTemperatures(job.state, job.mesh, job.prep, job.material, 0.01f), 1);
  }
  for (float T : job.state.node_temperature.cells) {
    if (T != 0) {  // spare cells stay 0
      EXPECT_FLOAT_EQ(T, job.material.melt_temperature);
    }
  }
}

TEST(ThermalUpdate, EmptyNodesSitAtTheWallAndHotMeltIsCarriedDownstream) {
  PlateJob job(4);
  // Node 0 empty; a hot upstream column (x = 0) feeding cooler nodes.
  job.state.fill_state[0] = -1;
  for (int i = 0; i < job.state.node_count; ++i) job.state.pressure[i] = 1e6f * (4 - i % 5);
  FillLayerTable(job.state.node_temperature, 400);
  for (int j = 0; j < 3; ++j) {
    float* T = job.state.node_temperature.Row(j * 5);
    for (int k = 0; k <= 4; ++k) T[k] = 500;
  }
  FillLayerTable(job.state.profile_x, 0.2f);  // 0.2 m/s through the gap
  ASSERT_EQ(UpdateTemperatures(job.state, job.mesh, job.prep, job.material, 0.001f), 1);
  EXPECT_EQ(job.state.node_temperature.Row(0)[2], job.state.node_wall_temperature[0]);
  // Node 6 (x = 5 mm) lies downstream of the hot column: its centre warms.
  EXPECT_GT(job.state.node_temperature.Row(6)[0], 400.5f);
  EXPECT_LE(job.state.node_temperature.Row(6)[0], 500.0f);
}

// Passes of the thermal update and the material tables on a plate large
// enough (19.5k nodes, 38.4k triangles) that every loop runs in several
// chunks on the thread pool: melt flowing along x from a filled half through
// a front band into empty nodes.
std::vector<float> PlatePassesWithThreads(int threads) {
  SetMatrixThreadCount(threads);
  MeshModel mesh = test::Plate(0.16, 0.12, 160, 120, 0.002f);
  BuildFaceRecords(mesh);
  MeshPreparation prep;
  const float normal[3] = {0, 0, 1};
  ComputeElementGeometry(mesh, normal, prep);
  SolverState state;
  MemoryAccount account;
  EXPECT_EQ(AllocateSolverState(state, account, static_cast<int>(mesh.nodes.size()),
                                static_cast<int>(mesh.elements.size()), 6), 1);
  const PolymerData material = Polystyrene();
  state.time = 0.5;
  for (int i = 0; i < state.node_count; ++i) {
    const double x = mesh.nodes[i].x;
    // Filled up to 80 mm, in time order from the inlet edge; a 10 mm front
    // band partly filled; empty beyond.
    state.fill_state[i] = x < 0.08 ? 1.0f : x < 0.09 ? static_cast<float>((0.09 - x) / 0.01) : -1.0f;
    state.fill_time[i] = x < 0.09 ? static_cast<float>(x / 0.2) : -1.0f;
    state.pressure[i] = x < 0.08 ? static_cast<float>(2e8 * (0.08 - x)) : 0.0f;
    state.front_inflow[i] = x >= 0.08 && x < 0.09 ? 1e-9f : 0.0f;
  }
  FillLayerTable(state.node_temperature, material.melt_temperature);
  FillLayerTable(state.temperature, material.melt_temperature);
  FillLayerTable(state.viscosity, 1000);
  SetWallTemperatures(state, mesh, prep, material, {});
  for (int pass = 0; pass < 4; ++pass) {
    state.time += 0.002;
    UpdateKinematics(state, mesh);
    EXPECT_EQ(UpdateTemperatures(state, mesh, prep, material, 0.002f), 1);
    UpdateFrozenLayer(state, mesh, material);
    UpdateViscosity(state, mesh, material);
  }
  SetMatrixThreadCount(0);
  std::vector<float> tables = state.node_temperature.cells;
  for (const std::vector<float>* t : {&state.temperature.cells, &state.viscosity.cells, &state.profile_x.cells,
                                      &state.shear_rate.cells, &state.node_wall_heat, &state.frozen_fraction}) {
    tables.insert(tables.end(), t->begin(), t->end());
  }
  return tables;
}

TEST(ThermalUpdate, ResultsDoNotDependOnTheThreadCount) {
  const std::vector<float> one = PlatePassesWithThreads(1);
  // The passes did something: the wall point of a filled node (x = 40 mm)
  // cooled; the mid-plane of a front node (x = 85 mm) took in melt.
  const float melt = Polystyrene().melt_temperature;
  const size_t stride = 8;  // 7 points and a spare cell per node row
  EXPECT_LT(one[(60 * 161 + 40) * stride + 6], melt - 1);
  EXPECT_GT(one[(60 * 161 + 85) * stride], one[(60 * 161 + 85) * stride + 6]);
  for (const int threads : {2, 3}) {
    const std::vector<float> many = PlatePassesWithThreads(threads);
    ASSERT_EQ(many.size(), one.size());
    size_t differing = 0;
    for (size_t k = 0; k < one.size(); ++k) differing += std::memcmp(&one[k], &many[k], sizeof(float)) != 0;
    EXPECT_EQ(differing, 0u) << threads << " threads";
  }
}

TEST(Kinematics, ProfilesAverageToTheMeanVelocity) {
  // Runner: linear pressure 2e6 -> 0 Pa over 20 mm, Newtonian 100 Pa s, L = 40.
  MeshModel mesh;
  const float origin[3] = {0, 0, 0}, along_x[3] = {1, 0, 0};
  test::AddRunner(mesh, -1, origin, along_x, 0.02, 1, 0.004f);
  MeshPreparation prep;
  const float normal[3] = {0, 0, 1};
  ComputeElementGeometry(mesh, normal, prep);
  SolverState s;
  MemoryAccount a;
  ASSERT_EQ(AllocateSolverState(s, a, 2, 1, 40), 1);
  s.fill_state = {1, 1};
  s.pressure = {2e6f, 0};
  FillLayerTable(s.viscosity, 100);
  UpdateKinematics(s, mesh);
  const double R = 0.002, g = -2e6 / 0.02;
  // Closed form: u = R^2 (-g) / (8 eta); trapezoid fluidity within 1/L^2.
  const double u = R * R * -g / (8 * 100);
  EXPECT_NEAR(s.velocity_x[0], u, u * 1e-3);
  EXPECT_EQ(s.velocity_y[0], 0);
  // Area-weighted mean of the profile, 2 / R^2 integral P r dr, equals u.
  double mean = 0;
  for (int k = 1; k <= 40; ++k) {
    const double r0 = R * s.zeta[k - 1], r1 = R * s.zeta[k];
    mean += (s.profile_x.Row(0)[k - 1] * r0 + s.profile_x.Row(0)[k] * r1) / 2 * (r1 - r0);
  }
  mean *= 2 / (R * R);
  EXPECT_NEAR(mean, s.velocity_x[0], u * 2e-3);
  // Wall shear rate of Poiseuille flow 4 u / R.
  EXPECT_NEAR(s.shear_rate.Row(0)[40], 4 * u / R, 4 * u / R * 0.03);

  // Plate: p falls along x; Hele-Shaw u = b^2 (-g) / (3 eta).
  PlateJob job(40);
  for (int i = 0; i < job.state.node_count; ++i) {
    job.state.pressure[i] = static_cast<float>(1e6 * (1 - job.mesh.nodes[i].x / 0.02));
  }
  FillLayerTable(job.state.viscosity, 100);
  UpdateKinematics(job.state, job.mesh);
  const double b = 0.001, up = b * b * 1e6 / 0.02 / 300;
  for (int e = 0; e < job.state.element_count; ++e) {
    EXPECT_NEAR(job.state.velocity_x[e], up, up * 1e-3);
    EXPECT_NEAR(job.state.velocity_y[e], 0, up * 1e-3);
  }
  // The local x axis of element 1 runs along the diagonal: its profile has
  // both components; their mean over the gap is the mean velocity.
  double mx = 0, my = 0;
  for (int k = 1; k <= 40; ++k) {
    mx += (job.state.profile_x.Row(1)[k] + job.state.profile_x.Row(1)[k - 1]) / 2 / 40;
    my += (job.state.profile_y.Row(1)[k] + job.state.profile_y.Row(1)[k - 1]) / 2 / 40;
  }
  EXPECT_NEAR(std::sqrt(mx * mx + my * my), up, up * 2e-3);
  // Frozen points carry no flow.
  FillLayerTable(job.state.viscosity, kFrozenViscosity);
  UpdateKinematics(job.state, job.mesh);
  EXPECT_EQ(job.state.profile_x.Row(0)[3], 0.0f);
}

TEST(Fluidity, ClosedFormsForUniformViscosity) {
  PlateJob job(6);
  FillLayerTable(job.state.viscosity, 100);
  const double b = 0.001;
  // Trapezoid of z^2 over L layers: b^3 / (3 eta) (1 + 1 / (2 L^2)).
  EXPECT_NEAR(ElementFluidity(job.state, job.mesh.elements[0], 0),
              b * b * b / 300 * (1 + 1.0 / 72), 1e-16);
  job.state.viscosity.Row(0)[3] = 0;  // skipped intervals
  EXPECT_LT(ElementFluidity(job.state, job.mesh.elements[0], 0), b * b * b / 300);
  Element cooling = job.mesh.elements[1];
  cooling.category = kCoolingChannel;
  EXPECT_EQ(ElementFluidity(job.state, cooling, 1), 1e-20);
}

TEST(ResultQuantities, UnreachedElementsShowTheMoldTemperature) {
  PlateJob job(6);
  for (int i = 0; i < job.state.node_count; ++i) job.state.fill_state[i] = -1;
  job.state.fill_state[0] = 1;
  const EntityField bulk = NodeBulkTemperature(job.state, job.mesh, job.prep, job.material);
  EXPECT_FLOAT_EQ(bulk.value[14], job.material.mold_temperature);
  EXPECT_TRUE(bulk.defined[14]);
  const EntityField shear = NodeShearRate(job.state, job.mesh, job.prep);
  EXPECT_FALSE(shear.defined[14]);
  // Fully filled at melt temperature: bulk = melt; cooling time by hand.
  for (int i = 0; i < job.state.node_count; ++i) job.state.fill_state[i] = 1;
  const EntityField hot = NodeBulkTemperature(job.state, job.mesh, job.prep, job.material);
  EXPECT_FLOAT_EQ(hot.value[7], job.material.melt_temperature);
  const EntityField cool = ElementCoolingTime(job.state, job.mesh, job.material);
  const double alpha = 0.15 / (940.0 * 2100.0);
  const double t = 0.002 * 0.002 / (9.86960506439209 * alpha) *
                   std::log10(16 * 180.0 / (9.86960506439209 * 40.0));
  EXPECT_NEAR(cool.value[0], t, t * 1e-4);
}

TEST(SolverState, AccountsBytesAndRefusesBeyondItsLimit) {
  SolverState s;
  MemoryAccount a;
  ASSERT_EQ(AllocateSolverState(s, a, 10, 20, 6), 1);
  // 10 node arrays + 7 element arrays of 4 bytes, a 2-byte flag, tables (rows + 1) x 4 x 8.
  EXPECT_EQ(a.bytes, 10 * 4 * 10 + 7 * 4 * 20 + 2 * 20 + 2 * 11 * 4 * 8 + 5 * 21 * 4 * 8);
  ReleaseSolverState(s, a);
  EXPECT_EQ(a.bytes, 0);
  // A 1M-node, 2M-element job with 100 layers counts more than 2^31 bytes
  // without wrapping.
  EXPECT_GT(SolverStateBytes(1000000, 2000000, 100), int64_t{1} << 31);
  MemoryAccount small;
  small.limit = 1000;
  EXPECT_EQ(AllocateSolverState(s, small, 10, 20, 6), 0);
  EXPECT_EQ(small.bytes, 0);
  EXPECT_TRUE(s.pressure.empty());
}

}  // namespace
}  // namespace kv
