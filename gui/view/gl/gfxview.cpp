#include "gui/view/gl/gfxview.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace kv {

ClockwiseFrontFaces::ClockwiseFrontFaces() { glFrontFace(GL_CW); }

ClockwiseFrontFaces::~ClockwiseFrontFaces() { glFrontFace(GL_CCW); }

namespace {

// Polygon offsets that keep edges in front of the filled facets.
constexpr float kFillOffsetFactor = 1.0f, kFillOffsetUnits = 2.0f;
constexpr float kEdgeOffsetFactor = 0.5f, kEdgeOffsetUnits = 1.0f;
constexpr int kBeamSlices = 12;
// Half extent of the triad's own box and the length of its axes (triad units).
constexpr double kTriadBox = 80.0;
constexpr float kTriadAxis = 60.0f;

// Letters of the triad axes: 8 x 7 bitmaps, rows from the bottom.
constexpr GLubyte kLetterX[7] = {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41};
constexpr GLubyte kLetterY[7] = {0x08, 0x08, 0x08, 0x08, 0x14, 0x22, 0x41};
constexpr GLubyte kLetterZ[7] = {0x7F, 0x20, 0x10, 0x08, 0x04, 0x02, 0x7F};

// Pick list offsets from pick_lists.
constexpr int kPickBoundary = 0, kPickBeams = 1, kPickFacets = 2;

void SetLightAndMaterial(const ViewSettings& settings) {
  const GLfloat ambient[4] = {0, 0, 0, 1};
  const GLfloat diffuse[4] = {1, 1, 1, 1};
  const GLfloat specular[4] = {0, 0, 0, 1};
  const GLfloat mat_specular[4] = {0.5f, 0.5f, 0.5f, 1};
  const GLfloat mat_emission[4] = {0.1f, 0.1f, 0.1f, 1};
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glEnable(GL_LIGHT0);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, mat_specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, mat_emission);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64.0f);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glClearColor(settings.background[0], settings.background[1], settings.background[2], settings.background[3]);
}

void DrawFacets(const DrawingTables& tables, float opacity, bool select) {
  if (opacity == 0.0f && !select) return;
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  const ClockwiseFrontFaces front;
  for (size_t i = 0; i < tables.facets.size(); ++i) {
    const Facet& f = tables.facets[i];
    if (select) glLoadName(static_cast<GLuint>(i));
    const int count = std::clamp(f.vertex_count, 3, 4);
    glBegin(count == 4 ? GL_QUADS : GL_TRIANGLES);
    // Flat shading: one normal per facet, each vertex with its own colour.
    glNormal3fv(f.normal);
    for (int k = 0; k < count; ++k) {
      glColor4f(f.colours[k][0], f.colours[k][1], f.colours[k][2], opacity);
      glVertex3fv(f.vertices[k]);
    }
    glEnd();
  }
}

void DrawOutlineLines(const DrawingTables& tables, float width) {
  glLineWidth(width);
  glBegin(GL_LINES);
  for (const Line& l : tables.lines) {
    if (!l.outline) continue;
    glColor3fv(l.colour);
    glVertex3fv(l.ends[0]);
    glVertex3fv(l.ends[1]);
  }
  glEnd();
  glLineWidth(1.0f);
}

void DrawNodes(const MeshModel& model, const DrawingTables& tables, const ViewSettings& settings) {
  glEnable(GL_POINT_SMOOTH);
  glPointSize(2.0f);
  glEnable(GL_DEPTH_TEST);
  glColor3fv(settings.foreground);
  glBegin(GL_POINTS);
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    if (i < tables.node_mask.size() && !tables.node_mask[i]) continue;
    glVertex3f(model.nodes[i].x, model.nodes[i].y, model.nodes[i].z);
  }
  glEnd();
  glDisable(GL_POINT_SMOOTH);
}

GLUquadric* Quadric() {
  static GLUquadric* quadric = gluNewQuadric();
  return quadric;
}

