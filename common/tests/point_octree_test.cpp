#include "common/octree/point_octree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>

namespace kv {
namespace {

// `count` points spread evenly (pseudo-randomly) in [0, 2]^3.
std::vector<double> SpreadPoints(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 2.0);
  std::vector<double> xyz(3 * static_cast<size_t>(count));
  for (double& v : xyz) v = u(rng);
  return xyz;
}

bool LeafHas(const PointOctree& tree, int node, int point) {
  const auto& list = tree.nodes[node].points;
  return std::binary_search(list.begin(), list.end(), point);
}

TEST(PointOctree, SmallAndEmptySetsMakeOneOrNoLeaf) {
  PointOctree tree;
  EXPECT_EQ(OctreeBuildOverPoints(tree, nullptr, 0), 1);
  EXPECT_TRUE(tree.leaves.empty());

  std::vector<double> xyz = SpreadPoints(kOctreeLeafLimit, 1);
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), kOctreeLeafLimit), 1);
  ASSERT_EQ(tree.leaves.size(), 1u);
  const auto& list = tree.nodes[tree.leaves[0]].points;
  ASSERT_EQ(list.size(), static_cast<size_t>(kOctreeLeafLimit));
  for (int i = 0; i < kOctreeLeafLimit; ++i) EXPECT_EQ(list[i], i);
  // The root box is the bounding box padded by the margin.
  double xmin = xyz[0];
  for (int i = 0; i < kOctreeLeafLimit; ++i) xmin = std::min(xmin, xyz[3 * i]);
  EXPECT_DOUBLE_EQ(tree.nodes[0].xmin, xmin - kOctreeMargin);

  OctreeRelease(tree);
  EXPECT_TRUE(tree.nodes.empty());
  EXPECT_TRUE(tree.leaves.empty());
}

TEST(PointOctree, CrowdedBoxesSplitIntoSortedLeavesCoveringEveryPoint) {
  const int count = 40000;
  std::vector<double> xyz = SpreadPoints(count, 2);
  PointOctree tree;
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), count), 1);
  ASSERT_GT(tree.leaves.size(), 8u);
  std::vector<int> seen(count, 0);
  for (int leaf : tree.leaves) {
    const auto& list = tree.nodes[leaf].points;
    EXPECT_GE(list.size(), 1u);
    EXPECT_LE(list.size(), static_cast<size_t>(kOctreeLeafLimit));
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    for (int p : list) {
      ++seen[p];
      // Every copy lies in its box widened by the margin.
      const OctreeNode& box = tree.nodes[leaf];
      EXPECT_GE(xyz[3 * p], box.xmin - kOctreeMargin);
      EXPECT_LE(xyz[3 * p], box.xmax + kOctreeMargin);
    }
    for (int k = 0; k < 8; ++k) EXPECT_EQ(tree.nodes[leaf].children[k], -1);
  }
  for (int i = 0; i < count; ++i) ASSERT_GE(seen[i], 1) << "point " << i << " is in no leaf";
}

TEST(PointOctree, PointOnACentrePlaneGoesUpperAndWithinTheMarginAlsoLower) {
  // Box [0, 2]^3 (padded symmetrically), so every centre coordinate is 1.
  std::vector<double> xyz = SpreadPoints(6000, 3);
  const int on_plane = 0, just_below = 1, clear_above = 2;
  xyz[3 * on_plane + 0] = 1.0;
  xyz[3 * just_below + 0] = 1.0 - 0.5e-6;
  xyz[3 * clear_above + 0] = 1.0 + 3e-6;
  for (int p : {on_plane, just_below, clear_above}) {
    xyz[3 * p + 1] = 0.5;
    xyz[3 * p + 2] = 0.5;
  }
  xyz[3 * 3 + 0] = 0.0, xyz[3 * 3 + 1] = 0.0, xyz[3 * 3 + 2] = 0.0;
  xyz[3 * 4 + 0] = 2.0, xyz[3 * 4 + 1] = 2.0, xyz[3 * 4 + 2] = 2.0;
  PointOctree tree;
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), 6000), 1);
  const OctreeNode& root = tree.nodes[0];
  ASSERT_DOUBLE_EQ(root.cx, 1.0);
  const int lower = root.children[0], upper = root.children[1];
  ASSERT_GE(lower, 0);
  ASSERT_GE(upper, 0);
  // About 750 points each: both children are leaves and keep their lists.
  ASSERT_LE(tree.nodes[upper].points.size(), static_cast<size_t>(kOctreeLeafLimit));
  EXPECT_TRUE(LeafHas(tree, upper, on_plane));
  EXPECT_TRUE(LeafHas(tree, lower, on_plane));
  EXPECT_TRUE(LeafHas(tree, upper, just_below));
  EXPECT_TRUE(LeafHas(tree, lower, just_below));
  EXPECT_TRUE(LeafHas(tree, upper, clear_above));
  EXPECT_FALSE(LeafHas(tree, lower, clear_above));
  // No other child of the root has them (y and z are far from the planes).
  for (int k = 2; k < 8; ++k) EXPECT_FALSE(LeafHas(tree, root.children[k], on_plane));
}

