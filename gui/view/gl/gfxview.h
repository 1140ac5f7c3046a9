#pragma once
// OpenGL 1.1 rendering of the 3D view: the constant light and material state,
// the projection, the composition of one frame, the model display list and
// the pick lists, beams as quadric cylinders, the orientation triad, the title
// logo and bitmap text from a real font. Needs a current OpenGL context; the
// decisions (camera, tables, visibility, colours) come from gui/view/core.

#include <functional>
#include <string>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"
#include "gui/view/core/boundary_glyphs.h"
#include "gui/view/core/camera.h"
#include "gui/view/core/picking.h"
#include "gui/view/core/selection.h"
#include "gui/view/core/view_settings.h"
#include "gui/view/gl/result_view.h"
#include "mesh/engine/drawing_tables.h"

namespace kv {

// Display lists and derived tables of one OpenGL context.
struct GfxState {
  unsigned model_list = 0;        // the model as shown
  unsigned frame_lists = 0;       // first of the 32 result-frame lists
  unsigned pick_lists = 0;        // first of the 3 pick lists: boundary conditions, beams, facets
  DrawingTables tables;
  bool generated = false;         // lists generated in the current context
  bool lists_compiled = false;    // model and pick lists hold the current tables
  const AnalysisSettings* analysis = nullptr;  // source of the boundary records, owned by the frame
  int editing_boundary = -1;      // identifier of the boundary record being edited, -1 none
  // The selection to highlight, indexing `selection_tables` (both owned by
  // the frame; nullptr: none), and the transforms of the last frame drawn.
  const Selection* selection = nullptr;
  const DrawingTables* selection_tables = nullptr;
  // The two nodes (0-based) of the rubber line of a command picking a pair
  // of nodes; false when none is shown (empty: never).
  std::function<bool(int ends[2])> rubber_line;
  ScreenProjection projection;
  ResultSource results;           // the frame's result set and display state
  unsigned colour_texture = 0;    // the result scale's 1D texture, 0 before it exists
  int texture_contours = -1;      // N the texture was built for
  // False while a picture is drawn for a measurement: the model alone, without
  // highlights, triad, legend and title, whose pixels are no part of it.
  bool overlays = true;
  // The limit-sweep frame shown from the block of frame lists, -1 for the
  // model list; which frame lists hold their frame, and how many frames have
  // been compiled into them so far (a measure of the cache's use).
  int sweep_frame = -1;
  FrameListCache frame_cache;
  int frames_compiled = 0;
};

// Draws the selected facets filled, the selected nodes as points and the
// selected beams as cylinders in the highlight colour, the hovered node as a
// point of size 8 in the highlight colour with a white point of size 4, and
// the rubber line (width 2, highlight colour) when one is shown.
void DrawSelection(const GfxState& gfx, const MeshModel& model);

inline constexpr int kResultFrameLists = 32;
inline constexpr int kPickListCount = 3;
inline constexpr float kTriadViewportPixels = 100.0f;

// While alive, OpenGL takes clockwise polygons as front-facing. Facets carry
// the face-record normal (p3 - p1) x (p2 - p1), so their vertices run
// clockwise seen from the side the normal points to; drawing them in this
// scope makes that side the front for two-sided lighting and face culling.
struct ClockwiseFrontFaces {
  ClockwiseFrontFaces();
  ~ClockwiseFrontFaces();
  ClockwiseFrontFaces(const ClockwiseFrontFaces&) = delete;
  ClockwiseFrontFaces& operator=(const ClockwiseFrontFaces&) = delete;
};

// Generates the display lists and sets the clear colour and the light and
// material constants. Runs once after the context is made current.
void InitViewGl(GfxState& gfx, const ViewSettings& settings);

// Deletes the display lists (File > New and the end of the context).
void ReleaseGfx(GfxState& gfx);

// Viewport and orthographic projection of `view` (nothing for an empty
// viewport); leaves the model-view matrix the identity.
void SetProjectionGl(ViewState& view);

// Draws one complete frame into the current framebuffer, in the order of the
// view's composition: camera transform, clear, tables and lists rebuilt when
// invalid, model list, triad, title logo. `model`'s visible flags are
// refreshed from the categories when the lists are rebuilt.
void RenderFrame(GfxState& gfx, ViewState& view, const ViewSettings& settings, MeshModel& model);

// Rebuilds the drawing tables and compiles the model list and the pick lists.
void BuildDisplayLists(GfxState& gfx, const ViewSettings& settings, MeshModel& model);

// One beam as a 12-sided cylinder (with end disks when shaded).
//   highlighted: drawn in the selection colour; select: loads `name` as its pick name.
void DrawBeam(const Beam& beam, bool shaded, bool highlighted, bool select, unsigned name);

// The boundary-condition glyphs of `glyphs`: spheres and cones of 16 x 16
// subdivisions, filled when `shaded` (or `select`), lines otherwise;
// select: loads each glyph's record identifier as its pick name.
void DrawBoundaryConditions(const std::vector<BoundaryGlyph>& glyphs, bool shaded, bool select);

// The orientation triad in the lower right corner.
void DrawTriad(const ViewState& view, const ViewSettings& settings);

// The window title in the lower left corner.
void DrawTitleLogo(const ViewState& view, const std::string& title);

// Draws `text` at the current raster position with glyph bitmaps of the font
// `face` (pixel height, weight 400 normal / 700 bold, italic) compiled into
// 256 display lists for the call and deleted again.
void DrawBitmapText(const std::string& face, int height, int weight, bool italic, const std::string& text);

// Reads the current framebuffer as RGBA bytes, rows bottom-up, from (0, 0);
// the width is rounded down to a multiple of 4 pixels.
void ReadPixelsRgba(const ViewState& view, int* width, int* height, std::vector<unsigned char>* rgba);

}  // namespace kv
