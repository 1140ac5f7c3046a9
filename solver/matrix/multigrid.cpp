// Smoothed-aggregation multigrid: aggregation, prolongation smoothing, the
// Galerkin coarse operators, the kept hierarchy and the V-cycle.
#include "solver/matrix/multigrid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {

// Diagonal of a level's operator; 0 where a row has none.
std::vector<double> DiagonalOf(const CsrMatrix& a) {
  std::vector<double> diagonal(a.rows, 0.0);
  for (uint32_t i = 0; i < a.rows; ++i) {
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
      if (a.column[k] == i) diagonal[i] = a.value[k];
    }
  }
  return diagonal;
}

// Aggregates of the strong-connection graph: every unknown gets the 0-based
// number of its aggregate. Phase 1 makes an aggregate of every unknown whose
// strong neighbours are all free, with those neighbours; phase 2 attaches the
// rest to the neighbouring phase-1 aggregate they are most strongly tied to;
// phase 3 groups what is left with its free strong neighbours. Returns the
// number of aggregates.
uint32_t Aggregate(const CsrMatrix& a, const std::vector<double>& diagonal, double threshold,
                   std::vector<int64_t>& aggregate) {
  const uint32_t n = a.rows;
  auto strong = [&](uint32_t i, uint32_t k) {
    const uint32_t j = a.column[k];
    return j != i && std::fabs(a.value[k]) >= threshold * std::sqrt(std::fabs(diagonal[i] * diagonal[j]));
  };
  aggregate.assign(n, -1);
  uint32_t count = 0;
  for (uint32_t i = 0; i < n; ++i) {
    if (aggregate[i] >= 0) continue;
    bool free = true;
    for (uint32_t k = a.start[i]; k < a.start[i + 1] && free; ++k) free = !strong(i, k) || aggregate[a.column[k]] < 0;
    if (!free) continue;
    aggregate[i] = count;
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
      if (strong(i, k)) aggregate[a.column[k]] = count;
    }
    ++count;
  }
  const std::vector<int64_t> firstPhase = aggregate;
  for (uint32_t i = 0; i < n; ++i) {
    if (aggregate[i] >= 0) continue;
    double best = 0.0;
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
      const uint32_t j = a.column[k];
      if (strong(i, k) && firstPhase[j] >= 0 && std::fabs(a.value[k]) > best) {
        best = std::fabs(a.value[k]);
        aggregate[i] = firstPhase[j];
      }
    }
  }
  for (uint32_t i = 0; i < n; ++i) {
    if (aggregate[i] >= 0) continue;
    aggregate[i] = count;
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
      if (strong(i, k) && aggregate[a.column[k]] < 0) aggregate[a.column[k]] = count;
    }
    ++count;
  }
  return count;
}

// The smoothed prolongation P = (I - w D^-1 A) T, with T the tentative
// prolongation (row i has a 1 in the column of its aggregate) and
// w = factor / rho, rho the Gershgorin bound of the spectrum of D^-1 A.
CsrMatrix SmoothedProlongation(const CsrMatrix& a, const std::vector<double>& diagonal,
                               const std::vector<int64_t>& aggregate, uint32_t aggregates, double factor) {
  double rho = 0.0;
  for (uint32_t i = 0; i < a.rows; ++i) {
    if (diagonal[i] <= 0.0) continue;
    double sum = 0.0;
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) sum += std::fabs(a.value[k]);
    rho = std::max(rho, sum / diagonal[i]);
  }
  const double weight = rho > 0.0 ? factor / rho : 0.0;
  CsrMatrix tentative;
  tentative.rows = a.rows;
  tentative.columns = aggregates;
  tentative.start.resize(a.rows + 1);
  for (uint32_t i = 0; i <= a.rows; ++i) tentative.start[i] = i;
  tentative.column.assign(aggregate.begin(), aggregate.end());
  tentative.value.assign(a.rows, 1.0);
  CsrMatrix p = CsrProduct(a, tentative);  // A T, rows sorted
  for (uint32_t i = 0; i < a.rows; ++i) {
    const double scale = diagonal[i] > 0.0 ? -weight / diagonal[i] : 0.0;
    for (uint32_t k = p.start[i]; k < p.start[i + 1]; ++k) {
      p.value[k] *= scale;
      if (p.column[k] == static_cast<uint32_t>(aggregate[i])) p.value[k] += 1.0;
    }
  }
  return p;
}

