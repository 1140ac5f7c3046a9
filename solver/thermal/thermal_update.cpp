#include "solver/thermal/thermal_update.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <tuple>

#include <cs.h>

namespace kv {

namespace {

// Design of the open parts of the update, as a polymer-processing engineer
// would set them:
//
// * Source term (K per sub-step), two physical contributions:
//   - convection: melt arrives from upstream nodes (higher pressure) of the
//     node's filled elements at the local speed |P_k| of the velocity profile.
//     Per upstream element the Courant number C_k = |P_k| dt' / d (d = mean
//     distance to the upstream nodes, capped at 1) mixes the upstream profile
//     in, C_k (T_up,k - T_k); the node averages these over its upstream
//     elements. Capping C at 1 keeps the result a convex combination, so
//     convection alone can never leave the range of the neighbouring profiles.
//   - viscous heating eta_k gamma_k^2 / (rho cp) dt', averaged over the node's
//     filled elements, frozen points excluded.
// * Multiplier m = 1: every node conducts with the polymer and mold
//   diffusivities of the material file; there is no empirical correction.
// * Curvature flag: 1 for nodes whose elements are mostly runners, so that the
//   rows carry the (1/r) dT/dr term of a cylinder; 0 for sheets.
// * Sub-steps: the implicit branch is unconditionally stable, so it is split
//   only to keep the convective Courant number at or below 1; the explicit
//   branch is split until every row is a convex combination (2a + c + C <= 1),
//   which makes it monotone. Sub-step counts are powers of two so that nodes
//   of one thickness share a handful of factorisations.
// * Node-to-element rule: an element's profile is the mean of its nodes'
//   profiles, the same averaging the pressure and fill state use.

constexpr int kMaxSubSteps = 4096;

struct SparseFree {
  void operator()(cs_di* a) const { cs_di_spfree(a); }
};
struct SymbolicFree {
  void operator()(cs_dis* s) const { cs_di_sfree(s); }
};
struct NumericFree {
  void operator()(cs_din* n) const { cs_di_nfree(n); }
};

// LU factors of the Crank-Nicolson matrix of one (b, kappa, sub-step) class.
struct Factorisation {
  std::unique_ptr<cs_dis, SymbolicFree> symbolic;
  std::unique_ptr<cs_din, NumericFree> numeric;
};

using FactorKey = std::tuple<uint32_t, int, int>;  // bits of b, kappa, sub-steps

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Row coefficients of grid point k for one node class, into `a` and `c`.
void RowCoefficients(int L, double b, int kappa, double dt_sub, const PolymerData& m, std::vector<double>& a,
                     std::vector<double>& c) {
  const double alpha_p = m.conductivity / (m.melt_density * m.specific_heat);
  const double alpha_m = m.mold_conductivity / (m.mold_density * m.mold_specific_heat);
  const double dz = b / (L + 1);
  a.resize(L + 1);
  c.resize(L + 1);
  for (int k = 0; k <= L; ++k) {
    const double alpha = k == L ? alpha_m : alpha_p;
    const double zk = (k + 1) * dz;
    // a = m dt' alpha / dz^2, c = kappa dt' alpha / (dz z_k).
    a[k] = dt_sub * alpha / (dz * dz);
    c[k] = kappa * dt_sub * alpha / (dz * zk);
  }
}

// Assembles the Crank-Nicolson matrix in triplet form, compresses, sums
// duplicates, drops zeros and factors it. Null on failure.
std::unique_ptr<Factorisation> FactorRows(const std::vector<double>& ra, const std::vector<double>& rc, int L) {
  std::unique_ptr<cs_di, SparseFree> triplet(cs_di_spalloc(0, 0, 1, 1, 1));
  if (!triplet) return nullptr;
  bool ok = true;
  for (int k = 0; k <= L; ++k) {
    const double a = ra[k], c = rc[k];
    if (k == 0) {
      // Mid-plane: (1 + (a + c)/2) T0 - ((a + c)/2) T1.
      ok = ok && cs_di_entry(triplet.get(), 0, 0, 1 + (a + c) / 2);
      if (L > 0) ok = ok && cs_di_entry(triplet.get(), 0, 1, -(a + c) / 2);
    } else if (k < L) {
      // Interior: -(a/2) T(k-1) + (1 + (2a + c)/2) Tk - ((a + c)/2) T(k+1).
      ok = ok && cs_di_entry(triplet.get(), k, k - 1, -a / 2);
      ok = ok && cs_di_entry(triplet.get(), k, k, 1 + (2 * a + c) / 2);
      ok = ok && cs_di_entry(triplet.get(), k, k + 1, -(a + c) / 2);
    } else {
      // Wall: -(a/2) T(L-1) + (1 + (2a + c)/2) TL; the wall temperature one
      // spacing beyond goes to the right-hand side.
      ok = ok && cs_di_entry(triplet.get(), k, k - 1, -a / 2);
      ok = ok && cs_di_entry(triplet.get(), k, k, 1 + (2 * a + c) / 2);
    }
  }
  if (!ok) return nullptr;
  std::unique_ptr<cs_di, SparseFree> matrix(cs_di_compress(triplet.get()));
  if (!matrix || !cs_di_dupl(matrix.get()) || cs_di_dropzeros(matrix.get()) < 0) return nullptr;
  auto f = std::make_unique<Factorisation>();
  f->symbolic.reset(cs_di_sqr(0, matrix.get(), 0));
  if (!f->symbolic) return nullptr;
  f->numeric.reset(cs_di_lu(matrix.get(), f->symbolic.get(), 1.0));
  if (!f->numeric) return nullptr;
  return f;
}

// x = A \ b with the stored factors: b(p) = L \ b(p), x(q) = U \ ..., as in cs_lusol.
bool SolveFactored(const Factorisation& f, int n, double* rhs, double* work) {
  if (!cs_di_ipvec(f.numeric->pinv, rhs, work, n)) return false;
  cs_di_lsolve(f.numeric->L, work);
  cs_di_usolve(f.numeric->U, work);
  return cs_di_ipvec(f.symbolic->q, work, rhs, n) != 0;
}

// What every node of an element reads in one update, computed once per
// element: whether all its nodes are reached or filled, the speed |P_k| of
// the velocity profile and the viscous heating eta gamma^2 / (rho cp) at every
// point (0 at frozen points and where the element is not filled).
struct ElementHeat {
  std::vector<uint8_t> reached, filled;
  std::vector<float> speed;    // m/s by element and point
  std::vector<float> heating;  // K/s by element and point
};

bool Reached(const SolverState& state, int node) { return state.fill_state[node] != -1.0f; }

void PrepareElementHeat(const SolverState& state, const MeshModel& mesh, const PolymerData& material,
                        ElementHeat& heat) {
  const int points = state.layers + 1;
  const size_t count = static_cast<size_t>(state.element_count);
  heat.reached.assign(count, 0);
  heat.filled.assign(count, 0);
  heat.speed.resize(count * points);
  heat.heating.resize(count * points);
  const double rho_cp = static_cast<double>(material.melt_density) * material.specific_heat;
  for (size_t e = 0; e < count; ++e) {
    const Element& element = mesh.elements[e];
    if (!IsFlowCategory(element.category) || element.category == kConnector || !state.active[e]) continue;
    bool all_reached = true, all_filled = true;
    for (int v = 0; v < element.node_count; ++v) {
      all_reached = all_reached && Reached(state, element.nodes[v]);
      all_filled = all_filled && state.fill_state[element.nodes[v]] >= 1.0f;
    }
    if (!all_reached) continue;
    heat.reached[e] = 1;
    heat.filled[e] = all_filled;
    const float* px = state.profile_x.Row(e);
    const float* py = state.profile_y.Row(e);
    const float* eta = state.viscosity.Row(e);
    const float* gamma = state.shear_rate.Row(e);
    float* speed = heat.speed.data() + e * points;
    float* heating = heat.heating.data() + e * points;
    for (int k = 0; k < points; ++k) {
      speed[k] = std::sqrt(px[k] * px[k] + py[k] * py[k]);
      const bool sheared = all_filled && eta[k] > 0 && eta[k] < kFrozenViscosity - 1.0f && rho_cp > 0;
      heating[k] = sheared ? static_cast<float>(double{eta[k]} * gamma[k] * gamma[k] / rho_cp) : 0.0f;
    }
  }
}

// Per-node data of one update: half-gap, curvature, sources by grid point.
struct NodeHeat {
  double b = 0;
  int kappa = 0;
  std::vector<double> courant_rate;  // 1/s per upstream element and point: |P_k| / d
  std::vector<double> upstream;      // K, upstream profile per element and point
  int upstream_elements = 0;
  std::vector<double> heating;       // K/s, viscous heating per point
  double max_rate = 0;               // 1/s, the largest courant rate
};

void GatherNodeHeat(const SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                    const ElementHeat& heat, int i, NodeHeat& h) {
  const int points = state.layers + 1;
  h.b = 0;
  h.kappa = 0;
  h.upstream_elements = 0;
  h.max_rate = 0;
  h.courant_rate.clear();
  h.upstream.clear();
  h.heating.assign(points, 0.0);
  int gap_elements = 0, runner_elements = 0, heated_elements = 0;
  const Node& here = mesh.nodes[i];
  const float p_here = state.pressure[i];
  for (int j = prep.element_start[i]; j < prep.element_start[i + 1]; ++j) {
    const int e = prep.element_list[j];
    const Element& element = mesh.elements[e];
    if (!IsFlowCategory(element.category) || element.category == kConnector) continue;
    h.b += ElementHalfGap(element);
    ++gap_elements;
    if (IsRunnerCategory(element.category)) ++runner_elements;
    if (!heat.reached[e]) continue;
    // Upstream nodes: higher pressure than node i.
    int up[4];
    int upstream_count = 0;
    double distance = 0;
    for (int v = 0; v < element.node_count && v < 4; ++v) {
      const int n = element.nodes[v];
      if (n == i || !(state.pressure[n] > p_here)) continue;
      const Node& there = mesh.nodes[n];
      const double dx = there.x - here.x, dy = there.y - here.y, dz = there.z - here.z;
      distance += std::sqrt(dx * dx + dy * dy + dz * dz);
      up[upstream_count++] = n;
    }
    if (upstream_count > 0 && distance > 0) {
      distance /= upstream_count;
      const float* speed = heat.speed.data() + static_cast<size_t>(e) * points;
      float fastest = 0;
      for (int k = 0; k < points; ++k) {
        double t_up = 0;
        for (int u = 0; u < upstream_count; ++u) t_up += state.node_temperature_previous.Row(up[u])[k];
        h.upstream.push_back(t_up / upstream_count);
        h.courant_rate.push_back(speed[k] / distance);
        fastest = std::max(fastest, speed[k]);
      }
      h.max_rate = std::max(h.max_rate, fastest / distance);
      ++h.upstream_elements;
    }
    if (heat.filled[e]) {
      const float* q = heat.heating.data() + static_cast<size_t>(e) * points;
      for (int k = 0; k < points; ++k) h.heating[k] += q[k];
      ++heated_elements;
    }
  }
  if (gap_elements > 0) h.b /= gap_elements;
  h.kappa = 2 * runner_elements >= gap_elements && gap_elements > 0 ? 1 : 0;
  if (heated_elements > 0) {
    for (double& q : h.heating) q /= heated_elements;
  }
}

// Source of one sub-step at every point, from the node's own current values.
void Source(const NodeHeat& h, int points, double dt_sub, const double* T, double* source) {
  for (int k = 0; k < points; ++k) {
    double convection = 0;
    for (int u = 0; u < h.upstream_elements; ++u) {
      const double courant = std::min(h.courant_rate[u * points + k] * dt_sub, 1.0);
      convection += courant * (h.upstream[u * points + k] - T[k]);
    }
    if (h.upstream_elements > 0) convection /= h.upstream_elements;
    source[k] = convection + h.heating[k] * dt_sub;
  }
}

int PowerOfTwoAtLeast(double value) {
  int n = 1;
  while (n < value && n < kMaxSubSteps) n *= 2;
  return n;
}

}  // namespace

float BulkTemperatureOfProfile(const float* T, const std::vector<float>& zeta) {
  double sum = 0, weights = 0;
  for (size_t k = 0; k < zeta.size(); ++k) {
    // Parabolic velocity weight w = 1.5 (1 - zeta^2): the melt near the
    // mid-plane carries most of the heat.
    const double w = 1.5 - 1.5 * double{zeta[k]} * zeta[k];
    sum += w * T[k];
    weights += w;
  }
  return weights > 0 ? static_cast<float>(sum / weights) : T[0];
}

int UpdateTemperatures(SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                       const PolymerData& material, float dt) {
  const int L = state.layers;
  const int points = L + 1;
  // 1. Current -> previous; empty nodes sit at their wall temperature. The
  //    update reads only the previous table and writes the current one.
  state.node_temperature_previous.cells = state.node_temperature.cells;
  for (int i = 0; i < state.node_count; ++i) {
    if (Reached(state, i)) continue;
    float* T = state.node_temperature.Row(i);
    std::fill(T, T + points, state.node_wall_temperature[i]);
  }
  const double alpha_m =
      material.mold_conductivity / (double{material.mold_density} * material.mold_specific_heat);
  ElementHeat heat;
  std::vector<double> T(points), source(points), rhs(points), work(points), ra(points), rc(points);
  std::vector<double> ra_dt, rc_dt;  // coefficients of the current node class for the whole step
  double class_b = -1, class_rows = 0, class_explicit = 0;
  int class_kappa = -1;
  try {
    PrepareElementHeat(state, mesh, material, heat);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::map<FactorKey, std::unique_ptr<Factorisation>> factors;
  NodeHeat h;
  const float t_max = material.melt_temperature + 100.0f;
  bool failed = false;
  for (int i = 0; i < state.node_count && !failed; ++i) {
    if (!Reached(state, i)) continue;
    // 2. Node class and sources.
    GatherNodeHeat(state, mesh, prep, heat, i, h);
    if (!(h.b > 0)) continue;
    const float* old = state.node_temperature_previous.Row(i);
    for (int k = 0; k < points; ++k) T[k] = old[k];
    const double tw = state.node_wall_temperature[i];
    const double wall_spacing = state.dzeta[L] * h.b;
    const double fourier = dt * alpha_m / (wall_spacing * wall_spacing);
    const double max_rate = h.max_rate;
    // Sub-steps: Crank-Nicolson rows stay monotone while a + c/2 <= 1 (the
    // old-time half of every row keeps a non-negative weight), and convection
    // needs C <= 1. Beyond that a single Crank-Nicolson step lets the wall point
    // float at its interior neighbour's temperature and the part stops cooling.
    // The coefficients grow linearly with the step: they are worked out for dt
    // once per node class (neighbouring nodes mostly share one) and divided
    // by the sub-step count.
    if (h.b != class_b || h.kappa != class_kappa) {
      RowCoefficients(L, h.b, h.kappa, dt, material, ra_dt, rc_dt);
      class_b = h.b;
      class_kappa = h.kappa;
      class_rows = class_explicit = 0;
      for (int k = 0; k < points; ++k) {
        class_rows = std::max(class_rows, ra_dt[k] + rc_dt[k] / 2);
        class_explicit = std::max(class_explicit, 2 * ra_dt[k] + rc_dt[k]);
      }
    }
    double worst = std::max(max_rate * dt, class_rows);
    int steps = PowerOfTwoAtLeast(worst);
    const bool implicit = fourier / steps >= 0.5;
    if (!implicit) {
      // Explicit rows stay monotone while 2a + c + C <= 1 at every point.
      worst = std::max(worst, class_explicit + max_rate * dt);
      steps = PowerOfTwoAtLeast(worst);
    }
    const double dt_sub = dt / steps;
    for (int k = 0; k < points; ++k) {
      ra[k] = ra_dt[k] / steps;
      rc[k] = rc_dt[k] / steps;
    }
    Factorisation* factor = nullptr;
    if (implicit) {
      const FactorKey key{Bits(static_cast<float>(h.b)), h.kappa, steps};
      auto found = factors.find(key);
      if (found == factors.end()) {
        auto made = FactorRows(ra, rc, L);
        if (!made) {
          failed = true;
          break;
        }
        found = factors.emplace(key, std::move(made)).first;
      }
      factor = found->second.get();
    }
    for (int s = 0; s < steps; ++s) {
      Source(h, points, dt_sub, T.data(), source.data());
      for (int k = 0; k < points; ++k) {
        const double a = ra[k], c = rc[k];
        if (implicit) {
          // 4. Right-hand sides of the Crank-Nicolson rows.
          if (k == 0) {
            const double next = L > 0 ? T[1] : tw;
            rhs[k] = T[0] + source[0] + (a / 2) * (next - T[0]) + (c / 2) * (next - T[0]);
          } else if (k < L) {
            rhs[k] = T[k] + source[k] + (a / 2) * (T[k + 1] - 2 * T[k] + T[k - 1]) +
                     (c / 2) * (T[k + 1] - T[k]);
          } else {
            rhs[k] = tw + source[k] + (a + c) * tw / 2 + (a / 2) * (T[k - 1] - tw);
          }
        } else {
          // Explicit form of the same rows; the wall point starts from the wall
          // temperature as in the implicit wall row.
          if (k == 0) {
            const double next = L > 0 ? T[1] : tw;
            rhs[k] = T[0] + source[0] + (a + c) * (next - T[0]);
          } else if (k < L) {
            rhs[k] = T[k] + source[k] + a * (T[k + 1] - 2 * T[k] + T[k - 1]) + c * (T[k + 1] - T[k]);
          } else {
            rhs[k] = tw + source[k] + a * (T[k - 1] - tw);
          }
        }
      }
      if (implicit && !SolveFactored(*factor, points, rhs.data(), work.data())) {
        failed = true;
        break;
      }
      // 5. Physical bounds: not below the wall, not above melt + 100 K.
      for (int k = 0; k < points; ++k) {
        double v = rhs[k];
        if (!std::isfinite(v)) v = tw;
        T[k] = std::clamp(v, tw, static_cast<double>(t_max) > tw ? double{t_max} : tw);
      }
    }
    float* out = state.node_temperature.Row(i);
    for (int k = 0; k < points; ++k) out[k] = static_cast<float>(T[k]);
  }
  if (failed) {
    // Back to the profiles of step 1.
    state.node_temperature.cells = state.node_temperature_previous.cells;
    for (int i = 0; i < state.node_count; ++i) {
      if (Reached(state, i)) continue;
      float* Tn = state.node_temperature.Row(i);
      std::fill(Tn, Tn + points, state.node_wall_temperature[i]);
    }
    return 0;
  }
  state.node_temperature_previous.cells = state.node_temperature.cells;
  // 6. Element profiles: mean of the node profiles.
  for (int e = 0; e < state.element_count; ++e) {
    const Element& element = mesh.elements[e];
    if (!IsFlowCategory(element.category) || element.node_count <= 0) continue;
    float* Te = state.temperature.Row(e);
    for (int k = 0; k < points; ++k) {
      double sum = 0;
      for (int v = 0; v < element.node_count; ++v) sum += state.node_temperature.Row(element.nodes[v])[k];
      Te[k] = static_cast<float>(sum / element.node_count);
    }
  }
  return 1;
}

}  // namespace kv
