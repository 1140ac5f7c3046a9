#include "gui/mesh/face_topology.h"

#include <vector>

#include "common/octree/point_octree.h"
#include "gui/mesh/element_geometry.h"

namespace kv {
namespace {

constexpr double kCoincidence = 1e-6;  // m, centroids closer than this coincide

bool ValidNode(const MeshModel& model, int n) {
  return n >= 0 && static_cast<size_t>(n) < model.nodes.size();
}

// Appends the face (a, b, c) of element `owner` and records it in the element.
void AddFace(MeshModel& model, int owner, int a, int b, int c) {
  const Node& p1 = model.nodes[static_cast<size_t>(a)];
  const Node& p2 = model.nodes[static_cast<size_t>(b)];
  const Node& p3 = model.nodes[static_cast<size_t>(c)];
  FaceRecord face;
  face.shape = 2;
  face.node_count = 3;
  face.nodes[0] = a, face.nodes[1] = b, face.nodes[2] = c, face.nodes[3] = 0;
  face.element = owner;
  // Centroid: the mean of the three nodes.
  face.centroid[0] = float((double(p1.x) + p2.x + p3.x) / 3.0);
  face.centroid[1] = float((double(p1.y) + p2.y + p3.y) / 3.0);
  face.centroid[2] = float((double(p1.z) + p2.z + p3.z) / 3.0);
  face.partner = -1;
  TriangleNormal(p1, p2, p3, face.normal);
  face.area = float(TriangleArea(p1, p2, p3));
  Element& element = model.elements[static_cast<size_t>(owner)];
  element.facets[element.facet_count++] = static_cast<int>(model.faces.size());
  model.faces.push_back(face);
}

}  // namespace

void ComputeCentroids(MeshModel& model) {
  for (Element& e : model.elements) {
    // c = (1/n) sum of the element's node coordinates.
    double sum[3] = {0, 0, 0};
    int used = 0;
    const int count = (e.node_count < 0) ? 0 : (e.node_count > kMaxElementNodes ? kMaxElementNodes : e.node_count);
    for (int i = 0; i < count; ++i) {
      if (!ValidNode(model, e.nodes[i])) continue;
      const Node& p = model.nodes[static_cast<size_t>(e.nodes[i])];
      sum[0] += p.x, sum[1] += p.y, sum[2] += p.z;
      ++used;
    }
    for (int k = 0; k < 3; ++k) e.centroid[k] = used ? float(sum[k] / used) : 0.0f;
  }
}

void BuildFaceRecords(MeshModel& model) {
  model.faces.clear();
  model.faces.reserve(model.elements.size() * 4);
  for (size_t i = 0; i < model.elements.size(); ++i) {
    Element& e = model.elements[i];
    e.facet_count = 0;
    const int owner = static_cast<int>(i);
    const int* n = e.nodes;
    if (e.type == kTriangle && e.node_count == 3) {
      if (!ValidNode(model, n[0]) || !ValidNode(model, n[1]) || !ValidNode(model, n[2])) continue;
      AddFace(model, owner, n[0], n[1], n[2]);
    } else if (e.type == kTetrahedron && e.node_count == 4) {
      if (!ValidNode(model, n[0]) || !ValidNode(model, n[1]) || !ValidNode(model, n[2]) ||
          !ValidNode(model, n[3]))
        continue;
      // (a b c), (b d c), (c d a), (d b a): the four faces of a b c d.
      AddFace(model, owner, n[0], n[1], n[2]);
      AddFace(model, owner, n[1], n[3], n[2]);
      AddFace(model, owner, n[2], n[3], n[0]);
      AddFace(model, owner, n[3], n[1], n[0]);
    }
  }
  model.faces.shrink_to_fit();
}

int PairCoincidentFaces(MeshModel& model) {
  const size_t count = model.faces.size();
  if (count < 2) return 1;
  std::vector<double> xyz(3 * count);
  for (size_t f = 0; f < count; ++f)
    for (int k = 0; k < 3; ++k) xyz[3 * f + k] = model.faces[f].centroid[k];

  PointOctree tree;
  if (OctreeBuildOverPoints(tree, xyz.data(), static_cast<int>(count)) != 1) return 0;

  auto owner_type = [&](int f) {
    const int e = model.faces[static_cast<size_t>(f)].element;
    return (e >= 0 && static_cast<size_t>(e) < model.elements.size()) ? model.elements[static_cast<size_t>(e)].type : -1;
  };
  // Each unpaired face takes the first later face of its leaf that fits.
  std::vector<int> partner(count);
  for (size_t f = 0; f < count; ++f) partner[f] = model.faces[f].partner;
  OctreePairNeighbours(tree, xyz.data(), kCoincidence, partner, [&](int i, int j) {
    const int type = owner_type(i);
    return type >= 0 && model.faces[static_cast<size_t>(j)].node_count == model.faces[static_cast<size_t>(i)].node_count &&
           owner_type(j) == type;
  });
  for (size_t f = 0; f < count; ++f) model.faces[f].partner = partner[f];
  OctreeRelease(tree);
  return 1;
}

}  // namespace kv
