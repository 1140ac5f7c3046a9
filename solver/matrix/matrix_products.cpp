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
  } else if (ScaleIsZero(u) && ScaleIsZero(l)) {
    // y_i = s_x * (d * a_ii * x_i): the diagonal entries alone (a missing one is 0)
    const double* xd = x->data;
    double* yd = y->data;
    for (uint32_t i = 1; i <= a->n; ++i) yd[i] = d * a->diagonalEntry[i]->value * xd[i];
    if (!ScaleIsOne(x->scale)) {
      for (uint32_t i = 1; i <= a->n; ++i) yd[i] *= x->scale;
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
struct ScaledStep {
  double sb, off, d;
  bool sbOne, offOne, dOne;
  double operator()(double bi, double sum, double inverseDiagonal) const {
    double t = (sbOne ? bi : sb * bi) - (offOne ? sum : off * sum);
    t *= inverseDiagonal;
    return dOne ? t : t / d;
  }
};

// The same step when every scale counts as 1: x_i = (b_i - sum_i) * inverseDiagonal_i.
struct PlainStep {
  double operator()(double bi, double sum, double inverseDiagonal) const {
    return (bi - sum) * inverseDiagonal;
  }
};

// In a sorted row with its diagonal present, the entries before the diagonal
// lie in the lower part and the entries after it in the upper part (for
// symmetric storage one of the two ranges is empty).

// Forward substitution over stored rows that hold the lower part.
template <typename Step>
void ForwardRowWise(const SparseMatrix* a, const Step& step, const double* b, double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = 1; i <= a->n; ++i) {
    double sum = 0.0;
    for (const MatrixEntry* e = a->rows[i]; e != a->diagonalEntry[i]; ++e) sum += e->value * x[e->column];
    x[i] = step(b[i], sum, inv[i]);
  }
}

// Back substitution over stored rows that hold the upper part.
template <typename Step>
void BackwardRowWise(const SparseMatrix* a, const Step& step, const double* b, double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = a->n; i >= 1; --i) {
    double sum = 0.0;
    const MatrixEntry* diagonal = a->diagonalEntry[i];
    for (const MatrixEntry* e = a->rows[i] + a->rowLength[i]; e - 1 != diagonal;) {
      --e;
      sum += e->value * x[e->column];
    }
    x[i] = step(b[i], sum, inv[i]);
  }
}

// Forward substitution with the mirror of stored upper rows (L = U^T): once
// x_i is known, row i's entries a_ij (j > i) add a_ij x_i to the sums of the
// unknowns j, kept in x itself until they are solved.
template <typename Step>
void ForwardColumnWise(const SparseMatrix* a, const Step& step, const double* b, double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = 0; i <= a->n; ++i) x[i] = 0.0;
  for (uint32_t i = 1; i <= a->n; ++i) {
    const double xi = step(b[i], x[i], inv[i]);
    x[i] = xi;
    const MatrixEntry* end = a->rows[i] + a->rowLength[i];
    for (const MatrixEntry* e = a->diagonalEntry[i] + 1; e != end; ++e) x[e->column] += e->value * xi;
  }
}

// Back substitution with the mirror of stored lower rows (U = L^T).
template <typename Step>
void BackwardColumnWise(const SparseMatrix* a, const Step& step, const double* b, double* x) {
  const double* inv = a->inverseDiagonal;
  for (uint32_t i = 0; i <= a->n; ++i) x[i] = 0.0;
  for (uint32_t i = a->n; i >= 1; --i) {
    const double xi = step(b[i], x[i], inv[i]);
    x[i] = xi;
    for (const MatrixEntry* e = a->rows[i]; e != a->diagonalEntry[i]; ++e) x[e->column] += e->value * xi;
  }
}

// Solves the triangular expression of `a` for one kind of step: forward with
// the lower part, backward with the upper part, or a division by the diagonal
// when neither is used. Rows are walked directly when the stored triangle
// holds the part needed, column-wise through the mirror otherwise.
template <typename Step>
void SolveTriangular(const SparseMatrix* a, const Step& step, bool useL, bool useU, const double* b,
                     double* x) {
  const bool storesLower = !a->symmetric || a->triangle == 1;
  const bool storesUpper = !a->symmetric || a->triangle == 0;
  if (useL) {
    if (storesLower) {
      ForwardRowWise(a, step, b, x);
    } else {
      ForwardColumnWise(a, step, b, x);
    }
  } else if (useU) {
    if (storesUpper) {
      BackwardRowWise(a, step, b, x);
    } else {
      BackwardColumnWise(a, step, b, x);
    }
  } else {
    // x_i = s_b b_i * inverseDiagonal_i / d
    for (uint32_t i = 1; i <= a->n; ++i) x[i] = step(b[i], 0.0, a->inverseDiagonal[i]);
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
  const ScaledStep step{b->scale, off, d, ScaleIsOne(b->scale), ScaleIsOne(off), ScaleIsOne(d)};
  if (step.sbOne && step.offOne && step.dOne) {
    SolveTriangular(a, PlainStep{}, useL, useU, b->data, x->data);
  } else {
    SolveTriangular(a, step, useL, useU, b->data, x->data);
  }
  x->data[0] = 0.0;
  return x;
}

}  // namespace kv
