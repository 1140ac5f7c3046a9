#pragma once
// Boundary-condition glyphs of the model view: which shape, colour, position
// and turn each node or face boundary record is drawn with. Display-free; the
// OpenGL layer draws the glyphs as quadrics.

#include <vector>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"

namespace kv {

enum GlyphShape : int {
  kGlyphSphere = 0,     // node inlet or potential inlet
  kGlyphInletCone = 1,  // tip on the face, open end (closed by a disk) along the normal
  kGlyphOutletCone = 2, // base (closed by a disk) on the face, tip along the normal
};

inline constexpr float kGlyphSphereRadius = 0.001f;  // model units
inline constexpr float kGlyphConeRadius = 0.002f;    // model units
inline constexpr float kGlyphConeHeight = 0.005f;    // model units
inline constexpr int kGlyphSubdivisions = 16;        // slices and stacks of every quadric

// One glyph to draw.
struct BoundaryGlyph {
  int shape = kGlyphSphere;
  float colour[3] = {0, 0, 0};
  float position[3] = {0, 0, 0};  // node position or face centre, model units
  float axis[3] = {0, 1, 0};      // rotation axis taking z onto the face normal (cones)
  float angle_degrees = 0;        // rotation angle about `axis`
  int name = 0;                   // the record's identifier (pick name)
};

// Glyphs of the node records (types 2 and 3, `entity` a 0-based node index)
// and the face records (types 4 and 10, `entity` a 0-based index into
// model.faces). The record whose identifier is `editing` (-1: none) takes the
// selection colour. Records of another type or naming a node or face that
// does not exist are left out.
std::vector<BoundaryGlyph> ComputeBoundaryGlyphs(const MeshModel& model,
                                                 const std::vector<BoundaryRecord>& node_boundaries,
                                                 const std::vector<BoundaryRecord>& face_boundaries,
                                                 int editing);

// Turn of a cone from the z axis onto the unit normal `n`: axis z x n and the
// angle between z and n in degrees; the y axis when n is parallel to z (the
// angle is then 0 or 180). A zero normal gives no turn.
void ConeTurn(const float n[3], float axis[3], float* angle_degrees);

}  // namespace kv
