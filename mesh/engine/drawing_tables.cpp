#include "mesh/engine/drawing_tables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "common/geometry/constants.h"

namespace kv {
namespace {

constexpr float kMaxTaper = 0.7853982f;        // rad, 45 degrees
constexpr float kThicknessStep = 0.2f;         // relative thickness step drawn as an outline

bool ValidNode(const MeshModel& model, int node) {
  return node >= 0 && static_cast<size_t>(node) < model.nodes.size();
}

void CopyPoint(const Node& node, float point[3]) {
  point[0] = node.x;
  point[1] = node.y;
  point[2] = node.z;
}

// Sort key of a side: its two end points in lexicographic order, so that both
// directions of the same side give the same key. Negative zero is folded into
// zero so that equal points compare equal bit for bit.
using SideKey = std::array<float, 6>;

SideKey MakeSideKey(const float a[3], const float b[3]) {
  std::array<float, 3> p{a[0] + 0.0f, a[1] + 0.0f, a[2] + 0.0f};
  std::array<float, 3> q{b[0] + 0.0f, b[1] + 0.0f, b[2] + 0.0f};
  if (q < p) std::swap(p, q);
  return {p[0], p[1], p[2], q[0], q[1], q[2]};
}

// Angle in degrees between two vectors: acos(a.b / (|a||b|)); 0 when a length
// is 0 or the cosine falls outside [-1, 1].
double AngleBetween(const float a[3], const float b[3]) {
  const double dot = double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
  const double la = std::sqrt(double(a[0]) * a[0] + double(a[1]) * a[1] + double(a[2]) * a[2]);
  const double lb = std::sqrt(double(b[0]) * b[0] + double(b[1]) * b[1] + double(b[2]) * b[2]);
  if (la == 0 || lb == 0) return 0;
  const double c = dot / (la * lb);
  if (c < -1.0 || c > 1.0) return 0;
  return std::acos(c) * double{kSingleDegreesPerRadian};
}

bool IsShellType(int type) { return type == kTriangle || type == kQuadrilateral; }

}  // namespace

bool IsCategoryShown(int code, const ViewCategories& shown) {
  switch (code) {
    case kConnector: return true;
    case kColdRunner:
    case kHotRunner: return shown.runners;
    case kPartRunner:
    case kPartSurface:
    case kPartDualSurface:
    case kPartVolume: return shown.part;
    case kCoolingChannel:
    case kCoolingSurface: return shown.cooling;
    case kMoldSurface: return shown.mold;
    default: return false;
  }
}

void RefreshVisibility(MeshModel& model, const ViewCategories& shown) {
  for (Element& element : model.elements)
    element.visible = IsCategoryShown(element.category, shown) ? 1 : 0;
}

void FacetColour(int code, float rgb[3]) {
  float r = 0.1f, g = 0.1f, b = 0.1f;
  if (code == kCoolingSurface) { r = 0.0f; g = 0.5f; b = 1.0f; }
  else if (code == kMoldSurface) { r = 0.8f; g = 0.8f; b = 0.8f; }
  else if (code == kPartSurface || code == kPartDualSurface || code == kPartVolume) {
    r = 0.8f; g = 0.8f; b = 0.5f;
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

void BuildDrawingTables(const MeshModel& model, const DrawingOptions& options,
                        DrawingTables& tables) {
  tables.facets.clear();
  tables.lines.clear();
  tables.beams.clear();
  const std::vector<float>* values =
      (options.node_values && options.node_values->size() == model.nodes.size())
          ? options.node_values : nullptr;
  auto value_of = [&](int node) { return values ? (*values)[node] : 0.0f; };
  auto element_ok = [&](int e) {
    return e >= 0 && static_cast<size_t>(e) < model.elements.size();
  };

  // Node mask: 1 everywhere, then 0 for every node of a hidden element.
  tables.node_mask.assign(model.nodes.size(), 1);
  for (const Element& element : model.elements) {
    if (element.visible) continue;
    const int count = std::clamp(element.node_count, 0, kMaxElementNodes);
    for (int i = 0; i < count; ++i)
      if (ValidNode(model, element.nodes[i])) tables.node_mask[element.nodes[i]] = 0;
  }

  // Facets: boundary faces (partner -1) of visible elements, in face order.
  tables.facets.reserve(model.faces.size());
  for (size_t f = 0; f < model.faces.size(); ++f) {
    const FaceRecord& face = model.faces[f];
    if (face.partner != -1 || !element_ok(face.element)) continue;
    const Element& owner = model.elements[face.element];
    if (!owner.visible) continue;
    const int count = face.node_count == 4 ? 4 : 3;
    bool nodes_ok = true;
    for (int i = 0; i < count; ++i) nodes_ok = nodes_ok && ValidNode(model, face.nodes[i]);
    if (!nodes_ok) continue;

    Facet facet;
    facet.shape = count == 4 ? 3 : 2;
    facet.element = face.element;
    facet.face = static_cast<int>(f);
    facet.vertex_count = count;
    facet.property_code = owner.category;
    std::copy(face.normal, face.normal + 3, facet.normal);
    float rgb[3];
    FacetColour(owner.category, rgb);
    for (int i = 0; i < count; ++i) {
      facet.nodes[i] = face.nodes[i];
      CopyPoint(model.nodes[face.nodes[i]], facet.vertices[i]);
      facet.values[i] = value_of(face.nodes[i]);
      facet.colours[i][0] = rgb[0];
      facet.colours[i][1] = rgb[1];
      facet.colours[i][2] = rgb[2];
      facet.colours[i][3] = options.opacity;
    }
    tables.facets.push_back(facet);
  }

  // Lines: one per facet side, from vertex i to vertex i+1 (the last to the first).
  size_t side_count = 0;
  for (const Facet& facet : tables.facets) side_count += facet.vertex_count;
  tables.lines.reserve(side_count);
  for (size_t f = 0; f < tables.facets.size(); ++f) {
    Facet& facet = tables.facets[f];
    for (int i = 0; i < facet.vertex_count; ++i) {
      const int j = (i + 1) % facet.vertex_count;
      Line line;
      std::copy(facet.vertices[i], facet.vertices[i] + 3, line.ends[0]);
      std::copy(facet.vertices[j], facet.vertices[j] + 3, line.ends[1]);
      line.facet = static_cast<int>(f);
      std::copy(options.foreground, options.foreground + 3, line.colour);
      facet.lines[i] = static_cast<int>(tables.lines.size());
      tables.lines.push_back(line);
    }
  }

  // Twins: sort the sides by their end points; within a run of equal keys,
  // pair the lines two by two in line order.
  std::vector<std::pair<SideKey, int>> keys;
  keys.reserve(tables.lines.size());
  for (size_t l = 0; l < tables.lines.size(); ++l)
    keys.emplace_back(MakeSideKey(tables.lines[l].ends[0], tables.lines[l].ends[1]),
                      static_cast<int>(l));
  std::sort(keys.begin(), keys.end());
  for (size_t k = 0; k + 1 < keys.size();) {
    if (keys[k].first == keys[k + 1].first) {
      tables.lines[keys[k].second].twin = keys[k + 1].second;
      tables.lines[keys[k + 1].second].twin = keys[k].second;
      k += 2;
    } else {
      ++k;
    }
  }

  // Beams: visible line elements.
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const Element& element = model.elements[e];
    if (element.type != kBeam || !element.visible) continue;
    if (!ValidNode(model, element.nodes[0]) || !ValidNode(model, element.nodes[1])) continue;
    Beam beam;
    beam.element = static_cast<int>(e);
    CopyPoint(model.nodes[element.nodes[0]], beam.ends[0]);
    CopyPoint(model.nodes[element.nodes[1]], beam.ends[1]);
    beam.values[0] = value_of(element.nodes[0]);
    beam.values[1] = value_of(element.nodes[1]);
    BeamColour(element.category, beam.colour);
    beam.colour[3] = options.opacity;
    beam.radius = 0.5f * element.diameter;
    beam.kind = element.category;
    tables.beams.push_back(beam);
  }
}

void ClassifyOutlines(DrawingTables& tables, const MeshModel& model, double angle) {
  auto element_of = [&](const Line& line) -> const Element* {
    const int e = tables.facets[line.facet].element;
    if (e < 0 || static_cast<size_t>(e) >= model.elements.size()) return nullptr;
    return &model.elements[e];
  };
  for (Line& line : tables.lines) {
    // 1. A free edge is an outline.
    line.outline = 0;
    if (line.twin < 0) {
      line.outline = 1;
      continue;
    }
    const Line& twin = tables.lines[line.twin];
    const Facet& a = tables.facets[line.facet];
    const Facet& b = tables.facets[twin.facet];
    // 2. Dihedral test: angle <= |phi| <= 180 - angle, phi between the normals.
    const double phi = std::fabs(AngleBetween(a.normal, b.normal));
    if (angle <= phi && phi <= 180.0 - angle) {
      line.outline = 1;
      continue;
    }
    // 3. Thickness step between two triangular shell facets:
    //    |1 - t_min/t_max| >= 0.2 with t_max > 0.
    if (angle > 0 && a.shape == 2 && b.shape == 2) {
      const Element* ea = element_of(line);
      const Element* eb = element_of(twin);
      if (ea && eb && IsShellType(ea->type) && IsShellType(eb->type)) {
        const float t_min = std::min(ea->thickness, eb->thickness);
        const float t_max = std::max(ea->thickness, eb->thickness);
        if (t_max > 0 && std::fabs(1.0f - t_min / t_max) >= kThicknessStep) line.outline = 1;
      }
    }
  }
}

float BeamFarRadius(const Beam& beam) {
  const float dx = beam.ends[1][0] - beam.ends[0][0];
  const float dy = beam.ends[1][1] - beam.ends[0][1];
  const float dz = beam.ends[1][2] - beam.ends[0][2];
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  const float taper = (beam.taper >= -kMaxTaper && beam.taper <= kMaxTaper) ? beam.taper : 0.0f;
  const float r = beam.radius;
  return r + std::sin(taper) * std::sqrt(r * r + length * length);
}

}  // namespace kv
