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
  OctreeLeafIndex index;
  std::vector<int> later;
  for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    OctreeIndexLeaf(tree, leaf, xyz.data(), index);
    for (size_t k = 0; k < index.list->size(); ++k) {
      const int i = (*index.list)[k];
      FaceRecord& fi = mesh.faces[i];
      if (fi.partner != -1) continue;
      const std::array<int, 3> nodes = SortedNodes(fi);
      OctreeLaterNeighbours(index, xyz.data(), k, kCentroidTolerance, later);
      for (int j : later) {
        FaceRecord& fj = mesh.faces[j];
        if (fj.partner != -1 || SortedNodes(fj) != nodes) continue;
        fi.partner = j;
        fj.partner = i;
        break;
      }
    }
  }
  OctreeRelease(tree);
  return 1;
}

}  // namespace kv