// Inverse diagonal of a level, 0 where the diagonal is not positive (rows of
// unknowns that dropped out of the system leave empty coarse rows).
void PrepareLevel(MultigridLevel& level) {
  const std::vector<double> diagonal = DiagonalOf(level.a);
  level.inverseDiagonal.resize(level.a.rows);
  for (uint32_t i = 0; i < level.a.rows; ++i) level.inverseDiagonal[i] = diagonal[i] > 0.0 ? 1.0 / diagonal[i] : 0.0;
  level.x.assign(level.a.rows, 0.0);
  level.b.assign(level.a.rows, 0.0);
  level.r.assign(level.a.rows, 0.0);
}

// Coarsest rows solved by a dense factor; above, the last level is smoothed.
constexpr uint32_t kDenseLimit = 600;

// Dense Cholesky factor of the last level; a pivot that is not clearly
// positive (a null direction of a singular operator) is dropped: its
// component of the solution is set to 0.
void FactorCoarsest(MultigridPreconditioner& mg) {
  const CsrMatrix& a = mg.levels.back().a;
  const uint32_t n = a.rows;
  mg.coarsestDirect = n <= kDenseLimit;
  if (!mg.coarsestDirect) return;
  std::vector<double>& f = mg.coarsestFactor;
  f.assign(static_cast<size_t>(n) * n, 0.0);
  double largest = 0.0;
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) f[static_cast<size_t>(i) * n + a.column[k]] = a.value[k];
    largest = std::max(largest, std::fabs(f[static_cast<size_t>(i) * n + i]));
  }
  for (uint32_t j = 0; j < n; ++j) {
    double* rowJ = &f[static_cast<size_t>(j) * n];
    double pivot = rowJ[j];
    for (uint32_t k = 0; k < j; ++k) pivot -= rowJ[k] * rowJ[k];
    if (!(pivot > 1e-12 * largest)) {
      for (uint32_t i = j; i < n; ++i) f[static_cast<size_t>(i) * n + j] = 0.0;
      continue;
    }
    rowJ[j] = std::sqrt(pivot);
    for (uint32_t i = j + 1; i < n; ++i) {
      double* rowI = &f[static_cast<size_t>(i) * n];
      double sum = rowI[j];
      for (uint32_t k = 0; k < j; ++k) sum -= rowI[k] * rowJ[k];
      rowI[j] = sum / rowJ[j];
    }
  }
}

// x = A^-1 b through the dense factor L L^T (dropped pivots give 0).
void SolveCoarsest(const MultigridPreconditioner& mg, const std::vector<double>& b, std::vector<double>& x) {
  const uint32_t n = static_cast<uint32_t>(b.size());
  const std::vector<double>& f = mg.coarsestFactor;
  for (uint32_t i = 0; i < n; ++i) {
    const double* row = &f[static_cast<size_t>(i) * n];
    double sum = b[i];
    for (uint32_t k = 0; k < i; ++k) sum -= row[k] * x[k];
    x[i] = row[i] != 0.0 ? sum / row[i] : 0.0;
  }
  for (uint32_t i = n; i-- > 0;) {
    double sum = x[i];
    for (uint32_t k = i + 1; k < n; ++k) sum -= f[static_cast<size_t>(k) * n + i] * x[k];
    const double d = f[static_cast<size_t>(i) * n + i];
    x[i] = d != 0.0 ? sum / d : 0.0;
  }
}

