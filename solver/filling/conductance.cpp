// The conductance matrix of the filled region. Its sparsity pattern (every
// node pair a flow element joins) is built once for a mesh; each pressure
// solve refills the values in place and lists the entries of the elements
// that conduct in this pass.
#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "common/geometry/categories.h"
#include "common/geometry/constants.h"
#include "common/geometry/element_geometry.h"
#include "solver/filling/filling.h"
#include "solver/matrix/parallel.h"
#include "solver/thermal/fluidity.h"

namespace kv {

namespace {

bool AnyEmpty(const SolverState& state, const Element& element) {
  for (int v = 0; v < element.node_count; ++v) {
    if (state.fill_state[element.nodes[v]] == -1.0f) return true;
  }
  return false;
}

// An element conducts in this pass when it is an active flow element whose
// nodes the melt has all reached.
bool Conducts(const SolverState& state, const Element& element, int e) {
  return state.active[e] && IsFlowCategory(element.category) && !AnyEmpty(state, element);
}

// Nodes of an element that its conductance matrix couples (0 for elements
// that never conduct).
int PatternSize(const Element& element) {
  if (IsRunnerCategory(element.category)) return 2;
  if (IsShellCategory(element.category)) return 3;
  if (element.category == kPartVolume) return 4;
  return 0;
}

// Element conductance matrix in the element's node order, for fluidity S.
// Returns the node count (0 when the element does not conduct).
int ElementConductance(const MeshModel& mesh, const Element& element, double S, double K[4][4]) {
  if (IsRunnerCategory(element.category)) {
    // Hagen-Poiseuille: k = pi R S / l, (k, -k; -k, k).
    const double R = std::max(element.diameter / 2.0, 1e-25);
    const double length = std::max(double{element.length}, 1e-25);
    const double k = kPi * R * S / length;
    K[0][0] = K[1][1] = k;
    K[0][1] = K[1][0] = -k;
    return 2;
  }
  if (IsShellCategory(element.category)) {
    // Linear triangle: K_ij = S (b_i b_j + c_i c_j) / (2A) in local coordinates.
    const double x2 = element.local[0], y3 = element.local[1], x3 = element.local[2];
    const double area = element.area;
    if (!(area > 0)) return 0;
    const double b[3] = {-y3, y3, 0}, c[3] = {x3 - x2, -x3, x2};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) K[i][j] = S * (b[i] * b[j] + c[i] * c[j]) / (2 * area);
    }
    return 3;
  }
  if (element.category == kPartVolume) {
    // Linear tetrahedron: K_ij = S (g_i . g_j) / (36 V).
    double g[4][3], volume = 0;
    TetrahedronGradients(mesh, element, g, &volume);
    volume = std::fabs(volume);
    if (!(volume > 0)) return 0;
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        K[i][j] = S * (g[i][0] * g[j][0] + g[i][1] * g[j][1] + g[i][2] * g[j][2]) / (36 * volume);
      }
    }
    return 4;
  }
  return 0;
}

// The pattern of every flow element of the mesh: per column the rows in
// ascending order, and the slot of each element entry.
void BuildPattern(ConductanceSlots& slots, const MeshModel& mesh, int node_count, int elements) {
  // Elements of each node (as a column of the pattern).
  std::vector<int> start(node_count + 1, 0);
  for (int e = 0; e < elements; ++e) {
    const Element& element = mesh.elements[e];
    const int n = PatternSize(element);
    for (int v = 0; v < n; ++v) ++start[element.nodes[v] + 1];
  }
  for (int c = 0; c < node_count; ++c) start[c + 1] += start[c];
  std::vector<int> of_node(start[node_count]);
  {
    std::vector<int> next(start.begin(), start.end() - 1);
    for (int e = 0; e < elements; ++e) {
      const Element& element = mesh.elements[e];
      const int n = PatternSize(element);
      for (int v = 0; v < n; ++v) of_node[next[element.nodes[v]]++] = e;
    }
  }
  // Rows of each column: the nodes of its elements, once each.
  slots.column_start.assign(node_count + 1, 0);
  slots.slot_row.clear();
  std::vector<int> rows;
  for (int c = 0; c < node_count; ++c) {
    rows.clear();
    for (int k = start[c]; k < start[c + 1]; ++k) {
      const Element& element = mesh.elements[of_node[k]];
      const int n = PatternSize(element);
      for (int v = 0; v < n; ++v) rows.push_back(element.nodes[v]);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    slots.slot_row.insert(slots.slot_row.end(), rows.begin(), rows.end());
    slots.column_start[c + 1] = static_cast<int>(slots.slot_row.size());
  }
  // Slot of entry (i, j) of each element: row nodes[i] in column nodes[j].
  slots.element_start.assign(elements + 1, 0);
  slots.element_slots.clear();
  for (int e = 0; e < elements; ++e) {
    const Element& element = mesh.elements[e];
    const int n = PatternSize(element);
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        const int c = element.nodes[j];
        const auto first = slots.slot_row.begin() + slots.column_start[c];
        const auto last = slots.slot_row.begin() + slots.column_start[c + 1];
        slots.element_slots.push_back(static_cast<int>(std::lower_bound(first, last, element.nodes[i]) -
                                                       slots.slot_row.begin()));
      }
    }
    slots.element_start[e + 1] = static_cast<int>(slots.element_slots.size());
  }
  const size_t count = slots.slot_row.size();
  slots.value.assign(count, 0.0);
  slots.written_in.assign(count, 0);
  slots.written.assign(count, 0);
  slots.written_end.assign(node_count, 0);
  slots.pass = 0;
  slots.fluidity.assign(elements, -1.0);
  slots.p.assign(node_count + 1, 0);
  slots.i.assign(count, 0);
  slots.x.assign(count, 0.0);
  slots.mesh = &mesh;
  slots.node_count = node_count;
  slots.element_count = elements;
}

}  // namespace

