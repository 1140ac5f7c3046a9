#pragma once
// OpenGL drawing of results on the model: nodal entries through the
// one-dimensional colour texture (or iso-lines in the unshaded render modes),
// element and two-sided element colours, vector arrows and highlight lines,
// beams by the mean of their ends, and the legend. The values come normalised
// from UpdateCurrentFrame (gui/view/core/result_display.h).

#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"
#include "gui/view/core/camera.h"
#include "gui/view/core/result_display.h"
#include "gui/view/core/view_settings.h"
#include "mesh/engine/drawing_tables.h"

namespace kv {

// The frame's result set and display state, as the view reads them.
struct ResultSource {
  const ResultSet* set = nullptr;
  const ResultDisplay* display = nullptr;
};

// The entry to draw: the current entry when results are shown, else null.
const ResultEntry* ShownEntry(const ResultSource& source, const ViewSettings& settings);

// Builds (or rebuilds for a new N) the colour texture in `texture` (0: a new
// texture name is generated): N + 1 texels, mipmaps, nearest filtering,
// clamped to the edge, border colour (0, 0, 0, 0).
void BuildColourTextureGl(unsigned& texture, int contours);

// Draws the model coloured by `entry` (into the list being compiled): facets,
// beams and glyphs; edges and nodes are the caller's.
void DrawResultModel(const DrawingTables& tables, const MeshModel& model, const ResultEntry& entry,
                     const ResultDisplay& display, const ViewSettings& settings, unsigned texture);

// The legend over the view: title, colour bar and scale values.
void DrawLegend(const ViewState& view, const ViewSettings& settings, const ResultSet& set,
                const ResultDisplay& display, unsigned texture);

}  // namespace kv
