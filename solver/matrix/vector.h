#pragma once
// Named vectors of the matrix library and their operations.
//
// Entries are indexed 1..n; slot 0 of every array is left empty. A vector's
// value is `scale` times its stored entries; persistent vectors always have
// scale 1. Operation results are temporaries (temporary 1, refcount 0) that the
// operation receiving them consumes: every operation below adds 1 to the
// refcount of each argument on entry, subtracts it on exit, and destroys an
// argument that is temporary and no longer held. So a nested expression such as
//   VecAssign(p, VecAdd(z, VecScale(beta, p)))
// needs no explicit frees. A temporary must not be used after it has been
// passed to an operation.
//
// After a library error (matrix_library.h) every operation skips its work:
// constructing operations return nullptr, norms and inner products 1.0.

#include <cstdint>
#include <string>

namespace kv {

struct Vector {
  std::string name;      // printable name, built from the operands' names
  uint32_t n = 0;        // length
  int32_t temporary = 0; // 1 for an operation result that its receiver consumes
  int32_t refcount = 0;  // number of operations currently holding the vector
  double scale = 1.0;    // pending factor: value = scale * data
  int32_t ownsData = 0;  // 1 when data belongs to this vector
  double* data = nullptr;  // n+1 doubles, entries 1..n used
};

// Creates a vector of length n named `name`, scale 1, refcount 0. With ownsData
// it allocates n+1 doubles (entries not initialised, slot 0 set to 0).
// Returns nullptr in the error state or when an allocation fails (a library
// error).
Vector* VecCreate(const char* name, uint32_t n, int temporary, int ownsData);

// Frees the name, the data when owned, and the vector itself. Accepts nullptr.
void VecRelease(Vector* v);

// Stores entry i (1-based) of a persistent vector that owns its data; any other
// vector or an index outside 1..n is a library error.
void VecSet(Vector* v, uint32_t i, double value);

// The stored entry i (1-based, without the pending scale); 0.0 in the error
// state; an index outside 1..n is a library error.
double VecGet(const Vector* v, uint32_t i);

// Sets entries 1..n to 0.0 and the scale to 1.
void VecZero(Vector* v);

// dest_i = value of src_i. dest must be persistent and of equal length. A
// temporary source that owns its data and is held by no other operation hands
// its array to a destination that owns its data (the arrays are exchanged and
// the old destination array dies with the source). Returns dest.
Vector* VecAssign(Vector* dest, Vector* src);

// dest_i += value of src_i; dest persistent, equal lengths. Returns dest.
Vector* VecAddTo(Vector* dest, Vector* src);

// dest_i -= value of src_i; dest persistent, equal lengths. Returns dest.
Vector* VecSubFrom(Vector* dest, Vector* src);

// New temporary owning its data: a + b, scale 1, named "%s + %s".
Vector* VecAdd(Vector* a, Vector* b);

// New temporary owning its data: a - b, scale 1, named "%s - %s".
Vector* VecSub(Vector* a, Vector* b);

// New temporary sharing v's data with scale alpha * scale of v, named
// "%12.5e * (%s)". When v is a temporary owning its data, the result takes the
// data over.
Vector* VecScale(double alpha, Vector* v);

// Inner product of the values of a and b; 1.0 in the error state or when the
// lengths differ (a library error).
double VecDot(Vector* a, Vector* b);

// Sum of the absolute values; 1.0 in the error state.
double VecNorm1(Vector* v);

// Euclidean norm of the values; 1.0 in the error state.
double VecNorm2(Vector* v);

}  // namespace kv
