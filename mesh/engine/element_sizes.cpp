#include "mesh/engine/element_sizes.h"

#include <cmath>

#include "common/geometry/constants.h"
#include "common/geometry/element_geometry.h"

namespace kv {
namespace {

bool ValidFace(const MeshModel& model, int f) {
  return f >= 0 && static_cast<size_t>(f) < model.faces.size();
}

// Index of the element's boundary face (partner -1) of largest area (strictly
// larger than the best so far, starting from 0); -1 when there is none.
int LargestBoundaryFace(const MeshModel& model, const Element& e) {
  int best = -1;
  float best_area = 0;
  const int count = (e.facet_count > kMaxElementFacets) ? kMaxElementFacets : e.facet_count;
  for (int k = 0; k < count; ++k) {
    const int f = e.facets[k];
    if (!ValidFace(model, f) || model.faces[static_cast<size_t>(f)].partner != -1) continue;
    if (model.faces[static_cast<size_t>(f)].area > best_area) {
      best_area = model.faces[static_cast<size_t>(f)].area;
      best = f;
    }
  }
  return best;
}

// Distance from the plane of face `f` to the node of tetrahedron `e` that is
// not on the face, measured along the face normal. Negative when the element
// has no such node (or a node index is invalid).
double HeightOverFace(const MeshModel& model, const Element& e, int f) {
  const FaceRecord& face = model.faces[static_cast<size_t>(f)];
  for (int i = 0; i < 4; ++i) {
    const int n = e.nodes[i];
    bool on_face = false;
    for (int k = 0; k < face.node_count && k < 4; ++k) on_face = on_face || face.nodes[k] == n;
    if (on_face) continue;
    const int first = face.nodes[0];
    if (n < 0 || static_cast<size_t>(n) >= model.nodes.size() || first < 0 ||
        static_cast<size_t>(first) >= model.nodes.size())
      return -1;
    return DistanceToPlane(face.normal, model.nodes[static_cast<size_t>(first)], model.nodes[static_cast<size_t>(n)]);
  }
  return -1;
}

// The element's centroid: the mean of its first `count` nodes p.
void SetCentroid(Element& e, const Node* p, int count) {
  Vec3 points[kMaxElementNodes];
  for (int i = 0; i < count; ++i) points[i] = ToVec3(p[i]);
  const Vec3 c = MeanPoint(points, count);
  e.centroid[0] = float(c.x), e.centroid[1] = float(c.y), e.centroid[2] = float(c.z);
}

}  // namespace

void ComputeElementSizes(MeshModel& model) {
  Node p[kMaxElementNodes];
  for (Element& e : model.elements) {
    e.visible = 1;
    if (e.node_count != ElementTypeNodeCount(e.type) || !GatherElementNodes(model, e, p)) continue;
    if (e.type == kBeam) {
      // L = |p2 - p1|, lateral area pi D L, volume pi D^2 L / 4.
      const double length = PointDistance(p[0], p[1]);
      e.length = float(length);
      SetCentroid(e, p, 2);
      e.lateral_area = float(kBeamPi * e.diameter * length);
      e.volume = float(kBeamPi * double(e.diameter) * e.diameter * length / 4.0);
    } else if (e.type == kTriangle) {
      TriangleNormal(p[0], p[1], p[2], e.normal);
      SetCentroid(e, p, 3);
      const double area = TriangleArea(p[0], p[1], p[2]);
      e.area = float(area);
      e.volume = float(area * e.thickness);
    } else if (e.type == kTetrahedron) {
      SetCentroid(e, p, 4);
      e.volume = float(TetrahedronVolume(p[0], p[1], p[2], p[3]));
      // Provisional thickness: half the height over the boundary face, limited.
      e.boundary_face = LargestBoundaryFace(model, e);
      const double height = (e.boundary_face >= 0) ? HeightOverFace(model, e, e.boundary_face) : -1;
      if (height < 0) {
        e.thickness = kTetraThicknessMax;
      } else {
        const double half = 0.5 * height;
        e.thickness = half > kTetraThicknessMax ? kTetraThicknessMax
                      : (half < kTetraProvisionalMin ? kTetraProvisionalMin : float(half));
      }
    }
  }
}

void EstimateTetraThickness(MeshModel& model) {
  for (Element& e : model.elements) {
    if (e.type != kTetrahedron || e.node_count != 4) continue;
    // The boundary face of largest area and the height d of the opposite node over it.
    const int f = LargestBoundaryFace(model, e);
    const double d = (f >= 0) ? HeightOverFace(model, e, f) : -1;
    if (d < 0 || d >= kTetraThicknessMax) {
      e.thickness = kTetraThicknessMax;
    } else if (d <= kTetraThicknessMin) {
      e.thickness = kTetraThicknessMin;
    } else {
      e.thickness = float(d);
    }
  }
}

}  // namespace kv
