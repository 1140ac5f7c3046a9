#pragma once
// Test and benchmark problem of the pressure solve: the P1 finite-element
// Laplacian of a triangulated unit square, stored as the filling solver stores
// its pressure matrix (symmetric, lower triangle, rows sorted by column with
// the diagonal last). Header-only so that the tests and bench/ share it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace kv::test {

struct LowerEntry {
  uint32_t column;  // 0-based
  double value;
};

struct LaplacianProblem {
  uint32_t n = 0;                             // unknowns (nodes)
  std::vector<std::vector<LowerEntry>> rows;  // 0-based rows, columns <= row, diagonal last
  std::vector<double> rhs;                    // load of a unit source (0 at a fixed node)
  uint64_t lowerNonZeros = 0;
};

// Builds the problem on a grid of (cells+1)^2 nodes. The interior nodes are
// moved at random by up to 25% of a cell and each cell is cut along a random
// diagonal, so node degrees vary as in a mesh from a mesher (seeded, so the
// same arguments give the same problem).
//   shuffleNumbers: number the nodes in a random order instead of row by row.
//   fixFirstNode: node 0 (a corner of the square) is fixed; its row and column
//   become the identity and its load 0. Without it the matrix is singular with
//   the constant vectors as null space.
inline LaplacianProblem MakeLaplacianSquare(uint32_t cells, uint32_t seed, bool shuffleNumbers,
                                            bool fixFirstNode) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> jitter(-0.25, 0.25);
  std::bernoulli_distribution flip(0.5);
  const uint32_t side = cells + 1;
  LaplacianProblem p;
  p.n = side * side;
  p.rows.resize(p.n);
  p.rhs.assign(p.n, 0.0);
  std::vector<uint32_t> number(p.n);
  std::iota(number.begin(), number.end(), 0u);
  if (shuffleNumbers) std::shuffle(number.begin(), number.end(), rng);
  const double h = 1.0 / cells;
  std::vector<double> x(p.n), y(p.n);
  for (uint32_t r = 0; r < side; ++r) {
    for (uint32_t c = 0; c < side; ++c) {
      const bool interior = r > 0 && c > 0 && r < cells && c < cells;
      x[number[r * side + c]] = (c + (interior ? jitter(rng) : 0.0)) * h;
      y[number[r * side + c]] = (r + (interior ? jitter(rng) : 0.0)) * h;
    }
  }
  // a(row, column) += value in the lower triangle.
  auto addLower = [&p](uint32_t row, uint32_t column, double value) {
    if (column > row) std::swap(row, column);
    for (LowerEntry& e : p.rows[row]) {
      if (e.column == column) {
        e.value += value;
        return;
      }
    }
    p.rows[row].push_back(LowerEntry{column, value});
  };
  auto addTriangle = [&](uint32_t a, uint32_t b, uint32_t c) {
    const uint32_t v[3] = {a, b, c};
    const double area2 = (x[b] - x[a]) * (y[c] - y[a]) - (x[c] - x[a]) * (y[b] - y[a]);
    // Gradient of the hat function of vertex e: (y_j - y_k, x_k - x_j) / (2 area).
    double gx[3], gy[3];
    for (int e = 0; e < 3; ++e) {
      const uint32_t j = v[(e + 1) % 3], k = v[(e + 2) % 3];
      gx[e] = (y[j] - y[k]) / area2;
      gy[e] = (x[k] - x[j]) / area2;
    }
    const double area = std::fabs(area2) / 2.0;
    // K_ef += area * grad_e . grad_f; load area / 3 per vertex.
    for (int e = 0; e < 3; ++e) {
      p.rhs[v[e]] += area / 3.0;
      for (int f = 0; f <= e; ++f) addLower(v[e], v[f], area * (gx[e] * gx[f] + gy[e] * gy[f]));
    }
  };
  for (uint32_t r = 0; r < cells; ++r) {
    for (uint32_t c = 0; c < cells; ++c) {
      const uint32_t p00 = number[r * side + c], p10 = number[r * side + c + 1];
      const uint32_t p01 = number[(r + 1) * side + c], p11 = number[(r + 1) * side + c + 1];
      if (flip(rng)) {
        addTriangle(p00, p10, p11);
        addTriangle(p00, p11, p01);
      } else {
        addTriangle(p00, p10, p01);
        addTriangle(p10, p11, p01);
      }
    }
  }
  if (fixFirstNode) {
    // Identity row and column, zero load.
    for (uint32_t i = 1; i < p.n; ++i) {
      auto& row = p.rows[i];
      row.erase(std::remove_if(row.begin(), row.end(), [](const LowerEntry& e) { return e.column == 0; }),
                row.end());
    }
    p.rows[0].assign(1, LowerEntry{0, 1.0});
    p.rhs[0] = 0.0;
  }
  for (auto& row : p.rows) {
    std::sort(row.begin(), row.end(),
              [](const LowerEntry& a, const LowerEntry& b) { return a.column < b.column; });
    p.lowerNonZeros += row.size();
  }
  return p;
}

}  // namespace kv::test
