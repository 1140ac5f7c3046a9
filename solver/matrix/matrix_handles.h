#pragma once
// Owning handles for the library's matrices and vectors: persistent objects
// created by MatCreate / VecCreate are destroyed when their handle goes out of
// scope.

#include <memory>

#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/vector.h"

namespace kv {

struct MatrixDestroyer {
  void operator()(SparseMatrix* a) const { MatDestroy(a); }
};
struct VectorReleaser {
  void operator()(Vector* v) const { VecRelease(v); }
};

using MatrixHandle = std::unique_ptr<SparseMatrix, MatrixDestroyer>;
using VectorHandle = std::unique_ptr<Vector, VectorReleaser>;

}  // namespace kv
