#include "common/octree/point_octree.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

namespace kv {
namespace {

constexpr int kMaxDepth = 48;  // boxes nested this deep are not split further

// Sets the bounds of `box` and its centre (the midpoints of the bounds).
void SetBounds(OctreeNode& box, double xmin, double xmax, double ymin, double ymax, double zmin,
               double zmax) {
  box.xmin = xmin;
  box.xmax = xmax;
  box.ymin = ymin;
  box.ymax = ymax;
  box.zmin = zmin;
  box.zmax = zmax;
  box.cx = 0.5 * (xmin + xmax);
  box.cy = 0.5 * (ymin + ymax);
  box.cz = 0.5 * (zmin + zmax);
}

// Splits box `index` into its eight children and recurses into the crowded ones.
void SplitBox(PointOctree& tree, int index, const double* points, double margin) {
  const OctreeNode parent = [&] {
    OctreeNode copy;
    const OctreeNode& box = tree.nodes[index];
    SetBounds(copy, box.xmin, box.xmax, box.ymin, box.ymax, box.zmin, box.zmax);
    copy.depth = box.depth;
    return copy;
  }();
  const std::vector<int>& list = tree.nodes[index].points;

  // An axis is split only where the box is at least four margins wide: a
  // narrower box cannot separate points by more than their margin boxes, and
  // splitting it would copy every point into both halves at every level (flat
  // models, crowds of coincident points). Children then span the whole axis.
  const double lower[3] = {parent.xmin, parent.ymin, parent.zmin};
  const double upper[3] = {parent.xmax, parent.ymax, parent.zmax};
  const double centre[3] = {parent.cx, parent.cy, parent.cz};
  bool split[3];
  bool any_split = false;
  for (int axis = 0; axis < 3; ++axis) {
    split[axis] = upper[axis] - lower[axis] >= 4 * margin && centre[axis] > lower[axis] &&
                  centre[axis] < upper[axis];
    any_split = any_split || split[axis];
  }
  if (!any_split) {
    tree.leaves.push_back(index);
    return;
  }

  // Distribute: the box p +- margin touches the lower half of a split axis when
  // its low corner is below the centre and the upper half when its high corner
  // is at or above it; the point joins every child whose octant a corner is in.
  std::vector<int> child_points[8];
  for (auto& c : child_points) c.reserve(list.size() / 4 + 1);
  for (int p : list) {
    const double* xyz = points + 3 * static_cast<size_t>(p);
    int lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    for (int axis = 0; axis < 3; ++axis) {
      if (!split[axis]) continue;
      lo[axis] = (xyz[axis] - margin >= centre[axis]) ? 1 : 0;
      hi[axis] = (xyz[axis] + margin >= centre[axis]) ? 1 : 0;
    }
    for (int bz = lo[2]; bz <= hi[2]; ++bz)
      for (int by = lo[1]; by <= hi[1]; ++by)
        for (int bx = lo[0]; bx <= hi[0]; ++bx) child_points[bx | (by << 1) | (bz << 2)].push_back(p);
  }
  std::vector<int>().swap(tree.nodes[index].points);

  // Child k: lower or upper half in x (bit 0), y (bit 1), z (bit 2).
  for (int k = 0; k < 8; ++k) {
    double b[6];
    for (int axis = 0; axis < 3; ++axis) {
      const bool up = (k >> axis) & 1;
      b[2 * axis] = (split[axis] && up) ? centre[axis] : lower[axis];
      b[2 * axis + 1] = (split[axis] && !up) ? centre[axis] : upper[axis];
    }
    OctreeNode child;
    SetBounds(child, b[0], b[1], b[2], b[3], b[4], b[5]);
    child.depth = parent.depth + 1;
    child.points = std::move(child_points[k]);
    child.points.shrink_to_fit();
    tree.nodes[index].children[k] = static_cast<int>(tree.nodes.size());
    tree.nodes.push_back(std::move(child));
  }

  // Children in order 0..7: crowded ones are split, the others with points are leaves.
  for (int k = 0; k < 8; ++k) {
    const int c = tree.nodes[index].children[k];
    const size_t n = tree.nodes[c].points.size();
    if (n > static_cast<size_t>(kOctreeLeafLimit) && tree.nodes[c].depth < kMaxDepth) {
      SplitBox(tree, c, points, margin);
    } else if (n > 0) {
      tree.leaves.push_back(c);
    }
  }
}

bool Finite3(const double* v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace

int OctreeBuild(PointOctree& tree, const double min[3], const double max[3], const double* points,
                int count, double margin) {
  OctreeRelease(tree);
  if (count < 0 || (count > 0 && points == nullptr) || min == nullptr || max == nullptr) return 0;
  if (!std::isfinite(margin) || margin < 0 || !Finite3(min) || !Finite3(max)) return 0;
  for (int axis = 0; axis < 3; ++axis)
    if (min[axis] > max[axis]) return 0;
  for (int i = 0; i < count; ++i)
    if (!Finite3(points + 3 * static_cast<size_t>(i))) return 0;

  // Pad the box by the margin; the root holds every point in ascending order.
  OctreeNode root;
  SetBounds(root, min[0] - margin, max[0] + margin, min[1] - margin, max[1] + margin,
            min[2] - margin, max[2] + margin);
  root.points.resize(static_cast<size_t>(count));
  std::iota(root.points.begin(), root.points.end(), 0);
  tree.nodes.push_back(std::move(root));

  if (count > kOctreeLeafLimit) {
    SplitBox(tree, 0, points, margin);
  } else if (count > 0) {
    tree.leaves.push_back(0);
  }
  return 1;
}

int OctreeBuildOverPoints(PointOctree& tree, const double* points, int count, double margin) {
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  if (count > 0 && points != nullptr) {
    // Bounding box of the points (non-finite values are refused by OctreeBuild).
    for (int axis = 0; axis < 3; ++axis) lo[axis] = hi[axis] = points[axis];
    for (int i = 1; i < count; ++i) {
      const double* p = points + 3 * static_cast<size_t>(i);
      for (int axis = 0; axis < 3; ++axis) {
        lo[axis] = std::min(lo[axis], p[axis]);
        hi[axis] = std::max(hi[axis], p[axis]);
      }
    }
    if (!Finite3(lo) || !Finite3(hi)) {
      OctreeRelease(tree);
      return 0;
    }
  }
  return OctreeBuild(tree, lo, hi, points, count, margin);
}

void OctreeRelease(PointOctree& tree) {
  std::vector<OctreeNode>().swap(tree.nodes);
  std::vector<int>().swap(tree.leaves);
}

void OctreeIndexLeaf(const PointOctree& tree, size_t leaf, const double* points, OctreeLeafIndex& index) {
  static const std::vector<int> kEmpty;
  index.list = &kEmpty;
  index.axis = 0;
  index.order.clear();
  index.rank.clear();
  if (leaf >= tree.leaves.size() || points == nullptr) return;
  const std::vector<int>& list = tree.nodes[static_cast<size_t>(tree.leaves[leaf])].points;
  index.list = &list;
  if (list.empty()) return;

  // Axis of the largest spread of the leaf's points.
  double lo[3], hi[3];
  for (int a = 0; a < 3; ++a) lo[a] = hi[a] = points[3 * static_cast<size_t>(list[0]) + a];
  for (int p : list)
    for (int a = 0; a < 3; ++a) {
      const double v = points[3 * static_cast<size_t>(p) + a];
      lo[a] = std::min(lo[a], v);
      hi[a] = std::max(hi[a], v);
    }
  for (int a = 1; a < 3; ++a)
    if (hi[a] - lo[a] > hi[index.axis] - lo[index.axis]) index.axis = a;

  // Positions ordered by their coordinate along the axis, and the inverse.
  const int axis = index.axis;
  index.order.resize(list.size());
  std::iota(index.order.begin(), index.order.end(), 0);
  std::sort(index.order.begin(), index.order.end(), [&](int a, int b) {
    return points[3 * static_cast<size_t>(list[static_cast<size_t>(a)]) + axis] <
           points[3 * static_cast<size_t>(list[static_cast<size_t>(b)]) + axis];
  });
  index.rank.resize(list.size());
  for (size_t r = 0; r < index.order.size(); ++r) index.rank[static_cast<size_t>(index.order[r])] = static_cast<int>(r);
}

void OctreeLaterNeighbours(const OctreeLeafIndex& index, const double* points, size_t position, double tolerance,
                           std::vector<int>& later) {
  later.clear();
  if (index.list == nullptr || position >= index.rank.size() || !(tolerance > 0)) return;
  const std::vector<int>& list = *index.list;
  const double* p = points + 3 * static_cast<size_t>(list[position]);
  const int axis = index.axis;
  const int r = index.rank[position];

  // A point closer than the tolerance is closer than it along the axis, so
  // only the run of the order around `position` within the tolerance is
  // compared: |p - q| < tolerance, the Euclidean distance taken strictly.
  auto consider = [&](int q_position) {
    if (static_cast<size_t>(q_position) <= position) return;
    const double* q = points + 3 * static_cast<size_t>(list[static_cast<size_t>(q_position)]);
    const double dx = q[0] - p[0], dy = q[1] - p[1], dz = q[2] - p[2];
    if (std::sqrt(dx * dx + dy * dy + dz * dz) < tolerance) later.push_back(list[static_cast<size_t>(q_position)]);
  };
  auto along = [&](int place) {
    return points[3 * static_cast<size_t>(list[static_cast<size_t>(index.order[static_cast<size_t>(place)])]) + axis];
  };
  for (int k = r + 1; k < static_cast<int>(index.order.size()) && along(k) - p[axis] < tolerance; ++k)
    consider(index.order[static_cast<size_t>(k)]);
  for (int k = r - 1; k >= 0 && p[axis] - along(k) < tolerance; --k) consider(index.order[static_cast<size_t>(k)]);
  std::sort(later.begin(), later.end());
}

}  // namespace kv
