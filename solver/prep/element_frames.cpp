#include "solver/prep/element_frames.h"

#include <cmath>

namespace kv {

void NodeDifference(const MeshModel& mesh, int from, int to, double d[3]) {
  const Node& a = mesh.nodes[from];
  const Node& b = mesh.nodes[to];
  d[0] = static_cast<double>(b.x) - a.x;
  d[1] = static_cast<double>(b.y) - a.y;
  d[2] = static_cast<double>(b.z) - a.z;
}

bool TriangleFrame(const MeshModel& mesh, const Element& element, double e1[3], double e2[3]) {
  double a[3], b[3];
  NodeDifference(mesh, element.nodes[0], element.nodes[1], a);
  NodeDifference(mesh, element.nodes[0], element.nodes[2], b);
  const double la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  if (!(la > 0)) return false;
  for (int c = 0; c < 3; ++c) e1[c] = a[c] / la;
  // e2 = the part of (node 3 - node 1) orthogonal to e1, normalised.
  const double along = b[0] * e1[0] + b[1] * e1[1] + b[2] * e1[2];
  for (int c = 0; c < 3; ++c) e2[c] = b[c] - along * e1[c];
  const double l2 = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
  if (!(l2 > 0)) return false;
  for (int c = 0; c < 3; ++c) e2[c] /= l2;
  return true;
}

void TetrahedronGradients(const MeshModel& mesh, const Element& element, double g[4][3],
                          double* volume) {
  double x[4][3];
  for (int i = 0; i < 4; ++i) {
    const Node& n = mesh.nodes[element.nodes[i]];
    x[i][0] = n.x; x[i][1] = n.y; x[i][2] = n.z;
  }
  double a[3], b[3], c[3];
  for (int k = 0; k < 3; ++k) {
    a[k] = x[1][k] - x[0][k]; b[k] = x[2][k] - x[0][k]; c[k] = x[3][k] - x[0][k];
  }
  // 6V = a . (b x c); g_1..g_3 are the cross products of the other two edges,
  // g_0 = -(g_1 + g_2 + g_3) since the shape functions sum to 1.
  const double bxc[3] = {b[1] * c[2] - b[2] * c[1], b[2] * c[0] - b[0] * c[2], b[0] * c[1] - b[1] * c[0]};
  const double cxa[3] = {c[1] * a[2] - c[2] * a[1], c[2] * a[0] - c[0] * a[2], c[0] * a[1] - c[1] * a[0]};
  const double axb[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  const double six_v = a[0] * bxc[0] + a[1] * bxc[1] + a[2] * bxc[2];
  for (int k = 0; k < 3; ++k) {
    g[1][k] = bxc[k];
    g[2][k] = cxa[k];
    g[3][k] = axb[k];
    g[0][k] = -(bxc[k] + cxa[k] + axb[k]);
  }
  *volume = six_v / 6.0;
}

}  // namespace kv
