#include "solver/matrix/sparse_matrix.h"

#include <algorithm>
#include <new>
#include <utility>

#include "solver/matrix/matrix_internal.h"

namespace kv {

namespace {

// The entry that rows without a diagonal point to. Nothing writes through it.
MatrixEntry g_zeroDiagonal{0, 0.0};

}  // namespace

bool IsZeroDiagonal(const MatrixEntry* entry) { return entry == &g_zeroDiagonal; }

void FreeMatrixStorage(SparseMatrix* a) {
  if (a->rows != nullptr) {
    for (uint32_t i = 0; i <= a->n; ++i) delete[] a->rows[i];
  }
  delete[] a->rows;
  delete[] a->rowLength;
  delete[] a->diagonalEntry;
  delete[] a->inverseDiagonal;
  delete a->assembled;
  delete a->diagonalReady;
  delete a->diagonalMissing;
  delete a->factorValid;
  if (a->factor != nullptr) {
    // The factor is a storage-owning matrix of its own once it was built.
    if (a->factor->ownsStorage) FreeMatrixStorage(a->factor);
    delete a->factor;
  }
  a->rows = nullptr;
  a->rowLength = nullptr;
  a->diagonalEntry = nullptr;
  a->inverseDiagonal = nullptr;
  a->assembled = a->diagonalReady = a->diagonalMissing = a->factorValid = nullptr;
  a->factor = nullptr;
  a->ownsStorage = 0;
}

bool AllocateMatrixStorage(SparseMatrix* a) {
  const size_t count = static_cast<size_t>(a->n) + 1;
  a->ownsStorage = 1;
  a->rowLength = new (std::nothrow) uint32_t[count]();
  a->rows = new (std::nothrow) MatrixEntry*[count]();
  a->diagonalEntry = new (std::nothrow) MatrixEntry*[count]();
  a->inverseDiagonal = new (std::nothrow) double[count]();
  a->assembled = new (std::nothrow) int32_t(0);
  a->diagonalReady = new (std::nothrow) int32_t(0);
  a->diagonalMissing = new (std::nothrow) int32_t(1);
  a->factorValid = new (std::nothrow) int32_t(0);
  a->factor = new (std::nothrow) SparseMatrix;
  if (a->rowLength == nullptr || a->rows == nullptr || a->diagonalEntry == nullptr ||
      a->inverseDiagonal == nullptr || a->assembled == nullptr || a->diagonalReady == nullptr ||
      a->diagonalMissing == nullptr || a->factorValid == nullptr || a->factor == nullptr) {
    FreeMatrixStorage(a);
    return false;
  }
  return true;
}

namespace {

// Marks the storage as changed: it is assembled and its diagonal prepared again
// at the next use, so no pointer into a freed or reordered row survives.
void MarkChanged(SparseMatrix* a) {
  *a->assembled = 0;
  *a->diagonalReady = 0;
}

}  // namespace

SparseMatrix* MatCreate(const char* name, uint32_t n, int symmetric, int triangle, int temporary,
                        int ownsStorage) {
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  SparseMatrix* a = new (std::nothrow) SparseMatrix;
  if (a == nullptr || !FormatName(a->name, "%s", name != nullptr ? name : "")) {
    delete a;
    MatrixLibraryError();
    return nullptr;
  }
  a->n = n;
  a->symmetric = symmetric;
  a->triangle = triangle;
  a->temporary = temporary;
  if (ownsStorage && !AllocateMatrixStorage(a)) {
    delete a;
    MatrixLibraryError();
    return nullptr;
  }
  ++MatrixLibrary().liveMatrices;
  return a;
}

void MatSetRowLength(SparseMatrix* a, uint32_t i, uint32_t k) {
  if (MatrixLibraryErrorCode() != 0) return;
  if (a == nullptr || a->temporary || a->rows == nullptr || !a->ownsStorage || i < 1 || i > a->n) {
    MatrixLibraryError();
    return;
  }
  delete[] a->rows[i];
  a->rows[i] = nullptr;
  a->rowLength[i] = 0;
  MarkChanged(a);
  if (k == 0) return;
  a->rows[i] = new (std::nothrow) MatrixEntry[k]();
  if (a->rows[i] == nullptr) {
    MatrixLibraryError();
    return;
  }
  a->rowLength[i] = k;
}

void MatSetEntry(SparseMatrix* a, uint32_t i, uint32_t s, uint32_t j, double value) {
  if (MatrixLibraryErrorCode() != 0) return;
  if (a == nullptr || a->rows == nullptr || i < 1 || i > a->n || j < 1 || j > a->n ||
      s >= a->rowLength[i]) {
    MatrixLibraryError();
    return;
  }
  a->rows[i][s] = MatrixEntry{j, value};
  MarkChanged(a);
}

void MatDestroy(SparseMatrix* a) {
  if (a == nullptr) return;
  if (a->ownsStorage) FreeMatrixStorage(a);
  delete a;
  --MatrixLibrary().liveMatrices;
}

void DestroyIfUnheld(SparseMatrix* a) {
  if (a->temporary && a->refcount <= 0) MatDestroy(a);
}

void MatAssemble(SparseMatrix* a) {
  if (MatrixLibraryErrorCode() != 0) return;
  if (a == nullptr || a->assembled == nullptr) {
    MatrixLibraryError();
    return;
  }
  if (*a->assembled) return;
  bool outOfTriangle = false;
  bool unsetSlot = false;
  for (uint32_t i = 1; i <= a->n; ++i) {
    const uint32_t length = a->rowLength[i];
    if (length == 0) continue;
    MatrixEntry* row = a->rows[i];
    // Sort the row by ascending column.
    std::sort(row, row + length,
              [](const MatrixEntry& x, const MatrixEntry& y) { return x.column < y.column; });
    // Column 0 is a slot that was given room but never set.
    if (row[0].column == 0) unsetSlot = true;
    // Upper storage: no column below the row; lower storage: none above it.
    if (a->triangle == 0 ? row[0].column < i : row[length - 1].column > i) outOfTriangle = true;
  }
  *a->assembled = 1;
  *a->diagonalReady = 0;
  *a->diagonalMissing = 1;
  if (unsetSlot || (a->symmetric && outOfTriangle)) MatrixLibraryError();
}

void MatPrepareDiagonal(SparseMatrix* a) {
  MatAssemble(a);
  if (MatrixLibraryErrorCode() != 0 || *a->diagonalReady) return;
  bool missing = false;
  for (uint32_t i = 1; i <= a->n; ++i) {
    const uint32_t length = a->rowLength[i];
    MatrixEntry* row = a->rows[i];
    MatrixEntry* diagonal = nullptr;
    if (length > 0) {
      if (a->symmetric) {
        // The stored triangle puts the diagonal first (upper) or last (lower).
        MatrixEntry* candidate = a->triangle == 0 ? &row[0] : &row[length - 1];
        if (candidate->column == i) diagonal = candidate;
      } else {
        for (uint32_t s = 0; s < length; ++s) {
          if (row[s].column == i) {
            diagonal = &row[s];
            break;
          }
        }
      }
    }
    if (diagonal == nullptr) {
      diagonal = &g_zeroDiagonal;
      missing = true;
    }
    a->diagonalEntry[i] = diagonal;
  }
  *a->diagonalReady = 1;
  *a->diagonalMissing = missing ? 1 : 0;
  if (!missing) {
    // inverseDiagonal_i = 1 / a_ii
    for (uint32_t i = 1; i <= a->n; ++i) a->inverseDiagonal[i] = 1.0 / a->diagonalEntry[i]->value;
  }
}

bool PrepareForUse(SparseMatrix* a) {
  if (MatrixLibraryErrorCode() != 0) return false;
  MatPrepareDiagonal(a);
  return MatrixLibraryErrorCode() == 0;
}

namespace {

// A new temporary header over the storage of `a` with the given scales, named
// `name`. Copies storage pointers, null-space fields and factor pointers.
SparseMatrix* NewView(const SparseMatrix* a, std::string&& name, double diagScale,
                      double upperScale, double lowerScale) {
  SparseMatrix* v = new (std::nothrow) SparseMatrix;
  if (v == nullptr) {
    MatrixLibraryError();
    return nullptr;
  }
  ++MatrixLibrary().liveMatrices;
  *v = *a;
  v->name = std::move(name);
  v->temporary = 1;
  v->refcount = 0;
  v->ownsStorage = 0;
  v->diagScale = diagScale;
  v->upperScale = upperScale;
  v->lowerScale = lowerScale;
  return v;
}

// A temporary operand that owns its storage dies at the end of the operation:
// the storage moves to the view built from it.
void TakeStorageOver(SparseMatrix* view, SparseMatrix* operand) {
  if (view != nullptr && operand->temporary && operand->ownsStorage) {
    operand->ownsStorage = 0;
    view->ownsStorage = 1;
  }
}

enum class Part { kDiagonal, kUpper, kLower };

SparseMatrix* PartView(SparseMatrix* a, Part part) {
  Hold<SparseMatrix> holdA(a);
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  if (a == nullptr) {
    MatrixLibraryError();
    return nullptr;
  }
  static const char* const kPatterns[] = {"Diag(%s)", "Upper(%s)", "Lower(%s)"};
  std::string name;
  if (!FormatName(name, kPatterns[static_cast<int>(part)], a->name.c_str())) {
    MatrixLibraryError();
    return nullptr;
  }
  SparseMatrix* v = NewView(a, std::move(name), part == Part::kDiagonal ? a->diagScale : 0.0,
                            part == Part::kUpper ? a->upperScale : 0.0,
                            part == Part::kLower ? a->lowerScale : 0.0);
  TakeStorageOver(v, a);
  return v;
}

}  // namespace

SparseMatrix* MatAdd(SparseMatrix* a, SparseMatrix* b) {
  Hold<SparseMatrix> holdA(a), holdB(b);
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  if (a == nullptr || b == nullptr || a->n != b->n || a->symmetric != b->symmetric ||
      a->triangle != b->triangle || a->rowLength != b->rowLength || a->rows != b->rows) {
    MatrixLibraryError();
    return nullptr;
  }
  std::string name;
  if (!FormatName(name, "%s + %s", a->name.c_str(), b->name.c_str())) {
    MatrixLibraryError();
    return nullptr;
  }
  SparseMatrix* v = NewView(a, std::move(name), a->diagScale + b->diagScale,
                            a->upperScale + b->upperScale, a->lowerScale + b->lowerScale);
  // A temporary operand owning the storage would free it on exit: hand it over.
  TakeStorageOver(v, a);
  if (a != b) TakeStorageOver(v, b);
  return v;
}

SparseMatrix* MatDiag(SparseMatrix* a) { return PartView(a, Part::kDiagonal); }
SparseMatrix* MatUpper(SparseMatrix* a) { return PartView(a, Part::kUpper); }
SparseMatrix* MatLower(SparseMatrix* a) { return PartView(a, Part::kLower); }

}  // namespace kv
