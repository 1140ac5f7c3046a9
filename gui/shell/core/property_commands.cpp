// Assign and Assign All of the View properties dialog: the current property
// given to the selected elements or to every element.
#include <string>
#include <vector>

#include "common/output/pane_output.h"
#include "gui/shell/core/command_steps.h"
#include "mesh/engine/mesh_statistics.h"

namespace kv {
namespace {

// Gives element `e` the property `p` (index `index`) as its type allows:
// beams take the category and the diameter, triangles the category and the
// thickness, tetrahedra and hexahedra the category, and with `all_solids`
// also pyramids and prisms. Returns false for a type left unchanged.
bool AssignProperty(Element& e, const ElementProperty& p, int index, bool all_solids) {
  switch (e.type) {
    case kBeam:
      e.diameter = p.diameter;
      break;
    case kTriangle:
      e.thickness = p.thickness;
      break;
    case kTetrahedron:
    case kHexahedron:
      break;
    case kPyramid:
    case kPrism:
      if (!all_solids) return false;
      break;
    default:
      return false;
  }
  e.category = p.category;
  e.property = index;
  return true;
}

bool CurrentProperty(CommandContext& ctx, int* index) {
  *index = *ctx.current_property;
  if (*index >= 0 && *index < static_cast<int>(ctx.model->properties.size())) return true;
  AppendOutput("No property is current.");
  EndCommand(ctx);
  return false;
}

void Assign(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) {
    Prompt(ctx, "Select elements:");
    return Expect(ctx, kExpectNothing);
  }
  int index = 0;
  if (!CurrentProperty(ctx, &index)) return;
  const std::vector<int> set = TakeElementSet(ctx, text);
  const ElementProperty p = ctx.model->properties[index];
  for (int e : set) AssignProperty(ctx.model->elements[e], p, index, false);
  ClearPicks(ctx);
  if (ctx.hooks.property_results) ctx.hooks.property_results();
  PrintStatistics(*ctx.model, false);
  Invalidate(ctx);
  Redraw(ctx);
  AppendOutput("Property assigned to " + std::to_string(set.size()) + " elements.");
  ctx.state->step = 0;
}

void AssignAll(CommandContext& ctx) {
  int index = 0;
  if (!CurrentProperty(ctx, &index)) return;
  const ElementProperty p = ctx.model->properties[index];
  for (Element& e : ctx.model->elements) AssignProperty(e, p, index, true);
  ClearPicks(ctx);
  if (ctx.hooks.property_results) ctx.hooks.property_results();
  if (ctx.hooks.reset_view) ctx.hooks.reset_view();
  AppendOutput("Property assigned to " + std::to_string(ctx.model->elements.size()) + " elements.");
  EndCommand(ctx);
}

}  // namespace

void StepAssign(CommandContext& ctx, const std::string& text) {
  if (ctx.state->command == kCodeAssign) return Assign(ctx, text);
  if (ctx.state->command == kCodeAssignAll) return AssignAll(ctx);
}

}  // namespace kv
