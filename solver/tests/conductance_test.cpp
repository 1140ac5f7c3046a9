// The conductance matrix refilled in place pass after pass: it must equal the
// matrix assembled afresh from the same state, also after elements stopped
// and started conducting, and be the symmetric, conservative matrix of the
// elements that conduct.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "solver/filling/filling.h"
#include "solver/tests/fill_loop.h"
#include "solver/tests/test_meshes.h"

namespace kv {
namespace {

// A 40 x 8 mm plate of 20 x 4 cells fed at the middle of its edge x = 0 by a
// 20 mm runner of 4 segments: triangles and line elements in one pattern.
MeshModel RunnerAndPlate() {
  MeshModel mesh = test::Plate(0.04, 0.008, 20, 4, 0.002f);
  const float start[3] = {-0.02f, 0.004f, 0}, along_x[3] = {1, 0, 0};
  test::AddRunner(mesh, -1, start, along_x, 0.02, 4, 0.004f);
  // The runner ends on the plate's edge node (0, 2).
  mesh.elements.back().nodes[1] = 2 * 21;
  mesh.nodes.pop_back();
  return mesh;
}

struct RunnerPlateRun : test::FillLoop {
  RunnerPlateRun()
      : FillLoop(RunnerAndPlate(), 5 * 21, 4, test::NewtonianMelt(100, 500), 1e-6) {}
};

void ExpectSameMatrix(const cs_di& a, const cs_di& b, int pass) {
  ASSERT_EQ(a.n, b.n);
  ASSERT_EQ(a.m, b.m);
  for (int c = 0; c <= a.n; ++c) ASSERT_EQ(a.p[c], b.p[c]) << "column " << c << " pass " << pass;
  for (int q = 0; q < a.p[a.n]; ++q) {
    ASSERT_EQ(a.i[q], b.i[q]) << "entry " << q << " pass " << pass;
    ASSERT_EQ(a.x[q], b.x[q]) << "entry " << q << " pass " << pass;
  }
}

// Symmetric, every column summing to zero (a uniform pressure drives no
// flow), entries only between reached nodes.
void ExpectConservative(const SolverState& s, const cs_di& k, int pass) {
  std::vector<double> dense(static_cast<size_t>(k.n) * k.n, 0.0);
  for (int c = 0; c < k.n; ++c) {
    double sum = 0, diagonal = 0;
    for (int q = k.p[c]; q < k.p[c + 1]; ++q) {
      dense[static_cast<size_t>(k.i[q]) * k.n + c] = k.x[q];
      sum += k.x[q];
      if (k.i[q] == c) diagonal = k.x[q];
      ASSERT_NE(s.fill_state[k.i[q]], -1.0f) << "pass " << pass;
      ASSERT_NE(s.fill_state[c], -1.0f) << "pass " << pass;
    }
    ASSERT_LE(std::fabs(sum), 1e-9 * std::fabs(diagonal)) << "column " << c << " pass " << pass;
  }
  for (int r = 0; r < k.n; ++r) {
    for (int c = 0; c < r; ++c) {
      ASSERT_EQ(dense[static_cast<size_t>(r) * k.n + c], dense[static_cast<size_t>(c) * k.n + r]);
    }
  }
}

TEST(Conductance, RefilledInPlaceEqualsAFreshAssemblyAsElementsStartAndStopConducting) {
  RunnerPlateRun run;
  SolverState& s = run.state;
  // Plate elements of the two middle cells of cell column 3 (two triangles
  // per cell): the melt flows round them while they are off.
  std::vector<int> band;
  for (int j = 1; j < 3; ++j) {
    band.push_back(2 * (j * 20 + 3));
    band.push_back(2 * (j * 20 + 3) + 1);
  }
  int passes = 0, checked_closed = 0;
  while (s.filled_percentage < 90 && passes < 3000) {
    // A band of elements switched off for a while, as a closed gate does.
    const bool closed = s.filled_percentage >= 38 && s.filled_percentage < 55;
    for (int e : band) s.active[e] = closed ? 0 : 1;
    ASSERT_TRUE(run.Pass());
    ++passes;
    cs_di kept;
    ASSERT_TRUE(AssembleConductanceInPlace(s.conductance, s, run.job, kept));
    CsMatrix fresh = AssembleConductance(s, run.job);
    ASSERT_TRUE(fresh);
    ExpectSameMatrix(kept, *fresh, passes);
    ExpectConservative(s, *fresh, passes);
    if (closed) {
      // No entry couples the two ends of the diagonal of a closed cell,
      // which only its two closed triangles share.
      const Element& element = run.mesh.elements[band[0]];
      const int a = element.nodes[0], b = element.nodes[2];
      bool coupled = false;
      for (int q = fresh->p[b]; q < fresh->p[b + 1]; ++q) coupled = coupled || fresh->i[q] == a;
      if (s.fill_state[a] != -1.0f && s.fill_state[b] != -1.0f) {
        ++checked_closed;
        EXPECT_FALSE(coupled) << "pass " << passes;
      }
    }
  }
  EXPECT_GE(s.filled_percentage, 90);
  EXPECT_GT(checked_closed, 0);  // the band had melt on both sides while closed
}

}  // namespace
}  // namespace kv
