// Mesh > Create Node and Element, Delete Element, Merge Node, Modify
// Thickness and Reverse Normals.
#include <algorithm>
#include <string>
#include <vector>

#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "gui/shell/core/answer_parsing.h"
#include "gui/shell/core/command_steps.h"
#include "gui/view/core/view_settings.h"
#include "mesh/engine/mesh_edit.h"

namespace kv {
namespace {

// Element type of the Create Element answer 0..5 (beam .. hexahedron).
constexpr int kCreatedTypes[6] = {kBeam, kTriangle, kQuadrilateral, kTetrahedron, kPrism, kHexahedron};

void AskNode(CommandContext& ctx, int number) {
  Prompt(ctx, "Select node #" + std::to_string(number) + ":");
  Expect(ctx, kExpectNode, number);
}

// Adds a node at the keyed triple text (defaults 0) and redraws.
void AddKeyedNode(CommandContext& ctx, const std::string& triple) {
  const double zero[3] = {0, 0, 0};
  double p[3];
  ParseTripleAnswer(triple, zero, p);
  if (AddNode(*ctx.model, p[0], p[1], p[2]) < 0) {
    AppendOutput("Coordinates out of range: no node is added.");
    return;
  }
  ModelMoved(ctx);
  ClearPicks(ctx);
  Invalidate(ctx);
  Redraw(ctx);
  if (ctx.hooks.rebuild_vertex_grid) ctx.hooks.rebuild_vertex_grid();
}

std::string PointText(const double p[3]) { return Format("%f, %f, %f", p[0], p[1], p[2]); }

void CreateNode(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  const int m = ParseIntegerAnswer(st.answers[0], 0);
  int n = 0;
  double a[3], b[3];
  switch (st.step) {
    case 0:
      Prompt(ctx, "Method? [0 - Key In, 1 - Offset, 2 - Between, 3 - Center]: (0)");
      Expect(ctx, kExpectAnswer);
      return OfferChoices(ctx, 223);
    case 1: {
      const int method = ParseIntegerAnswer(text, 0);
      if (method < 0 || method > 3) return RepeatPrompt(ctx);
      st.answers[0] = std::to_string(method);
      if (method == 0) {
        Prompt(ctx, "Enter coordinates (0.0, 0.0, 0.0):");
        return Expect(ctx, kExpectAnswer);
      }
      Prompt(ctx, "Select node #1:");
      SetPickMode(ctx, kPickVertex);
      Expect(ctx, kExpectNode, 1);
      ClearPicks(ctx);
      return Redraw(ctx);
    }
    case 2:
      if (m == 0) {
        AddKeyedNode(ctx, text);
        return Rerun(ctx, 1, "0");
      }
      if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
      st.answers[1] = std::to_string(n);
      if (m == 1) {
        Prompt(ctx, "Enter offset (0.0, 0.0, 0.0):");
        ctx.selection->nodes.clear();
        st.vector_state = 0;
        return Expect(ctx, kExpectVector, 1);
      }
      return AskNode(ctx, 2);
    case 3:
      NodePoint(*ctx.model, ParseIntegerAnswer(st.answers[1], 0), a);
      if (m == 1) {
        const double zero[3] = {0, 0, 0};
        double d[3];
        ParseTripleAnswer(text, zero, d);
        const double p[3] = {a[0] + d[0], a[1] + d[1], a[2] + d[2]};
        AddKeyedNode(ctx, PointText(p));
        return Rerun(ctx, 1, "1");
      }
      if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
      if (m == 2) {
        NodePoint(*ctx.model, n, b);
        const double p[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
        AddKeyedNode(ctx, PointText(p));
        return Rerun(ctx, 1, "2");
      }
      st.answers[2] = std::to_string(n);
      return AskNode(ctx, 3);
    default: {
      if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
      double c[3], centre[3], radius = 0;
      NodePoint(*ctx.model, ParseIntegerAnswer(st.answers[1], 0), a);
      NodePoint(*ctx.model, ParseIntegerAnswer(st.answers[2], 0), b);
      NodePoint(*ctx.model, n, c);
      if (CircleThroughPoints(a, b, c, centre, &radius)) AddKeyedNode(ctx, PointText(centre));
      return Rerun(ctx, 1, "3");
    }
  }
}

void CreateElementCommand(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) {
    Prompt(ctx,
           "Type of element? [0 - Beam, 1 - Triangle, 2 - Quadrangle, 3 - Tetrahedra, 4 - Prism, 5 - Hexahedra]: (0)");
    Expect(ctx, kExpectAnswer);
    return OfferChoices(ctx, 266);
  }
  if (st.step == 1) {
    const int t = ParseIntegerAnswer(text, 0);
    if (t < 0 || t > 5) return RepeatPrompt(ctx);
    st.answers[0] = std::to_string(t);
    ClearPicks(ctx);
    Prompt(ctx, "Select node #1:");
    SetPickMode(ctx, kPickVertex);
    Expect(ctx, kExpectNode, 1);
    return Redraw(ctx);
  }
  const int type = kCreatedTypes[std::clamp(ParseIntegerAnswer(st.answers[0], 0), 0, 5)];
  const int count = ElementTypeNodeCount(type);
  const int k = st.step - 1;  // number of the node given now, 1-based
  int n = 0;
  if (k < 1 || k > count || !TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
  // A node given twice would make a degenerate element: ask again.
  for (int i = 1; i < k; ++i)
    if (ParseIntegerAnswer(st.answers[i], -1) == n) return RepeatPrompt(ctx);
  st.answers[k] = std::to_string(n);
  if (k < count) return AskNode(ctx, k + 1);
  int nodes[kMaxElementNodes];
  for (int i = 0; i < count; ++i) nodes[i] = ParseIntegerAnswer(st.answers[i + 1], 0);
  CreateElement(*ctx.model, type, nodes, *ctx.current_property);
  RebuildAfterEdit(ctx);
  ClearPicks(ctx);
  Invalidate(ctx);
  Redraw(ctx);
  Rerun(ctx, 1, st.answers[0]);
}

void DeleteElementsCommand(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) {
    Prompt(ctx, "Select elements to delete:");
    return Expect(ctx, kExpectNothing);
  }
  if (st.step == 1) {
    st.working = TakeElementSet(ctx, text);
    st.answers[0] = text;
    Prompt(ctx, "Delete " + std::to_string(st.working.size()) + " elements? [yes/no] (yes):");
    Expect(ctx, kExpectAnswer);
    return OfferChoices(ctx, 260);
  }
  if (ParseYesNoAnswer(text, true) && !st.working.empty()) {
    DeleteElements(*ctx.model, st.working);
    RebuildAfterEdit(ctx);
  }
  st.working.clear();
  ClearPicks(ctx);
  Invalidate(ctx);
  Redraw(ctx);
  Rerun(ctx, 0, std::string());
}

void MergeNode(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  int n = 0;
  if (st.step == 0) {
    Prompt(ctx, "Select node #1:");
    SetPickMode(ctx, kPickVertex);
    Expect(ctx, kExpectNode, 1);
    ClearPicks(ctx);
    return Redraw(ctx);
  }
  if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
  if (st.step == 1) return AskNode(ctx, 2);
  const std::vector<int>& picked = ctx.selection->nodes;
  if (picked.size() != 2) {
    st.step = 1;  // waits for more picks
    return;
  }
  ctx.model->nodes[picked[0]] = ctx.model->nodes[picked[1]];
  ModelMoved(ctx);
  ClearPicks(ctx);
  Prompt(ctx, "Enter node #1:");
  SetPickMode(ctx, kPickVertex);
  Expect(ctx, kExpectNode, 1);
  st.step = 0;
  Invalidate(ctx);
  Redraw(ctx);
}

// The category of an element's property, or the element's own without one.
int PropertyCategory(const MeshModel& model, const Element& e) {
  if (e.property >= 0 && e.property < static_cast<int>(model.properties.size()))
    return model.properties[e.property].category;
  return e.category;
}

void Thickness(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) {
    Prompt(ctx, "Select elements to modify:");
    return Expect(ctx, kExpectNothing);
  }
  if (st.step == 1) {
    st.working = TakeElementSet(ctx, text);
    st.answers[0] = text;
    Prompt(ctx, "Enter thickness increase:");
    return Expect(ctx, kExpectAnswer);
  }
  const double d = ParseRealAnswer(text, 0.0);
  MeshModel& m = *ctx.model;
  int refused = 0;
  for (int e : st.working) {
    Element& el = m.elements[e];
    const int category = PropertyCategory(m, el);
    if (category != kPartSurface && category != kPartDualSurface) continue;
    ElementProperty p;
    if (el.property >= 0 && el.property < static_cast<int>(m.properties.size())) {
      p = m.properties[el.property];
    } else {
      p.category = category;
      p.name = CategoryName(category);
      p.thickness = el.thickness;
    }
    const float thickness = static_cast<float>(p.thickness + d);
    if (!(thickness > 0)) {
      ++refused;  // a thickness that is not positive is no wall
      continue;
    }
    p.thickness = thickness;
    p.identifier = static_cast<int>(m.properties.size()) + 1;
    m.properties.push_back(p);
    el.property = static_cast<int>(m.properties.size()) - 1;
    el.thickness = thickness;
  }
  if (refused > 0)
    AppendOutput("Thickness not changed for " + std::to_string(refused) + " elements: it would not be positive.");
  if (ctx.hooks.property_results) ctx.hooks.property_results();
  st.working.clear();
  ClearPicks(ctx);
  Invalidate(ctx);
  Redraw(ctx);
  Rerun(ctx, 0, std::string());
}

void ReverseNormals(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) {
    Prompt(ctx, "Select elements to modify:");
    return Expect(ctx, kExpectNothing);
  }
  ReverseTriangles(*ctx.model, TakeElementSet(ctx, text));
  RebuildAfterEdit(ctx);
  ClearPicks(ctx);
  Invalidate(ctx);
  Redraw(ctx);
  EndCommand(ctx);
}

}  // namespace

void StepEdit(CommandContext& ctx, const std::string& text) {
  switch (ctx.state->command) {
    case kCodeCreateNode: return CreateNode(ctx, text);
    case kCodeCreateElement: return CreateElementCommand(ctx, text);
    case kCodeDeleteElements: return DeleteElementsCommand(ctx, text);
    case kCodeMergeNode: return MergeNode(ctx, text);
    case kCodeThickness: return Thickness(ctx, text);
    case kCodeReverseNormals: return ReverseNormals(ctx, text);
    default: return;
  }
}

}  // namespace kv
