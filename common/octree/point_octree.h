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
//   std::vector<kv::OctreePair> pairs;
//   for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
//     kv::OctreeLeafClosePairs(tree, leaf, xyz.data(), 1e-6, pairs);
//     for (const kv::OctreePair& p : pairs) { /* p.a < p.b, point indices */ }
//   }
//   kv::OctreeRelease(tree);   // or let `tree` go out of scope
//
// or visit the points of each leaf directly:
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

// A pair of point indices found together in a leaf, a < b.
struct OctreePair {
  int a = 0;
  int b = 0;
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

// The pairs of points of leaf `leaf` (0-based position in tree.leaves) whose
// Euclidean distance is strictly less than `tolerance` (m).
//   points: the array the tree was built over.
//   pairs:  replaced by the pairs (a < b, point indices), ordered by a, then b:
//           the order in which a double loop over the leaf's list meets them.
// Same result as comparing every pair of the leaf, found by a sweep along the
// axis of the leaf's largest spread so that only neighbours are compared.
void OctreeLeafClosePairs(const PointOctree& tree, size_t leaf, const double* points,
                          double tolerance, std::vector<OctreePair>& pairs);

}  // namespace kv
