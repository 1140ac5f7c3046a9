#pragma once
// Library matrices and vectors of the Laplacian test problems, for the tests
// and bench/: the whole problem or the part of it on a subset of the nodes
// (the others held at zero), as the filling solver restricts its pressure
// system to the filled nodes.

#include <cstdint>
#include <vector>

#include "solver/matrix/matrix_handles.h"
#include "solver/matrix/tests/laplacian_problem.h"

namespace kv::test {

// A problem restricted to some of its nodes: rows in ascending node order.
struct LibrarySystem {
  MatrixHandle a;
  VectorHandle b;
  std::vector<int> ids;  // ids[1..n]: the node (0-based) of each row; ids[0] = -1
};

// The system of `p` on the nodes where keep[node] is true (all nodes when
// keep is empty), symmetric lower storage. With `coefficient` (one value per
// node) every coupling a_ij of i != j is weighted by the mean of the two
// nodes' values and the diagonal changes by as much as the row's couplings
// did (those to dropped nodes included, as fixed values), so that rows summing
// to zero still do, as a varying conductance would give.
inline LibrarySystem MakeLibrarySystem(const LaplacianProblem& p, const std::vector<bool>& keep = {},
                                       const std::vector<double>& coefficient = {}) {
  std::vector<uint32_t> row(p.n, 0);
  LibrarySystem s;
  s.ids.push_back(-1);
  for (uint32_t i = 0; i < p.n; ++i) {
    if (keep.empty() || keep[i]) {
      s.ids.push_back(static_cast<int>(i));
      row[i] = static_cast<uint32_t>(s.ids.size() - 1);
    }
  }
  // Diagonal changes: minus the changes of the couplings of each row.
  std::vector<double> diagonal(p.n, 0.0);
  auto weight = [&](uint32_t i, uint32_t j) {
    return coefficient.empty() ? 1.0 : 0.5 * (coefficient[i] + coefficient[j]);
  };
  for (uint32_t i = 0; i < p.n; ++i) {
    for (const LowerEntry& e : p.rows[i]) {
      if (e.column == i) continue;
      const double change = (weight(i, e.column) - 1.0) * e.value;
      diagonal[i] -= change;
      diagonal[e.column] -= change;
    }
  }
  const uint32_t n = static_cast<uint32_t>(s.ids.size() - 1);
  s.a.reset(MatCreate("A", n, 1, 1, 0, 1));
  s.b.reset(VecCreate("b", n, 0, 1));
  for (uint32_t r = 1; r <= n; ++r) {
    const uint32_t node = static_cast<uint32_t>(s.ids[r]);
    std::vector<LowerEntry> entries;
    for (const LowerEntry& e : p.rows[node]) {
      if (row[e.column] == 0) continue;
      const double value = e.column != node ? weight(node, e.column) * e.value : e.value + diagonal[node];
      entries.push_back(LowerEntry{row[e.column], value});
    }
    MatSetRowLength(s.a.get(), r, static_cast<uint32_t>(entries.size()));
    for (size_t k = 0; k < entries.size(); ++k) {
      MatSetEntry(s.a.get(), r, static_cast<uint32_t>(k), entries[k].column, entries[k].value);
    }
    VecSet(s.b.get(), r, p.rhs[node]);
  }
  return s;
}

}  // namespace kv::test
