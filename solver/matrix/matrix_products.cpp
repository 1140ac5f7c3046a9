// Matrix-vector product and triangular solves over the lazy part expressions.
#include <utility>

#include "solver/matrix/matrix_internal.h"
#include "solver/matrix/sparse_matrix.h"

namespace kv {

namespace {

// y = (D + U + L) x over the stored entries, unscaled; y starts at zero.
// For a symmetric matrix each stored off-diagonal entry also acts as its
// mirror: y_j += a_ij x_i.
void MultiplyStored(const SparseMatrix* a, const double* __restrict x, double* __restrict y) {
  const uint32_t n = a->n;
  for (uint32_t i = 0; i <= n; ++i) y[i] = 0.0;
  const bool diagonalKnown = !*a->diagonalMissing;
  if (a->symmetric && diagonalKnown) {
    // The diagonal stands last (lower storage) or first (upper storage).
    const uint32_t first = a->triangle == 0 ? 1 : 0;
    for (uint32_t i = 1; i <= n; ++i) {
      const uint32_t length = a->rowLength[i];
      const MatrixEntry* __restrict row = a->rows[i] + first;
      const uint32_t offCount = length - 1;
      const double xi = x[i];
      double sum = a->diagonalEntry[i]->value * xi;
      for (uint32_t s = 0; s < offCount; ++s) {
        const uint32_t j = row[s].column;
        const double v = row[s].value;
        sum += v * x[j];
        y[j] += v * xi;
      }
      y[i] += sum;
    }
  } else if (a->symmetric) {
    for (uint32_t i = 1; i <= n; ++i) {
      const MatrixEntry* row = a->rows[i];
      const double xi = x[i];
      double sum = 0.0;
      for (uint32_t s = 0; s < a->rowLength[i]; ++s) {
        const uint32_t j = row[s].column;
        sum += row[s].value * x[j];
        if (j != i) y[j] += row[s].value * xi;
      }
      y[i] += sum;
    }
  } else {
    for (uint32_t i = 1; i <= n; ++i) {
      const MatrixEntry* row = a->rows[i];
      double sum = 0.0;
      for (uint32_t s = 0; s < a->rowLength[i]; ++s) sum += row[s].value * x[row[s].column];
      y[i] = sum;
    }
  }
}

// y = (d D + u U + l L) x with parts of zero scale skipped; y starts at zero.
void MultiplyScaled(const SparseMatrix* a, double d, double u, double l, const double* x,
                    double* y) {
  const uint32_t n = a->n;
  const bool useD = !ScaleIsZero(d), useU = !ScaleIsZero(u), useL = !ScaleIsZero(l);
  for (uint32_t i = 0; i <= n; ++i) y[i] = 0.0;
  for (uint32_t i = 1; i <= n; ++i) {
    const MatrixEntry* row = a->rows[i];
    const double xi = x[i];
    for (uint32_t s = 0; s < a->rowLength[i]; ++s) {
      const uint32_t j = row[s].column;
      const double v = row[s].value;
      if (j == i) {
        if (useD) y[i] += d * v * xi;
        continue;
      }
      // The entry lies in the upper part when j > i, in the lower when j < i;
      // its mirror (symmetric storage) lies in the other part.
      const bool upper = j > i;
      if (upper ? useU : useL) y[i] += (upper ? u : l) * v * x[j];
      if (a->symmetric && (upper ? useL : useU)) y[j] += (upper ? l : u) * v * xi;
    }
  }
}

}  // namespace

Vector* MatMulVec(SparseMatrix* a, Vector* x) {
  Hold<SparseMatrix> holdA(a);
  Hold<Vector> holdX(x);
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  if (a == nullptr || x == nullptr || a->n != x->n) {
    MatrixLibraryError();
    return nullptr;
  }
  if (!PrepareForUse(a)) return nullptr;
  std::string name;
  if (!FormatName(name, "(%s) * (%s)", a->name.c_str(), x->name.c_str())) {
    MatrixLibraryError();
    return nullptr;
  }
  Vector* y = NewTemporaryVector(std::move(name), a->n);
  if (y == nullptr) return nullptr;
  const double d = a->diagScale, u = a->upperScale, l = a->lowerScale;
  const bool uniform = !ScaleIsZero(d) && ScaleIsOne(u / d) && ScaleIsOne(l / d);
  if (uniform) {
    // y = (d * s_x) * (A x): the common factor once per row.
    MultiplyStored(a, x->data, y->data);
    const double factor = d * x->scale;
    if (!ScaleIsOne(factor)) {
      for (uint32_t i = 1; i <= a->n; ++i) y->data[i] *= factor;
    }
  } else {
    // y = s_x * (d D + u U + l L) x
    MultiplyScaled(a, d, u, l, x->data, y->data);
    if (!ScaleIsOne(x->scale)) {
      for (uint32_t i = 1; i <= a->n; ++i) y->data[i] *= x->scale;
    }
  }
  y->data[0] = 0.0;
  return y;
}

namespace {

// x_i = (s_b b_i - off * sum_i) * inverseDiagonal_i / d, the shortcuts of
// scales that count as 1 applied.
struct TriangularStep {
  double sb, off, d;
  bool sbOne, offOne, dOne;
  double operator()(double bi, double sum, double inverseDiagonal) const {
    double t = (sbOne ? bi : sb * bi) - (offOne ? sum : off * sum);
    t *= inverseDiagonal;
    return dOne ? t : t / d;
  }
};

// Forward substitution over stored rows that hold the lower part (columns
// below i come first in a sorted row).
void ForwardRowWise(const SparseMatrix* a, const TriangularStep& step, const double* b, double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = 1; i <= a->n; ++i) {
    const MatrixEntry* row = a->rows[i];
    const uint32_t length = a->rowLength[i];
    double sum = 0.0;
    for (uint32_t s = 0; s < length && row[s].column < i; ++s) sum += row[s].value * x[row[s].column];
    x[i] = step(b[i], sum, inv[i]);
  }
}

// Back substitution over stored rows that hold the upper part (columns above
// i come last in a sorted row).
void BackwardRowWise(const SparseMatrix* a, const TriangularStep& step, const double* b, double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = a->n; i >= 1; --i) {
    const MatrixEntry* row = a->rows[i];
    double sum = 0.0;
    for (uint32_t s = a->rowLength[i]; s > 0 && row[s - 1].column > i; --s) {
      sum += row[s - 1].value * x[row[s - 1].column];
    }
    x[i] = step(b[i], sum, inv[i]);
  }
}

