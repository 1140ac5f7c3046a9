// Passes of the filling loop driven one by one on a strip: how far one pass
// may carry the front, the front-node list the sub-steps keep, and the volume
// balance between the ram and the filled control volumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "solver/filling/filling.h"
#include "solver/matrix/matrix_library.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/tests/fill_loop.h"
#include "solver/tests/test_meshes.h"

namespace kv {
namespace {

constexpr double kRate = 2e-6;  // m^3/s

// Isothermal Newtonian melt, 100 Pa s, into a 100 x 10 x 2 mm strip gated in
// the middle of the edge x = 0.
struct StripRun : test::FillLoop {
  StripRun() : FillLoop(test::Plate(0.1, 0.01, 40, 4, 0.002f), 2 * 41, 6, test::NewtonianMelt(100, 500), kRate) {}
};

TEST(FillingPass, PassesStayShortKeepTheFrontListAndTheVolumeBalance) {
  for (const int kind : {kPassRuleVolume, kPassRuleCubic}) {
    SCOPED_TRACE(kind == kPassRuleVolume ? "volume rule" : "cubic rule");
    StripRun run;
    run.job.passes.kind = kind;
    SolverState& s = run.state;
    const double node_volume = 0.1 / 40 * 0.01 / 4 * 0.002;
    double longest = 0;
    int passes = 0;
    while (s.filled_percentage < 98 && passes < 5000) {
      const double before = s.time;
      ASSERT_EQ(FillingPass(s, run.job, s.filled_percentage / 100.0f), kPassDone);
      s.filled_percentage = FilledPercentage(s, run.job);
      ++passes;
      // Cubic rule: a pass is its first sub-step (at most 10 ms) and extra
      // sub-steps that end once they have covered 1 ms, the last of them at
      // most 10 ms long. Volume rule: at most 1 ms in all, give or take the
      // shortest sub-step (1 us).
      longest = std::max(longest, s.time - before);
      ASSERT_LE(s.time - before, (kind == kPassRuleCubic ? 0.021 : 0.001001) + 1e-9)
          << "pass " << passes << " at t = " << before;
      // The list the sub-steps kept holds exactly the front nodes, ascending.
      std::vector<int> front;
      for (int i = 0; i < s.node_count; ++i) {
        if (s.fill_state[i] >= 0.0f && s.fill_state[i] < 1.0f) front.push_back(i);
      }
      ASSERT_EQ(s.front_nodes, front) << "pass " << passes;
      // What the ram injected is in the filled control volumes, up to the
      // part of a front row that one pass can overfill or leave behind.
      const double injected = kRate * s.time;
      ASSERT_NEAR(FilledVolume(s), injected, 0.01 * injected + 5 * node_volume) << "pass " << passes;
    }
    EXPECT_GE(s.filled_percentage, 98);
    EXPECT_GT(longest, kind == kPassRuleCubic ? 0.005 : 0.0009);  // the sub-steps did run
  }
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(FillingPass, FilledNodeWithoutCoefficientsIsAFaultUnlessAClosedGateCutsItOff) {
  StripRun run;
  SolverState& s = run.state;
  // A node far from the melt marked filled: none of its elements conducts.
  const int lonely = 30 + 2 * 41;
  s.fill_state[lonely] = 1;
  s.pressure[lonely] = 1234;
  {
    CsMatrix k = AssembleConductance(s, run.job);
    ASSERT_TRUE(k);
    EXPECT_EQ(SolvePressure(s, run.job, k.get()), kPressureEmptyRow);
  }
  // The same node behind closed valve gates: melt at rest, its pressure kept.
  for (int j = run.prep.element_start[lonely]; j < run.prep.element_start[lonely + 1]; ++j) {
    s.active[run.prep.element_list[j]] = 0;
  }
  CsMatrix k = AssembleConductance(s, run.job);
  ASSERT_TRUE(k);
  EXPECT_EQ(SolvePressure(s, run.job, k.get()), kPressureSolved);
  EXPECT_EQ(s.pressure[lonely], 1234.0f);
  EXPECT_GT(s.pressure[s.inlet], 0.0f);
  EXPECT_FALSE(s.inlet_closed_off);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(FillingPass, ClampForceOfASprueAndARunnerInThePartingPlane) {
  // A sprue along the parting-plane normal presses on the mold with its end
  // disc, a runner in the plane with its side, both at 10 MPa.
  MeshModel mesh;
  const float origin[3] = {0, 0, 0}, along_z[3] = {0, 0, 1}, along_x[3] = {1, 0, 0};
  const int sprue_end = test::AddRunner(mesh, -1, origin, along_z, 0.05, 5, 0.006f);
  test::AddRunner(mesh, sprue_end, nullptr, along_x, 0.04, 4, 0.004f);
  MeshPreparation prep;
  const float normal[3] = {0, 0, 1};
  ComputeElementGeometry(mesh, normal, prep);
  SolverState state;
  MemoryAccount account;
  ASSERT_EQ(AllocateSolverState(state, account, static_cast<int>(mesh.nodes.size()),
                                static_cast<int>(mesh.elements.size()), 2),
            1);
  FillingJob job;
  job.mesh = &mesh;
  job.prep = &prep;
  std::fill(state.fill_state.begin(), state.fill_state.end(), 1.0f);
  std::fill(state.pressure.begin(), state.pressure.end(), 1e7f);
  ComputeClampForce(state, job);
  const double pi = 3.14159265358979323846;
  EXPECT_NEAR(state.clamp_force, 1e7 * (5 * pi * 0.006 * 0.006 / 4 + 0.004 * 0.04), 0.1);
  // The centroid lies between the sprue's axis and the runner's middle.
  EXPECT_GT(state.clamp_centroid[0], 0.0f);
  EXPECT_LT(state.clamp_centroid[0], 0.02f);
  ReleaseSolverState(state, account);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

// The pressure on the filled nodes with the inlet held at `hold`, solved
// directly (sparse Cholesky) from the same conductance matrix.
std::vector<double> DirectPressure(const SolverState& s, const cs_di* k, double hold) {
  std::vector<int> unknown(s.node_count, -1);
  int n = 0;
  for (int i = 0; i < s.node_count; ++i) {
    if (s.fill_state[i] == 1.0f && i != s.inlet) unknown[i] = n++;
  }
  CsMatrix triplet(cs_di_spalloc(n, n, 1, 1, 1));
  std::vector<double> rhs(n, 0.0);
  for (int col = 0; col < s.node_count; ++col) {
    for (int q = k->p[col]; q < k->p[col + 1]; ++q) {
      const int row = k->i[q];
      if (unknown[row] < 0) continue;
      if (col == s.inlet) rhs[unknown[row]] -= k->x[q] * hold;
      if (unknown[col] >= 0) cs_di_entry(triplet.get(), unknown[row], unknown[col], k->x[q]);
    }
  }
  CsMatrix a(cs_di_compress(triplet.get()));
  EXPECT_EQ(cs_di_cholsol(1, a.get(), rhs.data()), 1);
  std::vector<double> p(s.node_count, 0.0);
  for (int i = 0; i < s.node_count; ++i) {
    if (unknown[i] >= 0) p[i] = rhs[unknown[i]];
  }
  p[s.inlet] = hold;
  return p;
}

TEST(FillingPass, PressureControlledSolveMatchesTheDirectSolutionToFloatPrecision) {
  // The strip filled a third under velocity control, then its inlet held at
  // the pressure it reached: the iterative solve must give the pressures the
  // result file would hold from an exact solution, well before the cap.
  StripRun run;
  SolverState& s = run.state;
  while (s.filled_percentage < 33) {
    ASSERT_EQ(FillingPass(s, run.job, s.filled_percentage / 100.0f), kPassDone);
    s.filled_percentage = FilledPercentage(s, run.job);
  }
  s.control_mode = kPressureControl;
  s.inlet_pressure_hold = s.pressure[s.inlet];
  const double hold = s.inlet_pressure_hold;
  ASSERT_GT(hold, 1e4);
  for (int pass = 0; pass < 3; ++pass) {
    CsMatrix k = AssembleConductance(s, run.job);
    ASSERT_TRUE(k);
    const long iterations_before = s.profile.pressure_mode_iterations;
    ASSERT_EQ(SolvePressure(s, run.job, k.get()), kPressureSolved);
    const std::vector<double> exact = DirectPressure(s, k.get(), hold);
    EXPECT_EQ(s.profile.pressure_mode_solves, pass + 1);
    EXPECT_GT(s.profile.pressure_mode_iterations, iterations_before);
    EXPECT_LT(s.profile.pressure_mode_iterations - iterations_before, static_cast<long>(kPcgMaxIterations));
    EXPECT_EQ(s.pressure[s.inlet], static_cast<float>(hold));
    for (int i = 0; i < s.node_count; ++i) {
      // Within the spacing of floats at the held pressure (6e-8 of it).
      ASSERT_NEAR(s.pressure[i], exact[i], 6e-8 * hold) << "node " << i << " pass " << pass;
    }
    ComputeFrontInflow(s, k.get());
    AdvanceFront(s, run.job, s.time);
  }
}

}  // namespace
}  // namespace kv
