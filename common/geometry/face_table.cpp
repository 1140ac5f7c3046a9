#include "common/geometry/face_table.h"

#include "common/geometry/element_geometry.h"

namespace kv {

namespace {

bool ValidNode(const MeshModel& model, int n) { return n >= 0 && static_cast<size_t>(n) < model.nodes.size(); }

// Appends the face (a, b, c) of element `owner` and records it in the element.
void AddFace(MeshModel& model, int owner, int a, int b, int c) {
  const Node& p1 = model.nodes[static_cast<size_t>(a)];
  const Node& p2 = model.nodes[static_cast<size_t>(b)];
  const Node& p3 = model.nodes[static_cast<size_t>(c)];
  FaceRecord face;
  face.shape = kTriangle;
  face.node_count = 3;
  face.nodes[0] = a, face.nodes[1] = b, face.nodes[2] = c, face.nodes[3] = 0;
  face.element = owner;
  const Vec3 corners[3] = {ToVec3(p1), ToVec3(p2), ToVec3(p3)};
  const Vec3 centroid = MeanPoint(corners, 3);
  face.centroid[0] = float(centroid.x), face.centroid[1] = float(centroid.y), face.centroid[2] = float(centroid.z);
  face.partner = -1;
  TriangleNormal(p1, p2, p3, face.normal);
  face.area = float(TriangleArea(p1, p2, p3));
  Element& element = model.elements[static_cast<size_t>(owner)];
  element.facets[element.facet_count++] = static_cast<int>(model.faces.size());
  model.faces.push_back(face);
}

}  // namespace

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
      if (!ValidNode(model, n[0]) || !ValidNode(model, n[1]) || !ValidNode(model, n[2]) || !ValidNode(model, n[3]))
        continue;
      for (const auto& f : kTetrahedronFaces) AddFace(model, owner, n[f[0]], n[f[1]], n[f[2]]);
    }
  }
  model.faces.shrink_to_fit();
}

}  // namespace kv
