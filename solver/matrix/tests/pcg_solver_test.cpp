#include "solver/matrix/pcg_solver.h"

#include "solver/matrix/tests/matrix_test_support.h"

namespace kv {
namespace {

using test::Dense;
using test::kStorages;
using test::Storage;
using test::MakeDense;
using test::MakeVector;
using test::MatrixTest;
using test::Multiply;
using test::Norm2;
using test::ToLibrary;
using test::Values;

using PcgSolverTest = MatrixTest;

// Relative residual ||b - D x|| / ||b|| of a solution, computed densely.
double RelativeResidual(const Dense& d, const std::vector<double>& x, const std::vector<double>& b) {
  std::vector<double> r = Multiply(d, x);
  for (size_t i = 0; i < r.size(); ++i) r[i] = b[i] - r[i];
  return Norm2(r) / Norm2(b);
}

double RelativeError(const std::vector<double>& x, const std::vector<double>& exact) {
  return test::MaxDifference(x, exact) / test::MaxDifference(exact, std::vector<double>(exact.size(), 0.0));
}

std::vector<double> RandomValues(uint32_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = value(rng);
  return v;
}

// Solves d x = b with the library from x = 0 in the given storage and returns x.
std::vector<double> Solve(const Dense& d, const std::vector<double>& b, int symmetric, int triangle) {
  SparseMatrix* a = ToLibrary(d, "A", symmetric, triangle);
  Vector* x = VecCreate("x", d.n, 0, 1);
  VecZero(x);
  Vector* rhs = MakeVector("b", b);
  PcgSolve(a, x, rhs);
  std::vector<double> out = Values(x);
  VecRelease(rhs);
  VecRelease(x);
  MatDestroy(a);
  return out;
}

TEST_F(PcgSolverTest, RandomSparseSpdSystemsAgreeWithADirectSolve) {
  SetSolverTolerance(1e-10);
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const Dense d = test::RandomSpd(60, 0.08, seed);
    const std::vector<double> b = RandomValues(d.n, seed + 100);
    const std::vector<double> exact = test::DenseSolve(d, b);
    for (const Storage st : kStorages) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << " symmetric " << st.symmetric
                                      << " triangle " << st.triangle);
      const std::vector<double> x = Solve(d, b, st.symmetric, st.triangle);
      EXPECT_LT(MatrixLibrary().lastIterations, kPcgMaxIterations);
      EXPECT_LT(RelativeResidual(d, x, b), 1e-10);
      EXPECT_LT(RelativeError(x, exact), 1e-8);
    }
  }
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
}

TEST_F(PcgSolverTest, FiniteElementLaplaciansWithAFixedNodeAgreeWithADirectSolve) {
  SetSolverTolerance(1e-9);
  for (const uint32_t cells : {6u, 14u}) {
    Dense k = test::FiniteElementLaplacian(cells, cells);
    test::FixNode(k, 0);
    std::vector<double> b = RandomValues(k.n, cells);
    b[0] = 0.0;
    const std::vector<double> exact = test::DenseSolve(k, b);
    for (const Storage st : kStorages) {
      SCOPED_TRACE(testing::Message() << "cells " << cells << " symmetric " << st.symmetric
                                      << " triangle " << st.triangle);
      const std::vector<double> x = Solve(k, b, st.symmetric, st.triangle);
      EXPECT_GT(MatrixLibrary().lastIterations, 1u);
      EXPECT_LT(MatrixLibrary().lastIterations, kPcgMaxIterations);
      EXPECT_LT(RelativeResidual(k, x, b), 1e-9);
      EXPECT_LT(RelativeError(x, exact), 1e-6);
    }
  }
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
}

TEST_F(PcgSolverTest, ConstantNullSpaceGivesAZeroMeanSolutionAndAShiftedFactorDiagonal) {
  SetSolverTolerance(1e-10);
  const Dense k = test::FiniteElementLaplacian(8, 4);  // singular: rows sum to zero
  std::vector<double> b = RandomValues(k.n, 9);
  double mean = 0.0;
  for (double v : b) mean += v / k.n;
  for (double& v : b) v -= mean;  // b in the range of K
  for (const Storage st : kStorages) {
    SCOPED_TRACE(testing::Message() << "symmetric " << st.symmetric << " triangle " << st.triangle);
    SparseMatrix* a = ToLibrary(k, "K", st.symmetric, st.triangle);
    a->nullSpaceIsConstant = 1;
    Vector* x = MakeVector("x", RandomValues(k.n, 77));  // a non-zero guess
    Vector* rhs = MakeVector("b", b);
    PcgSolve(a, x, rhs);
    const std::vector<double> xv = Values(x);
    double xMean = 0.0;
    for (double v : xv) xMean += v / k.n;
    EXPECT_NEAR(xMean, 0.0, 1e-14);
    EXPECT_LT(RelativeResidual(k, xv, b), 1e-9);
    EXPECT_LT(MatrixLibrary().lastIterations, kPcgMaxIterations);
    // The factor's diagonal is A's diagonal times 1.0001 (symmetric storage
    // leaves the diagonal out of the elimination).
    if (st.symmetric) {
      for (uint32_t i = 1; i <= k.n; ++i) {
        EXPECT_DOUBLE_EQ(a->factor->diagonalEntry[i]->value, 1.0001 * a->diagonalEntry[i]->value);
      }
    }
    VecRelease(rhs);
    VecRelease(x);
    MatDestroy(a);
  }
}

