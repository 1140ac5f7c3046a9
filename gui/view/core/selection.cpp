#include "gui/view/core/selection.h"

#include <algorithm>

namespace kv {

void ClearSelection(Selection& selection) {
  selection.hovered_node = -1;
  selection.last_beam = -1;
  selection.last_facet = -1;
  selection.nodes.clear();
  selection.beams.clear();
  selection.facets.clear();
}

void ToggleSelectedNode(Selection& selection, int node) {
  auto it = std::find(selection.nodes.begin(), selection.nodes.end(), node);
  if (it != selection.nodes.end())
    selection.nodes.erase(it);
  else
    selection.nodes.push_back(node);
}

void ToggleSorted(std::vector<int>& list, int value) {
  auto it = std::lower_bound(list.begin(), list.end(), value);
  if (it != list.end() && *it == value)
    list.erase(it);
  else
    list.insert(it, value);
}

void InsertSorted(std::vector<int>& list, int value) {
  auto it = std::lower_bound(list.begin(), list.end(), value);
  if (it == list.end() || *it != value) list.insert(it, value);
}

namespace {

// 0..count-1 without the members of the ascending list `taken`.
std::vector<int> Complement(const std::vector<int>& taken, int count) {
  std::vector<int> out;
  size_t k = 0;
  for (int i = 0; i < count; ++i) {
    while (k < taken.size() && taken[k] < i) ++k;
    if (k < taken.size() && taken[k] == i) continue;
    out.push_back(i);
  }
  return out;
}

}  // namespace

void InvertSelection(Selection& selection, const DrawingTables& tables) {
  selection.facets = Complement(selection.facets, static_cast<int>(tables.facets.size()));
  selection.beams = Complement(selection.beams, static_cast<int>(tables.beams.size()));
}

std::vector<int> SelectedElements(const Selection& selection, const DrawingTables& tables) {
  std::vector<int> elements;
  for (int b : selection.beams)
    if (b >= 0 && b < static_cast<int>(tables.beams.size())) InsertSorted(elements, tables.beams[b].element);
  for (int f : selection.facets)
    if (f >= 0 && f < static_cast<int>(tables.facets.size())) InsertSorted(elements, tables.facets[f].element);
  return elements;
}

std::vector<int> SelectedFaces(const Selection& selection, const DrawingTables& tables) {
  std::vector<int> faces;
  for (int f : selection.facets)
    if (f >= 0 && f < static_cast<int>(tables.facets.size()) && tables.facets[f].face >= 0)
      faces.push_back(tables.facets[f].face);
  return faces;
}

}  // namespace kv