TEST(PointOctree, NonFiniteInputIsRefusedAndLeavesNoTree) {
  std::vector<double> xyz = SpreadPoints(6000, 4);
  PointOctree tree;
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), 6000), 1);
  xyz[3 * 4711 + 1] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(OctreeBuildOverPoints(tree, xyz.data(), 6000), 0);
  EXPECT_TRUE(tree.nodes.empty());
  EXPECT_TRUE(tree.leaves.empty());
  xyz[3 * 4711 + 1] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(OctreeBuildOverPoints(tree, xyz.data(), 6000), 0);

  const double lo[3] = {0, 0, 0}, hi[3] = {1, 1, 1}, inverted[3] = {-1, 1, 1};
  const double one[3] = {0.5, 0.5, 0.5};
  EXPECT_EQ(OctreeBuild(tree, lo, hi, one, 1), 1);
  EXPECT_EQ(OctreeBuild(tree, lo, inverted, one, 1), 0);
  EXPECT_EQ(OctreeBuild(tree, lo, hi, one, -1), 0);
  EXPECT_EQ(OctreeBuild(tree, lo, hi, nullptr, 1), 0);
  EXPECT_EQ(OctreeBuild(tree, lo, hi, one, 1, std::nan("")), 0);
}

TEST(PointOctree, CoincidentCrowdsEndSplittingInsteadOfRunningAway) {
  // 6000 copies of one point cannot be separated: without a stop every split
  // would hand all of them to all eight children for ever.
  std::vector<double> xyz(3 * 6000, 0.25);
  PointOctree tree;
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), 6000), 1);
  ASSERT_EQ(tree.leaves.size(), 1u);
  EXPECT_EQ(tree.nodes[tree.leaves[0]].points.size(), 6000u);
  // The crowd's neighbours, one point at a time.
  OctreeLeafIndex index;
  std::vector<int> later;
  OctreeIndexLeaf(tree, 0, xyz.data(), index);
  OctreeLaterNeighbours(index, xyz.data(), 0, 1e-6, later);
  EXPECT_EQ(later.size(), 5999u);
  EXPECT_TRUE(std::is_sorted(later.begin(), later.end()));
  OctreeLaterNeighbours(index, xyz.data(), 4000, 1e-6, later);
  EXPECT_EQ(later.size(), 1999u);
  EXPECT_EQ(later.front(), 4001);
  OctreeLaterNeighbours(index, xyz.data(), 6000, 1e-6, later);  // past the list
  EXPECT_TRUE(later.empty());
  OctreeIndexLeaf(tree, 1, xyz.data(), index);  // no such leaf
  EXPECT_TRUE(index.list->empty());

  // A crowd of 6000 in a corner of a large spread still ends, and every point is kept.
  std::vector<double> mixed = SpreadPoints(12000, 5);
  for (int i = 0; i < 6000; ++i) mixed[3 * i] = mixed[3 * i + 1] = mixed[3 * i + 2] = 0.1;
  ASSERT_EQ(OctreeBuildOverPoints(tree, mixed.data(), 12000), 1);
  std::set<int> seen;
  for (int leaf : tree.leaves) seen.insert(tree.nodes[leaf].points.begin(), tree.nodes[leaf].points.end());
  EXPECT_EQ(seen.size(), 12000u);
}