TEST_F(PcgSolverTest, NullSpaceVectorIsProjectedOut) {
  SetSolverTolerance(1e-10);
  const Dense k = test::FiniteElementLaplacian(5, 8);
  std::vector<double> w(k.n + 1, 1.0 / std::sqrt(static_cast<double>(k.n)));
  w[0] = 0.0;
  SparseMatrix* a = ToLibrary(k, "K", 1, 1);
  a->nullSpaceVector = w.data();
  std::vector<double> b = RandomValues(k.n, 5);
  double mean = 0.0;
  for (double v : b) mean += v / k.n;
  for (double& v : b) v -= mean;
  Vector* x = VecCreate("x", k.n, 0, 1);
  VecZero(x);
  Vector* rhs = MakeVector("b", b);
  PcgSolve(a, x, rhs);
  double sum = 0.0;
  for (double v : Values(x)) sum += v;
  EXPECT_NEAR(sum, 0.0, 1e-12);
  EXPECT_LT(RelativeResidual(k, Values(x), b), 1e-9);

  // ProjectNullSpace alone: v -= (w . v) w removes exactly the constant part.
  Vector* v = MakeVector("v", std::vector<double>(k.n, 3.0));
  ProjectNullSpace(a, v);
  EXPECT_LT(test::MaxDifference(Values(v), std::vector<double>(k.n, 0.0)), 1e-14);
  // A temporary or a vector of another length is refused.
  ::testing::internal::CaptureStdout();
  ProjectNullSpace(a, VecScale(1.0, v));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  VecRelease(v);
  VecRelease(rhs);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, ZeroRightHandSideAndZeroGuessStopAtIterationZero) {
  const Dense k = test::RandomSpd(10, 0.3, 4);
  SparseMatrix* a = ToLibrary(k, "A", 1, 1);
  Vector* x = VecCreate("x", 10, 0, 1);
  VecZero(x);
  Vector* b = VecCreate("b", 10, 0, 1);
  VecZero(b);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(PcgSolve(a, x, b), x);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(MatrixLibrary().lastIterations, 0u);
  EXPECT_EQ(Values(x), std::vector<double>(10, 0.0));
  // The zero guess takes r = b: A was never read (not even assembled).
  EXPECT_EQ(*a->assembled, 0);
  EXPECT_EQ(*a->factorValid, 0);
  VecRelease(b);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, UnreachableToleranceStopsSilentlyAfterExactly100Iterations) {
  SetSolverTolerance(0.0);  // the recurred residual never gets below 0
  Dense k = test::FiniteElementLaplacian(12, 2);
  test::FixNode(k, 5);
  std::vector<double> b = RandomValues(k.n, 3);
  SparseMatrix* a = ToLibrary(k, "A", 1, 1);
  Vector* x = VecCreate("x", k.n, 0, 1);
  VecZero(x);
  Vector* rhs = MakeVector("b", b);
  ::testing::internal::CaptureStdout();
  PcgSolve(a, x, rhs);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(MatrixLibrary().lastIterations, 100u);
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
  // The last iterate is kept, and it is a good one.
  EXPECT_LT(RelativeResidual(k, Values(x), b), 1e-12);
  VecRelease(rhs);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, SecondSolveReusesTheFactorAndRenamesItTheSameWay) {
  SetSolverTolerance(1e-10);
  Dense k = test::FiniteElementLaplacian(6, 1);
  test::FixNode(k, 3);
  SparseMatrix* a = ToLibrary(k, "K", 1, 1);
  Vector* x = VecCreate("x", k.n, 0, 1);
  VecZero(x);
  Vector* b = MakeVector("b", RandomValues(k.n, 2));
  PcgSolve(a, x, b);
  SparseMatrix* f = a->factor;
  ASSERT_EQ(*a->factorValid, 1);
  EXPECT_EQ(f->name, "ILU(K)");
  const uint32_t firstIterations = MatrixLibrary().lastIterations;
  const MatrixEntry* factorRow = f->rows[k.n];
  const double factorValue = factorRow[0].value;

  // The same system again from zero: same factor, same iterations.
  VecZero(x);
  PcgSolve(a, x, b);
  EXPECT_EQ(a->factor, f);
  EXPECT_EQ(f->rows[k.n], factorRow);
  EXPECT_EQ(f->name, "ILU(K)");
  EXPECT_EQ(MatrixLibrary().lastIterations, firstIterations);

  // Changing A's values after the first factorisation leaves the factor as it
  // was: the new system is still solved, with the old preconditioner.
  for (uint32_t i = 1; i <= k.n; ++i) {
    MatrixEntry* row = a->rows[i];
    for (uint32_t s = 0; s < a->rowLength[i]; ++s) row[s].value *= 2.0;
    MatSetEntry(a, i, a->rowLength[i] - 1, i, row[a->rowLength[i] - 1].value);
  }
  VecZero(x);
  PcgSolve(a, x, b);
  EXPECT_DOUBLE_EQ(f->rows[k.n][0].value, factorValue);
  Dense k2 = k;
  for (double& v : k2.a) v *= 2.0;
  EXPECT_LT(RelativeResidual(k2, Values(x), Values(b)), 1e-9);
  VecRelease(b);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, LowerStorageFactorKeepsTheDiagonalAndChangesOffDiagonals) {
  Dense k = test::FiniteElementLaplacian(5, 6);
  test::FixNode(k, 0);
  SparseMatrix* a = ToLibrary(k, "K", 1, 1);
  SparseMatrix* f = MatIlu(a);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->name, "ILU(K)");
  bool someOffDiagonalChanged = false;
  for (uint32_t i = 1; i <= k.n; ++i) {
    ASSERT_EQ(f->rowLength[i], a->rowLength[i]);
    for (uint32_t s = 0; s < a->rowLength[i]; ++s) {
      ASSERT_EQ(f->rows[i][s].column, a->rows[i][s].column);
      if (a->rows[i][s].column == i) {
        EXPECT_EQ(f->rows[i][s].value, a->rows[i][s].value);
      } else if (f->rows[i][s].value != a->rows[i][s].value) {
        someOffDiagonalChanged = true;
      }
    }
  }
  EXPECT_TRUE(someOffDiagonalChanged);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, NonSymmetricStorageOfATridiagonalMatrixIsFactoredExactly) {
  // On a tridiagonal pattern the incomplete factor has no dropped fill, so the
  // preconditioner is the inverse and one step solves the system.
  const uint32_t n = 30;
  Dense d = MakeDense(n);
  for (uint32_t i = 0; i < n; ++i) {
    d(i, i) = 2.5 + 0.01 * i;
    if (i > 0) d(i, i - 1) = -1.0;
    if (i + 1 < n) d(i, i + 1) = -1.0;
  }
  const std::vector<double> b = RandomValues(n, 12);
  SetSolverTolerance(1e-12);
  const std::vector<double> x = Solve(d, b, 0, 0);
  EXPECT_EQ(MatrixLibrary().lastIterations, 1u);
  EXPECT_LT(RelativeResidual(d, x, b), 1e-12);
}

