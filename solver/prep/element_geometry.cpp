#include <algorithm>
#include <cmath>

#include "common/geometry/categories.h"
#include "common/geometry/constants.h"
#include "common/geometry/element_geometry.h"
#include "common/geometry/vec3.h"
#include "common/text/number_format.h"
#include "solver/prep/mesh_preparation.h"

namespace kv {

namespace {

Vec3 At(const MeshModel& mesh, int node) { return ToVec3(mesh.nodes[node]); }

// Area of a triangle projected on the parting plane: one coordinate is set to
// zero at the three nodes, y when N_y >= N_x, else x, but z when N_z is
// strictly greater than the component so chosen (signed comparisons).
double ProjectedTriangleArea(Vec3 a, Vec3 b, Vec3 c, const float n[3]) {
  int drop = n[1] >= n[0] ? 1 : 0;
  if (n[2] > n[drop]) drop = 2;
  for (Vec3* v : {&a, &b, &c}) {
    if (drop == 0) v->x = 0;
    if (drop == 1) v->y = 0;
    if (drop == 2) v->z = 0;
  }
  return TriangleArea(a, b, c);
}

// Local plane coordinates of nodes 1-3 (p their positions): node 1 at the
// origin, node 2 at (x2, 0) on the first axis, node 3 at (x3, y3). Returns
// false, leaving them, when the three nodes do not span a plane.
bool SetLocalCoordinates(const MeshModel& mesh, Element& el, const Vec3* p) {
  double e1[3], e2[3];
  if (!TriangleFrame(mesh, el, e1, e2)) return false;
  const Vec3 b = Sub(p[1], p[0]), c = Sub(p[2], p[0]);
  el.local[0] = static_cast<float>(Norm(b));
  el.local[2] = static_cast<float>(c.x * e1[0] + c.y * e1[1] + c.z * e1[2]);
  el.local[1] = static_cast<float>(c.x * e2[0] + c.y * e2[1] + c.z * e2[2]);
  return true;
}

// Runner: volume pi D^2 l / 4, lateral area pi D l, half the volume to each end.
void RunnerGeometry(const MeshModel& mesh, Element& el, const Vec3* p, const Vec3& N, double n_length,
                    MeshPreparation& prep) {
  const double length = PointDistance(mesh.nodes[el.nodes[0]], mesh.nodes[el.nodes[1]]);
  const double D = el.diameter;
  el.length = static_cast<float>(length);
  el.volume = static_cast<float>(kPi * D * D * length / 4);
  el.area = static_cast<float>(kPi * D * length);
  el.lateral_area = el.area;
  el.local[0] = el.length;
  el.local[1] = 0;
  el.local[2] = el.length / 2;
  // Projected area, the shadow of the cylinder on the parting plane: with
  // c = |dx . N| / (l |N|) the cosine of its angle to the normal, the side
  // D l sqrt(1 - c^2) and the end discs pi D^2 / 4 c. A runner in the
  // plane gives D l, a sprue along the normal pi D^2 / 4.
  const double c = length > 0 && n_length > 0
                       ? std::min(1.0, std::fabs(Dot(Sub(p[1], p[0]), N)) / (length * n_length))
                       : 0;
  el.projected_area = static_cast<float>(c * kPi * D * D / 4 + D * length * std::sqrt(1 - c * c));
  for (int i = 0; i < 2; ++i) prep.control_volume[el.nodes[i]] += static_cast<float>(kPi * D * D * length / 8);
}

// Shell triangle: area, volume with its thickness, normal, local plane
// coordinates, projected area and the nodes' median-dual shares.
void TriangleGeometry(const MeshModel& mesh, Element& el, const Vec3* p, const Vec3& centroid,
                      const float parting_normal[3], MeshPreparation& prep) {
  const double area = TriangleArea(p[0], p[1], p[2]);
  el.area = static_cast<float>(area);
  el.volume = static_cast<float>(area * el.thickness);
  TriangleNormal(mesh.nodes[el.nodes[0]], mesh.nodes[el.nodes[1]], mesh.nodes[el.nodes[2]], el.normal);
  if (!SetLocalCoordinates(mesh, el, p)) el.local[0] = el.local[1] = el.local[2] = 0;
  el.projected_area = static_cast<float>(ProjectedTriangleArea(p[0], p[1], p[2], parting_normal));
  // Median-dual share of node i: the two small triangles (node i, edge
  // midpoint, centroid) on its side, times the thickness.
  for (int i = 0; i < 3; ++i) {
    const Vec3 a = p[i], next = p[(i + 1) % 3], prev = p[(i + 2) % 3];
    const Vec3 m1 = 0.5 * (a + next);
    const Vec3 m2 = 0.5 * (a + prev);
    const double share = TriangleArea(a, m1, centroid) + TriangleArea(a, centroid, m2);
    prep.control_volume[el.nodes[i]] += static_cast<float>(el.thickness * share);
  }
}

// Thickness of a tetrahedron: half the distance from its largest boundary
// face's plane to the opposite node, within [0.0001, 0.005] m; 0.005 m
// without a boundary face.
void TetrahedronThickness(const MeshModel& mesh, Element& el, int largest) {
  el.thickness = 0.005f;
  el.boundary_face = largest;
  if (largest < 0) return;
  const FaceRecord& face = mesh.faces[largest];
  int apex = el.nodes[0];
  for (int i = 0; i < 4; ++i) {
    const int n = el.nodes[i];
    if (n != face.nodes[0] && n != face.nodes[1] && n != face.nodes[2]) apex = n;
  }
  const double distance = DistanceToPlane(face.normal, mesh.nodes[face.nodes[0]], mesh.nodes[apex]);
  el.thickness = static_cast<float>(std::clamp(distance / 2, 0.0001, 0.005));
}

// Tetrahedron: volume |det(edges)| / 6, area the sum of its faces, projected
// area of the boundary face that faces the parting normal most, thickness,
// local frame and the nodes' median-dual shares.
void TetrahedronGeometry(const MeshModel& mesh, Element& el, const Vec3* p, const Vec3& N,
                         const float parting_normal[3], MeshPreparation& prep) {
  const double volume = TetrahedronVolume(mesh.nodes[el.nodes[0]], mesh.nodes[el.nodes[1]], mesh.nodes[el.nodes[2]],
                                          mesh.nodes[el.nodes[3]]);
  el.volume = static_cast<float>(volume);
  double area = 0, best_area = -1, best_dot = -1e300;
  int largest = -1, facing = -1;
  for (int f = 0; f < el.facet_count; ++f) {
    const FaceRecord& face = mesh.faces[el.facets[f]];
    area += face.area;
    if (face.partner != -1) continue;
    if (face.area > best_area) { best_area = face.area; largest = el.facets[f]; }
    const double d = face.normal[0] * N.x + face.normal[1] * N.y + face.normal[2] * N.z;
    if (d > best_dot) { best_dot = d; facing = el.facets[f]; }
  }
  el.area = static_cast<float>(area);
  el.projected_area = 0;
  if (facing >= 0) {
    const FaceRecord& face = mesh.faces[facing];
    el.projected_area = static_cast<float>(
        ProjectedTriangleArea(At(mesh, face.nodes[0]), At(mesh, face.nodes[1]), At(mesh, face.nodes[2]), parting_normal));
  }
  TetrahedronThickness(mesh, el, largest);
  // Local frame of the tetrahedron: its first face in the plane of nodes 1-3.
  SetLocalCoordinates(mesh, el, p);
  // Median-dual share of a tetrahedron's node: a quarter of its volume.
  for (int i = 0; i < 4; ++i) prep.control_volume[el.nodes[i]] += static_cast<float>(volume / 4);
}

// Node-to-element lists in element order (compressed rows); counts[i] is the
// number of elements node i is a corner of.
void BuildNodeElementLists(const MeshModel& mesh, const std::vector<int>& counts, MeshPreparation& prep) {
  const int node_count = static_cast<int>(mesh.nodes.size());
  prep.element_start.assign(node_count + 1, 0);
  for (int i = 0; i < node_count; ++i) prep.element_start[i + 1] = prep.element_start[i] + counts[i];
  prep.element_list.assign(prep.element_start[node_count], 0);
  std::vector<int> fill(prep.element_start.begin(), prep.element_start.end() - 1);
  for (int e = 0; e < static_cast<int>(mesh.elements.size()); ++e) {
    const Element& el = mesh.elements[e];
    for (int i = 0; i < std::min(el.node_count, 4); ++i) prep.element_list[fill[el.nodes[i]]++] = e;
  }
}

}  // namespace

void ComputeElementGeometry(MeshModel& mesh, const float parting_normal[3], MeshPreparation& prep) {
  const int node_count = static_cast<int>(mesh.nodes.size());
  const Vec3 N{parting_normal[0], parting_normal[1], parting_normal[2]};
  const double n_length = Norm(N);
  prep.control_volume.assign(node_count, 0.0f);
  prep.total_area = prep.total_projected_area = prep.element_volume = prep.node_volume = 0;
  std::vector<int> counts(node_count + 1, 0);
  for (Element& el : mesh.elements) {
    Vec3 p[4];
    const int corners = std::min(el.node_count, 4);
    for (int i = 0; i < corners; ++i) {
      p[i] = At(mesh, el.nodes[i]);
      ++counts[el.nodes[i]];
    }
    const Vec3 centroid = MeanPoint(p, corners);
    el.centroid[0] = static_cast<float>(centroid.x);
    el.centroid[1] = static_cast<float>(centroid.y);
    el.centroid[2] = static_cast<float>(centroid.z);
    if (el.type == kBeam) RunnerGeometry(mesh, el, p, N, n_length, prep);
    else if (el.type == kTriangle) TriangleGeometry(mesh, el, p, centroid, parting_normal, prep);
    else if (el.type == kTetrahedron) TetrahedronGeometry(mesh, el, p, N, parting_normal, prep);
    prep.total_area += el.area;
    prep.total_projected_area += el.projected_area;
    prep.element_volume += el.volume;
  }
  for (float v : prep.control_volume) prep.node_volume += v;
  BuildNodeElementLists(mesh, counts, prep);
}

int AddDualSurfaceConnectors(MeshModel& mesh) {
  float largest = 0;
  bool any = false;
  for (const Element& el : mesh.elements) {
    if (el.category == kPartDualSurface) {
      any = true;
      largest = std::max(largest, el.thickness);
    }
  }
  if (!any) return 0;
  const double reach = 1.5 * 2.0 * largest;
  const int original = static_cast<int>(mesh.elements.size());
  int added = 0;
  for (int e = 0; e < original; ++e) {
    const Element el = mesh.elements[e];
    if (el.category != kPartDualSurface || el.type != kTriangle || el.paired < 0 || el.paired >= original) {
      continue;
    }
    const Element partner = mesh.elements[el.paired];  // a copy: push_back below may move the table
    if (partner.type != kTriangle) continue;
    for (int i = 0; i < 3; ++i) {
      // Nearest of the partner's three nodes.
      int nearest = -1;
      double best = 1e300;
      for (int j = 0; j < 3; ++j) {
        const double d = PointDistance(mesh.nodes[el.nodes[i]], mesh.nodes[partner.nodes[j]]);
        if (d < best) { best = d; nearest = partner.nodes[j]; }
      }
      if (nearest < 0 || !(best < reach)) continue;
      Element connector;
      connector.type = kBeam;
      connector.category = kConnector;
      connector.property = -1;
      connector.node_count = 2;
      connector.nodes[0] = el.nodes[i];
      connector.nodes[1] = nearest;
      connector.diameter = 0;
      mesh.elements.push_back(connector);
      ++added;
    }
  }
  return added;
}

CategoryVolumes SumCategoryVolumes(const MeshModel& mesh) {
  CategoryVolumes v;
  for (const Element& el : mesh.elements) {
    switch (el.category) {
      case kHotRunner: v.hot_runner += el.volume; break;
      case kColdRunner: v.cold_runner += el.volume; break;
      case kPartRunner: case kPartSurface: case kPartDualSurface: case kPartVolume: v.part += el.volume; break;
      default: break;
    }
  }
  v.injection = v.cold_runner + v.part;
  return v;
}

std::string CheckSolverMesh(const MeshModel& mesh) {
  const int node_count = static_cast<int>(mesh.nodes.size());
  for (int i = 0; i < node_count; ++i) {
    const Node& n = mesh.nodes[i];
    if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) {
      return Format("Node %d has invalid coordinates.", i + 1);
    }
  }
  for (int e = 0; e < static_cast<int>(mesh.elements.size()); ++e) {
    const Element& el = mesh.elements[e];
    if (el.type != kBeam && el.type != kTriangle && el.type != kTetrahedron) continue;
    for (int i = 0; i < el.node_count; ++i) {
      if (el.nodes[i] < 0 || el.nodes[i] >= node_count) {
        return Format("Element %d refers to a node that does not exist.", e + 1);
      }
    }
    const bool shell = IsShellCategory(el.category);
    const bool runner = el.category == kColdRunner || el.category == kHotRunner || el.category == kPartRunner;
    if (el.category == kPartSurface && !(el.thickness > 0) && el.type == kTriangle) {
      return Format("Element %d has no thickness.", e + 1);
    }
    if (shell && !std::isfinite(el.thickness)) return Format("Element %d has no thickness.", e + 1);
    if (runner && el.type == kBeam && !(el.diameter > 0)) return Format("Element %d has no diameter.", e + 1);
  }
  return {};
}

std::vector<std::string> MeshCountLines(const MeshModel& mesh) {
  return {Format("Number of nodes:    %d", static_cast<int>(mesh.nodes.size())),
          Format("Number of faces:    %d", static_cast<int>(mesh.faces.size())),
          Format("Number of elements: %d", static_cast<int>(mesh.elements.size()))};
}

std::vector<std::string> MeshTotalLines(const MeshPreparation& prep) {
  // Reals in exponent form carry three exponent digits, as in every file we write.
  auto e4 = [](double v) { return FormatExponent(v, "%.4e"); };
  return {"Mesh property                                 Value \t\tUnits",
          "Total mesh surface area:                      " + e4(prep.total_area) + " \tm^2",
          "Total projected area:                         " + e4(prep.total_projected_area) + " \tm^2",
          "Total mesh volume (element based):            " + e4(prep.element_volume) + " \tm^3",
          "Total mesh volume (node based):               " + e4(prep.node_volume) + " \tm^3",
          "Done."};
}

}  // namespace kv
