#include "solver/matrix/matrix_library.h"

#include <cstdio>

namespace kv {

MatrixLibraryState& MatrixLibrary() {
  static MatrixLibraryState state;
  return state;
}

void MatrixLibraryError() {
  MatrixLibraryState& state = MatrixLibrary();
  state.errorCode = kMatrixLibraryErrorCode;
  state.failingProcedure = "(procedure unknown)";
  std::fputs("\nError: Matrix library\n", stdout);
  std::fflush(stdout);
}

int MatrixLibraryErrorCode() { return MatrixLibrary().errorCode; }

void ResetMatrixLibrary() {
  MatrixLibraryState& state = MatrixLibrary();
  // The live counts describe memory that still exists: keep them.
  MatrixLibraryState fresh;
  fresh.liveVectors = state.liveVectors;
  fresh.liveMatrices = state.liveMatrices;
  state = fresh;
}

}  // namespace kv
