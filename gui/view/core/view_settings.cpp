#include "gui/view/core/view_settings.h"

#include <algorithm>
#include <cmath>

namespace kv {
namespace {

constexpr float kMaxTaper = 0.7853982f;  // 45 degrees, radians
constexpr float kRadiansToDegrees = 57.2957763671875f;

}  // namespace

RenderModeSettings SettingsOfRenderMode(int mode) {
  RenderModeSettings s;
  switch (mode) {
    case kSurfaceWireframe: s.shaded = false; s.edges = kEdgesSurface; break;
    case kFacetWireframe:   s.shaded = false; s.edges = kEdgesFacet; break;
    case kShade:            s.shaded = true;  s.edges = kEdgesNone; break;
    case kFacetOutline:     s.shaded = true;  s.edges = kEdgesFacet; break;
    case kSurfaceOutline:
    default:                s.shaded = true;  s.edges = kEdgesSurface; break;
  }
  return s;
}

bool PropertyCodeVisible(int code, const CategoryFlags& flags) {
  switch (code) {
    case kConnector: return true;
    case kColdRunner:
    case kHotRunner: return flags.runners;
    case kPartRunner:
    case kPartSurface:
    case kPartDualSurface:
    case kPartVolume: return flags.part;
    case kCoolingChannel:
    case kCoolingSurface: return flags.cooling;
    case kMoldSurface: return flags.mold;
    default: return false;
  }
}

void RefreshVisibility(MeshModel& model, const CategoryFlags& flags) {
  for (Element& e : model.elements) e.visible = PropertyCodeVisible(e.category, flags) ? 1 : 0;
}

std::vector<char> BuildNodeMask(const MeshModel& model) {
  std::vector<char> mask(model.nodes.size(), 1);
  const int node_total = static_cast<int>(model.nodes.size());
  for (const Element& e : model.elements) {
    if (e.visible) continue;
    const int count = std::clamp(e.node_count, 0, kMaxElementNodes);
    for (int i = 0; i < count; ++i) {
      const int n = e.nodes[i];
      if (n >= 0 && n < node_total) mask[n] = 0;
    }
  }
  return mask;
}

void FacetColour(int code, float rgb[3]) {
  float r = 0.1f, g = 0.1f, b = 0.1f;
  switch (code) {
    case kCoolingSurface: r = 0.0f; g = 0.5f; b = 1.0f; break;
    case kMoldSurface: r = 0.8f; g = 0.8f; b = 0.8f; break;
    case kPartSurface:
    case kPartDualSurface:
    case kPartVolume: r = 0.8f; g = 0.8f; b = 0.5f; break;
    default: break;
  }
  rgb[0] = r; rgb[1] = g; rgb[2] = b;
}

void BeamColour(int code, float rgb[3]) {
  float r = 1.0f, g = 1.0f, b = 1.0f;
  switch (code) {
    case kConnector: r = 0.8f; g = 0.8f; b = 0.8f; break;
    case kColdRunner: r = 0.0f; g = 1.0f; b = 0.5f; break;
    case kHotRunner: r = 1.0f; g = 0.0f; b = 0.0f; break;
    case kCoolingChannel: r = 0.0f; g = 0.5f; b = 1.0f; break;
    case kPartRunner: r = 0.8f; g = 0.8f; b = 0.5f; break;
    default: break;
  }
  rgb[0] = r; rgb[1] = g; rgb[2] = b;
}

BeamCylinder ComputeBeamCylinder(const float end1[3], const float end2[3], float radius, float taper) {
  BeamCylinder c;
  const float d[3] = {end2[0] - end1[0], end2[1] - end1[1], end2[2] - end1[2]};
  c.length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  c.base_radius = radius;
  // Far radius r + sin(theta) sqrt(r^2 + L^2); tapers beyond 45 degrees are ignored.
  const float theta = std::fabs(taper) <= kMaxTaper ? taper : 0.0f;
  c.top_radius = radius + std::sin(theta) * std::sqrt(radius * radius + c.length * c.length);
  if (c.top_radius < 0) c.top_radius = 0;
  if (c.length == 0) return c;
  // Rotation from z onto d: axis z x d = (-d.y, d.x, 0), angle acos(d.z / L).
  const float ax = -d[1], ay = d[0];
  const float cosine = std::clamp(d[2] / c.length, -1.0f, 1.0f);
  c.angle_degrees = std::acos(cosine) * kRadiansToDegrees;
  if (ax == 0 && ay == 0) {
    c.axis[0] = 1; c.axis[1] = 0; c.axis[2] = 0;
  } else {
    c.axis[0] = ax; c.axis[1] = ay; c.axis[2] = 0;
  }
  return c;
}

}  // namespace kv
