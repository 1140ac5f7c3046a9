#include "gui/view/gl/result_view.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gui/view/core/colour_map.h"
#include "gui/view/core/contour_bands.h"
#include "gui/view/gl/gfxview.h"

namespace kv {
namespace {

// Polygon offsets: the grey underlay behind the colour bands.
constexpr float kUnderlayOffsetFactor = 1.0f, kUnderlayOffsetUnits = 2.0f;
constexpr float kBandOffsetFactor = 0.5f, kBandOffsetUnits = 1.0f;
constexpr float kUnderlayGrey = 0.5f;   // facets under nodal bands and glyphs
constexpr float kOutsideGrey = 0.75f;   // element colours outside the scale
constexpr float kLevelShift = 1e-6f;    // iso-lines just below and above a level
constexpr float kArrowScale = 0.15f;    // arrow length per unit of stored magnitude
constexpr float kArrowRadius = 0.002f;  // m, arrow base radius
constexpr float kHighlightWidth = 3.0f; // pixels

// Legend geometry, in the legend's own box of -80..80.
constexpr double kLegendBox = 80.0;
constexpr int kLegendViewportX = -90, kLegendViewportWidth = 200, kLegendViewportHeight = 800;
constexpr float kBarLeft = 10, kBarRight = 20, kBarBottom = -75, kBarTop = -5;

bool InScale(float t) { return t >= 0.0f && t <= 1.0f; }

// Normalised value of node `n` of a nodal entry; -1 when it has none.
float NodeValue(const ResultEntry& entry, int n, int side = 0) {
  if (n < 0 || n >= static_cast<int>(entry.items.size())) return -1.0f;
  const ResultItem& item = entry.items[static_cast<size_t>(n)];
  return item.defined == 1 ? item.values[kNormalisedSlot + side] : -1.0f;
}

// Normalised value of item `i` (element kinds), side 0 or 1; -1 when none.
float ItemValue(const ResultEntry& entry, int i, int side = 0) {
  if (i < 0 || i >= static_cast<int>(entry.items.size())) return -1.0f;
  return entry.items[static_cast<size_t>(i)].values[kNormalisedSlot + side];
}

void SetMapColour(float t, bool invert, float alpha = 1.0f) {
  const Rgb c = ColourMap(t, invert);
  glColor4f(c.r, c.g, c.b, alpha);
}

// Every facet in one colour (lit, flat).
void DrawGreyFacets(const DrawingTables& tables, float grey, float opacity) {
  glColor4f(grey, grey, grey, opacity);
  const ClockwiseFrontFaces front;
  for (const Facet& f : tables.facets) {
    const int count = std::clamp(f.vertex_count, 3, 4);
    glBegin(count == 4 ? GL_QUADS : GL_TRIANGLES);
    glNormal3fv(f.normal);
    for (int k = 0; k < count; ++k) glVertex3fv(f.vertices[k]);
    glEnd();
  }
}

// Nodal bands through the texture: each facet whose nodes all have values
// gets them as texture coordinates over the grey underlay.
void DrawTexturedFacets(const DrawingTables& tables, const ResultEntry& entry, unsigned texture) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.0f);
  glEnable(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glShadeModel(GL_SMOOTH);
  const bool invert = entry.invert_colours != 0;
  const ClockwiseFrontFaces front;
  for (const Facet& f : tables.facets) {
    const int count = std::clamp(f.vertex_count, 3, 4);
    bool defined = true;
    for (int k = 0; k < count; ++k) defined = defined && NodeValue(entry, f.nodes[k]) != -1.0f &&
                                              NodeValue(entry, f.nodes[k]) != 2.0f;
    if (!defined) continue;
    glBegin(count == 4 ? GL_QUADS : GL_TRIANGLES);
    glNormal3fv(f.normal);
    for (int k = 0; k < count; ++k) {
      glTexCoord1f(ColourTextureCoordinate(NodeValue(entry, f.nodes[k]), invert));
      glVertex3fv(f.vertices[k]);
    }
    glEnd();
  }
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
}

// True when node `n` has a value in the entry.
bool NodeDefined(const ResultEntry& entry, int n) {
  return n >= 0 && n < static_cast<int>(entry.items.size()) && entry.items[static_cast<size_t>(n)].defined == 1;
}

// Iso-lines of a nodal entry at `level` over every facet whose nodes all have
// values (quadrangles as two triangles), in the current colour. Values
// beyond fixed limits lie outside 0..1 and still place the lines between.
void DrawIsoLines(const DrawingTables& tables, const ResultEntry& entry, float level) {
  glBegin(GL_LINES);
  for (const Facet& f : tables.facets) {
    const int count = std::clamp(f.vertex_count, 3, 4);
    float v[4];
    bool defined = true;
    for (int k = 0; k < count; ++k) {
      v[k] = NodeValue(entry, f.nodes[k]);
      defined = defined && NodeDefined(entry, f.nodes[k]);
    }
    if (!defined) continue;
    for (int t = 0; t < count - 2; ++t) {
      const int corner[3] = {0, t + 1, t + 2};
      float p[3][3], w[3], a[3], b[3];
      for (int c = 0; c < 3; ++c) {
        std::copy(f.vertices[corner[c]], f.vertices[corner[c]] + 3, p[c]);
        w[c] = v[corner[c]];
      }
      if (!IsoSegment(p, w, level, a, b)) continue;
      glVertex3fv(a);
      glVertex3fv(b);
    }
  }
  glEnd();
}

// Nodal bands without the texture: each facet whose nodes all have values is
// cut into its parts in each of the N + 2 bands, drawn flat in the band's
// colour (unlit, so the colours are those of the scale as with the texture),
// with iso-lines just outside both ends of the scale.
void DrawBands(const DrawingTables& tables, const ResultEntry& entry, int contours) {
  const bool invert = entry.invert_colours != 0;
  glDisable(GL_LIGHTING);
  glShadeModel(GL_FLAT);
  for (int k = 0; k <= contours + 1; ++k) {
    const ContourBand band = ContourBandOf(k, contours);
    if (k == 0) {
      SetMapColour(band.colour, invert);
      DrawIsoLines(tables, entry, -kLevelShift);
    }
    SetMapColour(band.colour, invert);
    for (const Facet& f : tables.facets) {
      const int count = std::clamp(f.vertex_count, 3, 4);
      float p[4][3], v[4];
      bool defined = true;
      for (int c = 0; c < count; ++c) {
        const int node = f.nodes[c];
        defined = defined && NodeDefined(entry, node);
        v[c] = NodeValue(entry, node);
        std::copy(f.vertices[c], f.vertices[c] + 3, p[c]);
      }
      if (!defined || !FacetInBands(v, count)) continue;
      float part[kMaxBandCorners][3];
      const int corners = CutToBand(p, v, count, band.low, band.high, part, nullptr);
      if (corners < 3) continue;
      // The convex part as a fan of triangles from its first corner.
      glBegin(GL_TRIANGLES);
      glNormal3fv(f.normal);
      for (int c = 1; c + 1 < corners; ++c) {
        glVertex3fv(part[0]);
        glVertex3fv(part[c]);
        glVertex3fv(part[c + 1]);
      }
      glEnd();
    }
    if (k == contours + 1) DrawIsoLines(tables, entry, 1.0f + kLevelShift);
  }
  glShadeModel(GL_SMOOTH);
}

void DrawNodalResult(const DrawingTables& tables, const ResultEntry& entry, const ResultDisplay& display,
                     const ViewSettings& settings, unsigned texture, bool shaded) {
  const int n = std::max(1, display.contours);
  const bool invert = entry.invert_colours != 0;
  if (shaded) {
    glEnable(GL_LIGHTING);
    glPolygonOffset(kUnderlayOffsetFactor, kUnderlayOffsetUnits);
    DrawGreyFacets(tables, kUnderlayGrey, settings.opacity);
    glPolygonOffset(kBandOffsetFactor, kBandOffsetUnits);
    if (display.texture_contouring)
      DrawTexturedFacets(tables, entry, texture);
    else
      DrawBands(tables, entry, n);
  } else {
    // Without shading: iso-lines at every level, just below and just above it.
    glDisable(GL_LIGHTING);
    for (int k = 0; k <= n + 1; ++k) {
      const float level = static_cast<float>(k) / static_cast<float>(n + 1);
      SetMapColour(level, invert);
      DrawIsoLines(tables, entry, level - kLevelShift);
      DrawIsoLines(tables, entry, level + kLevelShift);
    }
  }
  if (display.draw_contours) {
    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    for (int i = 0; i <= n; ++i) {
      const float level = static_cast<float>(i) / static_cast<float>(n + 1);
      SetMapColour(static_cast<float>(i - 1) / static_cast<float>(n + 1), invert);
      DrawIsoLines(tables, entry, level);
    }
  }
}

// Element colours, one side: every vertex in its element's colour, the whole
// facet grey when its value lies outside the scale.
void DrawElementFacets(const DrawingTables& tables, const ResultEntry& entry, int side, float opacity) {
  const bool invert = entry.invert_colours != 0;
  const ClockwiseFrontFaces front;
  for (const Facet& f : tables.facets) {
    const int count = std::clamp(f.vertex_count, 3, 4);
    const float t = ItemValue(entry, f.element, side);
    glBegin(count == 4 ? GL_QUADS : GL_TRIANGLES);
    glNormal3fv(f.normal);
    for (int k = 0; k < count; ++k) {
      if (InScale(t)) SetMapColour(t, invert, opacity);
      else glColor4f(kOutsideGrey, kOutsideGrey, kOutsideGrey, opacity);
      glVertex3fv(f.vertices[k]);
    }
    glEnd();
  }
}

// An arrow at each element centroid along its vector, as a cone.
void DrawVectorArrows(const MeshModel& model, const ResultEntry& entry, bool shaded) {
  const bool invert = entry.invert_colours != 0;
  for (size_t e = 0; e < entry.items.size() && e < model.elements.size(); ++e) {
    const ResultItem& item = entry.items[e];
    const float magnitude = item.values[3];
    if (item.defined != 1 || !(magnitude > 0.0f)) continue;
    Beam arrow;
    const float length = kArrowScale * magnitude;
    for (int k = 0; k < 3; ++k) {
      arrow.ends[0][k] = model.elements[e].centroid[k];
      arrow.ends[1][k] = arrow.ends[0][k] + length * item.values[k] / magnitude;
    }
    arrow.radius = kArrowRadius;
    // A taper that closes the far end: sin(taper) = -r / sqrt(r^2 + L^2).
    arrow.taper = -std::asin(kArrowRadius / std::sqrt(kArrowRadius * kArrowRadius + length * length));
    const float t = item.values[kNormalisedSlot];
    const Rgb c = InScale(t) ? ColourMap(t, invert) : Rgb{kOutsideGrey, kOutsideGrey, kOutsideGrey};
    arrow.colour[0] = c.r, arrow.colour[1] = c.g, arrow.colour[2] = c.b, arrow.colour[3] = 1.0f;
    DrawBeam(arrow, shaded, false, false, 0);
  }
}

// Highlight records as thick lines between their two points.
void DrawHighlights(const ResultEntry& entry) {
  glDisable(GL_LIGHTING);
  glLineWidth(kHighlightWidth);
  SetMapColour(1.0f, false);
  glBegin(GL_LINES);
  for (const HighlightRecord& h : entry.highlights) {
    glVertex3fv(h.values);
    glVertex3fv(h.values + 3);
  }
  glEnd();
  glLineWidth(1.0f);
}

// Beams by the mean of their two end values, grey when an end is outside.
void DrawResultBeams(const DrawingTables& tables, const MeshModel& model, const ResultEntry& entry, bool shaded) {
  glEnable(GL_LIGHTING);
  const bool invert = entry.invert_colours != 0;
  for (const Beam& b : tables.beams) {
    if (b.kind == kConnector) continue;
    float ends[2] = {-1.0f, -1.0f};
    if (entry.location == kNodalResult && b.element >= 0 && b.element < static_cast<int>(model.elements.size())) {
      const Element& e = model.elements[static_cast<size_t>(b.element)];
      for (int k = 0; k < 2; ++k) ends[k] = NodeValue(entry, e.nodes[k]);
    } else if (entry.location == kElementResult || entry.location == kTwoSidedResult ||
               entry.location == kElementVectorResult) {
      ends[0] = ends[1] = ItemValue(entry, b.element);
    }
    Beam coloured = b;
    const bool inside = InScale(ends[0]) && InScale(ends[1]);
    const Rgb c = inside ? ColourMap(0.5f * (ends[0] + ends[1]), invert) : Rgb{kOutsideGrey, kOutsideGrey, kOutsideGrey};
    coloured.colour[0] = c.r, coloured.colour[1] = c.g, coloured.colour[2] = c.b;
    DrawBeam(coloured, shaded, false, false, 0);
  }
}

}  // namespace

