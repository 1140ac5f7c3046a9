// Transform > Scale, Move, Rotate and Reflect of an element set, with copies
// for Move, Rotate and Reflect.
#include <algorithm>
#include <cmath>
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

// Copies beyond this number are refused: each copy duplicates the set.
constexpr int kMaxCopies = 1000;

void AskElements(CommandContext& ctx, const char* prompt) {
  Prompt(ctx, prompt);
  SetPickMode(ctx, kPickShell);
  Expect(ctx, kExpectNothing);
}

// Keeps the element set of the answer and the nodes selected with it.
void KeepSet(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  st.working = TakeElementSet(ctx, text);
  st.working_nodes = ctx.selection->nodes;
  st.answers[0] = text;
}

void AskPoint(CommandContext& ctx, const char* prompt, int expected) {
  Prompt(ctx, prompt);
  ctx.state->vector_state = 0;
  Expect(ctx, expected, 1);
  SetPickMode(ctx, kPickVertex);
}

void AskYesNo(CommandContext& ctx, const char* prompt) {
  Prompt(ctx, prompt);
  Expect(ctx, kExpectAnswer);
  OfferChoices(ctx, 260);
}

std::vector<int> AffectedNodes(const CommandContext& ctx) {
  return NodesOfElements(*ctx.model, ctx.state->working, ctx.state->working_nodes);
}

// The end of every transform: derived data, extent, redraw, "Done.".
void Finish(CommandContext& ctx) {
  ModelMoved(ctx);
  ClearPicks(ctx);
  Invalidate(ctx);
  Redraw(ctx);
  EndCommand(ctx);
}

// Number of copies of the answer, 1 by default, refused beyond kMaxCopies.
int CopyCount(const std::string& text) {
  const int count = ParseIntegerAnswer(text, 1);
  if (count > kMaxCopies) {
    AppendOutput("Number of copies limited to " + std::to_string(kMaxCopies) + ".");
    return kMaxCopies;
  }
  return std::max(count, 0);
}

// Said when a transform would put a node beyond the coordinates a model can
// hold; the nodes stay where they were.
constexpr const char* kOutOfRange = "Coordinates out of range: the nodes are not moved.";

// Copies `working` with `place` applied to the copy's nodes, `copies` times,
// each copy from the one before. A copy whose nodes would leave the range is
// taken back (elements and nodes appended for it removed) and ends the loop.
template <typename Place>
void MakeCopies(CommandContext& ctx, int copies, Place place) {
  MeshModel& model = *ctx.model;
  std::vector<int> working = ctx.state->working;
  for (int c = 0; c < copies; ++c) {
    const size_t elements = model.elements.size(), nodes = model.nodes.size();
    working = DuplicateElements(model, working);
    if (!place(NodesOfElements(model, working))) {
      model.elements.resize(elements);
      model.nodes.resize(nodes);
      AppendOutput(kOutOfRange);
      return;
    }
  }
}

void Scale(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  switch (st.step) {
    case 0:
      return AskElements(ctx, "Select elements to scale [all]:");
    case 1:
      KeepSet(ctx, text);
      return AskPoint(ctx, "Enter point to scale about (0.0, 0.0, 0.0):", kExpectPoint);
    case 2:
      st.answers[1] = text;
      return AskYesNo(ctx, "Uniform? [yes/no] (yes):");
    case 3:
      st.answers[2] = text;
      Prompt(ctx, ParseYesNoAnswer(text, true) ? "Enter scale (1.0):" : "Enter scale (1.0, 1.0, 1.0):");
      return Expect(ctx, kExpectAnswer);
    default: {
      const double zero[3] = {0, 0, 0}, one[3] = {1, 1, 1};
      double point[3], scale[3];
      ParseTripleAnswer(st.answers[1], zero, point);
      if (ParseYesNoAnswer(st.answers[2], true)) {
        scale[0] = scale[1] = scale[2] = ParseRealAnswer(text, 1.0);
      } else {
        ParseTripleAnswer(text, one, scale);
      }
      if (!ScaleNodes(*ctx.model, AffectedNodes(ctx), point, scale)) AppendOutput(kOutOfRange);
      return Finish(ctx);
    }
  }
}

