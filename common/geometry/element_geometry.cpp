#include "common/geometry/element_geometry.h"

#include <cmath>

#include "common/geometry/face_table.h"

namespace kv {

namespace {

bool ValidNode(const MeshModel& model, int n) { return n >= 0 && static_cast<size_t>(n) < model.nodes.size(); }

}  // namespace

double PointDistance(const Node& a, const Node& b) { return Norm(Sub(b, a)); }

double TriangleNormal(const Node& p1, const Node& p2, const Node& p3, float normal[3]) {
  // n = (p3 - p1) x (p2 - p1), |n| = twice the area.
  const Vec3 n = Cross(Sub(p3, p1), Sub(p2, p1));
  const double length = Norm(n);
  if (length < 1e-12) {
    normal[0] = 1, normal[1] = 0, normal[2] = 0;
  } else {
    normal[0] = float(n.x / length), normal[1] = float(n.y / length), normal[2] = float(n.z / length);
  }
  return length;
}

double TriangleArea(const Vec3& p1, const Vec3& p2, const Vec3& p3) {
  return 0.5 * Norm(Cross(Sub(p2, p1), Sub(p3, p1)));
}

double TriangleArea(const Node& p1, const Node& p2, const Node& p3) {
  return TriangleArea(ToVec3(p1), ToVec3(p2), ToVec3(p3));
}

double DistanceToPlane(const float normal[3], const Node& on_plane, const Node& point) {
  const Vec3 d = Sub(point, on_plane);
  return std::fabs(d.x * normal[0] + d.y * normal[1] + d.z * normal[2]);
}

bool TriangleFrame(const MeshModel& mesh, const Element& element, double e1[3], double e2[3]) {
  const Node& p1 = mesh.nodes[element.nodes[0]];
  const Vec3 a = Sub(mesh.nodes[element.nodes[1]], p1);
  const Vec3 b = Sub(mesh.nodes[element.nodes[2]], p1);
  const double la = Norm(a);
  if (!(la > 0)) return false;
  e1[0] = a.x / la, e1[1] = a.y / la, e1[2] = a.z / la;
  // e2 = the part of (node 3 - node 1) orthogonal to e1, normalised.
  const double along = b.x * e1[0] + b.y * e1[1] + b.z * e1[2];
  e2[0] = b.x - along * e1[0], e2[1] = b.y - along * e1[1], e2[2] = b.z - along * e1[2];
  const double l2 = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
  if (!(l2 > 0)) return false;
  for (int c = 0; c < 3; ++c) e2[c] /= l2;
  return true;
}

double TetrahedronVolume(const Node& p1, const Node& p2, const Node& p3, const Node& p4) {
  // V = |(p2 - p1) . ((p3 - p1) x (p4 - p1))| / 6.
  return std::fabs(Dot(Sub(p2, p1), Cross(Sub(p3, p1), Sub(p4, p1)))) / 6.0;
}

void TetrahedronGradients(const MeshModel& mesh, const Element& element, double g[4][3], double* volume) {
  const Node& p1 = mesh.nodes[element.nodes[0]];
  const Vec3 a = Sub(mesh.nodes[element.nodes[1]], p1);
  const Vec3 b = Sub(mesh.nodes[element.nodes[2]], p1);
  const Vec3 c = Sub(mesh.nodes[element.nodes[3]], p1);
  // 6V = a . (b x c); g_1..g_3 are the cross products of the other two edges,
  // g_0 = -(g_1 + g_2 + g_3) since the shape functions sum to 1.
  const Vec3 bxc = Cross(b, c), cxa = Cross(c, a), axb = Cross(a, b);
  const double six_v = Dot(a, bxc);
  const double rows[3][3] = {{bxc.x, bxc.y, bxc.z}, {cxa.x, cxa.y, cxa.z}, {axb.x, axb.y, axb.z}};
  for (int k = 0; k < 3; ++k) {
    g[1][k] = rows[0][k];
    g[2][k] = rows[1][k];
    g[3][k] = rows[2][k];
    g[0][k] = -(rows[0][k] + rows[1][k] + rows[2][k]);
  }
  *volume = six_v / 6.0;
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
  double volume = 0;
  for (const auto& f : kHexahedronFaces) {
    volume += TetrahedronVolume(c, p[f[0]], p[f[1]], p[f[2]]);
    volume += TetrahedronVolume(c, p[f[0]], p[f[2]], p[f[3]]);
  }
  return volume;
}

bool GatherElementNodes(const MeshModel& model, const Element& element, Node p[kMaxElementNodes]) {
  if (element.node_count < 0 || element.node_count > kMaxElementNodes) return false;
  for (int i = 0; i < element.node_count; ++i) {
    const int n = element.nodes[i];
    if (!ValidNode(model, n)) return false;
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

Vec3 MeanPoint(const Vec3* points, int count) {
  if (count <= 0) return {};
  Vec3 sum = points[0];
  for (int i = 1; i < count; ++i) sum = sum + points[i];
  return {sum.x / count, sum.y / count, sum.z / count};
}

void ComputeCentroids(MeshModel& model) {
  for (Element& e : model.elements) {
    // The mean of the element's valid nodes.
    Vec3 p[kMaxElementNodes];
    int used = 0;
    const int count = (e.node_count < 0) ? 0 : (e.node_count > kMaxElementNodes ? kMaxElementNodes : e.node_count);
    for (int i = 0; i < count; ++i) {
      if (ValidNode(model, e.nodes[i])) p[used++] = ToVec3(model.nodes[static_cast<size_t>(e.nodes[i])]);
    }
    const Vec3 c = MeanPoint(p, used);
    e.centroid[0] = float(c.x), e.centroid[1] = float(c.y), e.centroid[2] = float(c.z);
  }
}

}  // namespace kv
