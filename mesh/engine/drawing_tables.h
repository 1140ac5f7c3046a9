#pragma once
// The drawing tables of the 3D view, derived from the mesh model without any
// display: the surface facets, their sides (lines) with the outline flags, the
// beams and the node mask.
//
// The renderer compiles its display lists from these tables; selection walks
// use the facet marks and the outline flags; the surface-mesh export of the
// Gmsh writer grows its surface regions across the non-outline sides.
// Indices are 0-based; coordinates are the nodes' floats in metres.

#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// Which categories of the View menu are shown.
struct ViewCategories {
  bool runners = true;  // 1 Cold runner, 2 Hot runner
  bool part = true;     // 9 Part runner, 10 Part surface, 11 Part dual surface, 12 Part volume
  bool cooling = true;  // 3 Cooling channel, 4 Cooling surface
  bool mold = true;     // 5 Mold surface
};

// One surface facet: a face record of a visible element with no partner face.
struct Facet {
  int shape = 2;                    // 2 triangle, 3 quadrangle
  int element = -1;                 // owning element index
  int face = -1;                    // face record index it was copied from
  int vertex_count = 3;             // 3 or 4
  int nodes[4] = {-1, -1, -1, -1};  // node index of each vertex
  float vertices[4][3] = {};        // vertex positions, m
  int lines[4] = {-1, -1, -1, -1};  // line index of the side from vertex i to vertex i+1
  float values[4] = {};             // normalised result value per vertex (0..1)
  float colours[4][4] = {};         // RGBA per vertex
  float normal[3] = {};             // unit facet normal
  char mark = '?';                  // selection walk mark: '?', 's', 'd'
  int property_code = 0;            // category code of the owning element
};

// One facet side. An interior side is present twice, once per facet.
struct Line {
  int outline = 0;         // 1 when drawn as an outline edge
  float ends[2][3] = {};   // end points, m
  int facet = -1;          // facet that owns this side
  int twin = -1;           // line of the neighbouring facet on the same end points, -1 on a free edge
  float colour[3] = {};    // RGB
};

// One visible beam element.
struct Beam {
  int element = -1;        // element index
  float ends[2][3] = {};   // end points, m
  float values[2] = {};    // normalised result value per end (0..1)
  float colour[4] = {};    // RGBA
  float radius = 0;        // m, half the diameter
  float taper = 0;         // radians; widens (> 0) or narrows (< 0) the far end
  int kind = 0;            // category code of the element
  char mark = '?';         // selection walk mark
};

struct DrawingTables {
  std::vector<Facet> facets;
  std::vector<Line> lines;
  std::vector<Beam> beams;
  std::vector<unsigned char> node_mask;  // per node: 1 unless it belongs to a hidden element
};

// What the tables are coloured with.
struct DrawingOptions {
  float opacity = 1.0f;                        // alpha of every facet and beam colour
  float foreground[3] = {0.0f, 0.0f, 0.0f};    // colour of the lines (black at start)
  // Optional result frame: one normalised value (0..1) per node, copied to the
  // facet vertices and beam ends. Null or of another size: all values 0.
  const std::vector<float>* node_values = nullptr;
};

// True when elements of category `code` are shown under `shown`: code 0
// (Connector) always, codes 6 to 8 and unknown codes never.
bool IsCategoryShown(int code, const ViewCategories& shown);

// Sets every element's `visible` flag from the category flags.
void RefreshVisibility(MeshModel& model, const ViewCategories& shown);

// Model colours (results not shown) of a facet and of a beam of category `code`, RGB.
void FacetColour(int code, float rgb[3]);
void BeamColour(int code, float rgb[3]);

// Rebuilds the facet, line and beam tables and the node mask from the model.
//   Facets: every face record whose owning element is visible and whose
//   partner is -1, in face order, with the owner's category as property code.
//   Lines: one per facet side, twinned with the side of another facet that
//   runs between the same two points (either direction); a side shared by more
//   than two facets is twinned with the first unmatched one. Outline flags are
//   left 0: call ClassifyOutlines.
//   Beams: every visible element of type 1 with two valid nodes.
// Faces or elements that name nodes outside the node table are left out.
void BuildDrawingTables(const MeshModel& model, const DrawingOptions& options,
                        DrawingTables& tables);

// Sets every line's outline flag for the outline angle `angle` (degrees):
//   a free edge (no twin) is an outline; otherwise, with phi the angle between
//   the two facet normals, the line is an outline when angle <= |phi| <= 180 - angle;
//   for angle > 0 a side between two triangular facets of shell elements
//   (element type 2 or 3) is also an outline when their thicknesses differ by
//   20 % or more of the larger one. An angle of -1 marks every line.
// `model` gives the element types and thicknesses of the facets' owners.
void ClassifyOutlines(DrawingTables& tables, const MeshModel& model, double angle);

// Radius of the far end of a beam: r + sin(taper)*sqrt(r^2 + L^2), the taper
// taken as 0 unless it lies within +-0.7853982 rad (45 degrees). Metres.
float BeamFarRadius(const Beam& beam);

}  // namespace kv
