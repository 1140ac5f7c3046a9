#include "mesh/engine/mesh_repair.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/geometry/element_geometry.h"
#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"
#include "common/octree/point_octree.h"

namespace kv {
namespace {

constexpr double kCoincidence = 1e-6;       // m, element centroids closer than this coincide
constexpr double kVolumeFloor = 1e-30;      // m^3, solids below it are degenerate

bool ValidNode(const MeshModel& model, int n) {
  return n >= 0 && static_cast<size_t>(n) < model.nodes.size();
}

// Node count an element's list is used to (its own count, limited to 0..8).
int UsedNodeCount(const Element& e) {
  return e.node_count < 0 ? 0 : std::min(e.node_count, kMaxElementNodes);
}

// Moves nodes a and b to their midpoint, each coordinate the mean of the two.
void MoveToMidpoint(MeshModel& model, int a, int b) {
  Node& p = model.nodes[static_cast<size_t>(a)];
  Node& q = model.nodes[static_cast<size_t>(b)];
  const Node mid{float(0.5 * (double(p.x) + q.x)), float(0.5 * (double(p.y) + q.y)),
                 float(0.5 * (double(p.z) + q.z))};
  p = mid;
  q = mid;
}

// True when the element's list names a node outside the table or one node
// twice, or its count does not fit its type.
bool BadNodeList(const MeshModel& model, const Element& e) {
  const int expected = ElementTypeNodeCount(e.type);
  if (e.node_count < 0 || e.node_count > kMaxElementNodes) return true;
  if (expected > 0 && e.node_count != expected) return true;
  for (int i = 0; i < e.node_count; ++i) {
    if (!ValidNode(model, e.nodes[i])) return true;
    for (int j = 0; j < i; ++j)
      if (e.nodes[j] == e.nodes[i]) return true;
  }
  return false;
}

}  // namespace

int MergeCoincidentNodes(MeshModel& model, double distance, int& nodes_removed, int& elements_removed) {
  nodes_removed = 0;
  elements_removed = 0;
  if (!std::isfinite(distance)) return 0;
  const size_t old_count = model.nodes.size();
  if (old_count == 0) return 1;

  // 1. Octree over the node coordinates, the box their bounding box; the
  //    straddle margin covers the merge distance.
  std::vector<double> xyz(3 * old_count);
  for (size_t i = 0; i < old_count; ++i) {
    xyz[3 * i] = model.nodes[i].x;
    xyz[3 * i + 1] = model.nodes[i].y;
    xyz[3 * i + 2] = model.nodes[i].z;
  }
  PointOctree tree;
  if (OctreeBuildOverPoints(tree, xyz.data(), static_cast<int>(old_count),
                            std::max(kOctreeMargin, distance)) != 1)
    return 0;

  // 2. map(i) = i; for each leaf pair a < b with |pa - pb| < distance and b
  //    not yet mapped: map(b) = a.
  std::vector<int> target(old_count);
  for (size_t i = 0; i < old_count; ++i) target[i] = static_cast<int>(i);
  OctreeLeafIndex index;
  std::vector<int> later;
  for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    OctreeIndexLeaf(tree, leaf, xyz.data(), index);
    for (size_t k = 0; k < index.list->size(); ++k) {
      const int a = (*index.list)[k];
      OctreeLaterNeighbours(index, xyz.data(), k, distance, later);
      for (int b : later)
        if (target[static_cast<size_t>(b)] == b) target[static_cast<size_t>(b)] = a;
    }
  }
  OctreeRelease(tree);

  // 3. Element node indices take their map targets.
  for (Element& e : model.elements)
    for (int i = 0; i < UsedNodeCount(e); ++i)
      if (ValidNode(model, e.nodes[i])) e.nodes[i] = target[static_cast<size_t>(e.nodes[i])];

  // 4. Keep the referenced nodes in their old order: renumber(i) = rank among them.
  std::vector<int> renumber(old_count, -1);
  for (const Element& e : model.elements)
    for (int i = 0; i < UsedNodeCount(e); ++i)
      if (ValidNode(model, e.nodes[i])) renumber[static_cast<size_t>(e.nodes[i])] = 0;
  int kept = 0;
  for (size_t i = 0; i < old_count; ++i) {
    if (renumber[i] < 0) continue;
    model.nodes[static_cast<size_t>(kept)] = model.nodes[i];
    renumber[i] = kept++;
  }
  // Indices that were outside the table stay outside it (-1) and the element
  // is dropped with the degenerate ones.
  auto remap = [&](int& n) { n = ValidNode(model, n) ? renumber[static_cast<size_t>(n)] : -1; };
  for (Element& e : model.elements)
    for (int i = 0; i < UsedNodeCount(e); ++i) remap(e.nodes[i]);
  for (FaceRecord& f : model.faces)
    for (int k = 0; k < std::clamp(f.node_count, 0, 4); ++k) remap(f.nodes[k]);
  model.nodes.resize(static_cast<size_t>(kept));
  model.nodes.shrink_to_fit();

  // 5. Counts: nodes merged or unused, then the degenerate elements.
  nodes_removed = static_cast<int>(old_count) - kept;
  const int removed = RemoveDegenerateElements(model);
  elements_removed = removed > 0 ? removed : 0;
  return 1;
}

