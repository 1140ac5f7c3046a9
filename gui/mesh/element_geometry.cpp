#include "gui/mesh/element_geometry.h"

#include <cmath>

namespace kv {
namespace {

struct V3 {
  double x, y, z;
};

V3 Sub(const Node& a, const Node& b) {
  return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
}

V3 Cross(const V3& a, const V3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const V3& a, const V3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

double PointDistance(const Node& a, const Node& b) {
  const V3 d = Sub(b, a);
  return std::sqrt(Dot(d, d));
}

double TriangleNormal(const Node& p1, const Node& p2, const Node& p3, float normal[3]) {
  // n = (p3 - p1) x (p2 - p1), |n| = twice the area.
  const V3 n = Cross(Sub(p3, p1), Sub(p2, p1));
  const double length = std::sqrt(Dot(n, n));
  if (length < 1e-12) {
    normal[0] = 1, normal[1] = 0, normal[2] = 0;
  } else {
    normal[0] = float(n.x / length), normal[1] = float(n.y / length), normal[2] = float(n.z / length);
  }
  return length;
}

double TriangleArea(const Node& p1, const Node& p2, const Node& p3) {
  float normal[3];
  TriangleNormal(p1, p2, p3, normal);
  // A = |n . ((p2 - p1) x (p3 - p1))| / 2 with n the unit normal.
  const V3 s = Cross(Sub(p2, p1), Sub(p3, p1));
  return 0.5 * std::fabs(normal[0] * s.x + normal[1] * s.y + normal[2] * s.z);
}

double TetrahedronVolume(const Node& p1, const Node& p2, const Node& p3, const Node& p4) {
  // V = |(p2 - p1) . ((p3 - p1) x (p4 - p1))| / 6.
  return std::fabs(Dot(Sub(p2, p1), Cross(Sub(p3, p1), Sub(p4, p1)))) / 6.0;
}

double PyramidVolume(const Node p[5]) {
  return TetrahedronVolume(p[0], p[1], p[3], p[4]) + TetrahedronVolume(p[1], p[2], p[3], p[4]);
}

double PrismVolume(const Node p[6]) {
  const double sum = TetrahedronVolume(p[0], p[1], p[2], p[5]) + TetrahedronVolume(p[1], p[3], p[4], p[5]) +
                     TetrahedronVolume(p[0], p[1], p[3], p[5]) + TetrahedronVolume(p[0], p[1], p[2], p[3]) +
                     TetrahedronVolume(p[1], p[3], p[4], p[2]) + TetrahedronVolume(p[3], p[4], p[5], p[2]);
  return 0.5 * sum;
}

double HexahedronVolume(const Node p[8]) {
  // c = (sum of the eight nodes) * 0.125.
  double cx = 0, cy = 0, cz = 0;
  for (int i = 0; i < 8; ++i) cx += p[i].x, cy += p[i].y, cz += p[i].z;
  const Node c{float(cx * 0.125), float(cy * 0.125), float(cz * 0.125)};
  // V = sum over the six faces (a b c d) of vol(c, a, b, c') + vol(c, a, c', d).
  static constexpr int kFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                       {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  double volume = 0;
  for (const auto& f : kFaces) {
    volume += TetrahedronVolume(c, p[f[0]], p[f[1]], p[f[2]]);
    volume += TetrahedronVolume(c, p[f[0]], p[f[2]], p[f[3]]);
  }
  return volume;
}

bool GatherElementNodes(const MeshModel& model, const Element& element, Node p[kMaxElementNodes]) {
  if (element.node_count < 0 || element.node_count > kMaxElementNodes) return false;
  for (int i = 0; i < element.node_count; ++i) {
    const int n = element.nodes[i];
    if (n < 0 || static_cast<size_t>(n) >= model.nodes.size()) return false;
    p[i] = model.nodes[static_cast<size_t>(n)];
  }
  return true;
}

double SolidElementVolume(const MeshModel& model, const Element& element) {
  Node p[kMaxElementNodes];
  if (element.type < kTetrahedron || element.type > kHexahedron) return 0;
  if (element.node_count != ElementTypeNodeCount(element.type)) return 0;
  if (!GatherElementNodes(model, element, p)) return 0;
  switch (element.type) {
    case kTetrahedron: return TetrahedronVolume(p[0], p[1], p[2], p[3]);
    case kPyramid: return PyramidVolume(p);
    case kPrism: return PrismVolume(p);
    default: return HexahedronVolume(p);
  }
}

}  // namespace kv
