#pragma once
// Helpers shared by the matrix library's own files; not part of its interface.

#include <cstdarg>
#include <cstdio>
#include <string>

#include "solver/matrix/matrix_library.h"
#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/vector.h"

namespace kv {

// Destroys a vector or matrix header that is temporary and no longer held by
// any operation (refcount 0 or less).
void DestroyIfUnheld(Vector* v);
void DestroyIfUnheld(SparseMatrix* a);

// The temporaries protocol for one argument: holds it for the lifetime of the
// guard (refcount + 1) and on exit releases it, destroying a temporary that no
// other operation holds.
template <typename T>
class Hold {
 public:
  explicit Hold(T* object) : object_(object) {
    if (object_ != nullptr) ++object_->refcount;
  }
  ~Hold() {
    if (object_ != nullptr) {
      --object_->refcount;
      DestroyIfUnheld(object_);
    }
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  T* object_;
};

// printf into `out`; false when the text cannot be stored (then a library
// error is due).
bool FormatName(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A new temporary vector of length n owning its (uninitialised) data, named
// `name`; nullptr after a library error.
Vector* NewTemporaryVector(std::string&& name, uint32_t n);

// Allocates empty storage for `a` (order a->n) and marks it owned: rows empty,
// nothing assembled, diagonal missing, an empty factor header. False after a
// failed allocation; whatever was allocated is freed again.
bool AllocateMatrixStorage(SparseMatrix* a);

// Frees the storage of a storage-owning header (rows, arrays, flag cells and
// the factor with its own storage) and clears its pointers.
void FreeMatrixStorage(SparseMatrix* a);

// True for the shared zero entry given to rows without a diagonal.
bool IsZeroDiagonal(const MatrixEntry* entry);

// A data array of n+1 doubles (uninitialised) for a vector of length n, taken
// from the arrays of released vectors when one of that length is kept;
// nullptr when memory is exhausted.
double* AcquireVectorArray(uint32_t n);

// Gives back the data array of a released vector of length n.
void ReturnVectorArray(double* data, uint32_t n);

// Assembles A and prepares its diagonal; false when this raised (or found) a
// library error.
bool PrepareForUse(SparseMatrix* a);

}  // namespace kv
