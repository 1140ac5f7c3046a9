#pragma once
// Storage of the conductance matrix kept from pass to pass: the sparsity
// pattern of every flow element, built once for a mesh, and the arrays its
// values are refilled into at every pressure solve. Plain arrays; the filling
// algorithm fills and reads them (see AssembleConductanceInPlace).

#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

struct ConductanceSlots {
  // The mesh the pattern was built for; a different mesh or element or node
  // count builds it again.
  const MeshModel* mesh = nullptr;
  int node_count = -1;
  int element_count = -1;

  // Pattern: the slots of column c (every node pair that some flow element
  // joins, the diagonal included) are column_start[c] .. column_start[c + 1],
  // slot s holding row slot_row[s]. Element e's n x n entries (row i of the
  // element, column j, at i * n + j) go to the slots
  // element_slots[element_start[e] ..].
  std::vector<int> column_start;
  std::vector<int> slot_row;
  std::vector<int> element_start;
  std::vector<int> element_slots;

  // Per pass: the summed value of each slot, the pass that last wrote it,
  // and per column the slots written, in the order of their first entry.
  std::vector<double> value;
  std::vector<int> written_in;
  std::vector<int> written;
  std::vector<int> written_end;
  int pass = 0;

  // Fluidity of each conducting element, computed before the entries.
  std::vector<double> fluidity;

  // The assembled matrix in compressed columns, zeros dropped.
  std::vector<int> p;
  std::vector<int> i;
  std::vector<double> x;
};

}  // namespace kv
