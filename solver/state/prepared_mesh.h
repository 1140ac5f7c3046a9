#pragma once
// What the mesh preparation derives from the mesh and the run keeps: node
// control volumes, the node-to-element lists and the totals of the mesh
// property table. Built by ComputeElementGeometry (solver/prep).
//
// Lengths in m, areas in m^2, volumes in m^3. Indices 0-based.

#include <vector>

namespace kv {

struct MeshPreparation {
  std::vector<float> control_volume;   // m^3 per node, median-dual share of its elements
  std::vector<int> element_start;      // node i's elements are element_list[element_start[i] ..
  std::vector<int> element_list;       //   element_start[i + 1]), in element order
  double total_area = 0;               // m^2, sum of element areas
  double total_projected_area = 0;     // m^2, sum of projected areas on the parting plane
  double element_volume = 0;           // m^3, sum of element volumes
  double node_volume = 0;              // m^3, sum of node control volumes
};

}  // namespace kv
