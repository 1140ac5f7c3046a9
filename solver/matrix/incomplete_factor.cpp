// Incomplete factorisation with zero fill, cached once per matrix storage.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "solver/matrix/matrix_internal.h"
#include "solver/matrix/pcg_solver.h"

namespace kv {

namespace {

// Smallest pivot magnitude accepted by the factorisation.
constexpr double kTinyPivot = 2.2250738585072014e-307;

// Builds F in a's factor header as a copy of a's storage. Returns the largest
// row length, or -1 after a library error (the factor header is then left
// empty).
int64_t CopyIntoFactor(SparseMatrix* a, SparseMatrix* f) {
  f->name.clear();
  f->n = a->n;
  f->symmetric = a->symmetric;
  f->triangle = a->triangle;
  f->temporary = 0;
  f->refcount = 0;
  f->diagScale = f->upperScale = f->lowerScale = 1.0;
  if (!AllocateMatrixStorage(f)) {
    MatrixLibraryError();
    return -1;
  }
  uint32_t longest = 0;
  for (uint32_t i = 1; i <= a->n; ++i) {
    const uint32_t length = a->rowLength[i];
    if (length == 0) continue;
    f->rows[i] = new (std::nothrow) MatrixEntry[length];
    if (f->rows[i] == nullptr) {
      FreeMatrixStorage(f);
      MatrixLibraryError();
      return -1;
    }
    std::memcpy(f->rows[i], a->rows[i], sizeof(MatrixEntry) * length);
    f->rowLength[i] = length;
    if (length > longest) longest = length;
  }
  return longest;
}

// Index of the entry with column c in the sorted row i of f, or -1.
int64_t FindColumn(const SparseMatrix* f, uint32_t i, uint32_t c) {
  const MatrixEntry* row = f->rows[i];
  uint32_t low = 0, high = f->rowLength[i];
  while (low < high) {
    const uint32_t mid = low + (high - low) / 2;
    if (row[mid].column < c) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low < f->rowLength[i] && row[low].column == c) return static_cast<int64_t>(low);
  return -1;
}

// Work of the factorisation: the dense local matrix W of (longest+1)^2
// values, the local pattern of the row at hand and the position of every
// column in it (0 outside it).
struct FactorWork {
  size_t stride = 0;
  std::unique_ptr<uint32_t[]> position;
  std::unique_ptr<double[]> work;
  std::unique_ptr<uint32_t[]> pattern;
  double& W(uint32_t k, uint32_t l) { return work[k * stride + l]; }
};

// Step 1: local pattern p_1..p_m of row i, the diagonal last, and
// position[p_k] = k. Returns m.
uint32_t LocalPattern(const SparseMatrix* f, uint32_t i, bool mirrored, FactorWork& fw) {
  const MatrixEntry* row = f->rows[i];
  const uint32_t length = f->rowLength[i];
  uint32_t m = 0;
  if (!mirrored) {
    for (uint32_t s = 0; s < length && row[s].column <= i; ++s) fw.pattern[++m] = s;
  } else {
    for (uint32_t s = length; s > 0 && row[s - 1].column >= i; --s) fw.pattern[++m] = s - 1;
  }
  for (uint32_t k = 1; k <= m; ++k) fw.position[row[fw.pattern[k]].column] = k;
  return m;
}

// Step 2: W[1..m][1..m] = 0; W row k = the local part of row p_k of F
// (columns outside the pattern fall into the spare slot 0).
void LoadLocalRows(const SparseMatrix* f, uint32_t i, uint32_t m, bool mirrored, FactorWork& fw) {
  // Column c belongs to the local side of row i: c <= i, or c >= i mirrored.
  auto local = [mirrored](uint32_t c, uint32_t row) { return mirrored ? c >= row : c <= row; };
  for (uint32_t k = 0; k <= m; ++k) {
    for (uint32_t l = 0; l <= m; ++l) fw.W(k, l) = 0.0;
  }
  const MatrixEntry* row = f->rows[i];
  for (uint32_t k = 1; k <= m; ++k) {
    const uint32_t pk = row[fw.pattern[k]].column;
    const MatrixEntry* source = f->rows[pk];
    const uint32_t sourceLength = f->rowLength[pk];
    for (uint32_t s = 0; s < sourceLength; ++s) {
      if (local(source[s].column, i)) fw.W(k, fw.position[source[s].column]) = source[s].value;
    }
  }
}

// Step 3: eliminates the local rows 1..m-1 from row m (and column m).
void EliminateLocalRows(bool symmetric, uint32_t m, FactorWork& fw) {
  auto W = [&fw](uint32_t k, uint32_t l) -> double& { return fw.W(k, l); };
  if (symmetric) {
    // W[m][l] -= (W[l][k] / W[k][k]) W[m][k]
    for (uint32_t k = 1; k + 1 <= m; ++k) {
      for (uint32_t l = k + 1; l + 1 <= m; ++l) W(m, l) -= (W(l, k) / W(k, k)) * W(m, k);
    }
    // W[m][m] -= W[l][m]^2 / W[l][l]
    for (uint32_t l = 1; l + 1 <= m; ++l) W(m, m) -= W(l, m) * W(l, m) / W(l, l);
    return;
  }
  // W[m][l] -= (W[k][l] / W[k][k]) W[m][k];  W[l][m] -= (W[l][k] / W[k][k]) W[k][m]
  for (uint32_t k = 1; k + 1 <= m; ++k) {
    for (uint32_t l = k + 1; l + 1 <= m; ++l) {
      W(m, l) -= (W(k, l) / W(k, k)) * W(m, k);
      W(l, m) -= (W(l, k) / W(k, k)) * W(k, m);
    }
  }
  // W[m][m] -= (W[l][m] / W[l][l]) W[m][l]
  for (uint32_t l = 1; l + 1 <= m; ++l) W(m, m) -= (W(l, m) / W(l, l)) * W(m, l);
}

// Steps 5 and 6: row i of F = row m of W over the local pattern; for a
// non-symmetric F, column i above the diagonal = column m of W.
void StoreFactorRow(SparseMatrix* f, uint32_t i, uint32_t m, FactorWork& fw) {
  MatrixEntry* row = f->rows[i];
  for (uint32_t k = 1; k <= m; ++k) row[fw.pattern[k]].value = fw.W(m, k);
  if (f->symmetric) return;
  for (uint32_t k = 1; k < m; ++k) {
    const uint32_t c = row[fw.pattern[k]].column;
    const int64_t slot = FindColumn(f, c, i);
    if (slot < 0) {
      MatrixLibraryError();
    } else {
      f->rows[c][slot].value = fw.W(k, m);
    }
  }
}

// Factors f in place, row by row, with the dense local work matrix W of
// (longest+1)^2 values and the position map. Rows run 1..n; for a symmetric
// matrix storing its upper triangle they run n..1 with every column relation
// mirrored. Raises the library error on a tiny pivot or, for a non-symmetric
// matrix, on a pattern that is not structurally symmetric, and goes on.
void Factor(SparseMatrix* f, uint32_t longest) {
  const uint32_t n = f->n;
  FactorWork fw;
  fw.stride = static_cast<size_t>(longest) + 1;
  fw.position.reset(new (std::nothrow) uint32_t[static_cast<size_t>(n) + 1]());
  fw.work.reset(new (std::nothrow) double[fw.stride * fw.stride]);
  fw.pattern.reset(new (std::nothrow) uint32_t[fw.stride]);
  if (fw.position == nullptr || fw.work == nullptr || fw.pattern == nullptr) {
    MatrixLibraryError();
    return;
  }
  const bool mirrored = f->symmetric && f->triangle == 0;
  for (uint32_t step = 1; step <= n; ++step) {
    const uint32_t i = mirrored ? n + 1 - step : step;
    const uint32_t m = LocalPattern(f, i, mirrored, fw);
    LoadLocalRows(f, i, m, mirrored, fw);
    EliminateLocalRows(f->symmetric, m, fw);
    // 4. The pivot must not vanish.
    if (m == 0 || std::fabs(fw.W(m, m)) < kTinyPivot) MatrixLibraryError();
    StoreFactorRow(f, i, m, fw);
    // 7. Clear the position map for the columns of row i.
    for (uint32_t s = 0; s < f->rowLength[i]; ++s) fw.position[f->rows[i][s].column] = 0;
  }
}

}  // namespace

SparseMatrix* MatIlu(SparseMatrix* a) {
  Hold<SparseMatrix> holdA(a);
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  if (a == nullptr || a->factor == nullptr || a->factorValid == nullptr) {
    MatrixLibraryError();
    return nullptr;
  }
  if (!PrepareForUse(a)) return nullptr;
  SparseMatrix* f = a->factor;
  if (!*a->factorValid) {
    // 1. F = a copy of A's storage.
    const int64_t longest = CopyIntoFactor(a, f);
    if (longest < 0) return nullptr;
    // 2. Valid from now on; sort F and find its diagonal.
    *a->factorValid = 1;
    if (!PrepareForUse(f)) return nullptr;
    // 3. A singular matrix with a known null space: diagonal of F times 1.0001.
    if (a->nullSpaceIsConstant || a->nullSpaceVector != nullptr) {
      for (uint32_t i = 1; i <= f->n; ++i) {
        if (!IsZeroDiagonal(f->diagonalEntry[i])) f->diagonalEntry[i]->value *= kNullSpaceDiagonalShift;
      }
    }
    // 4. Every row needs its diagonal.
    if (!*f->assembled || *f->diagonalMissing) {
      MatrixLibraryError();
      return nullptr;
    }
    // 5.-7. Factor in place.
    Factor(f, static_cast<uint32_t>(longest));
    if (MatrixLibraryErrorCode() != 0) return nullptr;
    // The triangular solves of the preconditioner divide by the inverse
    // diagonal: renew it from the factored (and shifted) pivots so that the
    // sweeps and the diagonal product use the same D.
    for (uint32_t i = 1; i <= f->n; ++i) f->inverseDiagonal[i] = 1.0 / f->diagonalEntry[i]->value;
  }
  // On every call: the name after A, A's triangle, and A's common scale.
  if (!FormatName(f->name, "ILU(%s)", a->name.c_str())) {
    MatrixLibraryError();
    return nullptr;
  }
  f->triangle = a->triangle;
  if (a->diagScale != a->upperScale || a->diagScale != a->lowerScale) {
    MatrixLibraryError();
    return nullptr;
  }
  f->diagScale = a->diagScale;
  f->upperScale = a->upperScale;
  f->lowerScale = a->lowerScale;
  return f;
}

}  // namespace kv
