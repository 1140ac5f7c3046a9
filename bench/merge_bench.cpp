// Coincidence searches on stitched plates: times OctreeBuild, the leaf search
// of MergeCoincidentNodes, the whole merge and PairCoincidentFaces, and
// compares the octree search with a plain hash-grid search of the same pairs.
//
//   bench_merge [CELLS ...] [--quadratic]
// CELLS: cells per side of the plate (default 315 and 1000: about 100k and
// 1M nodes). --quadratic also times the double loop over every leaf, the
// search as a plain reading of the algorithm would do it.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/geometry/element_geometry.h"
#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"
#include "common/octree/point_octree.h"
#include "mesh/engine/mesh_repair.h"
#include "mesh/engine/rebuild.h"
#include "mesh/engine/tests/patch_plate.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<double> NodeCoordinates(const kv::MeshModel& m) {
  std::vector<double> xyz(3 * m.nodes.size());
  for (size_t i = 0; i < m.nodes.size(); ++i) {
    xyz[3 * i] = m.nodes[i].x;
    xyz[3 * i + 1] = m.nodes[i].y;
    xyz[3 * i + 2] = m.nodes[i].z;
  }
  return xyz;
}

// Reference: a hash grid of cells of side 4 * distance; every point looks in
// the cells that its box +- distance touches (1 to 8) for earlier points
// closer than `distance` and maps to the first one (the lowest index).
// Returns the number mapped.
int HashGridMerge(const std::vector<double>& xyz, double distance, std::vector<int>& target) {
  const size_t n = xyz.size() / 3;
  const double side = 4 * distance;
  auto cell = [&](double v) { return static_cast<int64_t>(std::floor(v / side)); };
  auto key = [](int64_t i, int64_t j, int64_t k) {
    return (static_cast<uint64_t>(i) * 73856093u) ^ (static_cast<uint64_t>(j) * 19349663u) ^
           (static_cast<uint64_t>(k) * 83492791u);
  };
  std::unordered_map<uint64_t, int> head;
  head.reserve(n);
  std::vector<int> next(n, -1);
  target.assign(n, 0);
  int mapped = 0;
  for (size_t p = 0; p < n; ++p) {
    const double* v = &xyz[3 * p];
    target[p] = static_cast<int>(p);
    // Earlier points in the touched cells (hash collisions are checked by distance).
    for (int64_t i = cell(v[0] - distance); i <= cell(v[0] + distance); ++i)
      for (int64_t j = cell(v[1] - distance); j <= cell(v[1] + distance); ++j)
        for (int64_t k = cell(v[2] - distance); k <= cell(v[2] + distance); ++k) {
          auto it = head.find(key(i, j, k));
          if (it == head.end()) continue;
          for (int q = it->second; q >= 0; q = next[static_cast<size_t>(q)]) {
            const double* w = &xyz[3 * static_cast<size_t>(q)];
            const double dx = v[0] - w[0], dy = v[1] - w[1], dz = v[2] - w[2];
            if (q < target[p] && std::sqrt(dx * dx + dy * dy + dz * dz) < distance) target[p] = q;
          }
        }
    if (target[p] != static_cast<int>(p)) ++mapped;
    int& h = head.try_emplace(key(cell(v[0]), cell(v[1]), cell(v[2])), -1).first->second;
    next[p] = h;
    h = static_cast<int>(p);
  }
  return mapped;
}

// Reference for face pairing: the same hash grid over face centroids, pairing
// each unpaired face with the first unpaired earlier one in reach.
int HashGridPairs(const kv::MeshModel& m) {
  std::vector<double> xyz(3 * m.faces.size());
  for (size_t f = 0; f < m.faces.size(); ++f)
    for (int a = 0; a < 3; ++a) xyz[3 * f + a] = m.faces[f].centroid[a];
  std::vector<int> target;
  HashGridMerge(xyz, 1e-6, target);
  int pairs = 0;
  std::vector<char> used(m.faces.size(), 0);
  for (size_t f = 0; f < target.size(); ++f) {
    const size_t t = static_cast<size_t>(target[f]);
    if (t != f && !used[t] && !used[f]) used[t] = used[f] = 1, ++pairs;
  }
  return pairs;
}

