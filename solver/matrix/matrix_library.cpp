#include "solver/matrix/matrix_library.h"

#include <cstdio>
#include <new>
#include <vector>

#include "solver/matrix/matrix_internal.h"

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

namespace {

// Data arrays of released vectors, kept for the next vectors of the same
// length. An iteration of the solver creates and releases several temporaries
// of the system's length; taking their arrays from here instead of the heap
// spares the page faults of memory that the heap hands back to the system and
// requests again. The arrays are uninitialised either way, so no result
// changes.
struct SpareArrays {
  uint32_t n = 0;                // length of the vectors the arrays belong to
  std::vector<double*> arrays;   // each of n+1 doubles
  void Clear() {
    for (double* a : arrays) delete[] a;
    arrays.clear();
  }
};

// Most arrays kept: the solver holds at most a few temporaries at a time.
constexpr size_t kMaxSpareArrays = 8;

// Never destroyed, so that vectors released by other static objects at exit
// still find it.
SpareArrays& Spares() {
  static SpareArrays* spares = new SpareArrays;
  return *spares;
}

// AddressSanitizer builds bypass the reuse so that every use of a released
// array is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kReuseArrays = false;
#else
constexpr bool kReuseArrays = true;
#endif

}  // namespace

double* AcquireVectorArray(uint32_t n) {
  SpareArrays& spares = Spares();
  if (kReuseArrays && spares.n == n && !spares.arrays.empty()) {
    double* a = spares.arrays.back();
    spares.arrays.pop_back();
    return a;
  }
  return new (std::nothrow) double[static_cast<size_t>(n) + 1];
}

void ReturnVectorArray(double* data, uint32_t n) {
  if (data == nullptr) return;
  SpareArrays& spares = Spares();
  if (!kReuseArrays) {
    delete[] data;
    return;
  }
  if (spares.n != n) {
    spares.Clear();
    spares.n = n;
  }
  if (spares.arrays.size() < kMaxSpareArrays) {
    try {
      spares.arrays.push_back(data);
      return;
    } catch (const std::bad_alloc&) {
    }
  }
  delete[] data;
}

void ResetMatrixLibrary() {
  Spares().Clear();
  MatrixLibraryState& state = MatrixLibrary();
  // The live counts describe memory that still exists: keep them.
  MatrixLibraryState fresh;
  fresh.liveVectors = state.liveVectors;
  fresh.liveMatrices = state.liveMatrices;
  state = fresh;
}

}  // namespace kv