// The model list (or the frame list `list`): beams, facets, edges and nodes
// as the render mode asks.
void CompileModelList(GfxState& gfx, const ViewSettings& settings, MeshModel& model, unsigned list) {
  const RenderModeSettings mode = SettingsOfRenderMode(settings.render_mode);
  DrawingTables& t = gfx.tables;
  glNewList(list, GL_COMPILE);
  const ResultEntry* entry = ShownEntry(gfx.results, settings);
  if (entry) {
    DrawResultModel(t, model, *entry, *gfx.results.display, settings, gfx.colour_texture);
  } else if (!mode.shaded) {
    // Unshaded: beams other than connectors as line cylinders.
    glEnable(GL_LIGHTING);
    for (const Beam& b : t.beams) {
      if (b.kind != kConnector) DrawBeam(b, false, false, false, 0);
    }
  } else {
    glPolygonOffset(kFillOffsetFactor, kFillOffsetUnits);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    for (const Beam& b : t.beams) {
      if (b.kind != kConnector) DrawBeam(b, true, false, false, 0);
    }
    if (settings.opacity < 1.0f) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glEnable(GL_ALPHA_TEST);
    } else {
      glDisable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
    }
    DrawFacets(t, settings.opacity, false);
  }
  if (mode.edges == kEdgesFacet) {
    glPolygonOffset(kEdgeOffsetFactor, kEdgeOffsetUnits);
    glDisable(GL_LIGHTING);
    DrawNodes(model, t, settings);
    ClassifyOutlines(t, model, -1.0);
    DrawOutlineLines(t, 1.0f);
  } else if (mode.edges == kEdgesSurface) {
    glPolygonOffset(kEdgeOffsetFactor, kEdgeOffsetUnits);
    glDisable(GL_LIGHTING);
    ClassifyOutlines(t, model, kOutlineAngle);
    DrawOutlineLines(t, 1.0f);
  }
  glEndList();
  // The flags that selection walks read are those of the surface edges.
  ClassifyOutlines(t, model, kOutlineAngle);
}

// The list that shows the current picture: the model list, or during a limit
// sweep the frame's list, compiled from the current state the first time the
// frame is shown and replayed after that; frames beyond the block are
// compiled into the model list each time.
unsigned SweepFrameList(GfxState& gfx, const ViewSettings& settings, MeshModel& model) {
  if (gfx.sweep_frame < 0 || !gfx.generated || !gfx.results.set || !gfx.results.display) return gfx.model_list;
  switch (UseFrameList(gfx.frame_cache, gfx.sweep_frame, *gfx.results.set, *gfx.results.display)) {
    case kReplayFrameList:
      return gfx.frame_lists + static_cast<unsigned>(gfx.sweep_frame);
    case kCompileFrameList:
      CompileModelList(gfx, settings, model, gfx.frame_lists + static_cast<unsigned>(gfx.sweep_frame));
      ++gfx.frames_compiled;
      return gfx.frame_lists + static_cast<unsigned>(gfx.sweep_frame);
    default:
      CompileModelList(gfx, settings, model, gfx.model_list);
      return gfx.model_list;
  }
}

// Glyphs of the frame's boundary records on the current model.
std::vector<BoundaryGlyph> BoundaryGlyphsOf(const GfxState& gfx, const MeshModel& model) {
  if (gfx.analysis == nullptr) return {};
  return ComputeBoundaryGlyphs(model, gfx.analysis->node_boundaries, gfx.analysis->face_boundaries,
                               gfx.editing_boundary);
}

void CompilePickLists(GfxState& gfx, const MeshModel& model) {
  // Boundary conditions, each with its record identifier as pick name.
  glNewList(gfx.pick_lists + kPickBoundary, GL_COMPILE);
  DrawBoundaryConditions(BoundaryGlyphsOf(gfx, model), true, true);
  glEndList();
  glNewList(gfx.pick_lists + kPickBeams, GL_COMPILE);
  for (size_t i = 0; i < gfx.tables.beams.size(); ++i) {
    DrawBeam(gfx.tables.beams[i], true, false, true, static_cast<unsigned>(i));
  }
  glEndList();
  glNewList(gfx.pick_lists + kPickFacets, GL_COMPILE);
  DrawFacets(gfx.tables, 1.0f, true);
  glEndList();
}

