// Preconditioned conjugate gradients, the DILU preconditioner, the stopping
// rule and the null-space projection.
#include "solver/matrix/pcg_solver.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "solver/matrix/csr_matrix.h"
#include "solver/matrix/matrix_handles.h"
#include "solver/matrix/matrix_internal.h"
#include "solver/matrix/multigrid.h"
#include "solver/matrix/parallel.h"

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

using WorkVector = VectorHandle;

// Stopping rule of ConvergenceTest with the given tolerance.
bool Converged(double tolerance, double residualNorm, double rhsNorm) {
  if (MatrixLibraryErrorCode() != 0) return true;
  if (residualNorm < tolerance * rhsNorm) return true;
  return std::fabs(rhsNorm) < kScaleZero && std::fabs((residualNorm + 1.0) - 1.0) < kMachineEpsilon;
}

}  // namespace

void SetSolverTolerance(double tolerance) { MatrixLibrary().tolerance = tolerance; }

int ConvergenceTest(uint32_t /*iteration*/, double residualNorm, double rhsNorm) {
  return Converged(MatrixLibrary().tolerance, residualNorm, rhsNorm) ? 1 : 0;
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

namespace {

// z = M^-1 r by the chosen preconditioner.
void Precondition(SparseMatrix* a, const PcgOptions& options, Vector* z, Vector* r) {
  if (options.multigrid != nullptr) {
    MultigridApply(*options.multigrid, r->data + 1, z->data + 1);
    z->data[0] = 0.0;
  } else {
    ApplyDiluPreconditioner(a, z, r);
  }
}

// Euclidean norm of the stored entries 1..n of a work vector.
double Norm2(const Vector* v) {
  const double* d = v->data;
  return std::sqrt(ParallelSum(1, v->n, [d](uint32_t i) { return d[i] * d[i]; }));
}

// Inner product of the stored entries 1..n of two work vectors.
double Dot(const Vector* a, const Vector* b) {
  const double* ad = a->data;
  const double* bd = b->data;
  return ParallelSum(1, a->n, [ad, bd](uint32_t i) { return ad[i] * bd[i]; });
}

// The conjugate-gradient steps from the residual in r: x, r, p, q, z are
// persistent work vectors of A's order; op is A in compressed rows.
PcgResult Iterate(SparseMatrix* a, const CsrMatrix& op, const PcgOptions& options, bool nullSpace, Vector* x,
                  Vector* r, Vector* p, Vector* q, Vector* z, double rhsNorm) {
  PcgResult result;
  result.rhsNorm = rhsNorm;
  result.residualNorm = Norm2(r);
  if (Converged(options.tolerance, result.residualNorm, rhsNorm)) {
    result.converged = 1;
    return result;
  }
  double* xd = x->data;
  double* rd = r->data;
  double* pd = p->data;
  double* qd = q->data;
  const double* zd = z->data;
  double rhoPrevious = 1.0;
  for (uint32_t k = 1; k <= options.maxIterations; ++k) {
    // z = M^-1 r, projected off the null space
    Precondition(a, options, z, r);
    zd = z->data;  // the DILU hands z a new array
    if (nullSpace) ProjectNullSpace(a, z);
    // rho = r . z; zero or not finite only when M is not positive definite
    const double rho = Dot(r, z);
    if (MatrixLibraryErrorCode() != 0 || rho == 0.0 || !std::isfinite(rho)) break;
    // p = z, or p = z + (rho / rhoPrevious) p
    const double beta = rho / rhoPrevious;
    const bool first = k == 1;
    auto direction = [=](uint32_t begin, uint32_t end) {
      if (first) {
        for (uint32_t i = begin; i <= end; ++i) pd[i] = zd[i];
      } else {
        for (uint32_t i = begin; i <= end; ++i) pd[i] = zd[i] + beta * pd[i];
      }
    };
    ForEachChunk(1, x->n, direction);
    // q = A p; alpha = rho / (p . q), zero or not finite only when A is not
    // positive definite
    CsrMultiply(op, pd + 1, qd + 1);
    const double pq = Dot(p, q);
    if (pq == 0.0 || !std::isfinite(pq)) break;
    const double alpha = rho / pq;
    // x += alpha p;  r -= alpha q
    auto update = [=](uint32_t first, uint32_t last) {
      for (uint32_t i = first; i <= last; ++i) {
        xd[i] += alpha * pd[i];
        rd[i] -= alpha * qd[i];
      }
    };
    ForEachChunk(1, x->n, update);
    rhoPrevious = rho;
    result.iterations = k;
    result.residualNorm = Norm2(r);
    if (Converged(options.tolerance, result.residualNorm, rhsNorm)) {
      result.converged = 1;
      break;
    }
  }
  return result;
}

}  // namespace

PcgPreconditioner ChosenPreconditioner() {
  static const PcgPreconditioner chosen = [] {
    const char* text = std::getenv("KAVITRON_PRECONDITIONER");
    if (text != nullptr && std::strcmp(text, "multigrid") == 0) return kPreconditionerMultigrid;
    return kPreconditionerDilu;
  }();
  return chosen;
}

PcgResult PcgSolve(SparseMatrix* a, Vector* x, Vector* b, const PcgOptions& options) {
  Hold<SparseMatrix> holdA(a);
  Hold<Vector> holdX(x), holdB(b);
  if (MatrixLibraryErrorCode() != 0) return PcgResult{};
  if (a == nullptr || x == nullptr || b == nullptr || x->temporary || x->n != a->n || b->n != a->n) {
    MatrixLibraryError();
    return PcgResult{};
  }
  const uint32_t n = a->n;
  // 1. Work vectors, released on every way out.
  WorkVector r(VecCreate("r", n, 0, 1)), p(VecCreate("p", n, 0, 1));
  WorkVector q(VecCreate("q", n, 0, 1)), z(VecCreate("z", n, 0, 1));
  if (MatrixLibraryErrorCode() != 0) return PcgResult{};
  const bool nullSpace = HasNullSpace(a);

  // 2. Norm of the right-hand side; r = b.
  const double rhsNorm = VecNorm2(b);
  VecAssign(r.get(), b);
  const bool zeroGuess = std::fabs(VecNorm1(x) / n) < kScaleZero;
  if (zeroGuess && Converged(options.tolerance, Norm2(r.get()), rhsNorm)) {
    // Nothing to do: A is not even read.
    PcgResult result;
    result.rhsNorm = rhsNorm;
    result.residualNorm = Norm2(r.get());
    result.converged = 1;
    if (nullSpace) ProjectNullSpace(a, x);
    return result;
  }

  // A in compressed rows, kept by the multigrid when it is used.
  if (!PrepareForUse(a)) return PcgResult{};
  CsrMatrix local;
  const CsrMatrix* op = &local;
  CsrFromExpression(a, local);
  if (options.multigrid != nullptr) {
    MultigridPrepare(*options.multigrid, std::move(local), options.unknownIds);
    op = &options.multigrid->levels[0].a;
  }

  // 3. r = b - A x for a non-zero guess.
  if (!zeroGuess) {
    if (nullSpace) ProjectNullSpace(a, x);
    CsrResidual(*op, x->data + 1, r->data + 1, r->data + 1);
  }

  // 4.-5. Conjugate-gradient steps until the stopping rule holds.
  const PcgResult result = Iterate(a, *op, options, nullSpace, x, r.get(), p.get(), q.get(), z.get(), rhsNorm);

  // 6. Final projection of the solution.
  if (nullSpace) ProjectNullSpace(a, x);
  // 7. The work vectors go with `r`, `p`, `q`, `z`; A, x and b with their holds.
  return result;
}

Vector* PcgSolve(SparseMatrix* a, Vector* x, Vector* b) {
  MatrixLibraryState& state = MatrixLibrary();
  state.lastIterations = 0;
  state.lastResidualNorm = 0.0;
  PcgOptions options;
  options.tolerance = state.tolerance;
  const PcgResult result = PcgSolve(a, x, b, options);
  state.lastIterations = result.iterations;
  state.lastResidualNorm = result.residualNorm;
  return x;
}

}  // namespace kv
