#pragma once
// Process-wide state of the sparse matrix library: the sticky error code, the
// relative tolerance of the conjugate-gradient solver, and a record of the
// last solve.
//
// The library reports every failure the same way: MatrixLibraryError prints
// "\nError: Matrix library\n" on standard output and sets the error code to 12.
// The code is never cleared in a run; from then on every operation returns at
// once (no result objects, 1.0 from norms and inner products, 0.0 from VecGet),
// so the caller sees a failed solve as unknowns that read back as 0.

#include <cmath>
#include <cstdint>
#include <string>

namespace kv {

// Error code set by MatrixLibraryError.
inline constexpr int kMatrixLibraryErrorCode = 12;

// Default relative tolerance of PcgSolve.
inline constexpr double kDefaultSolverTolerance = 1e-8;

// Scale shortcuts: a scale s counts as 1 when abs(s - 1) < kScaleOneTolerance
// (the multiplication is then skipped) and as zero when abs(s) < kScaleZero.
inline constexpr double kScaleOneTolerance = 2.220446049250313e-15;
inline constexpr double kScaleZero = 2.2250738585072014e-307;

struct MatrixLibraryState {
  int errorCode = 0;                      // 0 = none, 12 after any library error
  std::string failingProcedure;           // recorded by the last error
  double tolerance = kDefaultSolverTolerance;  // relative, used by ConvergenceTest
  uint32_t lastIterations = 0;            // iterations done by the last PcgSolve
  double lastResidualNorm = 0.0;          // 2-norm of its last residual
  int64_t liveVectors = 0;                // Vector headers created and not yet freed
  int64_t liveMatrices = 0;               // SparseMatrix headers (factors not counted)
};

// The one state of the process.
MatrixLibraryState& MatrixLibrary();

// Sets the error code to 12, drops the message recorded by an earlier error,
// records "(procedure unknown)" as the failing procedure and prints
// "\nError: Matrix library\n" on standard output.
void MatrixLibraryError();

// The current error code: 0 while no library error happened, 12 afterwards.
int MatrixLibraryErrorCode();

// Starts from a clean state: no error, default tolerance, no solve recorded
// (the live counts stay); frees the data arrays kept from released vectors.
// For tests and for programs that run several independent jobs in one process.
void ResetMatrixLibrary();

// True when `s` counts as 1, resp. as zero, in the sense above.
inline bool ScaleIsOne(double s) { return std::fabs(s - 1.0) < kScaleOneTolerance; }
inline bool ScaleIsZero(double s) { return std::fabs(s) < kScaleZero; }

}  // namespace kv