bool AssembleConductanceInPlace(ConductanceSlots& slots, const SolverState& state, const FillingJob& job,
                                cs_di& matrix) {
  const MeshModel& mesh = *job.mesh;
  try {
    if (slots.mesh != &mesh || slots.node_count != state.node_count ||
        slots.element_count != state.element_count) {
      BuildPattern(slots, mesh, state.node_count, state.element_count);
    }
  } catch (const std::bad_alloc&) {
    slots = ConductanceSlots{};
    return false;
  }
  // 1. Fluidity of every conducting element (-1 for the others), in
  //    parallel: each element's value is its own, whatever the threads.
  const int elements = state.element_count;
  ParallelForEach(elements, [&](int e) {
    const Element& element = mesh.elements[e];
    slots.fluidity[e] = Conducts(state, element, e) ? ElementFluidity(state, element, e) : -1.0;
  });
  // 2. Entries in element order, each slot summing its entries in that
  //    order; a column lists its slots in the order of their first entry.
  if (slots.pass == INT_MAX) {
    std::fill(slots.written_in.begin(), slots.written_in.end(), 0);
    slots.pass = 0;
  }
  const int pass = ++slots.pass;
  std::copy(slots.column_start.begin(), slots.column_start.end() - 1, slots.written_end.begin());
  double K[4][4];
  for (int e = 0; e < elements; ++e) {
    if (slots.fluidity[e] < 0) continue;
    const Element& element = mesh.elements[e];
    const int n = ElementConductance(mesh, element, slots.fluidity[e], K);
    const int* slot = slots.element_slots.data() + slots.element_start[e];
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        const int s = slot[i * n + j];
        if (slots.written_in[s] != pass) {
          slots.written_in[s] = pass;
          slots.value[s] = K[i][j];
          slots.written[slots.written_end[element.nodes[j]]++] = s;
        } else {
          slots.value[s] += K[i][j];
        }
      }
    }
  }
  // 3. Compressed columns without the entries that summed to zero.
  int nz = 0;
  slots.p[0] = 0;
  for (int c = 0; c < state.node_count; ++c) {
    for (int k = slots.column_start[c]; k < slots.written_end[c]; ++k) {
      const int s = slots.written[k];
      if (slots.value[s] == 0.0) continue;
      slots.i[nz] = slots.slot_row[s];
      slots.x[nz] = slots.value[s];
      ++nz;
    }
    slots.p[c + 1] = nz;
  }
  matrix = cs_di{};
  matrix.nzmax = std::max(nz, 1);
  matrix.m = matrix.n = state.node_count;
  matrix.p = slots.p.data();
  matrix.i = slots.i.data();
  matrix.x = slots.x.data();
  matrix.nz = -1;
  return true;
}

CsMatrix AssembleConductance(const SolverState& state, const FillingJob& job) {
  ConductanceSlots slots;
  cs_di view;
  if (!AssembleConductanceInPlace(slots, state, job, view)) return nullptr;
  const int nz = view.p[view.n];
  CsMatrix matrix(cs_di_spalloc(view.m, view.n, std::max(nz, 1), 1, 0));
  if (!matrix) return nullptr;
  std::copy(view.p, view.p + view.n + 1, matrix->p);
  std::copy(view.i, view.i + nz, matrix->i);
  std::copy(view.x, view.x + nz, matrix->x);
  return matrix;
}

}  // namespace kv
