#pragma once
// Preconditioned conjugate gradients with an incomplete factorisation of zero
// fill, for the symmetric pressure systems of the filling solver.
//
// All operations follow the temporaries protocol and the sticky error state of
// the matrix library (vector.h, sparse_matrix.h, matrix_library.h).

#include <cstdint>

#include "solver/matrix/matrix_library.h"
#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/vector.h"

namespace kv {

// Most iterations of one PcgSolve.
inline constexpr uint32_t kPcgMaxIterations = 100;

// Diagonal shift of the factor of a singular matrix with a known null space.
inline constexpr double kNullSpaceDiagonalShift = 1.0001;

// Sets the relative tolerance of ConvergenceTest (the process default is 1e-8).
void SetSolverTolerance(double tolerance);

// Stopping rule: 1 to stop, 0 to go on. Stops in the error state, when
// residualNorm < tolerance * rhsNorm, or, for a right-hand side of norm 0,
// when the residual norm is zero to machine precision.
//   iteration: 0 before the first step (not used by the rule itself).
int ConvergenceTest(uint32_t iteration, double residualNorm, double rhsNorm);

// The incomplete factor F of A, computed at the first call for A's storage and
// reused by every later call and every view over it; named "ILU(%s)" after A
// on every call, with A's triangle and, when A's three scales are equal, A's
// scales (the factor of s*A is s*F). Unequal scales, a missing diagonal or a
// pivot below 2.2250738585072014e-307 are library errors (nullptr returned
// for unequal scales). F's inverse diagonal holds the inverses of its
// factored pivots. F is persistent and belongs to A's storage: do not
// destroy it. For a non-symmetric A the pattern must be structurally
// symmetric.
SparseMatrix* MatIlu(SparseMatrix* a);

// z = M^-1 r with M built from F = MatIlu(A) and its parts D, U, L:
//   symmetric A storing its upper triangle: M = (D + U) D^-1 (D + L);
//   every other A: M = (D + L) D^-1 (D + U).
// z must be persistent and of A's order. Returns z.
Vector* ApplyDiluPreconditioner(SparseMatrix* a, Vector* z, Vector* r);

// Removes the null-space component of v when A is singular with a known null
// space and is a uniform multiple of its storage: with nullSpaceIsConstant the
// mean of v_1..v_n is subtracted from every entry, otherwise v -= (w.v) w with
// w = nullSpaceVector (taken to have unit length). v must be persistent and of
// A's order, else a library error. Returns v.
Vector* ProjectNullSpace(SparseMatrix* a, Vector* v);

struct MultigridPreconditioner;

// Preconditioners of the conjugate-gradient solve.
enum PcgPreconditioner : int { kPreconditionerDilu = 0, kPreconditionerMultigrid = 1 };

// The preconditioner a caller that offers both should use: the value of the
// environment variable KAVITRON_PRECONDITIONER ("dilu" or "multigrid") when
// set to one of them, otherwise the incomplete factorisation. Read once per
// process.
PcgPreconditioner ChosenPreconditioner();

// Choices of one PcgSolve call.
struct PcgOptions {
  double tolerance = kDefaultSolverTolerance;    // relative: stop when ||r|| < tolerance ||b||
  uint32_t maxIterations = kPcgMaxIterations;    // most iterations
  // nullptr: the incomplete factorisation (DILU). Otherwise the multigrid
  // preconditioner, kept by the caller from solve to solve and prepared for A
  // by this call (see multigrid.h).
  MultigridPreconditioner* multigrid = nullptr;
  // Stable identifiers of the unknowns, unknownIds[1..n] for rows 1..n, that
  // let the multigrid hierarchy be reused while the unknowns change; nullptr:
  // the row numbers.
  const int* unknownIds = nullptr;
};

// What one PcgSolve call did.
struct PcgResult {
  uint32_t iterations = 0;    // conjugate-gradient steps taken
  double residualNorm = 0.0;  // 2-norm of the last residual
  double rhsNorm = 0.0;       // 2-norm of b
  int converged = 0;          // 1 when the stopping rule was met
};

// Solves A x = b as PcgSolve below, with the tolerance, the iteration limit
// and the preconditioner of `options` instead of the process-wide tolerance
// and the limit of 100. Does not touch MatrixLibrary()'s record of the last
// solve. Returns the iterations and residual; in the error state nothing is
// done and the result is all zero.
PcgResult PcgSolve(SparseMatrix* a, Vector* x, Vector* b, const PcgOptions& options);

// Solves A x = b by preconditioned conjugate gradients, at most 100
// iterations, starting from the guess in x (persistent, of A's order) and
// leaving the last iterate there. Stops early, keeping x finite, when the
// iteration breaks down (an inner product of zero or not finite, which
// happens only when A or the preconditioner is not positive definite). The
// number of iterations and the final residual norm are recorded in
// MatrixLibrary().lastIterations / lastResidualNorm. Returns x; in the error
// state x is returned unchanged.
Vector* PcgSolve(SparseMatrix* a, Vector* x, Vector* b);

}  // namespace kv
