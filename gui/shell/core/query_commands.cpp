// Centre of rotation, Query > Node, Face and Element, Properties > Query >
// Element: pick one node or element and report it.
#include <string>

#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "gui/shell/core/command_steps.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

// The face record shown for element `element`: the last picked facet's face
// when it belongs to the element, else the element's first face; -1 none.
int FaceOfElement(const CommandContext& ctx, int element) {
  const int picked = ctx.selection->last_facet;
  if (picked >= 0 && picked < static_cast<int>(ctx.tables->facets.size()) &&
      ctx.tables->facets[picked].element == element)
    return ctx.tables->facets[picked].face;
  const Element& e = ctx.model->elements[element];
  if (e.facet_count > 0 && e.facets[0] >= 0 && e.facets[0] < static_cast<int>(ctx.model->faces.size()))
    return e.facets[0];
  return -1;
}

void StartNodePick(CommandContext& ctx, const char* prompt) {
  Prompt(ctx, prompt);
  SetPickMode(ctx, kPickVertex);
  Expect(ctx, kExpectNode, 1);
  ClearPicks(ctx);
  Redraw(ctx);
}

void StartElementPick(CommandContext& ctx, const char* prompt) {
  Prompt(ctx, prompt);
  SetPickMode(ctx, kPickFacet);
  Expect(ctx, kExpectElement);
  ClearPicks(ctx);
  Redraw(ctx);
}

void RotationCentre(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) return StartNodePick(ctx, "Select node:");
  int n = 0;
  if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
  const Node& p = ctx.model->nodes[n];
  const float centre[3] = {p.x, p.y, p.z};
  if (ctx.hooks.set_rotation_centre) ctx.hooks.set_rotation_centre(centre);
  ClearPicks(ctx);
  Redraw(ctx);
  if (ctx.hooks.rebuild_vertex_grid) ctx.hooks.rebuild_vertex_grid();
  EndCommand(ctx);
}

void QueryNode(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) return StartNodePick(ctx, "Select node:");
  int n = 0;
  if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
  PlotNodeHistory(ctx, n);
  const Node& p = ctx.model->nodes[n];
  AppendOutput("Node: " + std::to_string(n + 1));
  AppendOutput(Format("Coordinates: x = %.4f, y = %.4f, z = %.4f", double(p.x), double(p.y), double(p.z)));
  ctx.state->step = 0;  // the next pick queries again
}

void QueryFace(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) return StartElementPick(ctx, "Enter element:");
  int e = 0;
  if (!TakeElement(ctx, text, &e)) return RepeatPrompt(ctx);
  const int f = FaceOfElement(ctx, e);
  if (f < 0) {
    AppendOutput("Element " + std::to_string(e + 1) + " has no face.");
  } else {
    const FaceRecord& face = ctx.model->faces[f];
    AppendOutput("Face: " + std::to_string(f + 1));
    std::string topology = "Topology:";
    for (int i = 0; i < face.node_count && i < 4; ++i) topology += " " + std::to_string(face.nodes[i] + 1);
    AppendOutput(topology);
    AppendOutput(Format("Normal: x = %.4f, y = %.4f, z = %.4f", double(face.normal[0]), double(face.normal[1]), double(face.normal[2])));
  }
  ctx.state->step = 0;
}

void QueryElement(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) return StartElementPick(ctx, "Select element:");
  if (text.empty()) return EndCommand(ctx);
  int e = 0;
  if (!TakeElement(ctx, text, &e)) return RepeatPrompt(ctx);
  const Element& el = ctx.model->elements[e];
  AppendOutput("Element: " + std::to_string(e + 1));
  AppendOutput(Format("Normal: %f, %f, %f", double(el.normal[0]), double(el.normal[1]), double(el.normal[2])));
  std::string topology = "Topology:";
  for (int i = 0; i < el.node_count && i < kMaxElementNodes; ++i) topology += " " + std::to_string(el.nodes[i] + 1);
  AppendOutput(topology);
  ctx.state->step = 0;
}

void QueryElementProperty(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) return StartElementPick(ctx, "Select element:");
  if (text.empty()) return EndCommand(ctx);
  int e = 0;
  if (!TakeElement(ctx, text, &e)) return RepeatPrompt(ctx);
  const int property = ctx.model->elements[e].property;
  if (property < 0 || property >= static_cast<int>(ctx.model->properties.size())) {
    AppendOutput("Element " + std::to_string(e + 1) + " has no property.");
  } else {
    *ctx.current_property = property;
    if (ctx.hooks.edit_property)
      ctx.hooks.edit_property(property);
    else
      AppendOutput("Edit property: " + std::to_string(property + 1));
  }
  ctx.state->step = 0;
}

}  // namespace

void StepQuery(CommandContext& ctx, const std::string& text) {
  switch (ctx.state->command) {
    case kCodeRotationCentre: return RotationCentre(ctx, text);
    case kCodeQueryNode: return QueryNode(ctx, text);
    case kCodeQueryFace: return QueryFace(ctx, text);
    case kCodeQueryElement: return QueryElement(ctx, text);
    case kCodePropertyQueryElement: return QueryElementProperty(ctx, text);
    default: return;
  }
}

}  // namespace kv