// Builds the whole hierarchy below the finest level mg.levels[0].
void BuildHierarchy(MultigridPreconditioner& mg) {
  mg.levels.resize(1);
  const MultigridSettings& s = mg.settings;
  while (mg.levels.back().a.rows > s.coarsestRows && mg.levels.size() < s.maxLevels) {
    MultigridLevel& fine = mg.levels.back();
    const std::vector<double> diagonal = DiagonalOf(fine.a);
    std::vector<int64_t> aggregate;
    const uint32_t aggregates = Aggregate(fine.a, diagonal, s.strengthThreshold, aggregate);
    if (aggregates == 0 || aggregates > 0.9 * fine.a.rows) break;  // the coarsening stalls
    fine.p = SmoothedProlongation(fine.a, diagonal, aggregate, aggregates, s.smoothingFactor);
    fine.pt = CsrTranspose(fine.p);
    MultigridLevel coarse;
    coarse.a = GalerkinProduct(fine.a, fine.p, fine.pt);
    mg.levels.push_back(std::move(coarse));
  }
  mg.levels.back().p = CsrMatrix{};
  mg.levels.back().pt = CsrMatrix{};
  ++mg.builds;
}

// Rounds in which unknowns new since the last build borrow the prolongation
// row of a neighbour.
constexpr int kAttachRounds = 3;

// Rows of the finest prolongation for the current unknowns, taken from the
// last build by stable id. An unknown new since then borrows the row of its
// most strongly coupled neighbour that has one (new unknowns next to the
// front of the old ones first, then the next layers), so that the coarse
// levels still see it; what stays unreached gets an empty row and is left to
// the smoother. Counts the new unknowns in mg.uncovered.
void MapFinestProlongation(MultigridPreconditioner& mg, const int* ids) {
  MultigridLevel& fine = mg.levels[0];
  const CsrMatrix& a = fine.a;
  const CsrMatrix& built = mg.builtProlongation;
  std::vector<int64_t> source(a.rows, -1);  // row of the build whose prolongation row i takes
  mg.uncovered = 0;
  for (uint32_t i = 0; i < a.rows; ++i) {
    const int64_t id = ids != nullptr ? ids[i + 1] : i;
    if (id >= 0 && id < static_cast<int64_t>(mg.builtRowOfId.size())) source[i] = mg.builtRowOfId[id];
    if (source[i] < 0) ++mg.uncovered;
  }
  for (int round = 0; round < kAttachRounds && mg.uncovered > 0; ++round) {
    const std::vector<int64_t> known = source;
    for (uint32_t i = 0; i < a.rows; ++i) {
      if (known[i] >= 0) continue;
      double best = 0.0;
      for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
        const uint32_t j = a.column[k];
        if (j != i && known[j] >= 0 && std::fabs(a.value[k]) > best) {
          best = std::fabs(a.value[k]);
          source[i] = known[j];
        }
      }
    }
  }
  CsrMatrix& p = fine.p;
  p.rows = a.rows;
  p.columns = built.columns;
  p.start.assign(p.rows + 1, 0);
  p.column.clear();
  p.value.clear();
  for (uint32_t i = 0; i < p.rows; ++i) {
    if (source[i] >= 0) {
      for (uint32_t k = built.start[source[i]]; k < built.start[source[i] + 1]; ++k) {
        p.column.push_back(built.column[k]);
        p.value.push_back(built.value[k]);
      }
    }
    p.start[i + 1] = static_cast<uint32_t>(p.column.size());
  }
  fine.pt = CsrTranspose(p);
}

// Records the finest level's numbering and prolongation after a build.
void RememberBuild(MultigridPreconditioner& mg, const int* ids) {
  const MultigridLevel& fine = mg.levels[0];
  int64_t largest = fine.a.rows;
  for (uint32_t i = 0; ids != nullptr && i < fine.a.rows; ++i) largest = std::max<int64_t>(largest, ids[i + 1] + 1);
  mg.builtRowOfId.assign(largest, -1);
  for (uint32_t i = 0; i < fine.a.rows; ++i) {
    const int64_t id = ids != nullptr ? ids[i + 1] : i;
    if (id >= 0) mg.builtRowOfId[id] = i;
  }
  mg.builtProlongation = fine.p;
  mg.uncovered = 0;
}

