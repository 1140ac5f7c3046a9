// Tests of the multigrid preconditioner, the per-call options of PcgSolve and
// the thread-count independence of the library's products.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "solver/matrix/multigrid.h"
#include "solver/matrix/parallel.h"
#include "solver/matrix/tests/library_problem.h"
#include "solver/matrix/tests/matrix_test_support.h"

namespace kv {
namespace {

using MultigridTest = test::MatrixTest;

std::vector<double> Solution(const Vector* x) { return std::vector<double>(x->data + 1, x->data + 1 + x->n); }

// Solves the system from a zero guess; returns what PcgSolve reported.
PcgResult SolveSystem(test::LibrarySystem& s, VectorHandle& x, const PcgOptions& options) {
  x.reset(VecCreate("x", s.a->n, 0, 1));
  VecZero(x.get());
  return PcgSolve(s.a.get(), x.get(), s.b.get(), options);
}

TEST_F(MultigridTest, MultigridAndDiluReachTheSameSolutionAsADirectSolve) {
  // Irregular meshes with a fixed corner, numbered at random.
  for (const uint32_t cells : {12u, 24u}) {
    const test::LaplacianProblem p = test::MakeLaplacianSquare(cells, cells, true, true);
    test::Dense k = test::MakeDense(p.n);
    for (uint32_t i = 0; i < p.n; ++i) {
      for (const test::LowerEntry& e : p.rows[i]) k(i, e.column) = k(e.column, i) = e.value;
    }
    const std::vector<double> exact = test::DenseSolve(k, p.rhs);
    test::LibrarySystem s = test::MakeLibrarySystem(p);
    MultigridPreconditioner mg;
    mg.settings.coarsestRows = 20;  // several levels even on these small grids
    PcgOptions withMultigrid;
    withMultigrid.tolerance = 1e-10;
    withMultigrid.multigrid = &mg;
    PcgOptions withDilu;
    withDilu.tolerance = 1e-10;
    VectorHandle xm, xd;
    const PcgResult rm = SolveSystem(s, xm, withMultigrid);
    const PcgResult rd = SolveSystem(s, xd, withDilu);
    SCOPED_TRACE(testing::Message() << "cells " << cells);
    EXPECT_GE(mg.levels.size(), 3u);
    EXPECT_EQ(rm.converged, 1);
    EXPECT_EQ(rd.converged, 1);
    EXPECT_LT(rm.iterations, rd.iterations);
    const double scale = test::Norm2(exact) / std::sqrt(static_cast<double>(p.n));
    EXPECT_LT(test::MaxDifference(Solution(xm.get()), exact), 1e-7 * scale);
    EXPECT_LT(test::MaxDifference(Solution(xd.get()), exact), 1e-7 * scale);
  }
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
}

// Iterations to a relative residual of 1e-8 from a zero guess.
uint32_t IterationsOnGrid(uint32_t cells, bool multigrid) {
  const test::LaplacianProblem p = test::MakeLaplacianSquare(cells, 7, false, true);
  test::LibrarySystem s = test::MakeLibrarySystem(p);
  MultigridPreconditioner mg;
  PcgOptions options;
  options.tolerance = 1e-8;
  options.maxIterations = 500;
  if (multigrid) options.multigrid = &mg;
  VectorHandle x;
  const PcgResult r = SolveSystem(s, x, options);
  EXPECT_EQ(r.converged, 1) << "cells " << cells;
  return r.iterations;
}

TEST_F(MultigridTest, IterationsStayBoundedAsThePoissonGridIsRefined) {
  // From 17^2 to 129^2 nodes the incomplete factorisation needs several times
  // as many iterations; a working multigrid (14 to 18 here) nearly as many
  // at every size. A broken smoother, prolongation or coarse operator loses
  // that.
  std::vector<uint32_t> mg, dilu;
  for (const uint32_t cells : {16u, 32u, 64u, 128u}) mg.push_back(IterationsOnGrid(cells, true));
  for (const uint32_t cells : {16u, 64u}) dilu.push_back(IterationsOnGrid(cells, false));
  for (size_t k = 0; k < mg.size(); ++k) {
    SCOPED_TRACE(testing::Message() << "grid " << k << ": multigrid " << mg[k]);
    EXPECT_LE(mg[k], 20u);
  }
  EXPECT_LE(mg.back(), mg.front() + 5);
  EXPECT_GE(dilu.back(), 3 * dilu.front()) << dilu.front() << " " << dilu.back();  // a meaningful comparison
}

// Solves the systems of a front advancing across a 65 x 65 grid (the
// unknowns are the nodes left of a moving column, with a conductance that
// varies in space and from solve to solve) with one kept multigrid; checks
// each solution against the incomplete factorisation's and that the hierarchy
// is rebuilt exactly when more than a tenth of the unknowns are new.
void AdvanceFront(MultigridPreconditioner& mg, uint32_t iterationsAfterBuild, uint32_t iterationsLater) {
  const uint32_t cells = 64, side = cells + 1;
  const test::LaplacianProblem p = test::MakeLaplacianSquare(cells, 3, false, true);
  mg.settings.rebuildFraction = 0.1;
  uint32_t lastRows = 0;
  for (uint32_t front = 20; front <= cells; front += 2) {
    std::vector<bool> keep(p.n);
    std::vector<double> factor(p.n);
    for (uint32_t node = 0; node < p.n; ++node) {
      keep[node] = node % side <= front;
      const double x = double(node % side) / cells, y = double(node / side) / cells;
      factor[node] = 1.0 + 0.5 * std::sin(0.1 * front + 3.0 * x) * std::cos(2.0 * y);
    }
    test::LibrarySystem s = test::MakeLibrarySystem(p, keep, factor);
    const uint32_t buildsBefore = mg.builds;
    PcgOptions options;
    options.tolerance = 1e-9;
    options.multigrid = &mg;
    options.unknownIds = s.ids.data();
    VectorHandle x;
    const PcgResult r = SolveSystem(s, x, options);
    SCOPED_TRACE(testing::Message() << "front " << front);
    EXPECT_EQ(r.converged, 1);
    EXPECT_LE(r.iterations, mg.builds > buildsBefore ? iterationsAfterBuild : iterationsLater);
    const uint32_t n = s.a->n;
    const bool due = lastRows == 0 || n - lastRows > 0.1 * n;
    EXPECT_EQ(mg.builds - buildsBefore, due ? 1u : 0u);
    if (due) lastRows = n;
    // The last build knows the unknowns it was built with, and neither the
    // nodes the front has not reached nor ids out of range.
    EXPECT_TRUE(MultigridCovers(mg, s.ids[1]));
    EXPECT_EQ(MultigridCovers(mg, static_cast<int>(side - 1)), front == cells && due);
    EXPECT_FALSE(MultigridCovers(mg, -1));
    EXPECT_FALSE(MultigridCovers(mg, static_cast<int>(p.n)));
    PcgOptions dilu;
    dilu.tolerance = 1e-9;
    dilu.maxIterations = 400;
    VectorHandle xd;
    SolveSystem(s, xd, dilu);
    EXPECT_LT(test::MaxDifference(Solution(x.get()), Solution(xd.get())), 1e-6 * test::Norm2(Solution(xd.get())));
  }
}

TEST_F(MultigridTest, HierarchyIsKeptWhileTheUnknownsGrowAndRebuiltPastTheFraction) {
  // Coarse operators recomputed at every solve: about 16 iterations right
  // after a build, slowly more as new unknowns accumulate.
  MultigridPreconditioner everySolve;
  everySolve.settings.refreshInterval = 1;
  AdvanceFront(everySolve, 20, 32);
  EXPECT_GT(everySolve.refreshes, everySolve.builds);
  // Recomputed at every third solve: the stale coarse levels cost a few
  // iterations more, never the solution.
  MultigridPreconditioner everyThird;
  everyThird.settings.refreshInterval = 3;
  AdvanceFront(everyThird, 20, 40);
  EXPECT_GE(everyThird.refreshes, 1u);
  EXPECT_LT(everyThird.refreshes, everySolve.refreshes);
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
}

TEST_F(MultigridTest, SingularSystemWithAConstantNullSpaceConverges) {
  const test::LaplacianProblem p = test::MakeLaplacianSquare(40, 5, true, false);
  test::LibrarySystem s = test::MakeLibrarySystem(p);
  s.a->nullSpaceIsConstant = 1;
  // A compatible right-hand side: zero mean.
  double mean = 0.0;
  for (uint32_t i = 1; i <= s.b->n; ++i) mean += s.b->data[i] / s.b->n;
  for (uint32_t i = 1; i <= s.b->n; ++i) s.b->data[i] = s.b->data[i] - mean + 0.01 * std::cos(i);
  mean = 0.0;
  for (uint32_t i = 1; i <= s.b->n; ++i) mean += s.b->data[i] / s.b->n;
  for (uint32_t i = 1; i <= s.b->n; ++i) s.b->data[i] -= mean;
  MultigridPreconditioner mg;
  PcgOptions options;
  options.tolerance = 1e-9;
  options.multigrid = &mg;
  VectorHandle x;
  const PcgResult r = SolveSystem(s, x, options);
  EXPECT_EQ(r.converged, 1);
  EXPECT_LE(r.iterations, 20u);
  double sum = 0.0;
  for (double v : Solution(x.get())) sum += v;
  EXPECT_NEAR(sum, 0.0, 1e-9);
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
}

TEST_F(MultigridTest, OptionsSetTheToleranceAndTheLimitOfOneCall) {
  const test::LaplacianProblem p = test::MakeLaplacianSquare(30, 2, true, true);
  test::LibrarySystem s = test::MakeLibrarySystem(p);
  SetSolverTolerance(1e-3);  // the process-wide tolerance is not used
  PcgOptions options;
  options.tolerance = 1e-12;
  options.maxIterations = 5;
  VectorHandle x;
  const PcgResult capped = SolveSystem(s, x, options);
  EXPECT_EQ(capped.iterations, 5u);
  EXPECT_EQ(capped.converged, 0);
  EXPECT_EQ(MatrixLibrary().lastIterations, 0u);  // the process record is untouched
  options.maxIterations = 400;
  const PcgResult full = SolveSystem(s, x, options);
  EXPECT_EQ(full.converged, 1);
  EXPECT_LT(full.residualNorm, 1e-12 * full.rhsNorm);
  EXPECT_NEAR(full.rhsNorm, VecNorm2(s.b.get()), 1e-15 * full.rhsNorm);
  // The same system through the process-wide tolerance: the record is kept.
  SetSolverTolerance(1e-6);
  x.reset(VecCreate("x", s.a->n, 0, 1));
  VecZero(x.get());
  PcgSolve(s.a.get(), x.get(), s.b.get());
  EXPECT_GT(MatrixLibrary().lastIterations, 5u);
  EXPECT_LT(MatrixLibrary().lastResidualNorm, 1e-6 * full.rhsNorm);
}

TEST_F(MultigridTest, ResultsDoNotDependOnTheThreadCount) {
  // 14.4k unknowns: the products span four chunks.
  const test::LaplacianProblem p = test::MakeLaplacianSquare(119, 9, true, true);
  std::vector<std::vector<double>> solutions;
  std::vector<double> dots;
  for (const int threads : {1, 2, 3}) {
    SetMatrixThreadCount(threads);
    test::LibrarySystem s = test::MakeLibrarySystem(p);
    for (const bool multigrid : {false, true}) {
      MultigridPreconditioner mg;
      PcgOptions options;
      options.tolerance = 1e-8;
      options.maxIterations = 60;  // enough steps for rounding to show
      if (multigrid) options.multigrid = &mg;
      VectorHandle x;
      SolveSystem(s, x, options);
      solutions.push_back(Solution(x.get()));
    }
    dots.push_back(VecDot(s.b.get(), s.b.get()));
  }
  SetMatrixThreadCount(0);
  for (size_t k = 2; k < solutions.size(); ++k) EXPECT_EQ(solutions[k], solutions[k % 2]) << "run " << k;
  EXPECT_EQ(dots[1], dots[0]);
  EXPECT_EQ(dots[2], dots[0]);
}

}  // namespace
}  // namespace kv
