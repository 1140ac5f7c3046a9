// The hand-over of click picks to the running command.
#include <algorithm>
#include <string>

#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "gui/shell/core/command_steps.h"
#include "gui/shell/core/interpreter.h"

namespace kv {
namespace {

void Feed(CommandContext& ctx, const std::string& text) {
  if (!text.empty()) AppendInput(text);
  ++ctx.state->step;
  RunInterpreter(ctx, text);
}

bool ValidNode(const CommandContext& ctx, int node) {
  return node >= 0 && node < static_cast<int>(ctx.model->nodes.size());
}

std::string PointText(double x, double y, double z) { return Format("%g, %g, %g", x, y, z); }

}  // namespace

void FeedPickToCommand(CommandContext& ctx) {
  if (!ctx.state || !ctx.model || !ctx.selection || !ctx.tables || ctx.state->command == 0) return;
  InterpreterState& st = *ctx.state;
  Selection& sel = *ctx.selection;
  const int hovered = sel.hovered_node;
  switch (st.expected) {
    case kExpectNode:
      if (!sel.nodes.empty() && ValidNode(ctx, hovered)) Feed(ctx, std::to_string(hovered + 1));
      return;
    case kExpectElement: {
      const DrawingTables& t = *ctx.tables;
      int element = -1;
      if (!sel.beams.empty() && sel.last_beam >= 0 && sel.last_beam < static_cast<int>(t.beams.size()))
        element = t.beams[sel.last_beam].element;
      else if (!sel.facets.empty() && sel.last_facet >= 0 && sel.last_facet < static_cast<int>(t.facets.size()))
        element = t.facets[sel.last_facet].element;
      if (element >= 0) Feed(ctx, std::to_string(element + 1));
      return;
    }
    case kExpectPoint:
      if (ValidNode(ctx, hovered) && st.vector_state == 0) {
        const Node& p = ctx.model->nodes[hovered];
        st.vector_state = 2;
        Feed(ctx, PointText(p.x, p.y, p.z));
      }
      return;
    case kExpectVector:
      if (!ValidNode(ctx, hovered)) return;
      if (st.vector_state == 0) {
        st.vector_node = hovered;
        st.vector_state = 1;
        return;
      }
      if (st.vector_state == 1 && ValidNode(ctx, st.vector_node)) {
        const Node& a = ctx.model->nodes[st.vector_node];
        const Node& b = ctx.model->nodes[hovered];
        for (int v : {st.vector_node, hovered}) {
          auto it = std::find(sel.nodes.begin(), sel.nodes.end(), v);
          if (it != sel.nodes.end()) sel.nodes.erase(it);
        }
        st.vector_state = 2;
        Feed(ctx, PointText(double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z));
      }
      return;
    case kExpectAnswer:
      Feed(ctx, std::string());
      return;
    default:
      return;
  }
}

bool RubberLineNodes(const CommandContext& ctx, int ends[2]) {
  if (!ctx.state || !ctx.model || !ctx.selection) return false;
  const InterpreterState& st = *ctx.state;
  const Selection& sel = *ctx.selection;
  int first = -1;
  switch (st.command) {
    case kCodeDistance:
    case kCodeMergeNode:
      // Waiting for node #2 with node #1 picked.
      if (st.expected == kExpectNode && st.cursor_node == 2 && sel.nodes.size() == 1) first = sel.nodes[0];
      break;
    case kCodeAngle:
    case kCodeMove:
      // The first node of a direction picked, the second to come.
      if (st.expected == kExpectVector && st.vector_state == 1) first = st.vector_node;
      break;
    default:
      return false;
  }
  const int second = sel.hovered_node;
  if (!ValidNode(ctx, first) || !ValidNode(ctx, second) || first == second) return false;
  ends[0] = first;
  ends[1] = second;
  return true;
}

}  // namespace kv