// Symmetric Gauss-Seidel sweep of one level: forward (rows ascending) or
// backward, updating x in place for A x = b.
void GaussSeidel(MultigridLevel& level, bool forward) {
  const CsrMatrix& a = level.a;
  const uint32_t n = a.rows;
  for (uint32_t step = 0; step < n; ++step) {
    const uint32_t i = forward ? step : n - 1 - step;
    double sum = level.b[i];
    double diagonal = 0.0;
    for (uint32_t k = a.start[i]; k < a.start[i + 1]; ++k) {
      if (a.column[k] == i) {
        diagonal = a.value[k];
      } else {
        sum -= a.value[k] * level.x[a.column[k]];
      }
    }
    level.x[i] = diagonal > 0.0 ? sum / diagonal : 0.0;
  }
}

// One V-cycle from level l down: level l's x from its b, starting at zero.
void Cycle(MultigridPreconditioner& mg, size_t l) {
  MultigridLevel& level = mg.levels[l];
  std::fill(level.x.begin(), level.x.end(), 0.0);
  if (l + 1 == mg.levels.size()) {
    if (mg.coarsestDirect) {
      SolveCoarsest(mg, level.b, level.x);
    } else {
      GaussSeidel(level, true);
      GaussSeidel(level, false);
    }
    return;
  }
  GaussSeidel(level, true);
  CsrResidual(level.a, level.x.data(), level.b.data(), level.r.data());
  MultigridLevel& coarse = mg.levels[l + 1];
  CsrMultiply(level.pt, level.r.data(), coarse.b.data());
  Cycle(mg, l + 1);
  // x += P x_coarse, through r as scratch
  CsrMultiply(level.p, coarse.x.data(), level.r.data());
  for (uint32_t i = 0; i < level.a.rows; ++i) level.x[i] += level.r[i];
  GaussSeidel(level, false);
}

}  // namespace

bool MultigridCovers(const MultigridPreconditioner& mg, int id) {
  return id >= 0 && id < static_cast<int64_t>(mg.builtRowOfId.size()) && mg.builtRowOfId[id] >= 0;
}

int MultigridPrepare(MultigridPreconditioner& mg, CsrMatrix&& a, const int* ids) {
  const bool first = mg.levels.empty();
  if (first) mg.levels.resize(1);
  mg.levels[0].a = std::move(a);
  bool rebuild = first;
  if (!rebuild && mg.levels.size() > 1) {
    MapFinestProlongation(mg, ids);
    rebuild = mg.uncovered > mg.settings.rebuildFraction * mg.levels[0].a.rows;
  } else if (!rebuild) {
    // A one-level hierarchy (a small system): build again once it has grown.
    rebuild = mg.levels[0].a.rows > mg.settings.coarsestRows;
  }
  if (rebuild) {
    BuildHierarchy(mg);
    RememberBuild(mg, ids);
    mg.solvesSinceRefresh = 0;
  } else if (++mg.solvesSinceRefresh >= mg.settings.refreshInterval || mg.levels.size() == 1) {
    // New values over the kept prolongations.
    for (size_t l = 0; l + 1 < mg.levels.size(); ++l) {
      mg.levels[l + 1].a = GalerkinProduct(mg.levels[l].a, mg.levels[l].p, mg.levels[l].pt);
    }
    ++mg.refreshes;
    mg.solvesSinceRefresh = 0;
  } else {
    // Only the finest level takes the new matrix (a one-level hierarchy,
    // solved directly, never gets here).
    PrepareLevel(mg.levels[0]);
    return 1;
  }
  for (MultigridLevel& level : mg.levels) PrepareLevel(level);
  FactorCoarsest(mg);
  return 1;
}

void MultigridApply(MultigridPreconditioner& mg, const double* r, double* z) {
  MultigridLevel& fine = mg.levels[0];
  std::copy(r, r + fine.a.rows, fine.b.begin());
  Cycle(mg, 0);
  std::copy(fine.x.begin(), fine.x.end(), z);
}

std::vector<uint32_t> MultigridLevelRows(const MultigridPreconditioner& mg) {
  std::vector<uint32_t> rows;
  for (const MultigridLevel& level : mg.levels) rows.push_back(level.a.rows);
  return rows;
}

}  // namespace kv