int RemoveDegenerateElements(MeshModel& model) {
  const size_t count = model.elements.size();
  if (count == 0) return 0;

  // Centroids of the current coordinates (the mean of each element's nodes).
  ComputeCentroids(model);
  std::vector<double> xyz(3 * count);
  for (size_t i = 0; i < count; ++i)
    for (int k = 0; k < 3; ++k) xyz[3 * i + k] = model.elements[i].centroid[k];
  PointOctree tree;
  if (OctreeBuildOverPoints(tree, xyz.data(), static_cast<int>(count)) != 1) return -1;

  // 1. Of two coincident elements (centroids closer than 1e-6), both unmarked,
  //    the earlier is marked: the later one survives.
  std::vector<char> marked(count, 0);
  OctreeLeafIndex index;
  std::vector<int> later;
  for (size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    OctreeIndexLeaf(tree, leaf, xyz.data(), index);
    for (size_t k = 0; k < index.list->size(); ++k) {
      const size_t a = static_cast<size_t>((*index.list)[k]);
      OctreeLaterNeighbours(index, xyz.data(), k, kCoincidence, later);
      for (int b : later)
        if (!marked[a] && !marked[static_cast<size_t>(b)]) marked[a] = 1;
    }
  }
  OctreeRelease(tree);

  for (size_t i = 0; i < count; ++i) {
    const Element& e = model.elements[i];
    // 2. Node lists outside the table or naming a node twice.
    if (BadNodeList(model, e)) marked[i] = 1;
    // 3. Solids of (absolute) volume below 1e-30.
    else if (e.type >= kTetrahedron && e.type <= kHexahedron && SolidElementVolume(model, e) < kVolumeFloor)
      marked[i] = 1;
  }

  // 4. Copy the survivors densely; old-to-new map for the paired indices.
  std::vector<int> renumber(count, -1);
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    if (marked[i]) continue;
    renumber[i] = static_cast<int>(kept);
    model.elements[kept++] = model.elements[i];
  }
  model.elements.resize(kept);
  for (Element& e : model.elements)
    e.paired = (e.paired >= 0 && static_cast<size_t>(e.paired) < count) ? renumber[static_cast<size_t>(e.paired)] : -1;

  // 5. Centroids, face records and face pairs of the survivors.
  ComputeCentroids(model);
  BuildFaceRecords(model);
  PairCoincidentFaces(model);
  return static_cast<int>(count - kept);
}

AspectMeasure ElementAspectMeasure(const MeshModel& model, int element) {
  AspectMeasure m;
  if (element >= 0 && static_cast<size_t>(element) < model.elements.size()) {
    const Element& e = model.elements[static_cast<size_t>(element)];
    for (int k = 0; k < std::clamp(e.facet_count, 0, kMaxElementFacets); ++k) {
      const int f = e.facets[k];
      if (f < 0 || static_cast<size_t>(f) >= model.faces.size()) continue;
      const FaceRecord& face = model.faces[static_cast<size_t>(f)];
      const int n = std::clamp(face.node_count, 0, 4);
      // Edges (v_j, v_j+1) of the face, the last vertex joined to the first.
      for (int j = 0; j < n; ++j) {
        const int a = face.nodes[j], b = face.nodes[(j + 1) % n];
        if (!ValidNode(model, a) || !ValidNode(model, b)) continue;
        const double length = PointDistance(model.nodes[static_cast<size_t>(a)], model.nodes[static_cast<size_t>(b)]);
        if (length < m.shortest) {
          m.shortest = length;
          m.shortest_nodes[0] = a, m.shortest_nodes[1] = b;
          m.shortest_face = f, m.shortest_position = j;
        }
        if (length > m.longest) {
          m.longest = length;
          m.longest_nodes[0] = a, m.longest_nodes[1] = b;
          m.longest_face = f, m.longest_position = j;
        }
      }
    }
  }
  m.measure = 1.0 - m.shortest / m.longest;
  return m;
}

void ContractElements(MeshModel& model, double threshold) {
  if (model.elements.empty()) return;

  // 1. Slivers: both ends of the shortest edge move to its midpoint.
  for (size_t i = 0; i < model.elements.size(); ++i) {
    const AspectMeasure m = ElementAspectMeasure(model, static_cast<int>(i));
    if (m.measure > threshold && ValidNode(model, m.shortest_nodes[0]) && ValidNode(model, m.shortest_nodes[1]))
      MoveToMidpoint(model, m.shortest_nodes[0], m.shortest_nodes[1]);
  }

  // 2. uses(n) = number of elements other than connector beams using node n.
  //    Connectors are beams of category Connector; surface and solid elements
  //    that carry category 0 only because they have no property yet (meshes
  //    from outside formats) are part of the model, not connectors.
  auto connector = [](const Element& e) { return e.category == kConnector && e.type == kBeam; };
  std::vector<int> uses(model.nodes.size(), 0);
  for (const Element& e : model.elements) {
    if (connector(e)) continue;
    for (int i = 0; i < UsedNodeCount(e); ++i)
      if (ValidNode(model, e.nodes[i])) ++uses[static_cast<size_t>(e.nodes[i])];
  }

  // 3. Connectors touching nothing else collapse onto their midpoint.
  for (const Element& e : model.elements) {
    if (!connector(e) || e.node_count < 2) continue;
    const int a = e.nodes[0], b = e.nodes[1];
    if (!ValidNode(model, a) || !ValidNode(model, b)) continue;
    if (uses[static_cast<size_t>(a)] == 0 && uses[static_cast<size_t>(b)] == 0) MoveToMidpoint(model, a, b);
  }

  // 4. Centroids of the moved elements.
  ComputeCentroids(model);
}

void ApplyMinimumThickness(MeshModel& model, double thickness) {
  // 1. Properties at most as thick as the minimum take it.
  for (ElementProperty& p : model.properties)
    if (p.thickness <= thickness) p.thickness = float(thickness);
  // 2. Elements take their property's thickness.
  for (Element& e : model.elements)
    if (e.property >= 0 && static_cast<size_t>(e.property) < model.properties.size())
      e.thickness = model.properties[static_cast<size_t>(e.property)].thickness;
}

}  // namespace kv
