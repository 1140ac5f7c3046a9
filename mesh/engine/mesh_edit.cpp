#include "mesh/engine/mesh_edit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "common/geometry/constants.h"
#include "common/geometry/vec3.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

constexpr float kDefaultBeamDiameter = 0.002f;  // m

bool ValidNode(const MeshModel& model, int node) {
  return node >= 0 && node < static_cast<int>(model.nodes.size());
}

// True when a coordinate (m) can be stored in the node table's float.
bool FitsCoordinate(double v) { return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max(); }


}  // namespace

int AddNode(MeshModel& model, double x, double y, double z) {
  if (!FitsCoordinate(x) || !FitsCoordinate(y) || !FitsCoordinate(z)) return -1;
  model.nodes.push_back(Node{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)});
  return static_cast<int>(model.nodes.size()) - 1;
}

int CreateElement(MeshModel& model, int type, const int* nodes, int property) {
  if (type != kBeam && type != kTriangle && type != kQuadrilateral && type != kTetrahedron && type != kPrism &&
      type != kHexahedron)
    return -1;
  const int count = ElementTypeNodeCount(type);
  for (int i = 0; i < count; ++i)
    if (!ValidNode(model, nodes[i])) return -1;
  Element e;
  e.type = type;
  e.node_count = count;
  std::copy(nodes, nodes + count, e.nodes);
  if (property >= 0 && property < static_cast<int>(model.properties.size())) {
    const ElementProperty& p = model.properties[property];
    e.property = property;
    e.category = p.category;
    if (type == kTriangle || type == kQuadrilateral) e.thickness = p.thickness;
  }
  if (type == kBeam) e.diameter = kDefaultBeamDiameter;
  e.visible = 1;
  model.elements.push_back(e);
  return static_cast<int>(model.elements.size()) - 1;
}

int DeleteElements(MeshModel& model, const std::vector<int>& elements) {
  const int n = static_cast<int>(model.elements.size());
  std::vector<char> remove(n, 0);
  for (int e : elements)
    if (e >= 0 && e < n) remove[e] = 1;
  // New index of every kept element, -1 for removed ones.
  std::vector<int> renumber(n, -1);
  int kept = 0;
  for (int i = 0; i < n; ++i)
    if (!remove[i]) renumber[i] = kept++;
  std::vector<Element> out;
  out.reserve(kept);
  for (int i = 0; i < n; ++i) {
    if (remove[i]) continue;
    Element e = model.elements[i];
    if (e.paired >= 0) e.paired = e.paired < n ? renumber[e.paired] : -1;
    out.push_back(e);
  }
  model.elements.swap(out);
  return n - kept;
}

std::vector<int> NodesOfElements(const MeshModel& model, const std::vector<int>& elements,
                                 const std::vector<int>& extra) {
  std::vector<char> in(model.nodes.size(), 0);
  for (int e : elements) {
    if (e < 0 || e >= static_cast<int>(model.elements.size())) continue;
    const Element& el = model.elements[e];
    const int count = std::min(el.node_count, kMaxElementNodes);
    for (int i = 0; i < count; ++i)
      if (ValidNode(model, el.nodes[i])) in[el.nodes[i]] = 1;
  }
  for (int v : extra)
    if (ValidNode(model, v)) in[v] = 1;
  std::vector<int> nodes;
  for (size_t i = 0; i < in.size(); ++i)
    if (in[i]) nodes.push_back(static_cast<int>(i));
  return nodes;
}

std::vector<int> DuplicateElements(MeshModel& model, const std::vector<int>& elements, std::vector<int>* new_nodes) {
  std::map<int, int> copy_of;  // old node index -> its copy
  std::vector<int> created;
  const int n = static_cast<int>(model.elements.size());
  for (int e : elements) {
    if (e < 0 || e >= n) continue;
    Element el = model.elements[e];
    const int count = std::min(el.node_count, kMaxElementNodes);
    for (int i = 0; i < count; ++i) {
      const int v = el.nodes[i];
      if (!ValidNode(model, v)) continue;
      auto it = copy_of.find(v);
      if (it == copy_of.end()) {
        const Node p = model.nodes[v];
        it = copy_of.emplace(v, AddNode(model, p.x, p.y, p.z)).first;
        if (new_nodes) new_nodes->push_back(it->second);
      }
      el.nodes[i] = it->second;
    }
    el.paired = -1;
    el.facet_count = 0;
    model.elements.push_back(el);
    created.push_back(static_cast<int>(model.elements.size()) - 1);
  }
  return created;
}