double Length(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void Move(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  const double zero[3] = {0, 0, 0};
  double direction[3];
  ParseTripleAnswer(st.answers[1], zero, direction);
  const double length = Length(direction);
  switch (st.step) {
    case 0:
      return AskElements(ctx, "Select elements to translate [all]:");
    case 1:
      KeepSet(ctx, text);
      return AskPoint(ctx, "Enter direction (0.0, 0.0, 0.0):", kExpectVector);
    case 2: {
      st.answers[1] = text;
      double d[3];
      ParseTripleAnswer(text, zero, d);
      Prompt(ctx, Format("Enter distance along vector (%.4f)", Length(d)));
      return Expect(ctx, kExpectAnswer);
    }
    case 3:
      st.answers[2] = text;
      return AskYesNo(ctx, "Create copies? [yes/no] (no):");
    case 4:
      st.answers[3] = text;
      if (!ParseYesNoAnswer(text, false)) return Rerun(ctx, 5, std::string());
      Prompt(ctx, "Enter number of copies? (1):");
      return Expect(ctx, kExpectAnswer);
    default: {
      const double distance = ParseRealAnswer(st.answers[2], length);
      double offset[3] = {0, 0, 0};
      if (length > 0)
        for (int i = 0; i < 3; ++i) offset[i] = direction[i] / length * distance;
      if (!ParseYesNoAnswer(st.answers[3], false)) {
        if (!TranslateNodes(*ctx.model, AffectedNodes(ctx), offset)) AppendOutput(kOutOfRange);
        return Finish(ctx);
      }
      MakeCopies(ctx, CopyCount(text),
                 [&](const std::vector<int>& nodes) { return TranslateNodes(*ctx.model, nodes, offset); });
      return Finish(ctx);
    }
  }
}

void Rotate(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  switch (st.step) {
    case 0:
      return AskElements(ctx, "Select elements to rotate [all]:");
    case 1:
      KeepSet(ctx, text);
      return AskPoint(ctx, "Enter pivot point (0.0, 0.0, 0.0):", kExpectPoint);
    case 2:
      st.answers[1] = text;
      return AskPoint(ctx, "Enter rotation axis (0.0, 0.0, 1.0):", kExpectVector);
    case 3:
      st.answers[2] = text;
      Prompt(ctx, "Enter rotation (90.0):");
      Expect(ctx, kExpectAnswer);
      return SetPickMode(ctx, kPickShell);
    case 4:
      st.answers[3] = text;
      return AskYesNo(ctx, "Create copies? [yes/no] (no):");
    case 5:
      st.answers[4] = text;
      if (!ParseYesNoAnswer(text, false)) return Rerun(ctx, 6, std::string());
      Prompt(ctx, "Enter number of copies? (1):");
      return Expect(ctx, kExpectAnswer);
    default: {
      const double zero[3] = {0, 0, 0}, z[3] = {0, 0, 1};
      double pivot[3], axis[3], r[3] = {0, 0, 0};
      ParseTripleAnswer(st.answers[1], zero, pivot);
      ParseTripleAnswer(st.answers[2], z, axis);
      const double angle = ParseRealAnswer(st.answers[3], 90.0);
      const double length = Length(axis);
      if (length > 0)
        for (int i = 0; i < 3; ++i) r[i] = axis[i] / length * angle;
      if (!ParseYesNoAnswer(st.answers[4], false)) {
        if (!RotateNodes(*ctx.model, AffectedNodes(ctx), pivot, r)) AppendOutput(kOutOfRange);
        return Finish(ctx);
      }
      MakeCopies(ctx, CopyCount(text),
                 [&](const std::vector<int>& nodes) { return RotateNodes(*ctx.model, nodes, pivot, r); });
      return Finish(ctx);
    }
  }
}

void Reflect(CommandContext& ctx, const std::string& text) {
  InterpreterState& st = *ctx.state;
  switch (st.step) {
    case 0:
      return AskElements(ctx, "Select elements to reflect [all]:");
    case 1:
      KeepSet(ctx, text);
      return AskPoint(ctx, "Enter reflection point (0.0, 0.0, 0.0):", kExpectPoint);
    case 2:
      st.answers[1] = text;
      Prompt(ctx, "Enter mirror plane [1-XY, 2-YZ, 3-ZX] (1):");
      Expect(ctx, kExpectAnswer);
      return OfferChoices(ctx, 262);
    case 3:
      st.answers[2] = text;
      return AskYesNo(ctx, "Create a copy? [yes/no] (no):");
    default: {
      const double zero[3] = {0, 0, 0};
      double point[3];
      ParseTripleAnswer(st.answers[1], zero, point);
      const int plane = ParseIntegerAnswer(st.answers[2], 1);
      if (ParseYesNoAnswer(text, false)) {
        MakeCopies(ctx, 1,
                   [&](const std::vector<int>& nodes) { return MirrorNodes(*ctx.model, nodes, point, plane); });
        return Finish(ctx);
      }
      if (!MirrorNodes(*ctx.model, AffectedNodes(ctx), point, plane)) AppendOutput(kOutOfRange);
      return Finish(ctx);
    }
  }
}

}  // namespace

void StepTransform(CommandContext& ctx, const std::string& text) {
  switch (ctx.state->command) {
    case kCodeScale: return Scale(ctx, text);
    case kCodeMove: return Move(ctx, text);
    case kCodeRotate: return Rotate(ctx, text);
    case kCodeReflect: return Reflect(ctx, text);
    default: return;
  }
}

}  // namespace kv