TEST_F(PcgSolverTest, ScaledMatrixExpressionIsSolvedWithTheScaledFactor) {
  SetSolverTolerance(1e-10);
  const Dense d = test::RandomSpd(25, 0.2, 31);
  const std::vector<double> b = RandomValues(d.n, 32);
  SparseMatrix* a = ToLibrary(d, "A", 1, 1);
  Vector* x = VecCreate("x", d.n, 0, 1);
  VecZero(x);
  Vector* rhs = MakeVector("b", b);
  PcgSolve(MatAdd(a, a), x, rhs);  // (2A) x = b, the view consumed by the solve
  EXPECT_EQ(a->factor->name, "ILU(A + A)");
  EXPECT_DOUBLE_EQ(a->factor->diagScale, 2.0);
  std::vector<double> twice = Values(x);
  for (double& v : twice) v *= 2.0;
  EXPECT_LT(RelativeResidual(d, twice, b), 1e-9);

  // Unequal part scales have no factor.
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(MatIlu(MatAdd(MatDiag(a), MatLower(a))), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  VecRelease(rhs);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, TemporaryRightHandSideIsConsumedAndTheGuessIsUsed) {
  SetSolverTolerance(1e-10);
  const Dense d = test::RandomSpd(20, 0.2, 41);
  const std::vector<double> b = RandomValues(d.n, 42);
  const std::vector<double> exact = test::DenseSolve(d, b);
  SparseMatrix* a = ToLibrary(d, "A", 1, 0);
  // Start next to the solution: fewer iterations than from zero.
  std::vector<double> guess = exact;
  for (double& v : guess) v += 1e-6;
  Vector* x = MakeVector("x", guess);
  Vector* half = MakeVector("h", b);
  PcgSolve(a, x, VecScale(2.0, VecScale(0.5, VecAdd(half, VecScale(0.0, half)))));
  EXPECT_LT(RelativeError(Values(x), exact), 1e-8);
  const uint32_t warmIterations = MatrixLibrary().lastIterations;
  EXPECT_EQ(Solve(d, b, 1, 0).size(), d.n);
  EXPECT_LT(warmIterations, MatrixLibrary().lastIterations);
  VecRelease(half);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, IndefiniteSystemStopsWithFiniteUnknowns) {
  Dense d = MakeDense(2);
  d(0, 0) = 1.0;
  d(1, 1) = -1.0;
  const std::vector<double> x = Solve(d, {1.0, 1.0}, 1, 1);
  EXPECT_TRUE(std::isfinite(x[0]) && std::isfinite(x[1]));
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
}

TEST_F(PcgSolverTest, FactorisationFailuresAreLibraryErrorsAndLeaveTheGuess) {
  struct Case {
    const char* what;
    Dense d;
    int symmetric;
  };
  Dense zeroPivot = MakeDense(3);
  zeroPivot(0, 0) = zeroPivot(1, 1) = zeroPivot(2, 2) = 1.0;
  zeroPivot(1, 0) = zeroPivot(0, 1) = 1.0;  // pivot of row 2: 1 - 1 * 1 / 1 = 0
  Dense oneSided = MakeDense(3);  // entry (3,1) without (1,3): not structurally symmetric
  oneSided(0, 0) = oneSided(1, 1) = oneSided(2, 2) = 2.0;
  oneSided(2, 0) = 1.0;
  for (const Case& c : {Case{"zero pivot", zeroPivot, 0}, Case{"one-sided pattern", oneSided, 0}}) {
    SCOPED_TRACE(c.what);
    ResetMatrixLibrary();
    SparseMatrix* a = ToLibrary(c.d, "A", c.symmetric, 0);
    Vector* x = MakeVector("x", {0.5, 0.5, 0.5});
    Vector* b = MakeVector("b", {1.0, 2.0, 3.0});
    ::testing::internal::CaptureStdout();
    PcgSolve(a, x, b);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().substr(0, 23), "\nError: Matrix library\n");
    EXPECT_EQ(MatrixLibraryErrorCode(), 12);
    EXPECT_DOUBLE_EQ(x->data[1], 0.5);  // the unknowns as they stood
    EXPECT_DOUBLE_EQ(VecGet(x, 1), 0.0);  // ... and they read back as 0
    VecRelease(b);
    VecRelease(x);
    MatDestroy(a);
  }
}

