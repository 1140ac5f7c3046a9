#pragma once
// Compressed sparse rows with both triangles stored, 0-based: the working form
// of the conjugate-gradient loop and of the multigrid hierarchy. Products over
// it run on the library's threads with results independent of their count.

#include <cstdint>
#include <vector>

#include "solver/matrix/sparse_matrix.h"

namespace kv {

struct CsrMatrix {
  uint32_t rows = 0;
  uint32_t columns = 0;
  std::vector<uint32_t> start;   // rows + 1 offsets into column/value
  std::vector<uint32_t> column;  // 0-based; ascending within a row where said
  std::vector<double> value;
};

// The full matrix of the expression diagScale*D + upperScale*U +
// lowerScale*L of `a` (mirrored entries written out for symmetric storage),
// 0-based, rows sorted; parts whose scale counts as zero are left out. `a`
// must be assembled (MatAssemble).
void CsrFromExpression(const SparseMatrix* a, CsrMatrix& out);

// y = A x for 0-based arrays of length A.columns (x) and A.rows (y). Each row
// is summed by one thread in storage order.
void CsrMultiply(const CsrMatrix& a, const double* x, double* y);

// r = b - A x, as CsrMultiply.
void CsrResidual(const CsrMatrix& a, const double* x, const double* b, double* r);

// The transpose of A.
CsrMatrix CsrTranspose(const CsrMatrix& a);

// The product A B (A.columns == B.rows); the columns of a row stand in the
// order the product first reaches them (not sorted).
CsrMatrix CsrProduct(const CsrMatrix& a, const CsrMatrix& b);

// The Galerkin product P^T A P of a square A with the prolongation P
// (P.rows == A.rows), given P^T as pt; rows not sorted.
CsrMatrix GalerkinProduct(const CsrMatrix& a, const CsrMatrix& p, const CsrMatrix& pt);

}  // namespace kv