TEST(PointOctree, FlatModelsAreNotCopiedIntoBothHalvesOfTheirThinAxis) {
  // A plate of 200 x 200 points in z = 0: the z extent is only the padding.
  std::vector<double> xyz;
  for (int i = 0; i < 200; ++i)
    for (int j = 0; j < 200; ++j) xyz.insert(xyz.end(), {i * 0.001, j * 0.001, 0.0});
  PointOctree tree;
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), 40000), 1);
  size_t copies = 0;
  for (int leaf : tree.leaves) {
    copies += tree.nodes[leaf].points.size();
    EXPECT_LE(tree.nodes[leaf].points.size(), static_cast<size_t>(kOctreeLeafLimit));
  }
  // Only points on the x and y dividing planes are copied.
  EXPECT_LT(copies, 42000u);
  EXPECT_GE(copies, 40000u);
}

TEST(PointOctree, LeafNeighboursMatchTheDoubleLoopAndCloseNeighboursAlwaysMeet) {
  // Points on a coarse lattice with partners placed within 1e-6 of them, many
  // of them right on the dividing planes of the root (x, y or z equal to 1).
  const int base = 9000;
  std::vector<double> xyz;
  std::mt19937 rng(6);
  std::uniform_int_distribution<int> cell(0, 20);
  std::uniform_real_distribution<double> jitter(-0.6e-6, 0.6e-6);
  for (int i = 0; i < base; ++i) {
    double p[3] = {cell(rng) * 0.1, cell(rng) * 0.1, cell(rng) * 0.1};
    xyz.insert(xyz.end(), p, p + 3);
  }
  for (int i = 0; i < base; i += 3) {
    xyz.push_back(xyz[3 * i] + jitter(rng));
    xyz.push_back(xyz[3 * i + 1] + jitter(rng));
    xyz.push_back(xyz[3 * i + 2] + jitter(rng));
  }
  const int count = static_cast<int>(xyz.size() / 3);
  PointOctree tree;
  ASSERT_EQ(OctreeBuildOverPoints(tree, xyz.data(), count), 1);
  ASSERT_GT(tree.leaves.size(), 1u);

  const double tol = 1e-6;
  std::set<std::pair<int, int>> found;
  OctreeLeafIndex index;
  std::vector<int> later;
  for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    OctreeIndexLeaf(tree, leaf, xyz.data(), index);
    std::vector<std::pair<int, int>> pairs;
    for (size_t k = 0; k < index.list->size(); ++k) {
      OctreeLaterNeighbours(index, xyz.data(), k, tol, later);
      for (int b : later) pairs.push_back({(*index.list)[k], b});
    }
    // Brute force over the same leaf, in double-loop order.
    std::vector<std::pair<int, int>> expected;
    const auto& list = tree.nodes[tree.leaves[leaf]].points;
    for (size_t i = 0; i < list.size(); ++i)
      for (size_t j = i + 1; j < list.size(); ++j) {
        const double* p = &xyz[3 * list[i]];
        const double* q = &xyz[3 * list[j]];
        const double d = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                                   (p[2] - q[2]) * (p[2] - q[2]));
        if (d < tol) expected.push_back({list[i], list[j]});
      }
    ASSERT_EQ(pairs, expected) << "leaf " << leaf;
    found.insert(pairs.begin(), pairs.end());
  }
  // Every partner (within sqrt(3) * 0.6e-6 < 1.1e-6 ... but only those under
  // 1e-6 count) meets its original in some leaf.
  for (int i = 0, k = base; i < base; i += 3, ++k) {
    const double* p = &xyz[3 * i];
    const double* q = &xyz[3 * k];
    const double d = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                               (p[2] - q[2]) * (p[2] - q[2]));
    if (d < tol) {
      EXPECT_TRUE(found.count({i, k})) << "pair " << i << "," << k;
    }
  }
}

}  // namespace
}  // namespace kv
