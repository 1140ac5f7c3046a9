#pragma once
// The selection of the 3D view: picked nodes, beams and facets, the hovered
// node and the last click picks. Plain lists so that the command interpreter
// reads them and tests fill them without a display. Indices are 0-based:
// nodes index the model's nodes, beams and facets the drawing tables.

#include <vector>

#include "mesh/engine/drawing_tables.h"

namespace kv {

struct Selection {
  std::vector<int> nodes;    // in selection order; a box may add a node twice
  std::vector<int> beams;    // ascending, one entry per beam
  std::vector<int> facets;   // ascending, one entry per facet
  int hovered_node = -1;     // node under the cursor in Vertex mode
  int last_beam = -1;        // beam of the last click pick
  int last_facet = -1;       // facet of the last click pick
};

// Hovered node, last picks := -1; the three lists emptied.
void ClearSelection(Selection& selection);

// Removes `node` from the selected nodes when present, else appends it.
void ToggleSelectedNode(Selection& selection, int node);

// Removes `value` from the ascending list when present, else inserts it in
// order.
void ToggleSorted(std::vector<int>& list, int value);

// Inserts `value` into the ascending list unless it is there already.
void InsertSorted(std::vector<int>& list, int value);

// The selected facets become every facet not selected before, the selected
// beams every beam not selected before; the nodes stay.
void InvertSelection(Selection& selection, const DrawingTables& tables);

// The elements of the selected beams and of the selected facets, ascending
// and without repeats; table entries outside `tables` are skipped.
std::vector<int> SelectedElements(const Selection& selection, const DrawingTables& tables);

// The face records of the selected facets, in facet order (-1 skipped).
std::vector<int> SelectedFaces(const Selection& selection, const DrawingTables& tables);

}  // namespace kv
