// Conversion of library matrices to compressed rows, and the products over
// compressed rows.
#include "solver/matrix/csr_matrix.h"

#include <algorithm>

#include "solver/matrix/matrix_library.h"
#include "solver/matrix/parallel.h"

namespace kv {

void CsrFromExpression(const SparseMatrix* a, CsrMatrix& out) {
  const uint32_t n = a->n;
  const double d = a->diagScale, u = a->upperScale, l = a->lowerScale;
  const bool useD = !ScaleIsZero(d), useU = !ScaleIsZero(u), useL = !ScaleIsZero(l);
  // Scale of a stored entry (i, j) as it acts in row i, and of its mirror.
  auto keep = [&](uint32_t i, uint32_t j) { return j == i ? useD : (j > i ? useU : useL); };
  auto scale = [&](uint32_t i, uint32_t j) { return j == i ? d : (j > i ? u : l); };
  out.rows = out.columns = n;
  out.start.assign(n + 1, 0);
  // Count the entries of each row, mirrors included.
  for (uint32_t i = 1; i <= n; ++i) {
    for (uint32_t s = 0; s < a->rowLength[i]; ++s) {
      const uint32_t j = a->rows[i][s].column;
      if (keep(i, j)) ++out.start[i];
      if (a->symmetric && j != i && keep(j, i)) ++out.start[j];
    }
  }
  for (uint32_t i = 1; i <= n; ++i) out.start[i] += out.start[i - 1];
  out.column.resize(out.start[n]);
  out.value.resize(out.start[n]);
  // Fill in row order of the stored entries: a row i receives its mirrors from
  // rows k < i (lower storage) before its own entries, so that for sorted
  // storage every row comes out sorted.
  std::vector<uint32_t> fill(out.start.begin(), out.start.end() - 1);
  for (uint32_t i = 1; i <= n; ++i) {
    for (uint32_t s = 0; s < a->rowLength[i]; ++s) {
      const MatrixEntry& e = a->rows[i][s];
      const uint32_t j = e.column;
      if (keep(i, j)) {
        out.column[fill[i - 1]] = j - 1;
        out.value[fill[i - 1]++] = scale(i, j) * e.value;
      }
      if (a->symmetric && j != i && keep(j, i)) {
        out.column[fill[j - 1]] = i - 1;
        out.value[fill[j - 1]++] = scale(j, i) * e.value;
      }
    }
  }
  // Sort the rows whose fill order was not ascending (upper storage).
  for (uint32_t r = 0; r < n; ++r) {
    const uint32_t b = out.start[r], e = out.start[r + 1];
    bool sorted = true;
    for (uint32_t k = b + 1; k < e && sorted; ++k) sorted = out.column[k - 1] < out.column[k];
    if (sorted) continue;
    std::vector<std::pair<uint32_t, double>> row;
    for (uint32_t k = b; k < e; ++k) row.emplace_back(out.column[k], out.value[k]);
    std::sort(row.begin(), row.end());
    for (uint32_t k = b; k < e; ++k) {
      out.column[k] = row[k - b].first;
      out.value[k] = row[k - b].second;
    }
  }
}

namespace {

// store(i, sum) with sum = (A x)_i for every row, each row summed by one
// thread in storage order.
template <typename Store>
void ForEachRowProduct(const CsrMatrix& a, const double* x, Store store) {
  const uint32_t* start = a.start.data();
  const uint32_t* column = a.column.data();
  const double* value = a.value.data();
  auto body = [=](uint32_t first, uint32_t last) {
    for (uint32_t i = first; i <= last; ++i) {
      double sum = 0.0;
      for (uint32_t k = start[i]; k < start[i + 1]; ++k) sum += value[k] * x[column[k]];
      store(i, sum);
    }
  };
  if (a.rows > 0) ForEachChunk(0, a.rows - 1, body);
}

}  // namespace

void CsrMultiply(const CsrMatrix& a, const double* x, double* y) {
  ForEachRowProduct(a, x, [y](uint32_t i, double sum) { y[i] = sum; });
}

void CsrResidual(const CsrMatrix& a, const double* x, const double* b, double* r) {
  ForEachRowProduct(a, x, [b, r](uint32_t i, double sum) { r[i] = b[i] - sum; });
}

CsrMatrix CsrTranspose(const CsrMatrix& a) {
  CsrMatrix t;
  t.rows = a.columns;
  t.columns = a.rows;
  t.start.assign(t.rows + 1, 0);
  for (uint32_t c : a.column) ++t.start[c + 1];
  for (uint32_t r = 0; r < t.rows; ++r) t.start[r + 1] += t.start[r];
  t.column.resize(a.column.size());
  t.value.resize(a.value.size());
  std::vector<uint32_t> fill(t.start.begin(), t.start.end() - 1);
  // Rows of A in ascending order give ascending columns in each row of A^T.
  for (uint32_t r = 0; r < a.rows; ++r) {
    for (uint32_t k = a.start[r]; k < a.start[r + 1]; ++k) {
      const uint32_t slot = fill[a.column[k]]++;
      t.column[slot] = r;
      t.value[slot] = a.value[k];
    }
  }
  return t;
}

namespace {

// Dense accumulator over the columns of one product row: marks which columns
// are in use and lists them, so that a row costs its own entries only.
struct RowAccumulator {
  std::vector<double> sum;
  std::vector<uint32_t> mark;  // row + 1 when the column is in use for that row
  std::vector<uint32_t> used;
  explicit RowAccumulator(uint32_t columns) : sum(columns, 0.0), mark(columns, 0) {}
  void Add(uint32_t row, uint32_t column, double value) {
    if (mark[column] != row + 1) {
      mark[column] = row + 1;
      sum[column] = 0.0;
      used.push_back(column);
    }
    sum[column] += value;
  }
  // Appends the row to `out` in the order its columns first appeared (a
  // fixed order for given operands) and clears the list.
  void Flush(CsrMatrix& out) {
    for (uint32_t c : used) {
      out.column.push_back(c);
      out.value.push_back(sum[c]);
    }
    used.clear();
  }
};

}  // namespace

CsrMatrix CsrProduct(const CsrMatrix& a, const CsrMatrix& b) {
  CsrMatrix c;
  c.rows = a.rows;
  c.columns = b.columns;
  c.start.assign(c.rows + 1, 0);
  c.column.reserve(a.column.size() * 2);
  c.value.reserve(a.column.size() * 2);
  RowAccumulator acc(b.columns);
  for (uint32_t i = 0; i < a.rows; ++i) {
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
      const uint32_t j = a.column[k];
      const double v = a.value[k];
      for (uint32_t m = b.start[j]; m < b.start[j + 1]; ++m) acc.Add(i, b.column[m], v * b.value[m]);
    }
    acc.Flush(c);
    c.start[i + 1] = static_cast<uint32_t>(c.column.size());
  }
  return c;
}

CsrMatrix GalerkinProduct(const CsrMatrix& a, const CsrMatrix& p, const CsrMatrix& pt) {
  const CsrMatrix ap = CsrProduct(a, p);
  return CsrProduct(pt, ap);
}

}  // namespace kv