TEST_F(PcgSolverTest, SolveInTheErrorStateDoesNothing) {
  const Dense d = test::RandomSpd(5, 0.5, 1);
  SparseMatrix* a = ToLibrary(d, "A", 1, 1);
  Vector* x = MakeVector("x", {1, 2, 3, 4, 5});
  Vector* b = MakeVector("b", {1, 1, 1, 1, 1});
  ::testing::internal::CaptureStdout();
  VecSet(b, 6, 1.0);
  PcgSolve(a, x, VecScale(1.0, b));  // the temporary is still released
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(Values(x), (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(*a->factorValid, 0);
  VecRelease(b);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(PcgSolverTest, ConvergenceTestFollowsTheRelativeToleranceAndTheZeroRightHandSide) {
  SetSolverTolerance(1e-6);
  EXPECT_EQ(ConvergenceTest(3, 0.9e-6, 1.0), 1);
  EXPECT_EQ(ConvergenceTest(3, 1.1e-6, 1.0), 0);
  EXPECT_EQ(ConvergenceTest(3, 0.9e-3, 1e3), 1);
  EXPECT_EQ(ConvergenceTest(3, 1e-3, 1e3), 0);  // strictly below
  EXPECT_EQ(ConvergenceTest(0, 0.0, 0.0), 1);
  EXPECT_EQ(ConvergenceTest(0, 1e-20, 0.0), 1);  // (1e-20 + 1) - 1 == 0
  EXPECT_EQ(ConvergenceTest(0, 1e-10, 0.0), 0);
  ::testing::internal::CaptureStdout();
  MatrixLibraryError();
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(ConvergenceTest(5, 1e10, 1.0), 1);
}

}  // namespace
}  // namespace kv
