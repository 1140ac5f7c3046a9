// Boundary conditions picked in the view: potential inlets and inlets at
// nodes, inlets and outlets on faces. Each pick appends boundary records and
// writes the job's boundary file (and, for inlets, the injection file).
#include <string>
#include <vector>

#include "common/analysis/analysis_files.h"
#include "common/output/pane_output.h"
#include "gui/shell/core/answer_parsing.h"
#include "gui/shell/core/command_steps.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

// Writes one job file next to the model; without a model path the records
// stay in memory and the user is told.
void Store(CommandContext& ctx, const char* extension, const std::function<int(const std::string&)>& write) {
  if (StoreAnalysisFile(*ctx.model_path, extension, write) != 0) return;
  if (ctx.hooks.message_box)
    ctx.hooks.message_box("Data was not stored.");
  else
    AppendOutput("Data was not stored.");
}

void StoreBoundaries(CommandContext& ctx) {
  const AnalysisSettings& a = *ctx.analysis;
  Store(ctx, "bcd", [&a](const std::string& path) {
    return WriteBoundaryFile(a.node_boundaries, a.face_boundaries, path);
  });
}

// One inlet more: the unit the Screw and Injection settings dialogs appended
// for it (the default unit when none is waiting), then the injection file.
void AddInlet(CommandContext& ctx) {
  AnalysisSettings& a = *ctx.analysis;
  if (a.inlet_count < 0) a.inlet_count = 0;
  if (static_cast<int>(a.injection_units.size()) <= a.inlet_count) {
    a.injection_units.resize(a.inlet_count);
    a.injection_units.push_back(DefaultInjectionUnit());
  }
  ++a.inlet_count;
  const std::vector<InjectionUnit> units(a.injection_units.begin(), a.injection_units.begin() + a.inlet_count);
  Store(ctx, "inj", [&units](const std::string& path) { return WriteInjectionFile(units, path); });
}

void Start(CommandContext& ctx, const char* prompt, int pick_mode, int expected) {
  Prompt(ctx, prompt);
  SetPickMode(ctx, pick_mode);
  Expect(ctx, expected, expected == kExpectNode ? 1 : 0);
  ClearPicks(ctx);
  Redraw(ctx);
}

void NodeRecords(CommandContext& ctx, const std::string& text, int type) {
  const int fed = ParseIntegerAnswer(text, 0);
  const std::vector<int> nodes = TakeNodeSet(ctx, text);
  if (nodes.empty()) return RepeatPrompt(ctx);
  AppendOutput((type == kPotentialInletNode ? "Facet: " : "Node: ") + std::to_string(fed));
  ctx.state->step = 0;
  for (int v : nodes) ctx.analysis->node_boundaries.push_back(BoundaryRecord{0, type, v});
  StoreBoundaries(ctx);
  if (type == kInletNode) AddInlet(ctx);
  EndCommand(ctx);
  Redraw(ctx);
}

void FaceRecords(CommandContext& ctx, const std::string& text, int type) {
  const int fed = ParseIntegerAnswer(text, 0);
  const std::vector<int> faces = TakeFaceSet(ctx, text);
  if (faces.empty()) return RepeatPrompt(ctx);
  if (type == kOutletFace) AppendOutput("Face: " + std::to_string(fed));
  ctx.state->step = 0;
  const int identifier = type == kInletFace ? ctx.analysis->inlet_count : 0;
  for (int f : faces) ctx.analysis->face_boundaries.push_back(BoundaryRecord{identifier, type, f});
  StoreBoundaries(ctx);
  if (type == kInletFace) AddInlet(ctx);
  EndCommand(ctx);
  Redraw(ctx);
}

}  // namespace

void StepBoundary(CommandContext& ctx, const std::string& text) {
  const bool start = ctx.state->step == 0;
  switch (ctx.state->command) {
    case kCodePotentialInlet:
      if (start) return Start(ctx, "Enter surface(s):", kPickVertex, kExpectNode);
      return NodeRecords(ctx, text, kPotentialInletNode);
    case kCodeInletNodes:
      if (start) return Start(ctx, "Enter node(s):", kPickVertex, kExpectNode);
      return NodeRecords(ctx, text, kInletNode);
    case kCodeInletFaces:
      if (start) return Start(ctx, "Enter face(s):", kPickFacet, kExpectElement);
      return FaceRecords(ctx, text, kInletFace);
    case kCodeOutletFaces:
      if (start) return Start(ctx, "Enter face(s):", kPickFacet, kExpectElement);
      return FaceRecords(ctx, text, kOutletFace);
    default:
      return;
  }
}

}  // namespace kv
