#pragma once
// Smoothed-aggregation algebraic multigrid, used as the preconditioner of the
// conjugate-gradient solve (one symmetric V-cycle per application).
//
// The hierarchy is kept from solve to solve. The filling solver's pressure
// system changes at every pass: its values (viscosities, the melt's reach) and
// its unknowns (the filled nodes, which grow as the front advances). The
// aggregates and the prolongations are built once and reused; at each solve
// only the coarse operators are recomputed from the new matrix (Galerkin
// products over the kept prolongations), which costs a few matrix-vector
// products. Unknowns that the hierarchy does not know yet (identified by the
// caller's stable ids, e.g. node numbers) are left to the smoother; once they
// exceed a set fraction of the unknowns the hierarchy is built anew.

#include <cstdint>
#include <vector>

#include "solver/matrix/csr_matrix.h"

namespace kv {

struct MultigridSettings {
  double strengthThreshold = 0.08;  // a_ij is strong when |a_ij| >= t sqrt(a_ii a_jj)
  double smoothingFactor = 4.0 / 3.0;  // prolongation smoothing weight times the spectral radius
  uint32_t coarsestRows = 50;       // the coarsening stops at or below this many rows
  uint32_t maxLevels = 15;
  double rebuildFraction = 0.1;     // rebuild when this share of unknowns is not covered
  // Coarse operators recomputed at every refreshInterval-th solve (and at
  // every build); in between the coarse levels keep their last operators,
  // which leaves the preconditioner symmetric positive definite, only less
  // exact, while the finest level always smooths with the current matrix.
  uint32_t refreshInterval = 4;
};

struct MultigridLevel {
  CsrMatrix a;                          // operator of the level (level 0: the current system)
  std::vector<double> inverseDiagonal;  // 1/a_ii, 0 for an empty or non-positive diagonal
  CsrMatrix p;                          // prolongation from the next coarser level to this one
  CsrMatrix pt;                         // its transpose (restriction)
  std::vector<double> x, b, r;          // work arrays of the cycle
};

struct MultigridPreconditioner {
  MultigridSettings settings;
  std::vector<MultigridLevel> levels;  // finest first; the last is solved directly
  // The finest level as last built: the row of every stable id (-1 for ids
  // that were not unknowns) and the prolongation rows in that numbering.
  std::vector<int64_t> builtRowOfId;
  CsrMatrix builtProlongation;
  uint32_t uncovered = 0;             // current unknowns without a row in the build
  std::vector<double> coarsestFactor;  // dense Cholesky factor of the last level, row-major
  bool coarsestDirect = false;         // false: the last level is smoothed instead
  uint32_t builds = 0;                 // hierarchies built so far
  uint32_t refreshes = 0;              // value refreshes over a kept hierarchy
  uint32_t solvesSinceRefresh = 0;     // solves since the coarse operators were recomputed
};

// Makes `mg` a preconditioner of the symmetric positive (semi-)definite
// system `a` (0-based, both triangles), taking `a` over as its finest level.
//   ids: stable identifiers (>= 0) of the unknowns, ids[1..n] for rows 1..n,
//   as the filling solver numbers its unknowns; nullptr: the row numbers are
//   the identifiers.
// Builds the hierarchy at the first call, when the unknowns not covered by
// the last build exceed settings.rebuildFraction of the rows, and otherwise
// only recomputes the coarse operators. Returns 1.
int MultigridPrepare(MultigridPreconditioner& mg, CsrMatrix&& a, const int* ids);

// True when the hierarchy as last built had an unknown with the stable id
// `id`. A caller whose system loses that unknown for good (it becomes a given
// value) discards the hierarchy, whose aggregates were made around it.
bool MultigridCovers(const MultigridPreconditioner& mg, int id);

// z = M^-1 r by one V-cycle (forward Gauss-Seidel before, backward after the
// coarse correction, so M is symmetric). r and z are 0-based arrays of the
// finest level's length.
void MultigridApply(MultigridPreconditioner& mg, const double* r, double* z);

// Rows per level, finest first (for reports).
std::vector<uint32_t> MultigridLevelRows(const MultigridPreconditioner& mg);

}  // namespace kv
