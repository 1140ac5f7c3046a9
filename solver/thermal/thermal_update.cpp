#include "solver/thermal/thermal_update.h"

#include "common/geometry/categories.h"
#include "common/geometry/constants.h"
#include "solver/matrix/parallel.h"
#include "solver/thermal/fluidity.h"
#include "solver/thermal/kinematics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <tuple>

namespace kv {

namespace {

// Design of the open parts of the update:
//
// * Column: every node carries a finite-volume column across its half-gap b
//   (slab) or runner radius R (cylinder, the curvature flag), with L + 1
//   points z_k = k h, h = b / L, each the centre of its cell: half cells at
//   the mid-plane (or axis) and at the wall, full cells between. In a
//   cylinder the cells and the faces between them are weighted by the radius,
//   which is the curvature term of the heat equation written conservatively.
//   The wall point conducts into the mold, whose undisturbed temperature is
//   the node wall temperature, through the depth of mold the heat has reached
//   since the node filled, sqrt(pi alpha_m t), and at least one spacing: a
//   thick melt against a thick mold then meets it at the contact temperature
//   their effusivities give, not at the mold's own temperature.
// * Time: Crank-Nicolson across the melt, the mold link fully implicit (it is
//   hundreds of times stiffer than any polymer face and only sets the wall
//   point's quasi-steady balance). With a = dt' x face conductance / cell
//   capacity, a row is monotone while its old-time weight, the explicit half
//   of its Crank-Nicolson faces, stays at most 1; the step is split in powers
//   of two until it is at most 1/2, so that nodes of one column share a
//   handful of factorisations (Thomas elimination of the tridiagonal rows).
//   Should that take more than 4096 sub-steps, every face turns fully
//   implicit, which is monotone at any step. A fully implicit step damps the
//   wall point's deviation from its balance only by 1/(1 + a), not by
//   exp(-a): where its relaxation time is shorter than a sub-step the wall
//   point is first put at that balance, its cell's heat going into the wall,
//   so that a long step and many short ones cool alike.
// * Wall heat: the flux through the wall link of the rows, at the weighting
//   the rows give it, times the sub-step: what the column loses is exactly
//   what the wall receives.
// * Front nodes: a node the front has reached but not filled conducts for the
//   share of each step its fill state gives, its wall being wetted as far as
//   it is filled.
// * In-plane transport: the velocity profile of every filled element gives,
//   layer by layer, the volumetric flow across each face of the median-dual
//   control volumes inside the element (runners: across the mid-point of the
//   axis). Each node's layer receives upstream melt at the upstream node's
//   temperature, T_i += dt' sum_j F_ji (T_j - T_i) / V_i over inflows F_ji > 0
//   (upwind, explicit: every node reads the temperatures of the step's start,
//   so what one node sends is what the others take in). Where a layer sends
//   out more than it takes in (the inlet, or a layer flow not quite divergence
//   free) the difference comes in as melt at the melt temperature. Where it
//   takes in more than it sends (the last filled nodes: the front elements
//   have no velocity profile) the difference is the melt going on into the
//   front: its heat is handed to the node's front neighbours, mixed across
//   their whole gap as the fountain flow mixes it, or kept the same way when
//   the node has no front neighbour left. A new front node starts at the
//   melt temperature, so that it holds exactly the heat handed to it. The
//   step is split so that dt' sum_j F_ji / V_i <= 1, which keeps it a convex
//   combination. Heat is then conserved by the transport: what the walls
//   receive is what the melt lost plus its viscous heat.
// * Viscous heating of every element the pressure solve conducts through
//   (filled and front elements): the stress follows from the pressure
//   gradient by the balance of forces, tau = g z (g r / 2 in a runner), and
//   tau^2 / eta is integrated by the fluidity's own trapezoid rule, so that
//   the heat is exactly the work of the pressure, shared by the element's
//   nodes.
// * Multiplier m = 1: the conductivities of the material file, no correction.
// * Node-to-element rule: an element's profile is the mean of its nodes'.

constexpr int kMaxSubSteps = 4096;
constexpr int kMaxTransportSteps = 1024;
// Sub-steps at least this many times the wall point's relaxation time put it
// at its balance at once (a fully implicit step would leave a third of its
// deviation and more).
constexpr double kSettledWall = 1.0;
// The mold depth of the wall link grows in steps of 2^(1/8) spacings, so that
// nodes filled at similar times share their rows, each within 4.5 % of its
// exact conductance; at most 2^20 spacings.
constexpr int kMoldDepthSteps = 8;
constexpr int kMaxMoldDepthStep = 160;

bool Reached(const SolverState& state, int node) { return state.fill_state[node] != -1.0f; }

bool Connector(const Element& element) { return element.category == kConnector; }

// Half-gap b and curvature flag of a node's column: mean half-gap of its
// non-connector flow elements, cylindrical where runners are at least half of
// them.
struct Column {
  double b = 0;
  int kappa = 0;
};

}  // namespace

ColumnRows MakeColumnRows(int layers, double b, int kappa, const PolymerData& material) {
  ColumnRows rows;
  const int L = layers;
  const double h = b / L;
  const double rho_cp = double{material.melt_density} * material.specific_heat;
  const double kp = material.conductivity, km = material.mold_conductivity;
  rows.rho_cp = rho_cp;
  rows.capacity.resize(L + 1);
  rows.face.resize(L + 1);
  for (int k = 0; k <= L; ++k) {
    const double inner = k == 0 ? 0.0 : (k - 0.5) * h;  // lower face of cell k
    const double outer = k == L ? b : (k + 0.5) * h;    // upper face
    // Slab: cell thickness; cylinder: integral of r dr over the cell.
    rows.capacity[k] = rho_cp * (kappa ? (outer * outer - inner * inner) / 2 : outer - inner);
    // Face k carries the conductance between points k and k + 1; face L the
    // mold link from the wall point to the wall temperature one spacing out.
    const double radius = kappa ? (k == L ? b : outer) : 1.0;
    rows.face[k] = (k == L ? km : kp) * radius / h;
  }
  rows.wall_area = kappa ? b : 1.0;
  return rows;
}

namespace {

// Thomas factors of the tridiagonal rows of one (column, sub-step, scheme)
// class: the rows are strictly diagonally dominant, so elimination without
// pivoting is stable.
struct Factorisation {
  std::vector<double> below;  // coefficient of T_(k-1) in row k
  std::vector<double> upper;  // eliminated coefficient of T_(k+1) in row k
  std::vector<double> pivot;  // 1 / eliminated diagonal of row k
};

// Row coefficients a-_k, a+_k = dt' face / capacity.
void RowCoefficients(const ColumnRows& rows, double dt_sub, std::vector<double>& lower, std::vector<double>& upper) {
  const size_t n = rows.capacity.size();
  lower.assign(n, 0.0);
  upper.assign(n, 0.0);
  for (size_t k = 0; k < n; ++k) {
    if (k > 0) lower[k] = dt_sub * rows.face[k - 1] / rows.capacity[k];
    upper[k] = dt_sub * rows.face[k] / rows.capacity[k];
  }
}

// Factors the rows (1 + th-_k a-_k + th+_k a+_k) T_k - th-_k a-_k T_(k-1) -
// th+_k a+_k T_(k+1), with th-_k = theta[k - 1] and th+_k = theta[k] the
// implicit weights of the faces below and above point k. Null when a pivot
// is not a positive finite number.
std::unique_ptr<Factorisation> FactorRows(const std::vector<double>& lower, const std::vector<double>& upper,
                                          const std::vector<double>& theta) {
  const size_t n = lower.size();
  auto f = std::make_unique<Factorisation>();
  f->below.resize(n);
  f->upper.resize(n);
  f->pivot.resize(n);
  double previous_upper = 0;
  for (size_t k = 0; k < n; ++k) {
    const double below = k > 0 ? theta[k - 1] * lower[k] : 0.0, above = theta[k] * upper[k];
    const double diagonal = 1 + below + above - (k > 0 ? below * previous_upper : 0.0);
    if (!(diagonal > 0) || !std::isfinite(diagonal)) return nullptr;
    f->below[k] = -below;
    f->pivot[k] = 1 / diagonal;
    f->upper[k] = k + 1 < n ? -above / diagonal : 0.0;
    previous_upper = -f->upper[k];
  }
  return f;
}

// rhs = A \ rhs with the stored factors (forward elimination, back
// substitution).
void SolveFactored(const Factorisation& f, int n, double* rhs) {
  for (int k = 0; k < n; ++k) {
    const double carried = k > 0 ? f.below[k] * rhs[k - 1] : 0.0;
    rhs[k] = (rhs[k] - carried) * f.pivot[k];
  }
  for (int k = n - 2; k >= 0; --k) rhs[k] -= f.upper[k] * rhs[k + 1];
}

// Layer weights of a column: the cells' shares of its capacity.
void LayerWeights(int layers, int kappa, std::vector<double>& weight) {
  PolymerData unit;
  unit.melt_density = 1;
  unit.specific_heat = 1;
  const ColumnRows rows = MakeColumnRows(layers, 1.0, kappa, unit);
  double total = 0;
  for (double c : rows.capacity) total += c;
  weight.resize(rows.capacity.size());
  for (size_t k = 0; k < weight.size(); ++k) weight[k] = rows.capacity[k] / total;
}

// Runs body(first, last, chunk) over the items [first, last] of a list of
// `count` items (columns, nodes, elements) of `points` grid points each, in
// parallel where the grid points are many enough to repay the threads. The
// loop is cut in grid points so that the pool's chunks (fixed whatever the
// thread count) hold whole items: item j belongs to the chunk that holds its
// first point j * points, whose index `chunk` selects per-chunk work rows.
template <typename Body>
void ForEachColumnChunk(int count, int points, Body& body) {
  if (count <= 0) return;
  auto chunk = [&](uint32_t first, uint32_t last) {
    const uint32_t p = static_cast<uint32_t>(points);
    const uint32_t j_first = (first + p - 1) / p, j_last = last / p;
    if (j_first <= j_last) body(static_cast<int>(j_first), static_cast<int>(j_last), first / kParallelChunk);
  };
  ForEachChunk(0u, static_cast<uint32_t>(count) * points - 1, chunk);
}

bool ElementReached(const SolverState& state, const Element& element) {
  for (int v = 0; v < element.node_count; ++v) {
    if (!Reached(state, element.nodes[v])) return false;
  }
  return true;
}

bool ElementFilled(const SolverState& state, const Element& element) {
  for (int v = 0; v < element.node_count; ++v) {
    if (state.fill_state[element.nodes[v]] < 1.0f) return false;
  }
  return true;
}

Column ColumnOf(const MeshModel& mesh, const MeshPreparation& prep, int i) {
  Column c;
  int gap_elements = 0, runner_elements = 0;
  for (int j = prep.element_start[i]; j < prep.element_start[i + 1]; ++j) {
    const Element& element = mesh.elements[prep.element_list[j]];
    if (!IsFlowCategory(element.category) || Connector(element)) continue;
    c.b += ElementHalfGap(element);
    ++gap_elements;
    if (IsRunnerCategory(element.category)) ++runner_elements;
  }
  if (gap_elements > 0) c.b /= gap_elements;
  c.kappa = gap_elements > 0 && 2 * runner_elements >= gap_elements ? 1 : 0;
  return c;
}

// The part of the workspace the mesh fixes for the run: column of every node,
// control volumes, layer weights, the flow elements and the median-dual faces
// of the triangles. Faces run from each edge mid-point to the centroid in the
// triangle's local plane, normals turned towards the edge's second node.
void PrepareWorkspace(const SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                      ThermalWorkspace& w) {
  if (w.mesh == &mesh && w.node_count == state.node_count && w.element_count == state.element_count &&
      w.layers == state.layers) {
    return;
  }
  w.mesh = nullptr;  // incomplete until the end
  w.half_gap.assign(state.node_count, 0.0);
  w.cylinder.assign(state.node_count, 0);
  for (int i = 0; i < state.node_count; ++i) {
    const Column c = ColumnOf(mesh, prep, i);
    w.half_gap[i] = c.b;
    w.cylinder[i] = static_cast<int8_t>(c.kappa);
  }
  LayerWeights(state.layers, 0, w.slab_weight);
  LayerWeights(state.layers, 1, w.cylinder_weight);
  w.volume.assign(state.node_count, 0.0);
  w.flow_elements.clear();
  w.face_normal.assign(static_cast<size_t>(state.element_count) * 6, 0.0);
  for (int e = 0; e < state.element_count; ++e) {
    const Element& element = mesh.elements[e];
    if (!IsFlowCategory(element.category) || Connector(element) || element.node_count <= 0) continue;
    w.flow_elements.push_back(e);
    for (int v = 0; v < element.node_count; ++v) w.volume[element.nodes[v]] += element.volume / element.node_count;
    if (element.category != kPartSurface && element.category != kPartDualSurface) continue;
    const double x[3] = {0, element.local[0], element.local[2]};
    const double y[3] = {0, 0, element.local[1]};
    const double gx = (x[0] + x[1] + x[2]) / 3, gy = (y[0] + y[1] + y[2]) / 3;
    for (int i = 0; i < 3; ++i) {
      const int j = (i + 1) % 3;
      const double mx = (x[i] + x[j]) / 2, my = (y[i] + y[j]) / 2;
      double nx = gy - my, ny = -(gx - mx);
      if (nx * (x[j] - x[i]) + ny * (y[j] - y[i]) < 0) {
        nx = -nx;
        ny = -ny;
      }
      w.face_normal[static_cast<size_t>(e) * 6 + 2 * i] = nx;
      w.face_normal[static_cast<size_t>(e) * 6 + 2 * i + 1] = ny;
    }
  }
  w.mesh = &mesh;
  w.node_count = state.node_count;
  w.element_count = state.element_count;
  w.layers = state.layers;
}

// Median-dual flow of a triangle across its three faces, layer by layer.
void TriangleLinks(const SolverState& state, const Element& element, int e, ThermalWorkspace& w) {
  const int points = state.layers + 1;
  const float* px = state.profile_x.Row(e);
  const float* py = state.profile_y.Row(e);
  const double* normal = w.face_normal.data() + static_cast<size_t>(e) * 6;
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    const double nx = normal[2 * i], ny = normal[2 * i + 1];
    w.links.push_back({e, element.nodes[i], element.nodes[j]});
    for (int k = 0; k < points; ++k) {
      w.flux.push_back((px[k] * nx + py[k] * ny) * element.thickness * w.slab_weight[k]);
    }
  }
}

// Dissipation of an element, in W at each grid point. Across a gap driven by
// a pressure gradient g the shear stress follows from the balance of forces
// whatever the viscosity: tau = g z in a gap, g r / 2 in a runner. The
// dissipation tau^2 / eta is integrated over the element's volume by the
// trapezoid rule of its fluidity S, each grid point taking its own term, so
// that the element dissipates exactly the pressure gradient times the flow it
// conducts, Q g per unit length.
void ElementPower(const SolverState& state, const Element& element, int e, int kappa, double* power) {
  const int L = state.layers;
  const float* eta = state.viscosity.Row(e);
  std::fill_n(power, L + 1, 0.0);
  const double b = ElementHalfGap(element);
  double gx = 0, gy = 0;
  if (!(b > 0) || !ElementPressureGradient(state, element, &gx, &gy)) return;
  const double g = std::sqrt(gx * gx + gy * gy);
  if (!(g > 0) || !std::isfinite(g)) return;
  for (int k = 1; k <= L; ++k) {
    if (!(eta[k - 1] > 0) || !(eta[k] > 0)) continue;
    const double half = state.dzeta[k] / 2;
    for (int end = k - 1; end <= k; ++end) {
      const double z = state.zeta[end];
      // Gap: V / b g^2 (b z)^2 / eta dz; runner: 2 V / R^2 (g / 2)^2 (R z)^3 / eta dz.
      const double term = kappa ? z * z * z / 2 : z * z;
      power[end] += element.volume * g * g * b * b * term / eta[end] * half;
    }
  }
}

// Links and viscous heating of the reached elements: only filled elements
// have velocity profiles to carry heat; front elements conduct the melt into
// the front and dissipate the work that takes.
void PreparePlaneFlow(const SolverState& state, const MeshModel& mesh, ThermalWorkspace& w) {
  const int points = state.layers + 1;
  w.links.clear();
  w.flux.clear();
  w.heated.clear();
  w.node_power.resize(static_cast<size_t>(state.node_count) * points);
  for (int i : w.reached) std::fill_n(w.node_power.begin() + static_cast<size_t>(i) * points, points, 0.0);
  for (int e : w.flow_elements) {
    const Element& element = mesh.elements[e];
    if (!state.active[e] || !ElementReached(state, element)) continue;
    const bool runner = IsRunnerCategory(element.category);
    const bool filled = ElementFilled(state, element);
    if (filled && runner) {
      // Along the axis from node 1 to node 2, through the runner's section.
      const double area = kPi * element.diameter * element.diameter / 4;
      w.links.push_back({e, element.nodes[0], element.nodes[1]});
      for (int k = 0; k < points; ++k) w.flux.push_back(state.profile_x.Row(e)[k] * area * w.cylinder_weight[k]);
    } else if (filled && (IsShellCategory(element.category))) {
      if (element.local[0] > 0 && element.local[1] > 0) TriangleLinks(state, element, e, w);
    }
    // Tetrahedra carry their heat by conduction across the gap only.
    if (element.category != kPartVolume) w.heated.push_back(e);
  }
  // Every heated element's share for each of its nodes, element by element;
  // then added to the nodes in element order.
  w.power.resize(w.heated.size() * points);
  auto per_element = [&](int first, int last, uint32_t) {
    for (int h = first; h <= last; ++h) {
      const int e = w.heated[h];
      const Element& element = mesh.elements[e];
      double* power = w.power.data() + static_cast<size_t>(h) * points;
      ElementPower(state, element, e, IsRunnerCategory(element.category) ? 1 : 0, power);
      for (int k = 0; k < points; ++k) power[k] = power[k] / element.node_count;
    }
  };
  ForEachColumnChunk(static_cast<int>(w.heated.size()), points, per_element);
  for (size_t h = 0; h < w.heated.size(); ++h) {
    const Element& element = mesh.elements[w.heated[h]];
    const double* power = w.power.data() + h * points;
    for (int v = 0; v < element.node_count; ++v) {
      double* to = w.node_power.data() + static_cast<size_t>(element.nodes[v]) * points;
      for (int k = 0; k < points; ++k) to[k] += power[k];
    }
  }
}

// Front neighbours of filled node i (reached, not filled, sharing a flow
// element with it) and their shares of what i hands on: by the inflow the
// front solution gives them, equal when none has any.
void FrontReceivers(const SolverState& state, const MeshModel& mesh, const MeshPreparation& prep, int i,
                    std::vector<ThermalWorkspace::Receiver>& out) {
  const size_t first = out.size();
  for (int j = prep.element_start[i]; j < prep.element_start[i + 1]; ++j) {
    const Element& element = mesh.elements[prep.element_list[j]];
    if (!IsFlowCategory(element.category) || Connector(element) || !state.active[prep.element_list[j]]) continue;
    for (int v = 0; v < element.node_count; ++v) {
      const int n = element.nodes[v];
      if (!Reached(state, n) || state.fill_state[n] >= 1.0f) continue;
      bool listed = false;
      for (size_t r = first; r < out.size(); ++r) listed = listed || out[r].to == n;
      if (!listed) out.push_back({i, n, std::max(double{state.front_inflow[n]}, 0.0)});
    }
  }
  double total = 0;
  for (size_t r = first; r < out.size(); ++r) total += out[r].share;
  for (size_t r = first; r < out.size(); ++r) {
    out[r].share = total > 0 ? out[r].share / total : 1.0 / static_cast<double>(out.size() - first);
  }
}

// The inflow entries of every node in link order: each link gives an entry at
// both of its ends; entry_link holds 2 l for the link's `to` end (inflow while
// its flux is positive) and 2 l + 1 for its `from` end.
void ListLinkEntries(const SolverState& state, ThermalWorkspace& w) {
  const int points = state.layers + 1;
  w.inflow_start.assign(state.node_count + 1, 0);
  for (const ThermalWorkspace::Link& link : w.links) {
    ++w.inflow_start[link.from + 1];
    ++w.inflow_start[link.to + 1];
  }
  for (int i = 0; i < state.node_count; ++i) w.inflow_start[i + 1] += w.inflow_start[i];
  const int entries = w.inflow_start.back();
  w.upstream.resize(entries);
  w.entry_link.resize(entries);
  w.rate.resize(static_cast<size_t>(entries) * points);
  w.next_entry.assign(w.inflow_start.begin(), w.inflow_start.end() - 1);
  for (size_t l = 0; l < w.links.size(); ++l) {
    const ThermalWorkspace::Link& link = w.links[l];
    const int ends[2] = {link.to, link.from};
    for (int side = 0; side < 2; ++side) {
      const int entry = w.next_entry[ends[side]]++;
      w.upstream[entry] = ends[1 - side];
      w.entry_link[entry] = static_cast<int>(2 * l) + side;
    }
  }
}

// Layer flows into (taken) and out of (sent) every reached node along its
// links, rates, what balances them and the fastest layer intake, node by
// node: each node sums its own entries in link order and writes its own rows.
void BalanceNodeLayers(const SolverState& state, ThermalWorkspace& w) {
  const int points = state.layers + 1;
  const size_t table = static_cast<size_t>(state.node_count) * points;
  w.taken.resize(table);
  w.sent.resize(table);
  w.fresh.resize(table);
  w.handoff.resize(table);
  w.fastest.resize(w.reached.size());
  auto per_node = [&](int first, int last, uint32_t) {
    for (int r = first; r <= last; ++r) {
      const int node = w.reached[r];
      const size_t at = static_cast<size_t>(node) * points;
      double* taken = w.taken.data() + at;
      double* sent = w.sent.data() + at;
      std::fill_n(taken, points, 0.0);
      std::fill_n(sent, points, 0.0);
      std::fill_n(w.fresh.begin() + at, points, 0.0);
      std::fill_n(w.handoff.begin() + at, points, 0.0);
      const std::vector<double>& weight = w.cylinder[node] ? w.cylinder_weight : w.slab_weight;
      for (int entry = w.inflow_start[node]; entry < w.inflow_start[node + 1]; ++entry) {
        const size_t l = static_cast<size_t>(w.entry_link[entry] / 2);
        const bool into_to = w.entry_link[entry] % 2 == 0;
        for (int k = 0; k < points; ++k) {
          // Into `to` when the flux is positive, into `from` when negative.
          const double f = into_to ? w.flux[l * points + k] : -w.flux[l * points + k];
          const double v = w.volume[node] * weight[k];
          w.rate[static_cast<size_t>(entry) * points + k] = f > 0 && v > 0 ? f / v : 0.0;
          if (f > 0) taken[k] += f;
          if (f < 0) sent[k] -= f;
        }
      }
      if (state.fill_state[node] >= 1.0f && w.volume[node] > 0) {
        for (int k = 0; k < points; ++k) {
          const double v = w.volume[node] * weight[k];
          const double surplus = taken[k] - sent[k];  // m^3/s the links leave in the layer
          if (surplus > 0) {
            w.handoff[at + k] = surplus;
          } else if (v > 0) {
            w.fresh[at + k] = -surplus / v;
          }
        }
      }
      // No layer may take in more than its own volume per transport step.
      double fastest = 0;
      for (int k = 0; k < points; ++k) {
        double sum = std::max(w.fresh[at + k], 0.0);
        for (int entry = w.inflow_start[node]; entry < w.inflow_start[node + 1]; ++entry) {
          sum += w.rate[static_cast<size_t>(entry) * points + k];
        }
        fastest = std::max(fastest, sum);
      }
      w.fastest[r] = fastest;
    }
  };
  ForEachColumnChunk(static_cast<int>(w.reached.size()), points, per_node);
}

// The receivers of every filled node that hands melt on into the front.
void ListReceivers(const SolverState& state, const MeshModel& mesh, const MeshPreparation& prep,
                   ThermalWorkspace& w) {
  const int points = state.layers + 1;
  // Nodes that share an active flow element with a front node: only they
  // can have front neighbours to hand melt on to.
  auto mark_near_front = [&](int8_t mark) {
    for (int n : w.reached) {
      if (state.fill_state[n] >= 1.0f) continue;
      for (int j = prep.element_start[n]; j < prep.element_start[n + 1]; ++j) {
        const Element& element = mesh.elements[prep.element_list[j]];
        if (!IsFlowCategory(element.category) || Connector(element) || !state.active[prep.element_list[j]]) continue;
        for (int v = 0; v < element.node_count; ++v) w.near_front[element.nodes[v]] = mark;
      }
    }
  };
  w.near_front.resize(state.node_count, 0);
  mark_near_front(1);
  w.receivers.clear();
  for (int i : w.reached) {
    if (!(state.fill_state[i] >= 1.0f) || !(w.volume[i] > 0)) continue;
    const size_t at = static_cast<size_t>(i) * points;
    bool hands_on = false;
    for (int k = 0; k < points; ++k) hands_on = hands_on || w.taken[at + k] > w.sent[at + k];
    if (!hands_on) continue;
    // Without a front neighbour (the next node filled during the pass, before
    // its element had a velocity profile) the node keeps the melt, mixed
    // across its gap as a front node would mix it.
    const size_t before = w.receivers.size();
    if (w.near_front[i]) FrontReceivers(state, mesh, prep, i, w.receivers);
    if (w.receivers.size() == before) w.receivers.push_back({i, i, 1.0});
  }
  mark_near_front(0);
}

// Upwind inflows of every node, as rates (1/s) by layer: F_ji / V_i,k, and
// what balances each filled node's layer where its links do not:
//   fresh  (1/s) melt at the melt temperature for what a layer sends out
//          beyond what it takes in (the inlet's injection, and wherever the
//          layer flow is not quite divergence free);
//   handoff (m^3/s) what a layer takes in beyond what it sends out along its
//          links: the melt going on into the front, handed with its heat to
//          the node's front neighbours (`receivers`), or kept by the node
//          itself when it has none.
// Only the rows of reached nodes are set: the links join reached nodes.
void BuildInflows(const SolverState& state, const MeshModel& mesh, const MeshPreparation& prep, ThermalWorkspace& w) {
  ListLinkEntries(state, w);
  BalanceNodeLayers(state, w);
  ListReceivers(state, mesh, prep, w);
}

int PowerOfTwoAtLeast(double value, int cap) {
  int n = 1;
  while (n < value && n < cap) n *= 2;
  return n;
}

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Rows of one column class for one transport step: sub-step count, implicit
// weight of every face and factors.
struct ClassRows {
  ColumnRows rows;
  std::vector<double> lower, upper;
  std::vector<double> theta;  // by face, L + 1 values
  int steps = 1;
  bool relax_wall = false;    // the wall point settles far faster than one sub-step
  double total_capacity = 0;  // sum of the cell capacities
  std::unique_ptr<Factorisation> factor;
  int index = -1;             // place in the update's list of classes
};

using ClassKey = std::tuple<uint32_t, int, int, int>;  // bits of b, kappa, wetted eighths, mold depth step

// Mold depth the wall link of a column with spacing h conducts through at t s
// after its node filled, as a step j of the depth h 2^(j / 8). A mold of
// diffusivity alpha_m whose surface holds a constant temperature takes up the
// flux lambda_m (T_s - T_w) / sqrt(pi alpha_m t), as a slab of depth
// sqrt(pi alpha_m t) would. Taken at the end of a step, where it sets the
// balance the wall point ends the step at; at least one spacing (step 0),
// which is also the depth while the node fills and for a mold without a
// positive diffusivity.
int MoldDepthStep(double h, double alpha_m, double t) {
  if (!(h > 0) || !(alpha_m > 0) || !std::isfinite(alpha_m) || !(t > 0)) return 0;
  const double depth = std::sqrt(kPi * alpha_m * t);
  if (!(depth > h)) return 0;
  const double step = std::round(kMoldDepthSteps * std::log2(depth / h));
  return static_cast<int>(std::clamp(step, 0.0, static_cast<double>(kMaxMoldDepthStep)));
}

// Largest old-time weight of any row, (1 - th-) a- + (1 - th+) a+; the rows
// are monotone while it is at most 1.
double OldTimeWeight(const ClassRows& c) {
  double worst = 0;
  for (size_t k = 0; k < c.lower.size(); ++k) {
    const double below = k > 0 ? (1 - c.theta[k - 1]) * c.lower[k] : 0.0;
    worst = std::max(worst, below + (1 - c.theta[k]) * c.upper[k]);
  }
  return worst;
}

// Rows for column `c` over a step of `dt` s, made once per class and update.
ClassRows* RowsFor(std::map<ClassKey, ClassRows>& classes, const Column& c, int eighths, int depth_step,
                   int layers, const PolymerData& material, double dt) {
  const ClassKey key{Bits(static_cast<float>(c.b)), c.kappa, eighths, depth_step};
  auto found = classes.find(key);
  if (found != classes.end()) return &found->second;
  ClassRows made;
  made.rows = MakeColumnRows(layers, c.b, c.kappa, material);
  made.rows.face[layers] /= std::exp2(static_cast<double>(depth_step) / kMoldDepthSteps);
  // Crank-Nicolson across the melt; the mold link, far stiffer than any
  // polymer face, fully implicit: the wall point then follows its quasi-steady
  // balance at any step instead of ringing about it.
  made.theta.assign(layers + 1, 0.5);
  made.theta[layers] = 1.0;
  RowCoefficients(made.rows, dt, made.lower, made.upper);
  // Sub-steps: the old-time weight at most 1/2 keeps the rows monotone with a
  // margin and the melt's Fourier number per sub-step small enough for the
  // steep profile of freshly reached melt.
  made.steps = PowerOfTwoAtLeast(2 * OldTimeWeight(made), kMaxSubSteps);
  // Relaxation time of the wall point, capacity / (its two conductances),
  // against the sub-step.
  const double wall_conductance = made.rows.face[layers] + (layers > 0 ? made.rows.face[layers - 1] : 0.0);
  made.relax_wall = dt / made.steps * wall_conductance / made.rows.capacity[layers] > kSettledWall;
  RowCoefficients(made.rows, dt / made.steps, made.lower, made.upper);
  if (OldTimeWeight(made) > 1) made.theta.assign(layers + 1, 1.0);
  for (double cap : made.rows.capacity) made.total_capacity += cap;
  made.factor = FactorRows(made.lower, made.upper, made.theta);
  if (!made.factor) return nullptr;
  return &classes.emplace(key, std::move(made)).first->second;
}

// Advances node i's column `T` over one transport step: conduction rows,
// upwind inflow from the upstream values w.start, viscous heating. Returns the
// heat conducted into the wall (J per m^2 of wall). `rhs` and `carried` are
// work rows of L + 1 values.
double AdvanceColumn(const ClassRows& c, const ThermalWorkspace& w, double melt_temperature, int points, int i,
                     double tw, double dt, double* T, double* rhs, double* carried) {
  const int n = points;
  const int L = n - 1;
  const int stride = points + 1;
  const double dt_sub = dt / c.steps;
  const double volume = w.volume[i];
  // Sources in K/s at every point: viscous heating (power over the layer's
  // heat capacity) and the melt exchanged with the neighbours, upstream melt
  // in and the node's own out, both at the temperatures of the step's start:
  // what one node sends is then exactly what the others take in.
  const float* start = w.start.data();
  const float* own = start + static_cast<size_t>(i) * stride;
  const double* power = w.node_power.data() + static_cast<size_t>(i) * n;
  for (int k = 0; k < n; ++k) {
    const double layer_capacity = c.rows.rho_cp * volume * c.rows.capacity[k] / c.total_capacity;  // J/K
    carried[k] = layer_capacity > 0 ? power[k] / layer_capacity : 0.0;
  }
  for (int entry = w.inflow_start[i]; entry < w.inflow_start[i + 1]; ++entry) {
    const double* rate = w.rate.data() + static_cast<size_t>(entry) * n;
    const float* up = start + static_cast<size_t>(w.upstream[entry]) * stride;
    for (int k = 0; k < n; ++k) {
      if (rate[k] > 0) carried[k] += rate[k] * (up[k] - own[k]);
    }
  }
  const double* fresh = w.fresh.data() + static_cast<size_t>(i) * n;
  for (int k = 0; k < n; ++k) carried[k] += fresh[k] * (melt_temperature - own[k]);
  double wall = 0;
  const double wall_face = c.rows.face[L];
  if (c.relax_wall) {
    // The wall point settles within a small part of the step: put it at its
    // balance between its neighbour and the wall at once; the heat its cell
    // gives up goes into the wall.
    const double below = L > 0 ? c.rows.face[L - 1] : 0.0;
    const double settled = (below * (L > 0 ? T[L - 1] : tw) + wall_face * tw) / (below + wall_face);
    wall += c.rows.capacity[L] * (T[L] - settled);
    T[L] = settled;
  }
  for (int s = 0; s < c.steps; ++s) {
    for (int k = 0; k < n; ++k) {
      const double below = k > 0 ? (1 - c.theta[k - 1]) * c.lower[k] * (T[k - 1] - T[k]) : 0.0;
      const double above = (1 - c.theta[k]) * c.upper[k] * ((k < L ? T[k + 1] : tw) - T[k]);
      rhs[k] = T[k] + below + above + dt_sub * carried[k];
      if (k == L) rhs[k] += c.theta[L] * c.upper[L] * tw;
    }
    const double old_wall = T[L] - tw;
    SolveFactored(*c.factor, n, rhs);
    for (int k = 0; k < n; ++k) T[k] = rhs[k];
    // The wall link's flux at the weighting the rows gave it.
    wall += wall_face * ((1 - c.theta[L]) * old_wall + c.theta[L] * (T[L] - tw)) * dt_sub;
  }
  return wall / c.rows.wall_area;
}

// Transport steps for an update of dt: no layer of any node may take in more
// than its own volume per step.
int TransportSteps(const ThermalWorkspace& w, double dt) {
  double fastest = 0;
  for (double f : w.fastest) fastest = std::max(fastest, f);
  return std::clamp(static_cast<int>(std::ceil(fastest * dt)), 1, kMaxTransportSteps);
}

// Heat handed on into the front nodes over one transport step, as m^3/s x K
// above the melt temperature: what their filled neighbours' layers take in
// beyond what they send along their links, at their temperatures w.start.
// Adds to w.arrivals, which is 0 outside the receivers' entries.
void HandedOnHeat(ThermalWorkspace& w, double melt_temperature, int points) {
  const int stride = points + 1;
  for (const ThermalWorkspace::Receiver& r : w.receivers) {
    double heat = 0;
    for (int k = 0; k < points; ++k) {
      const double excess = w.start[static_cast<size_t>(r.from) * stride + k] - melt_temperature;
      heat += w.handoff[static_cast<size_t>(r.from) * points + k] * excess;
    }
    w.arrivals[r.to] += r.share * heat;
  }
}

// Back to the profiles of step 1 of the update, without wall heat.
void RestoreStartProfiles(SolverState& state) {
  const int points = state.layers + 1;
  state.node_temperature.cells = state.node_temperature_previous.cells;
  for (int i = 0; i < state.node_count; ++i) {
    state.node_wall_heat[i] = 0;
    if (Reached(state, i)) continue;
    float* T = state.node_temperature.Row(i);
    std::fill(T, T + points, state.node_wall_temperature[i]);
  }
}

// Step 1 of the update: the reached nodes listed, every other node's
// profile at its wall temperature, all wall heat set to 0.
void ResetUnreachedNodes(SolverState& state, ThermalWorkspace& w) {
  const int points = state.layers + 1;
  w.reached.clear();
  for (int i = 0; i < state.node_count; ++i) {
    state.node_wall_heat[i] = 0;
    if (Reached(state, i)) {
      w.reached.push_back(i);
      continue;
    }
    float* T = state.node_temperature.Row(i);
    std::fill(T, T + points, state.node_wall_temperature[i]);
  }
}

// The rows of the column classes of one update, each made once and listed in
// the order the columns first need them.
struct UpdateClasses {
  std::map<ClassKey, ClassRows> by_key;
  std::vector<const ClassRows*> list;
};

// Per-column tables of the update sized; every column's wetted share of the
// step set. A front node's wall is wetted as far as its control volume is
// filled: its column conducts for that share of the step (in eighths), so
// that it starts to cool as the melt arrives rather than when the front
// reaches its neighbour.
void PrepareColumnTables(const SolverState& state, ThermalWorkspace& w) {
  const int points = state.layers + 1;
  const int count = static_cast<int>(w.columns.size());
  w.eighths.resize(count);
  w.depth_step.resize(count);
  w.next_depth_step.resize(count);
  w.column_class.assign(count, -1);
  w.arrived.resize(count);
  w.arrivals.assign(state.node_count, 0.0);
  const size_t chunks = (static_cast<size_t>(count) * points + kParallelChunk - 1) / kParallelChunk;
  w.scratch.resize(std::max<size_t>(chunks, 1) * 3 * points);
  for (int j = 0; j < count; ++j) {
    const float s = state.fill_state[w.columns[j]];
    w.eighths[j] = s >= 1.0f ? 8 : std::clamp(static_cast<int>(std::lround(8.0 * s)), 0, 8);
  }
}

// Handed-on melt and mold depth of every column for the transport step
// [step_start, step_start + dt_step], column by column.
void PrepareColumnStep(const SolverState& state, ThermalWorkspace& w, double step_start, double dt_step,
                       double mold_diffusivity) {
  const int L = state.layers;
  auto prepare = [&](int first, int last, uint32_t) {
    for (int j = first; j <= last; ++j) {
      const int i = w.columns[j];
      // Melt handed on into a front node mixes across its whole gap (the
      // fountain flow turns the core melt out to the walls).
      w.arrived[j] = w.volume[i] > 0 ? w.arrivals[i] * dt_step / w.volume[i] : 0.0;
      if (w.eighths[j] == 0) continue;
      // The mold warms from the time the node filled: the depth it takes
      // up heat through grows (none while the node fills).
      const float s = state.fill_state[i];
      const double contact = s >= 1.0f ? step_start + dt_step - std::max(double{state.fill_time[i]}, 0.0) : 0;
      w.next_depth_step[j] = MoldDepthStep(w.half_gap[i] / L, mold_diffusivity, contact);
    }
  };
  ForEachColumnChunk(static_cast<int>(w.columns.size()), L + 1, prepare);
}

// Rows of the columns whose class changed, made on this thread: classes are
// shared by columns. Throws std::bad_alloc when a factorisation failed.
void AssignColumnClasses(ThermalWorkspace& w, UpdateClasses& classes, int layers, const PolymerData& material,
                         double dt_step) {
  for (size_t j = 0; j < w.columns.size(); ++j) {
    if (w.eighths[j] == 0) continue;
    const int depth_step = w.next_depth_step[j];
    if (w.column_class[j] >= 0 && w.depth_step[j] == depth_step) continue;
    const int i = w.columns[j];
    const Column column{w.half_gap[i], w.cylinder[i]};
    ClassRows* rows = RowsFor(classes.by_key, column, w.eighths[j], depth_step, layers, material,
                              dt_step * w.eighths[j] / 8);
    if (!rows) throw std::bad_alloc();
    if (rows->index < 0) {
      rows->index = static_cast<int>(classes.list.size());
      classes.list.push_back(rows);
    }
    w.column_class[j] = rows->index;
    w.depth_step[j] = depth_step;
  }
}

// One transport step of every column on its own: it reads the step's start
// values and writes its own node only, so the threads do not change the
// result. Results are limited to [node wall temperature, t_max].
void AdvanceColumnsOneStep(SolverState& state, ThermalWorkspace& w, const UpdateClasses& classes,
                           double melt_temperature, double t_max, double dt_step) {
  const int points = state.layers + 1;
  const int stride = points + 1;
  auto advance = [&](int first, int last, uint32_t chunk) {
    double* T = w.scratch.data() + static_cast<size_t>(chunk) * 3 * points;
    double* rhs = T + points;
    double* carried = rhs + points;
    for (int j = first; j <= last; ++j) {
      const int i = w.columns[j];
      const float* old = w.start.data() + static_cast<size_t>(i) * stride;
      const double arrived = w.arrived[j];
      for (int k = 0; k < points; ++k) T[k] = old[k] + arrived;
      const double tw = state.node_wall_temperature[i];
      if (w.eighths[j] > 0) {
        const double dt_node = dt_step * w.eighths[j] / 8;
        state.node_wall_heat[i] += static_cast<float>(AdvanceColumn(*classes.list[w.column_class[j]], w,
                                                                    melt_temperature, points, i, tw, dt_node,
                                                                    T, rhs, carried));
      } else if (arrived == 0) {
        continue;
      }
      float* out = state.node_temperature.Row(i);
      const double top = std::max(t_max, tw);
      for (int k = 0; k < points; ++k) {
        // Physical bounds: not below the wall, not above melt + 100 K.
        const double v = std::isfinite(T[k]) ? T[k] : tw;
        out[k] = static_cast<float>(std::clamp(v, tw, top));
      }
    }
  };
  ForEachColumnChunk(static_cast<int>(w.columns.size()), points, advance);
}

// Steps 3 to 5 of the update over dt: transport steps short enough for the
// upwind inflow, each handing on the melt into the front, choosing every
// column's rows and advancing the columns; one step's results are the next
// step's start values.
void AdvanceColumns(SolverState& state, const PolymerData& material, float dt) {
  ThermalWorkspace& w = state.thermal;
  const int points = state.layers + 1;
  const int stride = points + 1;
  const double melt_temperature = material.melt_temperature;
  const float t_max = material.melt_temperature + 100.0f;
  const int transport_steps = TransportSteps(w, dt);
  const double dt_step = static_cast<double>(dt) / transport_steps;
  const double mold_diffusivity =
      double{material.mold_conductivity} / (double{material.mold_density} * material.mold_specific_heat);
  UpdateClasses classes;
  PrepareColumnTables(state, w);
  w.start = state.node_temperature.cells;
  for (int step = 0; step < transport_steps; ++step) {
    const double step_start = state.time - dt + step * dt_step;  // s; the update ends at state.time
    HandedOnHeat(w, melt_temperature, points);
    PrepareColumnStep(state, w, step_start, dt_step, mold_diffusivity);
    AssignColumnClasses(w, classes, state.layers, material, dt_step);
    for (const ThermalWorkspace::Receiver& r : w.receivers) w.arrivals[r.to] = 0.0;
    AdvanceColumnsOneStep(state, w, classes, melt_temperature, t_max, dt_step);
    if (step + 1 < transport_steps) {
      for (int i : w.columns) {
        const size_t at = static_cast<size_t>(i) * stride;
        std::copy_n(state.node_temperature.cells.begin() + at, points, w.start.begin() + at);
      }
    }
  }
}

// Step 6: every element's profile is the mean of its nodes' profiles, each
// element on its own.
void MeanElementProfiles(SolverState& state, const MeshModel& mesh) {
  const int points = state.layers + 1;
  auto mean = [&](uint32_t first, uint32_t last) {
    for (uint32_t e = first; e <= last; ++e) {
      const Element& element = mesh.elements[e];
      if (!IsFlowCategory(element.category) || element.node_count <= 0) continue;
      float* Te = state.temperature.Row(static_cast<int>(e));
      for (int k = 0; k < points; ++k) {
        double sum = 0;
        for (int v = 0; v < element.node_count; ++v) sum += state.node_temperature.Row(element.nodes[v])[k];
        Te[k] = static_cast<float>(sum / element.node_count);
      }
    }
  };
  if (state.element_count > 0) ForEachChunk(0u, static_cast<uint32_t>(state.element_count) - 1, mean);
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
  ThermalWorkspace& w = state.thermal;
  // 1. Current -> previous; empty nodes sit at their wall temperature.
  state.node_temperature_previous.cells = state.node_temperature.cells;
  try {
    ResetUnreachedNodes(state, w);
    // 2. Columns, in-plane flow and heating.
    PrepareWorkspace(state, mesh, prep, w);
    w.columns.clear();
    for (int i : w.reached) {
      if (w.half_gap[i] > 0) w.columns.push_back(i);
    }
    PreparePlaneFlow(state, mesh, w);
    BuildInflows(state, mesh, prep, w);
    // 3.-5. Rows per column class, advanced step by step.
    AdvanceColumns(state, material, dt);
  } catch (const std::bad_alloc&) {
    RestoreStartProfiles(state);
    return kTemperaturesFailed;
  }
  state.node_temperature_previous.cells = state.node_temperature.cells;
  // 6. Element profiles.
  MeanElementProfiles(state, mesh);
  return kTemperaturesUpdated;
}

}  // namespace kv