// Forward substitution with the mirror of stored upper rows (L = U^T): once
// x_i is known, row i's entries a_ij (j > i) add a_ij x_i to the sums of the
// unknowns j, kept in x itself until they are solved.
void ForwardColumnWise(const SparseMatrix* a, const TriangularStep& step, const double* b,
                       double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = 0; i <= a->n; ++i) x[i] = 0.0;
  for (uint32_t i = 1; i <= a->n; ++i) {
    const double xi = step(b[i], x[i], inv[i]);
    x[i] = xi;
    const MatrixEntry* row = a->rows[i];
    for (uint32_t s = a->rowLength[i]; s > 0 && row[s - 1].column > i; --s) {
      x[row[s - 1].column] += row[s - 1].value * xi;
    }
  }
}

// Back substitution with the mirror of stored lower rows (U = L^T).
void BackwardColumnWise(const SparseMatrix* a, const TriangularStep& step, const double* b,
                        double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = 0; i <= a->n; ++i) x[i] = 0.0;
  for (uint32_t i = a->n; i >= 1; --i) {
    const double xi = step(b[i], x[i], inv[i]);
    x[i] = xi;
    const MatrixEntry* row = a->rows[i];
    const uint32_t length = a->rowLength[i];
    for (uint32_t s = 0; s < length && row[s].column < i; ++s) x[row[s].column] += row[s].value * xi;
  }
}

}  // namespace

Vector* MatSolveTri(SparseMatrix* a, Vector* b) {
  Hold<SparseMatrix> holdA(a);
  Hold<Vector> holdB(b);
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  if (a == nullptr || b == nullptr || a->n != b->n) {
    MatrixLibraryError();
    return nullptr;
  }
  if (!PrepareForUse(a)) return nullptr;
  const double d = a->diagScale, u = a->upperScale, l = a->lowerScale;
  const bool useU = !ScaleIsZero(u), useL = !ScaleIsZero(l);
  if (*a->diagonalMissing || ScaleIsZero(d) || (useU && useL)) {
    MatrixLibraryError();
    return nullptr;
  }
  std::string name;
  if (!FormatName(name, "(%s)^(-1) * (%s)", a->name.c_str(), b->name.c_str())) {
    MatrixLibraryError();
    return nullptr;
  }
  Vector* x = NewTemporaryVector(std::move(name), a->n);
  if (x == nullptr) return nullptr;
  const double off = useU ? u : l;
  const TriangularStep step{b->scale, off, d, ScaleIsOne(b->scale), ScaleIsOne(off), ScaleIsOne(d)};
  // Stored rows hold the lower part unless the matrix is symmetric with its
  // upper triangle stored, and the upper part unless it is symmetric with its
  // lower triangle stored.
  const bool storesLower = !a->symmetric || a->triangle == 1;
  const bool storesUpper = !a->symmetric || a->triangle == 0;
  if (useL) {
    if (storesLower) {
      ForwardRowWise(a, step, b->data, x->data);
    } else {
      ForwardColumnWise(a, step, b->data, x->data);
    }
  } else if (useU) {
    if (storesUpper) {
      BackwardRowWise(a, step, b->data, x->data);
    } else {
      BackwardColumnWise(a, step, b->data, x->data);
    }
  } else {
    // x_i = s_b b_i * inverseDiagonal_i / d
    for (uint32_t i = 1; i <= a->n; ++i) x->data[i] = step(b->data[i], 0.0, a->inverseDiagonal[i]);
  }
  x->data[0] = 0.0;
  return x;
}

}  // namespace kv
