#pragma once
// Inside the command interpreter: the shared step helpers and one step
// function per group of commands. Only the interpreter's own files include
// this header.

#include <string>
#include <vector>

#include "gui/shell/core/interpreter.h"

namespace kv {

// Interpreted command codes.
enum CommandCode : int {
  kCodeRotationCentre = 1,
  kCodeQueryNode = 2,
  kCodeQueryFace = 3,
  kCodeQueryElement = 4,
  kCodeValueAtCursor = 5,
  kCodeValueTimesArea = 6,
  kCodeElementPlot = 7,
  kCodeDistance = 8,
  kCodeRadius = 9,
  kCodeAngle = 10,
  kCodeArea = 11,
  kCodeProjectedArea = 12,
  kCodePotentialInlet = 13,
  kCodeInletNodes = 14,
  kCodeInletFaces = 15,
  kCodeOutletFaces = 16,
  kCodeAssign = 17,
  kCodeAssignAll = 18,
  kCodeScale = 19,
  kCodeMove = 20,
  kCodeRotate = 21,
  kCodeReflect = 22,
  kCodeCreateNode = 23,
  kCodeCreateElement = 24,
  kCodeThickness = 25,
  kCodeReverseNormals = 26,
  kCodeDeleteElements = 28,
  kCodeMergeNode = 29,
  kCodePropertyQueryNode = 30,
  kCodePropertyQueryElement = 31,
};

// --- step helpers (interpreter.cpp) ---

// Prompt in the Input pane, remembered for a repeat.
void Prompt(CommandContext& ctx, const std::string& text);
// Refuses the answer: the step goes back by one and the prompt is repeated.
void RepeatPrompt(CommandContext& ctx);
// Expected input, with the node cursor `cursor` (1..8, 0 arrow).
void Expect(CommandContext& ctx, int expected, int cursor = 0);
void SetPickMode(CommandContext& ctx, int pick_mode);
void ClearPicks(CommandContext& ctx);
void Redraw(CommandContext& ctx);
void Invalidate(CommandContext& ctx);
void OfferChoices(CommandContext& ctx, int resource);
// Rebuilds the drawing tables and everything derived after a change of the
// element table (centroids, faces, pairs, sizes).
void RebuildAfterEdit(CommandContext& ctx);
// Nodes moved or added: extent recomputed.
void ModelMoved(CommandContext& ctx);
// Goes back to `step` and runs the interpreter again with `text` (a loop).
void Rerun(CommandContext& ctx, int step, const std::string& text);
// The text the journal records for this call instead of the one received
// (sets are spelled out so that a replay does not depend on picks).
void JournalAs(CommandContext& ctx, const std::string& text);

// A node number answer: 1-based `text` within 1..count gives the index in
// `node` and makes it the last selected node; false otherwise (the caller
// repeats the prompt).
bool TakeNode(CommandContext& ctx, const std::string& text, int* node);
// An element number answer: true with the 0-based index when within range.
bool TakeElement(const CommandContext& ctx, const std::string& text, int* element);
// An element set answer: "all" is every element; otherwise the elements of
// the current selection, or with nothing selected the element numbers the
// text lists (as a replayed journal gives them). Ascending, in range.
std::vector<int> TakeElementSet(CommandContext& ctx, const std::string& text);
// A node set answer: the selected nodes, or with none selected the node
// numbers the text lists. In selection order, without repeats, in range.
std::vector<int> TakeNodeSet(CommandContext& ctx, const std::string& text);
// A face set answer: the faces of the selected facets, or with none selected
// "faces N ..." (face numbers) or a list of element numbers (their faces
// without partner).
std::vector<int> TakeFaceSet(CommandContext& ctx, const std::string& text);

// Coordinates of node `index` as doubles; (0, 0, 0) for an index outside
// the node table.
void NodePoint(const MeshModel& model, int index, double p[3]);

// The entry shown on the model: the current entry while View > Results is
// checked and the context has a result set and display; null otherwise.
const ResultEntry* ShownResult(const CommandContext& ctx);
// Hands `plot` to the XY plot viewer through the frame (nothing without one).
void ShowPlot(CommandContext& ctx, const PlotData& plot);
// Query > Node on a shown time result: plots node `node`'s (0-based) history.
void PlotNodeHistory(CommandContext& ctx, int node);

// --- step functions, one per group ---
void StepQuery(CommandContext& ctx, const std::string& text);      // 1, 2, 3, 4, 31
void StepMeasure(CommandContext& ctx, const std::string& text);    // 8, 9, 10, 11, 12
void StepEdit(CommandContext& ctx, const std::string& text);       // 23, 24, 25, 26, 28, 29
void StepTransform(CommandContext& ctx, const std::string& text);  // 19, 20, 21, 22
void StepBoundary(CommandContext& ctx, const std::string& text);   // 13, 14, 15, 16
void StepAssign(CommandContext& ctx, const std::string& text);     // 17, 18
void StepResultQuery(CommandContext& ctx, const std::string& text);  // 5, 6, 7

}  // namespace kv
