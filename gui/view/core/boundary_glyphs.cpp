#include "gui/view/core/boundary_glyphs.h"

#include <cmath>

#include "common/geometry/constants.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

constexpr float kGreen[3] = {0, 1, 0};
constexpr float kYellow[3] = {1, 1, 0};
constexpr float kRed[3] = {1, 0, 0};

void SetColour(BoundaryGlyph& g, const float* colour, bool editing) {
  const float* c = editing ? kSelectionColour : colour;
  for (int k = 0; k < 3; ++k) g.colour[k] = c[k];
}

}  // namespace

void ConeTurn(const float n[3], float axis[3], float* angle_degrees) {
  // axis = z x n = (-n_y, n_x, 0); angle = acos(z . n / |n|).
  const double len = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
  axis[0] = 0;
  axis[1] = 1;
  axis[2] = 0;
  *angle_degrees = 0;
  if (len <= 0) return;
  const double cosine = std::fmax(-1.0, std::fmin(1.0, n[2] / len));
  *angle_degrees = static_cast<float>(std::acos(cosine) * kDegreesPerRadian);
  const double ax = -n[1] / len, ay = n[0] / len;
  if (std::sqrt(ax * ax + ay * ay) < 1e-6) return;  // parallel to z: about y
  axis[0] = static_cast<float>(ax);
  axis[1] = static_cast<float>(ay);
}

std::vector<BoundaryGlyph> ComputeBoundaryGlyphs(const MeshModel& model,
                                                 const std::vector<BoundaryRecord>& node_boundaries,
                                                 const std::vector<BoundaryRecord>& face_boundaries,
                                                 int editing) {
  std::vector<BoundaryGlyph> glyphs;
  // Node records: a sphere centred at the node, green for inlets, yellow for potential inlets.
  for (const BoundaryRecord& r : node_boundaries) {
    if (r.entity < 0 || r.entity >= static_cast<int>(model.nodes.size())) continue;
    if (r.type != kInletNode && r.type != kPotentialInletNode) continue;
    BoundaryGlyph g;
    g.shape = kGlyphSphere;
    SetColour(g, r.type == kInletNode ? kGreen : kYellow, r.identifier == editing);
    const Node& p = model.nodes[static_cast<size_t>(r.entity)];
    g.position[0] = p.x;
    g.position[1] = p.y;
    g.position[2] = p.z;
    g.name = r.identifier;
    glyphs.push_back(g);
  }
  // Face records: a cone at the face centre turned onto the face normal.
  for (const BoundaryRecord& r : face_boundaries) {
    if (r.entity < 0 || r.entity >= static_cast<int>(model.faces.size())) continue;
    if (r.type != kInletFace && r.type != kOutletFace) continue;
    const FaceRecord& f = model.faces[static_cast<size_t>(r.entity)];
    BoundaryGlyph g;
    g.shape = r.type == kInletFace ? kGlyphInletCone : kGlyphOutletCone;
    SetColour(g, r.type == kInletFace ? kGreen : kRed, r.identifier == editing);
    // Centre: mean of the face's corner nodes (the stored centroid may be unset).
    int count = 0;
    for (int k = 0; k < f.node_count && k < 4; ++k) {
      const int n = f.nodes[k];
      if (n < 0 || n >= static_cast<int>(model.nodes.size())) continue;
      const Node& p = model.nodes[static_cast<size_t>(n)];
      g.position[0] += p.x;
      g.position[1] += p.y;
      g.position[2] += p.z;
      ++count;
    }
    if (count == 0) continue;
    for (float& c : g.position) c /= static_cast<float>(count);
    ConeTurn(f.normal, g.axis, &g.angle_degrees);
    g.name = r.identifier;
    glyphs.push_back(g);
  }
  return glyphs;
}

}  // namespace kv
