#include "gui/shell/core/interpreter.h"

#include <algorithm>
#include <array>
#include <map>

#include "common/output/pane_output.h"
#include "gui/shell/core/answer_parsing.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/core/command_steps.h"
#include "gui/shell/core/journal.h"
#include "gui/view/core/view_settings.h"
#include "mesh/engine/rebuild.h"

namespace kv {
namespace {

bool Ready(const CommandContext& ctx) {
  return ctx.state && ctx.model && ctx.analysis && ctx.selection && ctx.tables && ctx.model_path &&
         ctx.current_property;
}

// The sorted nodes of face record `face`; {-1, -1, -1} when there is none.
std::array<int, 3> FaceKey(const MeshModel& m, int face) {
  if (face < 0 || face >= static_cast<int>(m.faces.size())) return {-1, -1, -1};
  std::array<int, 3> key = {m.faces[face].nodes[0], m.faces[face].nodes[1], m.faces[face].nodes[2]};
  std::sort(key.begin(), key.end());
  return key;
}

std::string Join(const std::vector<int>& numbers) {
  std::string out;
  for (int n : numbers) {
    if (!out.empty()) out += ' ';
    out += std::to_string(n);
  }
  return out;
}

}  // namespace

// --- step helpers ---

void Prompt(CommandContext& ctx, const std::string& text) {
  ctx.state->prompt = text;
  AppendInput(text);
}

void RepeatPrompt(CommandContext& ctx) {
  ctx.state->refused = true;
  if (ctx.state->step > 0) --ctx.state->step;
  AppendInput(ctx.state->prompt);
}

void Expect(CommandContext& ctx, int expected, int cursor) {
  ctx.state->expected = expected;
  ctx.state->cursor_node = cursor;
  if (ctx.hooks.set_cursor) ctx.hooks.set_cursor(cursor);
}

void SetPickMode(CommandContext& ctx, int pick_mode) {
  if (ctx.hooks.set_pick_mode) ctx.hooks.set_pick_mode(pick_mode);
}

void ClearPicks(CommandContext& ctx) { ClearSelection(*ctx.selection); }

void Redraw(CommandContext& ctx) {
  if (ctx.hooks.redraw) ctx.hooks.redraw();
}

void Invalidate(CommandContext& ctx) {
  if (ctx.hooks.invalidate) ctx.hooks.invalidate();
}

void OfferChoices(CommandContext& ctx, int resource) {
  if (ctx.hooks.choice_menu) ctx.hooks.choice_menu(resource);
}

void RebuildAfterEdit(CommandContext& ctx) {
  MeshModel& m = *ctx.model;
  // Face boundary records name face records, which the rebuild renumbers:
  // each is found again by its nodes, and dropped when its face is gone.
  std::vector<std::array<int, 3>> keys;
  for (const BoundaryRecord& b : ctx.analysis->face_boundaries) keys.push_back(FaceKey(m, b.entity));
  RebuildAfterMerge(m);
  std::map<std::array<int, 3>, int> face_of;
  for (int f = static_cast<int>(m.faces.size()) - 1; f >= 0; --f) face_of[FaceKey(m, f)] = f;
  std::vector<BoundaryRecord> kept;
  for (size_t i = 0; i < keys.size(); ++i) {
    auto it = face_of.find(keys[i]);
    if (keys[i][0] < 0 || it == face_of.end()) continue;
    BoundaryRecord b = ctx.analysis->face_boundaries[i];
    b.entity = it->second;
    kept.push_back(b);
  }
  ctx.analysis->face_boundaries.swap(kept);
  if (ctx.refresh_tables) {
    ctx.refresh_tables();
  } else {
    BuildDrawingTables(m, DrawingOptions{}, *ctx.tables);
    ClassifyOutlines(*ctx.tables, m, kOutlineAngle);
  }
  if (ctx.hooks.property_results) ctx.hooks.property_results();
}

void ModelMoved(CommandContext& ctx) {
  RebuildAfterEdit(ctx);
  if (ctx.hooks.model_changed) ctx.hooks.model_changed();
}

void Rerun(CommandContext& ctx, int step, const std::string& text) {
  ctx.state->step = step;
  RunInterpreter(ctx, text);
}

void JournalAs(CommandContext& ctx, const std::string& text) { ctx.state->journal_text = text; }

void NodePoint(const MeshModel& model, int index, double p[3]) {
  p[0] = p[1] = p[2] = 0;
  if (index < 0 || index >= static_cast<int>(model.nodes.size())) return;
  const Node& n = model.nodes[index];
  p[0] = n.x;
  p[1] = n.y;
  p[2] = n.z;
}

bool TakeNode(CommandContext& ctx, const std::string& text, int* node) {
  const int number = ParseIntegerAnswer(text, 0);
  if (number < 1 || number > static_cast<int>(ctx.model->nodes.size())) return false;
  *node = number - 1;
  std::vector<int>& picked = ctx.selection->nodes;
  if (picked.empty() || picked.back() != *node) picked.push_back(*node);
  return true;
}

bool TakeElement(const CommandContext& ctx, const std::string& text, int* element) {
  const int number = ParseIntegerAnswer(text, 0);
  if (number < 1 || number > static_cast<int>(ctx.model->elements.size())) return false;
  *element = number - 1;
  return true;
}

std::vector<int> TakeElementSet(CommandContext& ctx, const std::string& text) {
  std::vector<int> set;
  std::vector<int> numbers;
  const int count = static_cast<int>(ctx.model->elements.size());
  if (IsAllAnswer(text)) {
    for (int i = 0; i < count; ++i) set.push_back(i);
    JournalAs(ctx, "all");
    return set;
  }
  const std::vector<int> selected = SelectedElements(*ctx.selection, *ctx.tables);
  if (selected.empty() && ParseNumberList(text, &numbers)) {
    for (int n : numbers)
      if (n >= 1 && n <= count) InsertSorted(set, n - 1);
  } else {
    for (int e : selected)
      if (e >= 0 && e < count) set.push_back(e);
  }
  std::vector<int> shown;
  for (int e : set) shown.push_back(e + 1);
  JournalAs(ctx, Join(shown));
  return set;
}

std::vector<int> TakeNodeSet(CommandContext& ctx, const std::string& text) {
  std::vector<int> set;
  std::vector<int> numbers;
  const int count = static_cast<int>(ctx.model->nodes.size());
  std::vector<int> candidates = ctx.selection->nodes;
  if (candidates.empty() && ParseNumberList(text, &numbers))
    for (int n : numbers) candidates.push_back(n - 1);
  for (int v : candidates)
    if (v >= 0 && v < count && std::find(set.begin(), set.end(), v) == set.end()) set.push_back(v);
  std::vector<int> shown;
  for (int v : set) shown.push_back(v + 1);
  JournalAs(ctx, Join(shown));
  return set;
}

std::vector<int> TakeFaceSet(CommandContext& ctx, const std::string& text) {
  std::vector<int> faces;
  std::vector<int> numbers;
  const MeshModel& m = *ctx.model;
  const int face_count = static_cast<int>(m.faces.size());
  const std::string lead = "faces";
  const std::vector<int> selected = SelectedFaces(*ctx.selection, *ctx.tables);
  if (!selected.empty()) {
    for (int f : selected)
      if (f < face_count) faces.push_back(f);
  } else if (text.compare(0, lead.size(), lead) == 0 && ParseNumberList(text.substr(lead.size()), &numbers)) {
    for (int n : numbers)
      if (n >= 1 && n <= face_count) faces.push_back(n - 1);
  } else if (ParseNumberList(text, &numbers)) {
    // Element numbers: the faces of each element that lie on the surface.
    for (int n : numbers) {
      if (n < 1 || n > static_cast<int>(m.elements.size())) continue;
      const Element& e = m.elements[n - 1];
      for (int i = 0; i < std::min(e.facet_count, kMaxElementFacets); ++i) {
        const int f = e.facets[i];
        if (f >= 0 && f < face_count && m.faces[f].partner < 0) faces.push_back(f);
      }
    }
  }
  std::vector<int> shown;
  for (int f : faces) shown.push_back(f + 1);
  JournalAs(ctx, shown.empty() ? std::string() : "faces " + Join(shown));
  return faces;
}

// --- entry points ---

void RunInterpreter(CommandContext& ctx, const std::string& text) {
  if (!ctx.state) return;
  InterpreterState& st = *ctx.state;
  ++st.calls;
  if (st.command == 0 || !Ready(ctx)) return;
  const bool top = st.nesting == 0;
  if (top) {
    st.journal_text = text;
    st.refused = false;
  }
  ++st.nesting;
  switch (st.command) {
    case kCodeRotationCentre:
    case kCodeQueryNode:
    case kCodeQueryFace:
    case kCodeQueryElement:
    case kCodePropertyQueryElement:
      StepQuery(ctx, text);
      break;
    case kCodeValueAtCursor:
    case kCodeValueTimesArea:
    case kCodeElementPlot:
      StepResultQuery(ctx, text);
      break;
    case kCodeDistance:
    case kCodeRadius:
    case kCodeAngle:
    case kCodeArea:
    case kCodeProjectedArea:
      StepMeasure(ctx, text);
      break;
    case kCodePotentialInlet:
    case kCodeInletNodes:
    case kCodeInletFaces:
    case kCodeOutletFaces:
      StepBoundary(ctx, text);
      break;
    case kCodeAssign:
    case kCodeAssignAll:
      StepAssign(ctx, text);
      break;
    case kCodeScale:
    case kCodeMove:
    case kCodeRotate:
    case kCodeReflect:
      StepTransform(ctx, text);
      break;
    case kCodeCreateNode:
    case kCodeCreateElement:
    case kCodeThickness:
    case kCodeReverseNormals:
    case kCodeDeleteElements:
    case kCodeMergeNode:
      StepEdit(ctx, text);
      break;
    default:
      break;  // a code without steps (Properties > Query > Node)
  }
  --st.nesting;
  // A refused answer is not journalled: the prompt asked again.
  if (top && ctx.journal && !st.refused) ctx.journal(st.journal_text);
}

void RunCommand(CommandContext& ctx, int code) {
  if (!ctx.state) return;
  InterpreterState& st = *ctx.state;
  st.command = code;
  st.step = 0;
  st.expected = kExpectNothing;
  st.vector_state = 0;
  st.working.clear();
  st.working_nodes.clear();
  if (ctx.journal && st.nesting == 0) ctx.journal(JournalCommandLine(code));
  auto journal = std::move(ctx.journal);
  ctx.journal = nullptr;
  RunInterpreter(ctx, std::string());
  ctx.journal = std::move(journal);
}

void EndCommand(CommandContext& ctx) {
  if (!ctx.state || ctx.state->command == 0) return;
  InterpreterState& st = *ctx.state;
  st.command = 0;
  st.expected = kExpectNothing;
  st.vector_state = 0;
  st.cursor_node = 0;
  st.working.clear();
  st.working_nodes.clear();
  if (ctx.hooks.set_cursor) ctx.hooks.set_cursor(0);
  if (ctx.selection) ClearSelection(*ctx.selection);
  AppendInput("Done.");
}

std::string TakeCommandLine(CommandContext& ctx, const std::string& text) {
  const std::string line = text.substr(0, kCommandLineLimit);
  if (!line.empty()) AppendInput(line);
  if (ctx.state) ++ctx.state->step;
  RunInterpreter(ctx, line);
  return line;
}

int InterpretedCommandOf(int command_id) {
  switch (command_id) {
    case kCmdCentreOfRotation: return kCodeRotationCentre;
    case kCmdCreateNode: return kCodeCreateNode;
    case kCmdCreateElement: return kCodeCreateElement;
    case kCmdDeleteElement: return kCodeDeleteElements;
    case kCmdMergeNode: return kCodeMergeNode;
    case kCmdQueryNode: return kCodeQueryNode;
    case kCmdQueryFace: return kCodeQueryFace;
    case kCmdQueryElement: return kCodeQueryElement;
    case kCmdThickness: return kCodeThickness;
    case kCmdReverseNormals: return kCodeReverseNormals;
    case kCmdScale: return kCodeScale;
    case kCmdMove: return kCodeMove;
    case kCmdRotate: return kCodeRotate;
    case kCmdReflect: return kCodeReflect;
    case kCmdDistance: return kCodeDistance;
    case kCmdRadius: return kCodeRadius;
    case kCmdAngle: return kCodeAngle;
    case kCmdArea: return kCodeArea;
    case kCmdProjectedArea: return kCodeProjectedArea;
    case kCmdPropertyQueryElement: return kCodePropertyQueryElement;
    default: return 0;
  }
}

}  // namespace kv