// Glyph bitmaps of one font, rasterised once and kept for later draws.
struct Glyph {
  int width = 0, height = 0, advance = 0, descent = 0;
  std::vector<GLubyte> bits;  // rows bottom-up, most significant bit first, byte-aligned
};

using FontKey = std::tuple<std::string, int, int, bool>;

const std::vector<Glyph>& GlyphsOf(const std::string& face, int height, int weight, bool italic) {
  static std::map<FontKey, std::vector<Glyph>> cache;
  const FontKey key{face, height, weight, italic};
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  QFont font(QString::fromStdString(face));
  font.setPixelSize(std::max(1, height));
  font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
  font.setItalic(italic);
  font.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics metrics(font);
  std::vector<Glyph> glyphs(256);
  for (int c = 0; c < 256; ++c) {
    Glyph& g = glyphs[static_cast<size_t>(c)];
    const QChar ch = QChar::fromLatin1(static_cast<char>(c));
    g.advance = c < 32 ? 0 : metrics.horizontalAdvance(ch);
    g.height = metrics.height();
    g.descent = metrics.descent();
    // Italic glyphs lean past their advance; give them room on the right.
    g.width = g.advance > 0 ? g.advance + (italic ? height / 3 : 0) : 0;
    if (g.width == 0 || g.height == 0) continue;
    QImage image(g.width, g.height, QImage::Format_Grayscale8);
    image.fill(0);
    {
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Qt::white);
      painter.drawText(0, metrics.ascent(), QString(ch));
    }
    const int row_bytes = (g.width + 7) / 8;
    g.bits.assign(static_cast<size_t>(row_bytes) * static_cast<size_t>(g.height), 0);
    for (int y = 0; y < g.height; ++y) {
      const uchar* line = image.constScanLine(g.height - 1 - y);
      for (int x = 0; x < g.width; ++x) {
        if (line[x] >= 128) g.bits[static_cast<size_t>(y * row_bytes + x / 8)] |= static_cast<GLubyte>(0x80 >> (x % 8));
      }
    }
  }
  return cache.emplace(key, std::move(glyphs)).first->second;
}

}  // namespace

void InitViewGl(GfxState& gfx, const ViewSettings& settings) {
  if (!gfx.generated) {
    gfx.model_list = glGenLists(1);
    gfx.frame_lists = glGenLists(kResultFrameLists);
    gfx.pick_lists = glGenLists(kPickListCount);
    gfx.generated = true;
  }
  gfx.lists_compiled = false;
  SetLightAndMaterial(settings);
}

void ReleaseGfx(GfxState& gfx) {
  if (!gfx.generated) return;
  glDeleteLists(gfx.model_list, 1);
  glDeleteLists(gfx.frame_lists, kResultFrameLists);
  glDeleteLists(gfx.pick_lists, kPickListCount);
  if (gfx.colour_texture) glDeleteTextures(1, &gfx.colour_texture);
  gfx.colour_texture = 0;
  gfx.texture_contours = -1;
  gfx.model_list = gfx.frame_lists = gfx.pick_lists = 0;
  gfx.generated = false;
  gfx.lists_compiled = false;
}

