#include <algorithm>
#include <array>
#include <vector>

#include "common/octree/point_octree.h"
#include "solver/prep/mesh_preparation.h"

namespace kv {

namespace {

// Faces with the same three nodes have the same centroid up to the rounding of
// the sum in another order; this bound only narrows the search, the node sets
// decide.
constexpr double kCentroidTolerance = 1e-6;  // m

std::array<int, 3> SortedNodes(const FaceRecord& face) {
  std::array<int, 3> nodes{face.nodes[0], face.nodes[1], face.nodes[2]};
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

}  // namespace

int PairFacesWithSameNodes(MeshModel& mesh) {
  const size_t count = mesh.faces.size();
  for (FaceRecord& face : mesh.faces) face.partner = -1;
  if (count < 2) return 1;
  std::vector<double> xyz(3 * count);
  for (size_t f = 0; f < count; ++f) {
    for (int k = 0; k < 3; ++k) xyz[3 * f + k] = mesh.faces[f].centroid[k];
  }
  PointOctree tree;
  if (OctreeBuildOverPoints(tree, xyz.data(), static_cast<int>(count)) != 1) return 0;
  std::vector<int> partner(count, -1);
  OctreePairNeighbours(tree, xyz.data(), kCentroidTolerance, partner,
                       [&](int i, int j) { return SortedNodes(mesh.faces[i]) == SortedNodes(mesh.faces[j]); });
  for (size_t f = 0; f < count; ++f) mesh.faces[f].partner = partner[f];
  OctreeRelease(tree);
  return 1;
}

}  // namespace kv
