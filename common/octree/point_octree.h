#pragma once
// PointOctree: the one spatial index for coincidence searches, shared by the
// solver and the pre-processor.
//
// The octree sorts points (node coordinates, element or face centroids) into
// boxes of at most kOctreeLeafLimit points. A point that lies within `margin`
// of a dividing plane is copied into every child it touches, so two points
// closer than the margin always meet in at least one leaf. Searches therefore
// look at pairs inside each leaf only, never across leaves.
//
// Typical use (find pairs of points closer than 1e-6 m):
//
//   kv::PointOctree tree;
//   if (kv::OctreeBuildOverPoints(tree, xyz.data(), count) != 1) {
//     // a coordinate is not a finite number: report it, change nothing
//   }
//   kv::OctreeLeafIndex index;
//   std::vector<int> later;
//   for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
//     kv::OctreeIndexLeaf(tree, leaf, xyz.data(), index);
//     for (size_t k = 0; k < index.list->size(); ++k) {
//       kv::OctreeLaterNeighbours(index, xyz.data(), k, 1e-6, later);
//       for (int b : later) { /* (*index.list)[k] < b are closer than 1e-6 */ }
//     }
//   }
//   kv::OctreeRelease(tree);   // or let `tree` go out of scope
//
// This meets the pairs of a leaf in the order of a double loop over its list
// (earlier point, then later point), without comparing every pair. Or visit
// the points of each leaf directly:
//
//   for (int n : tree.leaves)
//     for (int point : tree.nodes[n].points) ...
//
// A point index may appear in several leaves (the copies near dividing planes),
// so a search must tolerate meeting the same pair twice.

#include <cstddef>
#include <vector>

namespace kv {

inline constexpr int kOctreeLeafLimit = 5000;   // most points a leaf holds before it is split
inline constexpr double kOctreeMargin = 1e-6;   // m, padding of the box and straddle distance

// One box of the octree. Bounds and centre in the units of the points (m).
struct OctreeNode {
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
  double cx = 0, cy = 0, cz = 0;   // midpoints of the bounds
  std::vector<int> points;         // 0-based point indices in ascending order; emptied once split
  int children[8] = {-1, -1, -1, -1, -1, -1, -1, -1};  // indices into PointOctree::nodes, -1 none
  int depth = 0;                   // 0 for the root
};

struct PointOctree {
  std::vector<OctreeNode> nodes;   // every box made; nodes[0] is the root
  std::vector<int> leaves;         // indices into `nodes` of the boxes holding 1 or more points
                                   // that were not split, in depth-first child order 0..7
};

// One leaf's points ordered along the axis of their largest spread, for
// neighbour queries (OctreeIndexLeaf, OctreeLaterNeighbours).
struct OctreeLeafIndex {
  const std::vector<int>* list = nullptr;  // the leaf's point list (ascending point indices)
  int axis = 0;                            // 0 x, 1 y, 2 z
  std::vector<int> order;                  // positions in `list`, by coordinate along `axis`
  std::vector<int> rank;                   // rank[position] = place of that position in `order`
};

// Builds the octree over `count` points.
//   min, max: corners of a box holding the points (m); it is padded by `margin`
//             on every side. Points outside the box are still sorted (into the
//             octant nearest to them).
//   points:   count triples x, y, z (m), point i at points[3i .. 3i+2].
//   margin:   padding and straddle distance; kOctreeMargin unless a search needs
//             pairs farther apart to meet in one leaf (then pass that distance).
// Child k of a box covers the upper half in x when bit 0 of k is set, in y for
// bit 1, in z for bit 2; a coordinate equal to the centre counts as upper. A box
// with more than kOctreeLeafLimit points is split. An axis along which the box
// is narrower than four margins is not split (the children span it whole and
// those on its upper side stay empty): halving it could not separate points
// and would copy each one into both halves at every level, as for a flat
// model. A box that can be split along no axis, or is nested 48 deep, stays a
// leaf of more than the limit (a crowd of coincident points).
// Returns 1, or 0 when count < 0, points is null with count > 0, min > max, or
// some coordinate, bound or the margin is not a finite number; the tree is then
// left empty. The tree is released first in every case.
int OctreeBuild(PointOctree& tree, const double min[3], const double max[3], const double* points,
                int count, double margin = kOctreeMargin);

// OctreeBuild over the bounding box of the points themselves. Returns as
// OctreeBuild; an empty point set gives an empty tree and 1.
int OctreeBuildOverPoints(PointOctree& tree, const double* points, int count,
                          double margin = kOctreeMargin);

// Frees every box, every point list and the leaf list.
void OctreeRelease(PointOctree& tree);

// Prepares the neighbour queries of leaf `leaf` (0-based position in
// tree.leaves). `points` is the array the tree was built over. The index
// refers to the tree's list: use it while the tree lives. A leaf position
// outside tree.leaves gives an empty index.
void OctreeIndexLeaf(const PointOctree& tree, size_t leaf, const double* points, OctreeLeafIndex& index);

// The points after position `position` of the leaf's list whose Euclidean
// distance to the point at `position` is strictly less than `tolerance` (m).
//   later: replaced by their point indices, ascending (all greater than the
//          point at `position`).
// Only the points within `tolerance` along the index's axis are compared, so
// a whole leaf costs about the number of close pairs, not its square.
void OctreeLaterNeighbours(const OctreeLeafIndex& index, const double* points, size_t position, double tolerance,
                           std::vector<int>& later);

// Pairs the points of the tree two by two: in every leaf, each point i still
// without partner takes the first later point j of the leaf that is also
// without partner, lies closer than `tolerance` and is accepted by
// fits(i, j); i and j become each other's partner. `partner` holds one entry
// per point, -1 for none, and keeps the partners it already has.
template <class Fits>
void OctreePairNeighbours(const PointOctree& tree, const double* points, double tolerance,
                          std::vector<int>& partner, Fits fits) {
  OctreeLeafIndex index;
  std::vector<int> later;
  for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    OctreeIndexLeaf(tree, leaf, points, index);
    for (size_t k = 0; k < index.list->size(); ++k) {
      const int i = (*index.list)[k];
      if (partner[i] != -1) continue;
      OctreeLaterNeighbours(index, points, k, tolerance, later);
      for (int j : later) {
        if (partner[j] != -1 || !fits(i, j)) continue;
        partner[i] = j;
        partner[j] = i;
        break;
      }
    }
  }
}

}  // namespace kv
