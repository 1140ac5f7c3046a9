#pragma once
// Sparse matrices of the matrix library: storage, assembly, lazy part
// expressions, products and triangular solves.
//
// Rows, columns and vector entries run from 1 to n (slot 0 of every array is
// left empty). A header denotes diagScale*D + upperScale*U + lowerScale*L,
// where D, U and L are the diagonal, strictly upper and strictly lower parts of
// its storage; for a symmetric matrix only one triangle is stored and the other
// is its mirror image. Views (the results of MatDiag, MatUpper, MatLower,
// MatAdd) are new headers over the same storage, so assembly, the diagonal and
// the incomplete factor are computed once per storage and seen by every view.
//
// A matrix is filled by MatCreate, MatSetRowLength and MatSetEntry for each
// row, then used. Every operation that reads entries first assembles the
// matrix (rows sorted by column, triangle checked) and prepares its diagonal.
// Operations follow the temporaries protocol of vector.h.

#include <cstdint>
#include <string>

#include "solver/matrix/vector.h"

namespace kv {

struct MatrixEntry {
  uint32_t column = 0;  // 1-based; 0 in a slot never set
  double value = 0.0;
};

struct SparseMatrix {
  std::string name;
  uint32_t n = 0;            // order
  int32_t symmetric = 0;     // 1: one triangle stored, the other its mirror
  int32_t triangle = 0;      // 0: upper stored (row starts with its diagonal), 1: lower
  int32_t temporary = 0;
  int32_t refcount = 0;
  double diagScale = 1.0;
  double upperScale = 1.0;
  double lowerScale = 1.0;
  int32_t ownsStorage = 0;   // 1 when the storage below belongs to this header
  uint32_t* rowLength = nullptr;       // n+1 entry counts
  MatrixEntry** rows = nullptr;        // n+1 rows of rowLength[i] entries
  int32_t* assembled = nullptr;        // shared cell: rows sorted, triangle checked
  int32_t* diagonalReady = nullptr;    // shared cell: diagonalEntry and inverseDiagonal valid
  MatrixEntry** diagonalEntry = nullptr;  // n+1 pointers to each row's diagonal entry
  int32_t* diagonalMissing = nullptr;  // shared cell: some row has no diagonal entry
  double* inverseDiagonal = nullptr;   // n+1 values 1/a_ii
  int32_t nullSpaceIsConstant = 0;     // singular, null space = constant vectors
  double* nullSpaceVector = nullptr;   // n+1 values of a unit null-space vector, or none;
                                       // borrowed: the caller keeps it alive
  int32_t* factorValid = nullptr;      // shared cell: *factor holds the incomplete factor
  SparseMatrix* factor = nullptr;      // incomplete factor, shared by every header over the storage
};

// Creates a matrix header of order n, all scales 1, refcount 0.
//   symmetric: 1 when only one triangle is stored.
//   triangle: 0 = upper stored, 1 = lower stored.
//   temporary: 1 for a result consumed by its receiver.
//   ownsStorage: 1 to allocate empty storage (every row empty, nothing
//   assembled, diagonal missing, no factor) and the factor header.
// Returns nullptr in the error state or after a failed allocation (a library
// error).
SparseMatrix* MatCreate(const char* name, uint32_t n, int symmetric, int triangle, int temporary,
                        int ownsStorage);

// Gives row i (1-based) room for k entries, each column 0 and value 0; k = 0
// leaves the row empty. The old row is freed. The matrix must be persistent
// and own its storage, i in 1..n; else a library error. A matrix changed after
// its first use is assembled again at its next use (its factor is not renewed).
void MatSetRowLength(SparseMatrix* a, uint32_t i, uint32_t k);

// Stores {column j, value} in slot s (0-based) of row i; i, j in 1..n and
// s < rowLength[i], else a library error. A column appears at most once in a
// row; every slot given room must be set before the first use.
void MatSetEntry(SparseMatrix* a, uint32_t i, uint32_t s, uint32_t j, double value);

// Frees the name, and with ownsStorage every row, the arrays, the flag cells
// and the factor. Accepts nullptr.
void MatDestroy(SparseMatrix* a);

// Sorts every row by ascending column and checks the triangle, once per
// storage. A slot never set, or for a symmetric matrix an entry outside its
// triangle, is a library error. Does not consume a temporary.
void MatAssemble(SparseMatrix* a);

// Finds each row's diagonal entry (a row without one gets a shared zero entry
// and marks the diagonal missing) and, when none is missing, fills
// inverseDiagonal[i] = 1/a_ii. Once per storage; assembles first.
void MatPrepareDiagonal(SparseMatrix* a);

// New temporary header over the common storage of A and B with each scale the
// sum of theirs, named "%s + %s". A and B must share order, symmetric flag,
// triangle and row arrays; else a library error.
SparseMatrix* MatAdd(SparseMatrix* a, SparseMatrix* b);

// Views keeping one part of A: named "Diag(%s)", "Upper(%s)", "Lower(%s)".
SparseMatrix* MatDiag(SparseMatrix* a);
SparseMatrix* MatUpper(SparseMatrix* a);
SparseMatrix* MatLower(SparseMatrix* a);

// New temporary vector y = A * x, named "(%s) * (%s)". Lengths must match.
Vector* MatMulVec(SparseMatrix* a, Vector* x);

// New temporary vector x with A * x = b, named "(%s)^(-1) * (%s)", for a
// triangular expression A: at most one of upperScale and lowerScale non-zero,
// a diagonal present in every row and a diagonal scale that is not zero, else
// a library error. Forward substitution for a lower, back substitution for an
// upper expression, a division by the diagonal when both are zero.
Vector* MatSolveTri(SparseMatrix* a, Vector* b);

}  // namespace kv
