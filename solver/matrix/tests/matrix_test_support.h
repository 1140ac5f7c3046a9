#pragma once
// Shared helpers of the matrix library tests: a fixture that starts from a
// clean library state and checks that every header was freed, builders of
// library matrices from dense or triplet data, P1 finite-element Laplacians of
// irregular triangle meshes, and a dense reference solver.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "solver/matrix/matrix_library.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/matrix/sparse_matrix.h"
#include "solver/matrix/tests/laplacian_problem.h"
#include "solver/matrix/vector.h"

namespace kv::test {

// Dense n x n matrix, 0-based, row-major.
struct Dense {
  uint32_t n = 0;
  std::vector<double> a;
  double& operator()(uint32_t i, uint32_t j) { return a[static_cast<size_t>(i) * n + j]; }
  double operator()(uint32_t i, uint32_t j) const { return a[static_cast<size_t>(i) * n + j]; }
};

inline Dense MakeDense(uint32_t n) { return Dense{n, std::vector<double>(static_cast<size_t>(n) * n, 0.0)}; }

// Every test starts without a library error and with the default tolerance,
// and must leave no vector or matrix header alive.
class MatrixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMatrixLibrary();
    vectorsBefore_ = MatrixLibrary().liveVectors;
    matricesBefore_ = MatrixLibrary().liveMatrices;
  }
  void TearDown() override {
    EXPECT_EQ(MatrixLibrary().liveVectors, vectorsBefore_) << "vector headers leaked";
    EXPECT_EQ(MatrixLibrary().liveMatrices, matricesBefore_) << "matrix headers leaked";
    ResetMatrixLibrary();
  }

 private:
  int64_t vectorsBefore_ = 0;
  int64_t matricesBefore_ = 0;
};

// The storages a matrix can have: symmetric lower, symmetric upper,
// non-symmetric (both triangles).
struct Storage {
  int symmetric;
  int triangle;
};
inline constexpr Storage kStorages[] = {{1, 1}, {1, 0}, {0, 0}};

// Library matrix from the non-zeros of a dense one (0-based dense, 1-based
// library). symmetric: store only one triangle (triangle 0 upper, 1 lower).
// Rows are filled in a scrambled column order so that assembly has to sort.
inline SparseMatrix* ToLibrary(const Dense& d, const char* name, int symmetric, int triangle) {
  SparseMatrix* a = MatCreate(name, d.n, symmetric, triangle, 0, 1);
  for (uint32_t i = 0; i < d.n; ++i) {
    std::vector<std::pair<uint32_t, double>> entries;
    for (uint32_t j = 0; j < d.n; ++j) {
      const bool keep = !symmetric || (triangle == 0 ? j >= i : j <= i);
      if (keep && (d(i, j) != 0.0 || i == j)) entries.emplace_back(j + 1, d(i, j));
    }
    // Reverse the natural order: assembly sorts the rows.
    MatSetRowLength(a, i + 1, static_cast<uint32_t>(entries.size()));
    for (size_t s = 0; s < entries.size(); ++s) {
      const auto& e = entries[entries.size() - 1 - s];
      MatSetEntry(a, i + 1, static_cast<uint32_t>(s), e.first, e.second);
    }
  }
  return a;
}

// Persistent owning vector with the given 0-based values.
inline Vector* MakeVector(const char* name, const std::vector<double>& values) {
  Vector* v = VecCreate(name, static_cast<uint32_t>(values.size()), 0, 1);
  for (size_t i = 0; i < values.size(); ++i) VecSet(v, static_cast<uint32_t>(i + 1), values[i]);
  return v;
}

// The stored entries of v as a 0-based std::vector (values times v's scale).
inline std::vector<double> Values(const Vector* v) {
  std::vector<double> out(v->n);
  for (uint32_t i = 0; i < v->n; ++i) out[i] = v->scale * v->data[i + 1];
  return out;
}

inline std::vector<double> Multiply(const Dense& d, const std::vector<double>& x) {
  std::vector<double> y(d.n, 0.0);
  for (uint32_t i = 0; i < d.n; ++i) {
    for (uint32_t j = 0; j < d.n; ++j) y[i] += d(i, j) * x[j];
  }
  return y;
}

// Solves d x = b by Gaussian elimination with partial pivoting.
inline std::vector<double> DenseSolve(Dense d, std::vector<double> b) {
  const uint32_t n = d.n;
  for (uint32_t k = 0; k < n; ++k) {
    uint32_t pivot = k;
    for (uint32_t i = k + 1; i < n; ++i) {
      if (std::fabs(d(i, k)) > std::fabs(d(pivot, k))) pivot = i;
    }
    if (pivot != k) {
      for (uint32_t j = 0; j < n; ++j) std::swap(d(k, j), d(pivot, j));
      std::swap(b[k], b[pivot]);
    }
    for (uint32_t i = k + 1; i < n; ++i) {
      const double f = d(i, k) / d(k, k);
      if (f == 0.0) continue;
      for (uint32_t j = k; j < n; ++j) d(i, j) -= f * d(k, j);
      b[i] -= f * b[k];
    }
  }
  std::vector<double> x(n);
  for (uint32_t i = n; i-- > 0;) {
    double s = b[i];
    for (uint32_t j = i + 1; j < n; ++j) s -= d(i, j) * x[j];
    x[i] = s / d(i, i);
  }
  return x;
}

inline double Norm2(const std::vector<double>& v) {
  double s = 0.0;
  for (double x : v) s += x * x;
  return std::sqrt(s);
}

inline double MaxDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double m = 0.0;
  for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::fabs(a[i] - b[i]));
  return m;
}

// P1 finite-element stiffness (Laplacian) of an irregular triangulation of the
// unit square with (cells+1)^2 nodes numbered in a random order (see
// laplacian_problem.h), as a dense symmetric matrix. Singular: its null space
// is the constant vectors.
inline Dense FiniteElementLaplacian(uint32_t cells, uint32_t seed) {
  const LaplacianProblem p = MakeLaplacianSquare(cells, seed, true, false);
  Dense k = MakeDense(p.n);
  for (uint32_t i = 0; i < p.n; ++i) {
    for (const LowerEntry& e : p.rows[i]) k(i, e.column) = k(e.column, i) = e.value;
  }
  return k;
}

// Fixes node `node` (0-based) of a Laplacian at value 0 by replacing its row
// and column by the identity, as the pressure equation does at an inlet.
inline void FixNode(Dense& k, uint32_t node) {
  for (uint32_t j = 0; j < k.n; ++j) {
    k(node, j) = 0.0;
    k(j, node) = 0.0;
  }
  k(node, node) = 1.0;
}

// Random sparse symmetric positive definite matrix: random symmetric
// off-diagonal entries with a given density and a strictly dominant diagonal.
inline Dense RandomSpd(uint32_t n, double density, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::bernoulli_distribution present(density);
  Dense d = MakeDense(n);
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t j = 0; j < i; ++j) {
      if (present(rng)) d(i, j) = d(j, i) = value(rng);
    }
  }
  for (uint32_t i = 0; i < n; ++i) {
    double s = 0.0;
    for (uint32_t j = 0; j < n; ++j) {
      if (j != i) s += std::fabs(d(i, j));
    }
    d(i, i) = s + 0.1 + std::fabs(value(rng));
  }
  return d;
}

}  // namespace kv::test
