// Measure > Distance, Radius, Angle, Area and Projected Area.
#include <cmath>
#include <string>
#include <vector>

#include "common/geometry/constants.h"
#include "common/geometry/element_geometry.h"
#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "gui/shell/core/answer_parsing.h"
#include "gui/shell/core/command_steps.h"
#include "gui/view/core/view_settings.h"
#include "mesh/engine/mesh_edit.h"

namespace kv {
namespace {


void StartNodes(CommandContext& ctx, const char* prompt) {
  Prompt(ctx, prompt);
  SetPickMode(ctx, kPickVertex);
  Expect(ctx, kExpectNode, 1);
  ClearPicks(ctx);
  Redraw(ctx);
}

void Distance(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  int n = 0;
  switch (st.step) {
    case 0:
      return StartNodes(ctx, "Select node #1:");
    case 1:
      if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
      Prompt(ctx, "Select node #2:");
      return Expect(ctx, kExpectNode, 2);
    default: {
      if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
      const std::vector<int>& picked = ctx.selection->nodes;
      if (picked.size() != 2) {
        st.step = 1;  // waits for more picks
        return;
      }
      double a[3], b[3];
      NodePoint(*ctx.model, picked[0], a);
      NodePoint(*ctx.model, picked[1], b);
      const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      AppendOutput(Format("From vertex (x, y, z): %+f, %+f, %+f", a[0], a[1], a[2]));
      AppendOutput(Format("To vertex (x, y, z):   %+f, %+f, %+f", b[0], b[1], b[2]));
      AppendOutput(Format("Delta (dx, dy, dz):    %+f, %+f, %+f", d[0], d[1], d[2]));
      AppendOutput(Format("Distance: %f", std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2])));
      ClearPicks(ctx);
      Prompt(ctx, "Enter node #1:");
      SetPickMode(ctx, kPickVertex);
      Expect(ctx, kExpectNode, 1);
      st.step = 0;
      return Redraw(ctx);
    }
  }
}

void Radius(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) return StartNodes(ctx, "Select node #1:");
  int n = 0;
  if (!TakeNode(ctx, text, &n)) return RepeatPrompt(ctx);
  if (st.step == 1) {
    Prompt(ctx, "Select second node:");
    return Expect(ctx, kExpectNode, 2);
  }
  if (st.step == 2) {
    Prompt(ctx, "Select third node:");
    return Expect(ctx, kExpectNode, 3);
  }
  const std::vector<int>& picked = ctx.selection->nodes;
  if (picked.size() != 3) {
    st.step = 2;  // waits for more picks
    return;
  }
  double a[3], b[3], c[3], centre[3], radius = 0;
  NodePoint(*ctx.model, picked[0], a);
  NodePoint(*ctx.model, picked[1], b);
  NodePoint(*ctx.model, picked[2], c);
  if (CircleThroughPoints(a, b, c, centre, &radius)) AppendOutput(Format("Radius: %f", radius));
  ClearPicks(ctx);
  st.step = 0;
  Expect(ctx, kExpectNode, 1);
  Redraw(ctx);
}

void StartDirection(CommandContext& ctx, const char* prompt) {
  Prompt(ctx, prompt);
  SetPickMode(ctx, kPickVertex);
  ctx.state->vector_state = 0;
  Expect(ctx, kExpectVector, 1);
  ClearPicks(ctx);
  Redraw(ctx);
}

void Angle(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) return StartDirection(ctx, "Enter direction #1 (0.0, 0.0, 0.0):");
  if (st.step == 1) {
    st.answers[0] = text;
    return StartDirection(ctx, "Enter direction #2 (0.0, 0.0, 0.0):");
  }
  const double zero[3] = {0, 0, 0};
  double a[3], b[3];
  ParseTripleAnswer(st.answers[0], zero, a);
  ParseTripleAnswer(text, zero, b);
  const double la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  const double lb = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
  if (la == 0 || lb == 0 || !std::isfinite(la * lb)) {
    AppendOutput("Angle: undefined, a direction has zero length.");
  } else {
    const double cosine = std::fmax(-1.0, std::fmin(1.0, (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / (la * lb)));
    AppendOutput(Format("Angle: %f degrees", std::acos(cosine) * kMeasuredDegreesPerRadian));
  }
  ClearPicks(ctx);
  Redraw(ctx);
  Rerun(ctx, 0, std::string());
}

// Area of face record `f`: a quadrilateral as the fan of two triangles.
double FaceArea(const MeshModel& model, const FaceRecord& face) {
  const int count = face.node_count == 4 ? 4 : 3;
  double sum = 0;
  for (int t = 0; t < count - 2; ++t) {  // fan of triangles from the first vertex
    const int i0 = face.nodes[0], i1 = face.nodes[t + 1], i2 = face.nodes[t + 2];
    const int n = static_cast<int>(model.nodes.size());
    if (i0 < 0 || i1 < 0 || i2 < 0 || i0 >= n || i1 >= n || i2 >= n) return 0;
    sum += TriangleArea(model.nodes[i0], model.nodes[i1], model.nodes[i2]);
  }
  return sum;
}

void Area(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  if (st.step == 0) {
    Prompt(ctx, "Select faces to measure area:");
    SetPickMode(ctx, kPickSurface);
    return Expect(ctx, kExpectNothing);
  }
  const std::vector<int> faces = TakeFaceSet(ctx, text);
  if (faces.empty()) return EndCommand(ctx);
  double area = 0;
  for (int f : faces) area += FaceArea(*ctx.model, ctx.model->faces[f]);
  AppendOutput("Surface area: " + FormatExponent(area, "%.6E"));
  ClearPicks(ctx);
  Redraw(ctx);
  Rerun(ctx, 0, std::string());
}

void ProjectedArea(CommandContext& ctx) {
  AppendOutput("Using current orientation.");
  ViewPicture picture;
  if (!ctx.hooks.read_view || !ctx.hooks.read_view(&picture)) {
    AppendOutput("Projected Area: no view to measure.");
    return;
  }
  AppendOutput(Format("Projected Area: %f", static_cast<double>(CountModelPixels(picture)) * picture.pixel_area));
}

}  // namespace

void StepMeasure(CommandContext& ctx, const std::string& text) {
  switch (ctx.state->command) {
    case kCodeDistance: return Distance(ctx, text);
    case kCodeRadius: return Radius(ctx, text);
    case kCodeAngle: return Angle(ctx, text);
    case kCodeArea: return Area(ctx, text);
    case kCodeProjectedArea: return ProjectedArea(ctx);
    default: return;
  }
}

}  // namespace kv