const ResultEntry* ShownEntry(const ResultSource& source, const ViewSettings& settings) {
  if (!settings.show_results || !source.set || !source.display) return nullptr;
  const ResultSet& set = *source.set;
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) return nullptr;
  return &set.entries[static_cast<size_t>(set.current)];
}

void BuildColourTextureGl(unsigned& texture, int contours) {
  const std::vector<unsigned char> texels = BuildColourTexture(contours);
  if (texture == 0) glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_1D, texture);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, 0x812F /* GL_CLAMP_TO_EDGE */);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_T, 0x812F);
  const GLfloat border[4] = {0, 0, 0, 0};
  glTexParameterfv(GL_TEXTURE_1D, GL_TEXTURE_BORDER_COLOR, border);
  gluBuild1DMipmaps(GL_TEXTURE_1D, GL_RGBA, static_cast<GLint>(texels.size() / 4), GL_RGBA, GL_UNSIGNED_BYTE,
                    texels.data());
  glBindTexture(GL_TEXTURE_1D, 0);
}

void DrawResultModel(const DrawingTables& tables, const MeshModel& model, const ResultEntry& entry,
                     const ResultDisplay& display, const ViewSettings& settings, unsigned texture) {
  const bool shaded = SettingsOfRenderMode(settings.render_mode).shaded;
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_POLYGON_OFFSET_FILL);
  DrawResultBeams(tables, model, entry, shaded);
  glEnable(GL_LIGHTING);
  glPolygonOffset(kUnderlayOffsetFactor, kUnderlayOffsetUnits);
  switch (entry.location) {
    case kNodalResult:
      DrawNodalResult(tables, entry, display, settings, texture, shaded);
      break;
    case kElementResult:
      if (shaded) DrawElementFacets(tables, entry, 0, settings.opacity);
      break;
    case kTwoSidedResult:
      if (!shaded) break;
      // Back side from the second value, front side from the first.
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      DrawElementFacets(tables, entry, 1, settings.opacity);
      glCullFace(GL_BACK);
      DrawElementFacets(tables, entry, 0, settings.opacity);
      glDisable(GL_CULL_FACE);
      break;
    case kElementVectorResult:
      if (shaded) DrawGreyFacets(tables, kUnderlayGrey, settings.opacity);
      DrawVectorArrows(model, entry, shaded);
      break;
    case kHighlightResult:
      if (shaded) DrawGreyFacets(tables, kUnderlayGrey, settings.opacity);
      DrawHighlights(entry);
      break;
    default:
      break;  // global results: no facets, only beams and edges
  }
  glEnable(GL_LIGHTING);
}

