#pragma once
// The benchmark problem of the pressure solve: the P1 finite-element Laplacian
// of a triangulated unit square with one fixed node, stored as the filling
// solver stores its pressure matrix (symmetric, lower triangle, rows sorted by
// column with the diagonal last).

#include <cstdint>
#include <vector>

namespace kv::bench {

struct LowerEntry {
  uint32_t column;  // 0-based
  double value;
};

struct LaplacianSquare {
  uint32_t n = 0;                             // unknowns (nodes)
  std::vector<std::vector<LowerEntry>> rows;  // 0-based rows, columns <= row, diagonal last
  std::vector<double> rhs;                    // load of a unit source, 0 at the fixed node
  uint64_t lowerNonZeros = 0;
};

// Builds the problem on a grid of (cells+1)^2 nodes numbered row by row. The
// interior nodes are moved at random by up to 25% of a cell and each cell is
// cut along a random diagonal (fixed seed), so node degrees vary as in a mesh
// from a mesher. Node 0 (a corner) is fixed: its row and column become the
// identity.
LaplacianSquare MakeLaplacianSquare(uint32_t cells, uint32_t seed);

}  // namespace kv::bench
