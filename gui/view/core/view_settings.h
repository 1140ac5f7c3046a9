#pragma once
// What the 3D view shows: render mode, category visibility, colours, opacity
// and the other flags of the View menu, and the decisions drawn from them
// (which elements and nodes are visible, which colour a facet or beam takes).

#include "mesh/engine/drawing_tables.h"

namespace kv {

// The five render modes of View > Render and the toolbar, in menu order.
enum RenderMode : int {
  kSurfaceWireframe = 0,
  kFacetWireframe = 1,
  kShade = 2,
  kSurfaceOutline = 3,
  kFacetOutline = 4,
};

// Which edges a render mode draws.
enum EdgeKind : int {
  kEdgesNone = 0,
  kEdgesSurface = 1,  // outline edges at 50 degrees
  kEdgesFacet = 2,    // every facet side, plus the nodes
};

struct RenderModeSettings {
  bool shaded = true;
  int edges = kEdgesSurface;
};

// The two settings of a render mode (Shade: shaded, no edges; ...).
RenderModeSettings SettingsOfRenderMode(int mode);

// Pick modes of the Select menu (the picking itself is another module's).
enum PickMode : int { kPickVertex = 0, kPickLine, kPickFacet, kPickPlane, kPickSurface, kPickShell };

// Units of the displayed results.
enum UnitsSystem : int { kUnitsMetric = 1, kUnitsEnglish = 2 };

// Outline angle of the surface edges, degrees.
inline constexpr float kOutlineAngle = 50.0f;

// Every flag of the View menu that changes the picture, with its start value.
struct ViewSettings {
  int render_mode = kSurfaceOutline;
  int pick_mode = kPickFacet;
  int units = kUnitsMetric;
  float opacity = 1.0f;                         // alpha of facets and beams, 0..1
  float background[4] = {1, 1, 1, 1};           // RGBA, white
  float foreground[3] = {0, 0, 0};              // RGB, black: lines, nodes, triad
  bool triad = true;
  bool legend = true;
  bool show_results = false;
  bool boundary_conditions = true;
  ViewCategories categories;
  bool zoom_window_armed = false;
};

// Colour of selected items (RGB).
inline constexpr float kSelectionColour[3] = {1.0f, 0.0f, 0.5f};

// Beam as a tapered cylinder along z, turned onto its axis.
struct BeamCylinder {
  float length = 0;          // |end2 - end1|, model units
  float base_radius = 0;     // at end 1
  float top_radius = 0;      // at end 2: r + sin(taper) sqrt(r^2 + L^2)
  float axis[3] = {1, 0, 0}; // rotation axis z x d (x axis when d is along z)
  float angle_degrees = 0;   // rotation angle from z onto d
};

// Geometry of a beam of the drawing tables: its length, the radii at both
// ends (the taper beyond +-45 degrees ignored) and the turn from z onto it.
BeamCylinder ComputeBeamCylinder(const Beam& beam);

}  // namespace kv
