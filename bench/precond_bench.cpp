// Benchmark of the pressure solve's preconditioners on the same sequence of
// systems: the incomplete factorisation (DILU) against the multigrid kept from
// solve to solve, printed as ratios measured in the same run.
//
// The systems mimic the filling passes of a centre-gated plate: the P1
// Laplacian of an irregular triangulation of a square with about N nodes,
// restricted to the nodes inside a disc around the gate (the filled region;
// the nodes outside are the front and the empty cavity, held at zero), with
// the inflow at the gate node. The disc grows from pass to pass until it
// covers the square, and every solve starts from the previous pressures, at
// the filling solver's relative tolerance for the velocity-controlled solves.
//
//   bench_precond [--passes P] [--tolerance T] [--only dilu|multigrid]
//                 [--rebuild FRACTION] [--refresh INTERVAL] [nodes ...]
//                                      (default 5000 20000 100000, 200 passes, 1e-3)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "solver/matrix/matrix_library.h"
#include "solver/matrix/multigrid.h"
#include "solver/matrix/parallel.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/matrix/tests/library_problem.h"

namespace {

kv::MultigridSettings g_settings;  // of the multigrid runs

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct RunTotals {
  double seconds = 0.0;
  long iterations = 0;
  long solves = 0;
  uint32_t builds = 0;
  uint32_t levels = 0;
  std::vector<double> finalPressure;  // by node, of the last solve
};

// The nodes inside the disc of radius `radius` (in cells) around the centre.
std::vector<bool> FilledDisc(uint32_t cells, double radius) {
  const uint32_t side = cells + 1;
  std::vector<bool> keep(side * side);
  for (uint32_t r = 0; r < side; ++r) {
    for (uint32_t c = 0; c < side; ++c) {
      const double dx = c - cells / 2.0, dy = r - cells / 2.0;
      keep[r * side + c] = dx * dx + dy * dy <= radius * radius;
    }
  }
  return keep;
}

RunTotals Run(const kv::test::LaplacianProblem& base, uint32_t cells, int passes, double tolerance, bool multigrid) {
  kv::ResetMatrixLibrary();
  kv::MultigridPreconditioner mg;
  mg.settings = g_settings;
  RunTotals totals;
  std::vector<double> pressure(base.n, 0.0);
  const uint32_t side = cells + 1;
  const uint32_t gate = (cells / 2) * side + cells / 2;
  // The inflow enters at the gate only.
  kv::test::LaplacianProblem p = base;
  std::fill(p.rhs.begin(), p.rhs.end(), 0.0);
  p.rhs[gate] = 1.0;
  const double last = cells / 2.0 - 1.0;
  for (int pass = 1; pass <= passes; ++pass) {
    // The filled area grows linearly in time: the radius as its square root.
    const double radius = std::max(3.0, last * std::sqrt(double(pass) / passes));
    kv::test::LibrarySystem s = kv::test::MakeLibrarySystem(p, FilledDisc(cells, radius));
    const uint32_t n = s.a->n;
    kv::VectorHandle x(kv::VecCreate("x", n, 0, 1));
    for (uint32_t r = 1; r <= n; ++r) kv::VecSet(x.get(), r, pressure[s.ids[r]]);
    kv::PcgOptions options;
    options.tolerance = tolerance;
    if (multigrid) {
      options.multigrid = &mg;
      options.unknownIds = s.ids.data();
    }
    const double t0 = Now();
    const kv::PcgResult result = kv::PcgSolve(s.a.get(), x.get(), s.b.get(), options);
    totals.seconds += Now() - t0;
    totals.iterations += result.iterations;
    ++totals.solves;
    std::fill(pressure.begin(), pressure.end(), 0.0);
    for (uint32_t r = 1; r <= n; ++r) pressure[s.ids[r]] = x->data[r];
  }
  if (kv::MatrixLibraryErrorCode() != 0) std::printf("matrix library error during the run\n");
  totals.builds = mg.builds;
  totals.levels = static_cast<uint32_t>(mg.levels.size());
  totals.finalPressure = pressure;
  return totals;
}

}  // namespace

int main(int argc, char** argv) {
  int passes = 200;
  int only = 0;  // 1: DILU alone, 2: the multigrid alone (for profiling)
  double tolerance = 1e-3;
  std::vector<uint32_t> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--passes") == 0 && i + 1 < argc) {
      passes = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      ++i;
      only = std::strcmp(argv[i], "dilu") == 0 ? 1 : 2;
    } else if (std::strcmp(argv[i], "--rebuild") == 0 && i + 1 < argc) {
      g_settings.rebuildFraction = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--refresh") == 0 && i + 1 < argc) {
      g_settings.refreshInterval = static_cast<uint32_t>(std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--tolerance") == 0 && i + 1 < argc) {
      tolerance = std::atof(argv[++i]);
    } else {
      sizes.push_back(static_cast<uint32_t>(std::atoi(argv[i])));
    }
  }
  if (sizes.empty()) sizes = {5000, 20000, 100000};
  if (passes < 1 || !(tolerance > 0.0)) {
    std::fprintf(stderr, "usage: bench_precond [--passes P] [--tolerance T] [nodes ...]\n");
    return 2;
  }
  std::printf("Pressure solves of a growing centre-gated region, %d passes, relative tolerance %.1e, "
              "%d threads\n",
              passes, tolerance, kv::MatrixThreadCount());
  for (const uint32_t nodes : sizes) {
    const uint32_t cells = std::max(4u, static_cast<uint32_t>(std::sqrt(double(nodes))) - 1);
    const kv::test::LaplacianProblem base = kv::test::MakeLaplacianSquare(cells, 11, false, false);
    const RunTotals dilu = only != 2 ? Run(base, cells, passes, tolerance, false) : RunTotals{};
    const RunTotals mg = only != 1 ? Run(base, cells, passes, tolerance, true) : RunTotals{};
    if (only != 0) {
      const RunTotals& one = only == 1 ? dilu : mg;
      std::printf("%7u nodes  %s: %5.1f iterations, %8.3f ms per solve\n", base.n, only == 1 ? "DILU" : "multigrid",
                  double(one.iterations) / one.solves, 1e3 * one.seconds / one.solves);
      continue;
    }
    double difference = 0.0, largest = 0.0;
    for (size_t i = 0; i < dilu.finalPressure.size(); ++i) {
      difference = std::max(difference, std::fabs(dilu.finalPressure[i] - mg.finalPressure[i]));
      largest = std::max(largest, std::fabs(dilu.finalPressure[i]));
    }
    std::printf("%7u nodes  DILU: %5.1f iterations, %8.3f ms per solve   multigrid: %5.1f iterations, %8.3f ms "
                "per solve (%u builds, %u levels)   time multigrid/DILU %.2f   final fields differ by %.1e of "
                "their peak\n",
                base.n, double(dilu.iterations) / dilu.solves, 1e3 * dilu.seconds / dilu.solves,
                double(mg.iterations) / mg.solves, 1e3 * mg.seconds / mg.solves, mg.builds, mg.levels,
                mg.seconds / dilu.seconds, largest > 0 ? difference / largest : 0.0);
  }
  return 0;
}
