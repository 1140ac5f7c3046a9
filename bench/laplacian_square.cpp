#include "bench/laplacian_square.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace kv::bench {

namespace {

// a(row, column) += value in the lower triangle (row >= column).
void AddLower(LaplacianSquare& p, uint32_t row, uint32_t column, double value) {
  if (column > row) std::swap(row, column);
  for (LowerEntry& e : p.rows[row]) {
    if (e.column == column) {
      e.value += value;
      return;
    }
  }
  p.rows[row].push_back(LowerEntry{column, value});
}

}  // namespace

LaplacianSquare MakeLaplacianSquare(uint32_t cells, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> jitter(-0.25, 0.25);
  std::bernoulli_distribution flip(0.5);
  const uint32_t side = cells + 1;
  LaplacianSquare p;
  p.n = side * side;
  p.rows.resize(p.n);
  p.rhs.assign(p.n, 0.0);
  const double h = 1.0 / cells;
  std::vector<double> x(p.n), y(p.n);
  for (uint32_t r = 0; r < side; ++r) {
    for (uint32_t c = 0; c < side; ++c) {
      const bool interior = r > 0 && c > 0 && r < cells && c < cells;
      x[r * side + c] = (c + (interior ? jitter(rng) : 0.0)) * h;
      y[r * side + c] = (r + (interior ? jitter(rng) : 0.0)) * h;
    }
  }
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
    // K_ef += area * grad_e . grad_f (lower triangle only); load area / 3 per vertex.
    for (int e = 0; e < 3; ++e) {
      p.rhs[v[e]] += area / 3.0;
      for (int f = 0; f <= e; ++f) AddLower(p, v[e], v[f], area * (gx[e] * gx[f] + gy[e] * gy[f]));
    }
  };
  for (uint32_t r = 0; r < cells; ++r) {
    for (uint32_t c = 0; c < cells; ++c) {
      const uint32_t p00 = r * side + c, p10 = p00 + 1, p01 = p00 + side, p11 = p01 + 1;
      if (flip(rng)) {
        addTriangle(p00, p10, p11);
        addTriangle(p00, p11, p01);
      } else {
        addTriangle(p00, p10, p01);
        addTriangle(p10, p11, p01);
      }
    }
  }
  // Fix node 0: identity row and column, zero load.
  for (uint32_t i = 1; i < p.n; ++i) {
    auto& row = p.rows[i];
    row.erase(std::remove_if(row.begin(), row.end(), [](const LowerEntry& e) { return e.column == 0; }),
              row.end());
  }
  p.rows[0].assign(1, LowerEntry{0, 1.0});
  p.rhs[0] = 0.0;
  for (auto& row : p.rows) {
    std::sort(row.begin(), row.end(),
              [](const LowerEntry& a, const LowerEntry& b) { return a.column < b.column; });
    p.lowerNonZeros += row.size();
  }
  return p;
}

}  // namespace kv::bench