namespace {

// Applies `place` (old point -> new point, in double) to every valid node of
// `nodes`, but only when every new point fits the node table: a transform
// that would overflow leaves the model as it was.
template <typename Place>
bool PlaceNodes(MeshModel& model, const std::vector<int>& nodes, Place place) {
  std::vector<std::pair<int, std::array<double, 3>>> moved;
  moved.reserve(nodes.size());
  for (int v : nodes) {
    if (!ValidNode(model, v)) continue;
    const Node& n = model.nodes[v];
    std::array<double, 3> p = {n.x, n.y, n.z};
    place(p);
    if (!FitsCoordinate(p[0]) || !FitsCoordinate(p[1]) || !FitsCoordinate(p[2])) return false;
    moved.emplace_back(v, p);
  }
  for (const auto& [v, p] : moved)
    model.nodes[v] = Node{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
  return true;
}

// (a, b) turned by `degrees` in their plane, through the polar form.
void RotatePair(double& a, double& b, double degrees) {
  const double rho = std::hypot(a, b);
  const double phi = std::atan2(b, a) + degrees * kPi / 180.0;
  a = rho * std::cos(phi);
  b = rho * std::sin(phi);
}

}  // namespace

bool ScaleNodes(MeshModel& model, const std::vector<int>& nodes, const double point[3], const double scale[3]) {
  return PlaceNodes(model, nodes, [&](std::array<double, 3>& p) {
    for (int i = 0; i < 3; ++i) p[i] = point[i] + (p[i] - point[i]) * scale[i];
  });
}

bool TranslateNodes(MeshModel& model, const std::vector<int>& nodes, const double offset[3]) {
  return PlaceNodes(model, nodes, [&](std::array<double, 3>& p) {
    for (int i = 0; i < 3; ++i) p[i] += offset[i];
  });
}

bool RotateNodes(MeshModel& model, const std::vector<int>& nodes, const double pivot[3], const double r[3]) {
  return PlaceNodes(model, nodes, [&](std::array<double, 3>& p) {
    double x = p[0] - pivot[0], y = p[1] - pivot[1], z = p[2] - pivot[2];
    RotatePair(y, z, r[0]);  // about x
    RotatePair(z, x, r[1]);  // about y
    RotatePair(x, y, r[2]);  // about z
    p = {x + pivot[0], y + pivot[1], z + pivot[2]};
  });
}

bool MirrorNodes(MeshModel& model, const std::vector<int>& nodes, const double point[3], int plane) {
  const int axis = plane == 2 ? 0 : plane == 3 ? 1 : 2;
  return PlaceNodes(model, nodes, [&](std::array<double, 3>& p) { p[axis] = point[axis] - (p[axis] - point[axis]); });
}

int ReverseTriangles(MeshModel& model, const std::vector<int>& elements) {
  int reversed = 0;
  for (int e : elements) {
    if (e < 0 || e >= static_cast<int>(model.elements.size())) continue;
    Element& el = model.elements[e];
    if (el.type != kTriangle) continue;
    std::swap(el.nodes[0], el.nodes[1]);
    ++reversed;
  }
  return reversed;
}

bool CircleThroughPoints(const double a[3], const double b[3], const double c[3], double centre[3], double* radius) {
  // Centre = a + s p + t q with p = b - a, q = c - a; equal distances to a, b
  // and c give 2 (s p + t q).p = p.p and 2 (s p + t q).q = q.q.
  const Vec3 origin{a[0], a[1], a[2]};
  const Vec3 p = Sub(Vec3{b[0], b[1], b[2]}, origin);
  const Vec3 q = Sub(Vec3{c[0], c[1], c[2]}, origin);
  const double pp = Dot(p, p), pq = Dot(p, q), qq = Dot(q, q);
  const double det = 4.0 * (pp * qq - pq * pq);
  if (det == 0.0 || !std::isfinite(det)) return false;
  const double s = (pp * 2.0 * qq - qq * 2.0 * pq) / det;
  const double t = (2.0 * pp * qq - 2.0 * pq * pp) / det;
  centre[0] = a[0] + s * p.x + t * q.x;
  centre[1] = a[1] + s * p.y + t * q.y;
  centre[2] = a[2] + s * p.z + t * q.z;
  *radius = Norm(Sub(Vec3{centre[0], centre[1], centre[2]}, origin));
  return true;
}

void ScaleModelLength(MeshModel& model, double factor) {
  const float f = static_cast<float>(factor);
  for (Node& p : model.nodes) {
    p.x *= f;
    p.y *= f;
    p.z *= f;
  }
  for (Element& e : model.elements) {
    e.thickness *= f;
    e.diameter *= f;
  }
  for (ElementProperty& p : model.properties) {
    p.thickness *= f;
    p.diameter *= f;
  }
}

double ModelLargestExtent(const MeshModel& model) {
  if (model.nodes.empty()) return 0;
  double lo[3] = {model.nodes[0].x, model.nodes[0].y, model.nodes[0].z};
  double hi[3] = {lo[0], lo[1], lo[2]};
  for (const Node& p : model.nodes) {
    const double c[3] = {p.x, p.y, p.z};
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], c[i]);
      hi[i] = std::max(hi[i], c[i]);
    }
  }
  return std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
}

}  // namespace kv

namespace kv {

double LengthUnitFactor(const std::string& name) {
  if (name == "m") return 1.0;
  if (name == "mm") return 0.001;
  if (name == "cm") return 0.01;
  if (name == "in") return 0.0254;
  return 0.0;
}

std::string MillimetreHint(const MeshModel& model) {
  const double extent = ModelLargestExtent(model);
  if (!(extent > kLargeModelExtent)) return std::string();
  return Format("The model measures %.1f m; if its file is in millimetres, import it again with the unit mm.",
                extent);
}

}  // namespace kv