void SetProjectionGl(ViewState& view) {
  ProjectionBox box;
  if (!ComputeProjection(view, &box)) return;
  glViewport(0, 0, view.viewport_width, view.viewport_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(box.left, box.right, box.bottom, box.top, box.near_plane, box.far_plane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void BuildDisplayLists(GfxState& gfx, const ViewSettings& settings, MeshModel& model) {
  RefreshVisibility(model, settings.categories);
  DrawingOptions options;
  options.opacity = settings.opacity;
  std::copy(settings.foreground, settings.foreground + 3, options.foreground);
  BuildDrawingTables(model, options, gfx.tables);
  if (!gfx.generated) return;
  // The colour texture is made outside the list (texture uploads do not run
  // while a list is compiled).
  if (gfx.results.display && gfx.texture_contours != gfx.results.display->contours) {
    BuildColourTextureGl(gfx.colour_texture, gfx.results.display->contours);
    gfx.texture_contours = gfx.results.display->contours;
  }
  CompileModelList(gfx, settings, model, gfx.model_list);
  CompilePickLists(gfx, model);
  gfx.lists_compiled = true;
}

void RenderFrame(GfxState& gfx, ViewState& view, const ViewSettings& settings, MeshModel& model) {
  if (view.viewport_width <= 0 || view.viewport_height <= 0) return;
  SetProjectionGl(view);
  glClearColor(settings.background[0], settings.background[1], settings.background[2], settings.background[3]);
  // Camera: pan, the light fixed to the viewer, rotation, then the centre shift.
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(view.pan[0], view.pan[1], view.pan[2]);
  glLightfv(GL_LIGHT0, GL_POSITION, view.light_position);
  glMultMatrixf(view.rotation_matrix);
  glTranslatef(view.centre_shift[0], view.centre_shift[1], view.centre_shift[2]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  // The transforms of this frame, for the picks that follow it.
  glGetDoublev(GL_MODELVIEW_MATRIX, gfx.projection.modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, gfx.projection.projection);
  glGetIntegerv(GL_VIEWPORT, gfx.projection.viewport);
  // Tables and lists follow the model and the settings when marked invalid.
  if (!view.lists_valid || !gfx.lists_compiled) {
    BuildDisplayLists(gfx, settings, model);
    ForgetFrameLists(gfx.frame_cache);
    view.lists_valid = true;
  }
  glCallList(SweepFrameList(gfx, settings, model));
  if (!gfx.overlays) {
    glFlush();
    return;
  }
  DrawSelection(gfx, model);
  // Boundary-condition glyphs after the model, drawn directly since they are few.
  if (settings.boundary_conditions) {
    const std::vector<BoundaryGlyph> glyphs = BoundaryGlyphsOf(gfx, model);
    if (!glyphs.empty()) {
      glEnable(GL_LIGHTING);
      glEnable(GL_DEPTH_TEST);
      glDisable(GL_BLEND);
      DrawBoundaryConditions(glyphs, SettingsOfRenderMode(settings.render_mode).shaded, false);
    }
  }
  if (settings.triad) {
    glDisable(GL_LIGHTING);
    DrawTriad(view, settings);
  }
  if (settings.legend && ShownEntry(gfx.results, settings)) {
    DrawLegend(view, settings, *gfx.results.set, *gfx.results.display, gfx.colour_texture);
  }
  DrawTitleLogo(view, "KAVITRON");
  glFlush();
}

void DrawSelection(const GfxState& gfx, const MeshModel& model) {
  if (!gfx.selection || !gfx.selection_tables) return;
  const Selection& sel = *gfx.selection;
  const DrawingTables& t = *gfx.selection_tables;
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDepthFunc(GL_LEQUAL);
  // Over the model's own facets: pulled a little towards the viewer.
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(-1.0f, -1.0f);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColor3fv(kSelectionColour);
  for (int f : sel.facets) {
    if (f < 0 || f >= static_cast<int>(t.facets.size())) continue;
    const Facet& facet = t.facets[f];
    glBegin(facet.vertex_count == 4 ? GL_QUADS : GL_TRIANGLES);
    glNormal3fv(facet.normal);
    for (int i = 0; i < facet.vertex_count && i < 4; ++i) glVertex3fv(facet.vertices[i]);
    glEnd();
  }
  glDisable(GL_POLYGON_OFFSET_FILL);
  for (int b : sel.beams)
    if (b >= 0 && b < static_cast<int>(t.beams.size())) DrawBeam(t.beams[b], false, true, false, 0);
  glEnable(GL_POINT_SMOOTH);
  glPointSize(4.0f);
  glColor3fv(kSelectionColour);
  glBegin(GL_POINTS);
  for (int v : sel.nodes)
    if (v >= 0 && v < static_cast<int>(model.nodes.size())) glVertex3f(model.nodes[v].x, model.nodes[v].y, model.nodes[v].z);
  glEnd();
  const int h = sel.hovered_node;
  if (h >= 0 && h < static_cast<int>(model.nodes.size())) {
    glDisable(GL_DEPTH_TEST);
    glPointSize(8.0f);
    glBegin(GL_POINTS);
    glVertex3f(model.nodes[h].x, model.nodes[h].y, model.nodes[h].z);
    glEnd();
    glPointSize(4.0f);
    glColor3f(1, 1, 1);
    glBegin(GL_POINTS);
    glVertex3f(model.nodes[h].x, model.nodes[h].y, model.nodes[h].z);
    glEnd();
    glEnable(GL_DEPTH_TEST);
  }
  glPointSize(1.0f);
  glDisable(GL_POINT_SMOOTH);
  int ends[2];
  const int count = static_cast<int>(model.nodes.size());
  if (gfx.rubber_line && gfx.rubber_line(ends) && ends[0] >= 0 && ends[0] < count && ends[1] >= 0 &&
      ends[1] < count) {
    // Over the model, so that it stays visible behind facets.
    glDisable(GL_DEPTH_TEST);
    glLineWidth(2.0f);
    glColor3fv(kSelectionColour);
    glBegin(GL_LINES);
    for (int k = 0; k < 2; ++k) glVertex3f(model.nodes[ends[k]].x, model.nodes[ends[k]].y, model.nodes[ends[k]].z);
    glEnd();
    glLineWidth(1.0f);
    glEnable(GL_DEPTH_TEST);
  }
  glDepthFunc(GL_LESS);
}

void DrawBeam(const Beam& beam, bool shaded, bool highlighted, bool select, unsigned name) {
  const BeamCylinder c = ComputeBeamCylinder(beam);
  if (c.length <= 0) return;
  if (select) glLoadName(name);
  GLUquadric* q = Quadric();
  glPushMatrix();
  glTranslatef(beam.ends[0][0], beam.ends[0][1], beam.ends[0][2]);
  glRotatef(c.angle_degrees, c.axis[0], c.axis[1], c.axis[2]);
  if (shaded || select) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (highlighted) {
      glColor4f(kSelectionColour[0], kSelectionColour[1], kSelectionColour[2], 1.0f);
    } else {
      glColor4fv(beam.colour);
    }
    gluCylinder(q, c.base_radius, c.top_radius, c.length, kBeamSlices, 1);
    // Disks close both ends.
    gluDisk(q, 0.0, c.base_radius, kBeamSlices, 1);
    glTranslatef(0, 0, c.length);
    gluDisk(q, 0.0, c.top_radius, kBeamSlices, 1);
  } else {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor4fv(highlighted ? kSelectionColour : beam.colour);
    gluCylinder(q, c.base_radius, c.top_radius, c.length, kBeamSlices, 1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  }
  glPopMatrix();
}

void DrawBoundaryConditions(const std::vector<BoundaryGlyph>& glyphs, bool shaded, bool select) {
  GLUquadric* q = Quadric();
  glPolygonMode(GL_FRONT_AND_BACK, shaded || select ? GL_FILL : GL_LINE);
  for (const BoundaryGlyph& g : glyphs) {
    if (select) glLoadName(static_cast<unsigned>(g.name));
    glColor4f(g.colour[0], g.colour[1], g.colour[2], 1.0f);
    glPushMatrix();
    glTranslatef(g.position[0], g.position[1], g.position[2]);
    if (g.shape == kGlyphSphere) {
      gluSphere(q, kGlyphSphereRadius, kGlyphSubdivisions, kGlyphSubdivisions);
    } else {
      // Cone along z turned onto the face normal.
      glRotatef(g.angle_degrees, g.axis[0], g.axis[1], g.axis[2]);
      if (g.shape == kGlyphInletCone) {
        // Tip on the face, the open end at the glyph height closed by a disk.
        gluCylinder(q, 0.0, kGlyphConeRadius, kGlyphConeHeight, kGlyphSubdivisions, kGlyphSubdivisions);
        glTranslatef(0, 0, kGlyphConeHeight);
        gluDisk(q, 0.0, kGlyphConeRadius, kGlyphSubdivisions, kGlyphSubdivisions);
      } else {
        // Base on the face closed by a disk, the tip at the glyph height.
        gluCylinder(q, kGlyphConeRadius, 0.0, kGlyphConeHeight, kGlyphSubdivisions, kGlyphSubdivisions);
        gluDisk(q, 0.0, kGlyphConeRadius, kGlyphSubdivisions, kGlyphSubdivisions);
      }
    }
    glPopMatrix();
  }
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void DrawTriad(const ViewState& view, const ViewSettings& settings) {
  const int size = static_cast<int>(kTriadViewportPixels);
  glViewport(view.viewport_width - size, 0, size, size);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-kTriadBox, kTriadBox, -kTriadBox, kTriadBox, -kTriadBox, kTriadBox);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixf(view.rotation_matrix);
  glColor3fv(settings.foreground);
  glDisable(GL_DEPTH_TEST);
  glLineWidth(1.0f);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glBegin(GL_LINES);
  glVertex3f(0, 0, 0); glVertex3f(kTriadAxis, 0, 0);
  glVertex3f(0, 0, 0); glVertex3f(0, kTriadAxis, 0);
  glVertex3f(0, 0, 0); glVertex3f(0, 0, kTriadAxis);
  glEnd();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glRasterPos3f(kTriadAxis, 0, 0);
  glBitmap(8, 7, 0, 0, 0, 0, kLetterX);
  glRasterPos3f(0, kTriadAxis, 0);
  glBitmap(8, 7, 0, 0, 0, 0, kLetterY);
  glRasterPos3f(0, 0, kTriadAxis);
  glBitmap(8, 7, 0, 0, 0, 0, kLetterZ);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_DEPTH_TEST);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glViewport(0, 0, view.viewport_width, view.viewport_height);
}

void DrawBitmapText(const std::string& face, int height, int weight, bool italic, const std::string& text) {
  const std::vector<Glyph>& glyphs = GlyphsOf(face, height, weight, italic);
  // 256 lists, one per character code, for this draw only.
  const GLuint base = glGenLists(256);
  if (base == 0) return;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int c = 0; c < 256; ++c) {
    const Glyph& g = glyphs[static_cast<size_t>(c)];
    glNewList(base + static_cast<GLuint>(c), GL_COMPILE);
    glBitmap(g.width, g.height, 0.0f, static_cast<GLfloat>(g.descent), static_cast<GLfloat>(g.advance), 0.0f,
             g.bits.empty() ? nullptr : g.bits.data());
    glEndList();
  }
  glListBase(base);
  glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
  glListBase(0);
  glDeleteLists(base, 256);
}

void DrawTitleLogo(const ViewState& view, const std::string& title) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_ALPHA_TEST);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(0, 0, 50, 50);
  glColor4f(0.0f, 0.0f, 1.0f, 0.8f);
  glRasterPos3f(0.0f, 0.0f, 0.0f);
  DrawBitmapText("Arial", 50, 700, true, title);
  glPopMatrix();
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glEnable(GL_DEPTH_TEST);
  glViewport(0, 0, view.viewport_width, view.viewport_height);
}

void ReadPixelsRgba(const ViewState& view, int* width, int* height, std::vector<unsigned char>* rgba) {
  *width = view.viewport_width / 4 * 4;
  *height = view.viewport_height;
  rgba->clear();
  if (*width <= 0 || *height <= 0) return;
  rgba->resize(static_cast<size_t>(*width) * static_cast<size_t>(*height) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, *width, *height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
}

}  // namespace kv