void Run(int cells, bool quadratic) {
  const double distance = 1e-6;  // m, exact duplicates
  kv::MeshModel model = kv::test::PatchPlate(cells, 8, 1.0f);
  const size_t nodes = model.nodes.size();
  const int unique = (cells + 1) * (cells + 1);
  std::printf("\nPlate of %d x %d cells in 8 x 8 patches: %zu nodes (%d unique), %zu triangles\n", cells, cells,
              nodes, unique, model.elements.size());

  // Octree path, step by step: build, then the leaf search of the merge.
  std::vector<double> xyz = NodeCoordinates(model);
  kv::PointOctree tree;
  Clock::time_point t0 = Clock::now();
  if (kv::OctreeBuildOverPoints(tree, xyz.data(), static_cast<int>(nodes)) != 1) std::abort();
  const double build = Seconds(t0);
  size_t largest = 0, entries = 0;
  double comparisons = 0;
  for (int leaf : tree.leaves) {
    const size_t n = tree.nodes[static_cast<size_t>(leaf)].points.size();
    largest = std::max(largest, n);
    entries += n;
    comparisons += 0.5 * double(n) * double(n - 1);
  }
  t0 = Clock::now();
  std::vector<int> target(nodes);
  for (size_t i = 0; i < nodes; ++i) target[i] = static_cast<int>(i);
  kv::OctreeLeafIndex index;
  std::vector<int> later;
  int mapped = 0;
  for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    kv::OctreeIndexLeaf(tree, leaf, xyz.data(), index);
    for (size_t k = 0; k < index.list->size(); ++k) {
      OctreeLaterNeighbours(index, xyz.data(), k, distance, later);
      for (int b : later)
        if (target[static_cast<size_t>(b)] == b) target[static_cast<size_t>(b)] = (*index.list)[k], ++mapped;
    }
  }
  const double search = Seconds(t0);

  double naive = -1;
  if (quadratic) {
    // The double loop over every leaf list, as the algorithm reads.
    t0 = Clock::now();
    int naive_mapped = 0;
    std::vector<int> naive_target(nodes);
    for (size_t i = 0; i < nodes; ++i) naive_target[i] = static_cast<int>(i);
    for (int leaf : tree.leaves) {
      const std::vector<int>& list = tree.nodes[static_cast<size_t>(leaf)].points;
      for (size_t i = 0; i < list.size(); ++i)
        for (size_t j = i + 1; j < list.size(); ++j) {
          const double* p = &xyz[3 * static_cast<size_t>(list[i])];
          const double* q = &xyz[3 * static_cast<size_t>(list[j])];
          const double d = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                                     (p[2] - q[2]) * (p[2] - q[2]));
          if (d < distance && naive_target[static_cast<size_t>(list[j])] == list[j])
            naive_target[static_cast<size_t>(list[j])] = list[i], ++naive_mapped;
        }
    }
    naive = Seconds(t0);
    if (naive_mapped != mapped) std::printf("  quadratic search mapped %d, sweep %d: MISMATCH\n", naive_mapped, mapped);
  }
  const size_t leaves = tree.leaves.size();
  kv::OctreeRelease(tree);

  // Reference: hash grid.
  t0 = Clock::now();
  std::vector<int> reference;
  const int reference_mapped = HashGridMerge(xyz, distance, reference);
  const double grid = Seconds(t0);

  // The whole merge (map, renumbering, degenerate elements with their own
  // octree, face records and pairing) and face pairing alone.
  kv::RebuildAfterRead(model);
  int nodes_removed = 0, elements_removed = 0;
  t0 = Clock::now();
  kv::MergeCoincidentNodes(model, distance, nodes_removed, elements_removed);
  const double merge = Seconds(t0);
  // Pairing: every triangle given a twin (a shell read twice), so each face
  // has exactly one coincident partner.
  const size_t triangles = model.elements.size();
  for (size_t e = 0; e < triangles; ++e) model.elements.push_back(model.elements[e]);
  kv::ComputeCentroids(model);
  kv::BuildFaceRecords(model);
  t0 = Clock::now();
  kv::PairCoincidentFaces(model);
  const double pair = Seconds(t0);
  int paired = 0;
  for (const kv::FaceRecord& f : model.faces) paired += f.partner >= 0;
  t0 = Clock::now();
  const int reference_pairs = HashGridPairs(model);
  const double grid_pairs = Seconds(t0);

  std::printf("  leaves %zu, largest leaf %zu points, %zu entries (%.3f per node), %.3g pair comparisons in a double loop\n",
              leaves, largest, entries, double(entries) / double(nodes),
              comparisons);
  std::printf("  OctreeBuild                    %8.3f s\n", build);
  std::printf("  leaf search (axis sweep)       %8.3f s   %d nodes mapped\n", search, mapped);
  if (naive >= 0) std::printf("  leaf search (double loop)      %8.3f s\n", naive);
  std::printf("  hash-grid reference            %8.3f s   %d nodes mapped\n", grid, reference_mapped);
  std::printf("  ratio octree (build + search) / reference: %.2f\n", (build + search) / grid);
  if (naive >= 0) std::printf("  ratio octree (build + double loop) / reference: %.2f\n", (build + naive) / grid);
  std::printf("  MergeCoincidentNodes           %8.3f s   %d nodes, %d elements removed (%d expected nodes)\n", merge,
              nodes_removed, elements_removed, static_cast<int>(nodes) - unique);
  std::printf("  PairCoincidentFaces            %8.3f s   %zu faces, %d paired\n", pair, model.faces.size(), paired);
  std::printf("  hash-grid pairing reference    %8.3f s   %d pairs; ratio %.2f\n", grid_pairs, reference_pairs,
              pair / grid_pairs);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  bool quadratic = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quadratic") == 0) quadratic = true;
    else sizes.push_back(std::atoi(argv[i]));
  }
  if (sizes.empty()) sizes = {315, 1000};
  for (int cells : sizes)
    if (cells > 0) Run(cells, quadratic);
  return 0;
}
