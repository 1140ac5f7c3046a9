#include "common/geometry/face_pairing.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/octree/point_octree.h"

namespace kv {

namespace {

// Centroids closer than this coincide. Faces with the same three nodes have
// the same centroid up to the rounding of the sum in another order, so the
// bound also narrows the search for those.
constexpr double kCoincidence = 1e-6;  // m

// Pairs the faces whose centroids lie within kCoincidence and that `match`
// accepts, starting from the partners already set. Returns 1, or 0 when the
// octree cannot be built (no partner changed then).
template <class Match>
int PairFacesByCentroid(MeshModel& model, Match match) {
  const size_t count = model.faces.size();
  if (count < 2) return 1;
  std::vector<double> xyz(3 * count);
  for (size_t f = 0; f < count; ++f)
    for (int k = 0; k < 3; ++k) xyz[3 * f + k] = model.faces[f].centroid[k];

  PointOctree tree;
  if (OctreeBuildOverPoints(tree, xyz.data(), static_cast<int>(count)) != 1) return 0;
  // Each unpaired face takes the first later face of its leaf that fits.
  std::vector<int> partner(count);
  for (size_t f = 0; f < count; ++f) partner[f] = model.faces[f].partner;
  OctreePairNeighbours(tree, xyz.data(), kCoincidence, partner, match);
  for (size_t f = 0; f < count; ++f) model.faces[f].partner = partner[f];
  OctreeRelease(tree);
  return 1;
}

std::array<int, 3> SortedNodes(const FaceRecord& face) {
  std::array<int, 3> nodes{face.nodes[0], face.nodes[1], face.nodes[2]};
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

}  // namespace

int PairCoincidentFaces(MeshModel& model) {
  auto owner_type = [&](int f) {
    const int e = model.faces[static_cast<size_t>(f)].element;
    return (e >= 0 && static_cast<size_t>(e) < model.elements.size()) ? model.elements[static_cast<size_t>(e)].type : -1;
  };
  return PairFacesByCentroid(model, [&](int i, int j) {
    const int type = owner_type(i);
    return type >= 0 &&
           model.faces[static_cast<size_t>(j)].node_count == model.faces[static_cast<size_t>(i)].node_count &&
           owner_type(j) == type;
  });
}

int PairFacesWithSameNodes(MeshModel& model) {
  for (FaceRecord& face : model.faces) face.partner = -1;
  return PairFacesByCentroid(model, [&](int i, int j) {
    return SortedNodes(model.faces[static_cast<size_t>(i)]) == SortedNodes(model.faces[static_cast<size_t>(j)]);
  });
}

}  // namespace kv
