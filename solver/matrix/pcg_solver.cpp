// Preconditioned conjugate gradients, the DILU preconditioner, the stopping
// rule and the null-space projection.
#include "solver/matrix/pcg_solver.h"

#include <cmath>
#include <memory>

#include "solver/matrix/matrix_internal.h"

namespace kv {

namespace {

// A residual norm counts as zero when abs((norm + 1) - 1) is below this, and a
// right-hand side norm or a mean guess as zero below kScaleZero.
constexpr double kMachineEpsilon = 2.220446049250313e-15;

// A has a null space that the solver handles: a null-space field is set and
// the expression is a uniform multiple of the stored matrix.
bool HasNullSpace(const SparseMatrix* a) {
  if (!a->nullSpaceIsConstant && a->nullSpaceVector == nullptr) return false;
  const double d = a->diagScale;
  return !ScaleIsZero(d) && ScaleIsOne(a->upperScale / d) && ScaleIsOne(a->lowerScale / d);
}

struct VectorReleaser {
  void operator()(Vector* v) const { VecRelease(v); }
};
using WorkVector = std::unique_ptr<Vector, VectorReleaser>;

}  // namespace

void SetSolverTolerance(double tolerance) { MatrixLibrary().tolerance = tolerance; }

int ConvergenceTest(uint32_t /*iteration*/, double residualNorm, double rhsNorm) {
  if (MatrixLibraryErrorCode() != 0) return 1;
  if (residualNorm < MatrixLibrary().tolerance * rhsNorm) return 1;
  if (std::fabs(rhsNorm) < kScaleZero && std::fabs((residualNorm + 1.0) - 1.0) < kMachineEpsilon) {
    return 1;
  }
  return 0;
}

Vector* ApplyDiluPreconditioner(SparseMatrix* a, Vector* z, Vector* r) {
  Hold<SparseMatrix> holdA(a);
  Hold<Vector> holdZ(z), holdR(r);
  if (MatrixLibraryErrorCode() != 0) return z;
  if (a == nullptr || z == nullptr || r == nullptr || z->temporary || z->n != a->n || r->n != a->n) {
    MatrixLibraryError();
    return z;
  }
  SparseMatrix* f = MatIlu(a);
  if (f == nullptr) return z;
  // Upper storage: M = (D + U) D^-1 (D + L); otherwise M = (D + L) D^-1 (D + U).
  const bool upperStored = a->symmetric && a->triangle == 0;
  // t = (D + first part)^-1 r
  Vector* t = MatSolveTri(MatAdd(MatDiag(f), upperStored ? MatUpper(f) : MatLower(f)), r);
  // t' = D t
  Vector* scaled = MatMulVec(MatDiag(f), t);
  // z = (D + second part)^-1 t'
  VecAssign(z, MatSolveTri(MatAdd(MatDiag(f), upperStored ? MatLower(f) : MatUpper(f)), scaled));
  return z;
}

Vector* ProjectNullSpace(SparseMatrix* a, Vector* v) {
  Hold<SparseMatrix> holdA(a);
  Hold<Vector> holdV(v);
  if (MatrixLibraryErrorCode() != 0) return v;
  if (a == nullptr || v == nullptr) {
    MatrixLibraryError();
    return v;
  }
  if (!HasNullSpace(a)) return v;
  if (v->temporary || v->n != a->n) {
    MatrixLibraryError();
    return v;
  }
  const uint32_t n = v->n;
  double* d = v->data;
  if (n == 0) return v;
  if (a->nullSpaceIsConstant) {
    // v_i -= mean(v)
    double sum = 0.0;
    for (uint32_t i = 1; i <= n; ++i) sum += d[i];
    const double mean = sum / n;
    for (uint32_t i = 1; i <= n; ++i) d[i] -= mean;
  } else {
    // v_i -= (w . v) w_i
    const double* w = a->nullSpaceVector;
    double c = 0.0;
    for (uint32_t i = 1; i <= n; ++i) c += w[i] * d[i];
    for (uint32_t i = 1; i <= n; ++i) d[i] -= c * w[i];
  }
  return v;
}

Vector* PcgSolve(SparseMatrix* a, Vector* x, Vector* b) {
  Hold<SparseMatrix> holdA(a);
  Hold<Vector> holdX(x), holdB(b);
  MatrixLibraryState& state = MatrixLibrary();
  state.lastIterations = 0;
  state.lastResidualNorm = 0.0;
  if (MatrixLibraryErrorCode() != 0) return x;
  if (a == nullptr || x == nullptr || b == nullptr || x->temporary || x->n != a->n ||
      b->n != a->n) {
    MatrixLibraryError();
    return x;
  }
  const uint32_t n = a->n;
  // 1. Work vectors, released on every way out.
  WorkVector r(VecCreate("r", n, 0, 1)), p(VecCreate("p", n, 0, 1));
  WorkVector q(VecCreate("q", n, 0, 1)), z(VecCreate("z", n, 0, 1));
  if (MatrixLibraryErrorCode() != 0) return x;
  const bool nullSpace = HasNullSpace(a);

  // 2. Norm of the right-hand side.
  const double rhsNorm = VecNorm2(b);

  // 3. r = b - A x for a non-zero guess, else r = b.
  if (std::fabs(VecNorm1(x) / n) >= kScaleZero) {
    if (nullSpace) ProjectNullSpace(a, x);
    VecAssign(r.get(), VecSub(b, MatMulVec(a, x)));
  } else {
    VecAssign(r.get(), b);
  }

  // 4. Already converged?
  double residualNorm = VecNorm2(r.get());
  uint32_t iterations = 0;
  if (!ConvergenceTest(0, residualNorm, rhsNorm)) {
    // 5. Conjugate-gradient steps.
    double rhoPrevious = 1.0;
    for (uint32_t k = 1; k <= kPcgMaxIterations; ++k) {
      // z = M^-1 r, projected off the null space
      ApplyDiluPreconditioner(a, z.get(), r.get());
      if (nullSpace) ProjectNullSpace(a, z.get());
      // rho = r . z; zero or not finite only when M is not positive definite
      const double rho = VecDot(r.get(), z.get());
      if (rho == 0.0 || !std::isfinite(rho)) break;
      // p = z, or p = z + (rho / rhoPrevious) p
      if (k == 1) {
        VecAssign(p.get(), z.get());
      } else {
        VecAssign(p.get(), VecAdd(z.get(), VecScale(rho / rhoPrevious, p.get())));
      }
      // q = A p
      VecAssign(q.get(), MatMulVec(a, p.get()));
      // alpha = rho / (p . q); p . q is zero or not finite only when A is not
      // positive definite
      const double pq = VecDot(p.get(), q.get());
      if (pq == 0.0 || !std::isfinite(pq)) break;
      const double alpha = rho / pq;
      // x += alpha p;  r -= alpha q
      VecAddTo(x, VecScale(alpha, p.get()));
      VecSubFrom(r.get(), VecScale(alpha, q.get()));
      rhoPrevious = rho;
      iterations = k;
      residualNorm = VecNorm2(r.get());
      if (ConvergenceTest(k, residualNorm, rhsNorm)) break;
    }
  }

  // 6. Final projection of the solution.
  if (nullSpace) ProjectNullSpace(a, x);
  state.lastIterations = iterations;
  state.lastResidualNorm = residualNorm;
  // 7. The work vectors go with `r`, `p`, `q`, `z`; A, x and b with their holds.
  return x;
}

}  // namespace kv