void DrawLegend(const ViewState& view, const ViewSettings& settings, const ResultSet& set,
                const ResultDisplay& display, unsigned texture) {
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) return;
  const ResultEntry& entry = set.entries[static_cast<size_t>(set.current)];
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-kLegendBox, kLegendBox, -kLegendBox, kLegendBox, -kLegendBox, kLegendBox);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(kLegendViewportX, view.viewport_height / 2 - 200, kLegendViewportWidth, kLegendViewportHeight);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

  // Background square and its frame.
  glColor3f(settings.background[0], settings.background[1], settings.background[2]);
  glBegin(GL_QUADS);
  glVertex3f(0, 0, -5), glVertex3f(79, 0, -5), glVertex3f(79, -79, -5), glVertex3f(0, -79, -5);
  glEnd();
  glColor3fv(settings.foreground);
  glLineWidth(2.0f);
  glBegin(GL_LINE_LOOP);
  glVertex3f(0, 0, 5), glVertex3f(79, 0, 5), glVertex3f(79, -79, 5), glVertex3f(0, -79, 5);
  glEnd();
  glLineWidth(1.0f);

  // Title and scale values.
  glRasterPos3f(1, 5, 0);
  DrawBitmapText("SansSerif", 16, 400, false, entry.short_label);
  const std::vector<double> values = LegendValues(display);
  for (size_t i = 0; i < values.size(); ++i) {
    const float y = kBarBottom + (kBarTop - kBarBottom) * static_cast<float>(i) / static_cast<float>(values.size() - 1);
    glRasterPos3f(25, y, 10);
    DrawBitmapText("SansSerif", 14, 400, false, FormatLegendValue(values[i]));
  }

  // Colour bar.
  const bool invert = entry.invert_colours != 0;
  if (display.texture_contouring) {
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float low = invert ? 1.0f : 0.0f, high = invert ? 0.0f : 1.0f;
    glBegin(GL_QUADS);
    glTexCoord1f(low), glVertex3f(kBarLeft, kBarBottom, 0);
    glTexCoord1f(low), glVertex3f(kBarRight, kBarBottom, 0);
    glTexCoord1f(high), glVertex3f(kBarRight, kBarTop, 0);
    glTexCoord1f(high), glVertex3f(kBarLeft, kBarTop, 0);
    glEnd();
    glDisable(GL_TEXTURE_1D);
  } else {
    const int n = std::max(1, display.contours);
    const float step = (kBarTop - kBarBottom) / static_cast<float>(n + 1);
    glBegin(GL_QUADS);
    for (int i = 0; i <= n; ++i) {
      SetMapColour(static_cast<float>(i) / static_cast<float>(n), invert);
      const float y0 = kBarBottom + step * static_cast<float>(i);
      glVertex3f(kBarLeft, y0, 0), glVertex3f(kBarRight, y0, 0);
      glVertex3f(kBarRight, y0 + step, 0), glVertex3f(kBarLeft, y0 + step, 0);
    }
    glEnd();
  }
  glColor3fv(settings.foreground);
  glBegin(GL_LINE_LOOP);
  glVertex3f(kBarLeft, kBarBottom, 1), glVertex3f(kBarRight, kBarBottom, 1);
  glVertex3f(kBarRight, kBarTop, 1), glVertex3f(kBarLeft, kBarTop, 1);
  glEnd();

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glViewport(0, 0, view.viewport_width, view.viewport_height);
  glEnable(GL_DEPTH_TEST);
}

}  // namespace kv
