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

// Factors f in place, row by row, with the dense local work matrix W of
// (longest+1)^2 values and the position map. Rows run 1..n; for a symmetric
// matrix storing its upper triangle they run n..1 with every column relation
// mirrored. Raises the library error on a tiny pivot or, for a non-symmetric
// matrix, on a pattern that is not structurally symmetric, and goes on.
void Factor(SparseMatrix* f, uint32_t longest) {
  const uint32_t n = f->n;
  const size_t stride = static_cast<size_t>(longest) + 1;
  std::unique_ptr<uint32_t[]> position(new (std::nothrow) uint32_t[static_cast<size_t>(n) + 1]());
  std::unique_ptr<double[]> work(new (std::nothrow) double[stride * stride]);
  std::unique_ptr<uint32_t[]> pattern(new (std::nothrow) uint32_t[stride]);
  if (position == nullptr || work == nullptr || pattern == nullptr) {
    MatrixLibraryError();
    return;
  }
  double* w = work.get();
  auto W = [w, stride](uint32_t k, uint32_t l) -> double& { return w[k * stride + l]; };
  const bool mirrored = f->symmetric && f->triangle == 0;
  // Column c belongs to the local side of row i: c <= i, or c >= i mirrored.
  auto local = [mirrored](uint32_t c, uint32_t i) { return mirrored ? c >= i : c <= i; };

  for (uint32_t step = 1; step <= n; ++step) {
    const uint32_t i = mirrored ? n + 1 - step : step;
    MatrixEntry* row = f->rows[i];
    const uint32_t length = f->rowLength[i];
    // 1. Local pattern p_1..p_m of row i, the diagonal last; position[p_k] = k.
    uint32_t m = 0;
    if (!mirrored) {
      for (uint32_t s = 0; s < length && row[s].column <= i; ++s) pattern[++m] = s;
    } else {
      for (uint32_t s = length; s > 0 && row[s - 1].column >= i; --s) pattern[++m] = s - 1;
    }
    for (uint32_t k = 1; k <= m; ++k) position[row[pattern[k]].column] = k;

    // 2. W[1..m][1..m] = 0; W row k = the local part of row p_k of F (columns
    //    outside the pattern fall into the spare slot 0).
    for (uint32_t k = 0; k <= m; ++k) {
      for (uint32_t l = 0; l <= m; ++l) W(k, l) = 0.0;
    }
    for (uint32_t k = 1; k <= m; ++k) {
      const uint32_t pk = row[pattern[k]].column;
      const MatrixEntry* source = f->rows[pk];
      const uint32_t sourceLength = f->rowLength[pk];
      for (uint32_t s = 0; s < sourceLength; ++s) {
        if (local(source[s].column, i)) W(k, position[source[s].column]) = source[s].value;
      }
    }

    // 3. Eliminate the local rows 1..m-1 from row m (and column m).
    if (f->symmetric) {
      // W[m][l] -= (W[l][k] / W[k][k]) W[m][k]
      for (uint32_t k = 1; k + 1 <= m; ++k) {
        for (uint32_t l = k + 1; l + 1 <= m; ++l) W(m, l) -= (W(l, k) / W(k, k)) * W(m, k);
      }
      // W[m][m] -= W[l][m]^2 / W[l][l]
      for (uint32_t l = 1; l + 1 <= m; ++l) W(m, m) -= W(l, m) * W(l, m) / W(l, l);
    } else {
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

    // 4. The pivot must not vanish.
    if (m == 0 || std::fabs(W(m, m)) < kTinyPivot) MatrixLibraryError();

    // 5. Row i of F = row m of W over the local pattern.
    for (uint32_t k = 1; k <= m; ++k) row[pattern[k]].value = W(m, k);

    // 6. Non-symmetric: column i of F above the diagonal = column m of W.
    if (!f->symmetric) {
      for (uint32_t k = 1; k < m; ++k) {
        const uint32_t c = row[pattern[k]].column;
        const int64_t slot = FindColumn(f, c, i);
        if (slot < 0) {
          MatrixLibraryError();
        } else {
          f->rows[c][slot].value = W(k, m);
        }
      }
    }

    // 7. Clear the position map for the columns of row i.
    for (uint32_t s = 0; s < length; ++s) position[row[s].column] = 0;
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
