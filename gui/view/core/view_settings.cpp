#include "gui/view/core/view_settings.h"

#include <algorithm>
#include <cmath>

#include "common/geometry/constants.h"

namespace kv {
namespace {


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

BeamCylinder ComputeBeamCylinder(const Beam& beam) {
  BeamCylinder c;
  const float* end1 = beam.ends[0];
  const float* end2 = beam.ends[1];
  const float d[3] = {end2[0] - end1[0], end2[1] - end1[1], end2[2] - end1[2]};
  c.length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  c.base_radius = beam.radius;
  // A strong narrowing taper would give a negative far radius: end in a point.
  c.top_radius = std::max(0.0f, BeamFarRadius(beam));
  if (c.length == 0) return c;
  // Rotation from z onto d: axis z x d = (-d.y, d.x, 0), angle acos(d.z / L).
  const float ax = -d[1], ay = d[0];
  const float cosine = std::clamp(d[2] / c.length, -1.0f, 1.0f);
  c.angle_degrees = std::acos(cosine) * kSingleDegreesPerRadian;
  if (ax == 0 && ay == 0) {
    c.axis[0] = 1; c.axis[1] = 0; c.axis[2] = 0;
  } else {
    c.axis[0] = ax; c.axis[1] = ay; c.axis[2] = 0;
  }
  return c;
}

}  // namespace kv
