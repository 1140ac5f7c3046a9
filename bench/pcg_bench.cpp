// Benchmark of PcgSolve on the pressure equation's shape (P1 Laplacian of a
// triangulated square numbered row by row, one fixed node, symmetric lower
// storage) against Eigen's ConjugateGradient with IncompleteCholesky on the
// same matrix and right-hand side at the same relative tolerance.
//
//   bench_pcg [--tolerance T] [cells ...]     (default cells: 100 316 632,
//                                             about 10k, 100k and 400k unknowns)
//
// Prints, per size, the iterations, the time of the factorisation (setup), of
// one solve from a zero guess and per iteration, for PcgSolve and for Eigen
// with its default (AMD) and with the natural ordering, and the ratios
// ours/Eigen. The fastest of a few repetitions is reported.

#include <Eigen/IterativeLinearSolvers>
#include <Eigen/SparseCore>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "solver/matrix/matrix_library.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/tests/laplacian_problem.h"
#include "solver/matrix/vector.h"

namespace {

using kv::test::LaplacianProblem;

struct Result {
  double setupSeconds = 0.0;
  double solveSeconds = 0.0;  // fastest repetition
  uint32_t iterations = 0;
  double relativeResidual = 0.0;  // ||b - A x|| / ||b||, recomputed here
};

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ||b - A x|| / ||b|| with A given by its lower triangle (0-based x).
double RelativeResidual(const LaplacianProblem& p, const std::vector<double>& x) {
  std::vector<double> r(p.rhs);
  for (uint32_t i = 0; i < p.n; ++i) {
    for (const auto& e : p.rows[i]) {
      r[i] -= e.value * x[e.column];
      if (e.column != i) r[e.column] -= e.value * x[i];
    }
  }
  double rr = 0.0, bb = 0.0;
  for (uint32_t i = 0; i < p.n; ++i) {
    rr += r[i] * r[i];
    bb += p.rhs[i] * p.rhs[i];
  }
  return std::sqrt(rr / bb);
}

Result RunOurs(const LaplacianProblem& p, double tolerance, int repetitions) {
  kv::ResetMatrixLibrary();
  kv::SetSolverTolerance(tolerance);
  kv::SparseMatrix* a = kv::MatCreate("A", p.n, 1, 1, 0, 1);
  for (uint32_t i = 0; i < p.n; ++i) {
    const auto& row = p.rows[i];
    kv::MatSetRowLength(a, i + 1, static_cast<uint32_t>(row.size()));
    for (size_t s = 0; s < row.size(); ++s) {
      kv::MatSetEntry(a, i + 1, static_cast<uint32_t>(s), row[s].column + 1, row[s].value);
    }
  }
  kv::Vector* b = kv::VecCreate("b", p.n, 0, 1);
  kv::Vector* x = kv::VecCreate("x", p.n, 0, 1);
  for (uint32_t i = 0; i < p.n; ++i) kv::VecSet(b, i + 1, p.rhs[i]);
  Result result;
  const double t0 = Now();
  kv::MatIlu(a);  // assembly, diagonal and factor, cached for every solve
  result.setupSeconds = Now() - t0;
  result.solveSeconds = 1e300;
  for (int rep = 0; rep < repetitions; ++rep) {
    kv::VecZero(x);
    const double t1 = Now();
    kv::PcgSolve(a, x, b);
    result.solveSeconds = std::min(result.solveSeconds, Now() - t1);
  }
  result.iterations = kv::MatrixLibrary().lastIterations;
  std::vector<double> xv(x->data + 1, x->data + 1 + p.n);
  result.relativeResidual = RelativeResidual(p, xv);
  if (kv::MatrixLibraryErrorCode() != 0) std::printf("matrix library error during the run\n");
  kv::VecRelease(x);
  kv::VecRelease(b);
  kv::MatDestroy(a);
  return result;
}

// Eigen's conjugate gradients on the lower triangle with an incomplete
// Cholesky preconditioner under the fill-reducing ordering `Ordering`.
template <typename Ordering>
Result RunEigen(const LaplacianProblem& p, double tolerance, int repetitions) {
  using SpMat = Eigen::SparseMatrix<double>;
  std::vector<Eigen::Triplet<double>> triplets;
  triplets.reserve(p.lowerNonZeros);
  for (uint32_t i = 0; i < p.n; ++i) {
    for (const auto& e : p.rows[i]) triplets.emplace_back(i, e.column, e.value);
  }
  SpMat a(p.n, p.n);
  a.setFromTriplets(triplets.begin(), triplets.end());
  a.makeCompressed();
  Eigen::VectorXd b(p.n);
  for (uint32_t i = 0; i < p.n; ++i) b[i] = p.rhs[i];
  Eigen::ConjugateGradient<SpMat, Eigen::Lower, Eigen::IncompleteCholesky<double, Eigen::Lower, Ordering>> cg;
  cg.setTolerance(tolerance);
  Result result;
  const double t0 = Now();
  cg.compute(a);
  result.setupSeconds = Now() - t0;
  result.solveSeconds = 1e300;
  Eigen::VectorXd x;
  for (int rep = 0; rep < repetitions; ++rep) {
    const double t1 = Now();
    x = cg.solve(b);
    result.solveSeconds = std::min(result.solveSeconds, Now() - t1);
  }
  result.iterations = static_cast<uint32_t>(cg.iterations());
  std::vector<double> xv(x.data(), x.data() + p.n);
  result.relativeResidual = RelativeResidual(p, xv);
  return result;
}

double PerIteration(const Result& r) { return r.solveSeconds / std::max(1u, r.iterations); }

// One line of the table; the ratios ours/this when `ours` is given.
void PrintLine(uint32_t n, const char* solver, const Result& r, const Result* ours) {
  std::printf("%9u  %-26s %6u %8.4f %9.4f %9.4f %9.1e", n, solver, r.iterations, r.setupSeconds,
              r.solveSeconds, 1e3 * PerIteration(r), r.relativeResidual);
  if (ours != nullptr) {
    std::printf("   %6.2f %6.2f", PerIteration(*ours) / PerIteration(r), ours->solveSeconds / r.solveSeconds);
  }
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  double tolerance = kv::kDefaultSolverTolerance;
  std::vector<uint32_t> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--tolerance") == 0 && i + 1 < argc) {
      tolerance = std::atof(argv[++i]);
    } else {
      const long cells = std::atol(argv[i]);
      if (cells < 2 || cells > 4000) {
        std::fprintf(stderr, "bench_pcg: cells must be a number from 2 to 4000, not \"%s\"\n", argv[i]);
        return 2;
      }
      sizes.push_back(static_cast<uint32_t>(cells));
    }
  }
  if (sizes.empty()) sizes = {100, 316, 632};
  std::printf("PcgSolve (DILU, symmetric lower storage) and Eigen ConjugateGradient + IncompleteCholesky\n"
              "on the same matrix and right-hand side, relative tolerance %.1e. PcgSolve stops after\n"
              "at most %u iterations (the solver's limit) while Eigen runs to the tolerance: compare\n"
              "the time per iteration. residual = ||b - A x|| / ||b|| of the returned x.\n\n",
              tolerance, kv::kPcgMaxIterations);
  std::printf("%9s  %-26s %6s %8s %9s %9s %9s   %6s %6s\n", "unknowns", "solver", "iter", "setup s",
              "solve s", "ms/iter", "residual", "ours/this: per iter", "per solve");
  for (uint32_t cells : sizes) {
    const LaplacianProblem p = kv::test::MakeLaplacianSquare(cells, 2026, false, true);
    const int repetitions = p.n <= 20000 ? 5 : (p.n <= 200000 ? 2 : 1);
    const Result ours = RunOurs(p, tolerance, repetitions);
    PrintLine(p.n, "PcgSolve", ours, nullptr);
    PrintLine(p.n, "Eigen IC, AMD ordering", RunEigen<Eigen::AMDOrdering<int>>(p, tolerance, repetitions),
              &ours);
    PrintLine(p.n, "Eigen IC, natural ordering",
              RunEigen<Eigen::NaturalOrdering<int>>(p, tolerance, repetitions), &ours);
  }
  return 0;
}
