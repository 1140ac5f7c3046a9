// Results > Query (the value under the cursor, value times area) and the
// result plots of picked entities: an element's profile through the
// thickness, a node's history over time (Query > Node).
#include <cmath>
#include <string>

#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "gui/shell/core/answer_parsing.h"
#include "gui/shell/core/command_steps.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

// Label kind of entries with one independent variable, the time.
constexpr int kTimeLabel = 1;
// Window coordinates beyond this (pixels) lie off any window.
constexpr double kFarOffWindow = 1e6;

// Reads the picture of the view; false when the frame supplies none.
bool ReadView(CommandContext& ctx, ViewPicture* picture) {
  return ctx.hooks.read_view && ctx.hooks.read_view(picture) && picture->width > 0 && picture->height > 0;
}

void ValueAtCursor(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) {
    Prompt(ctx, "Select data:");
    ClearPicks(ctx);
    Redraw(ctx);
    return Expect(ctx, kExpectScreenPoint);
  }
  // The screen point "x y 0": window pixels, y downwards (a point far off
  // the window, or no number, is left outside it).
  const double origin[3] = {-1, -1, 0};
  double point[3];
  ParseTripleAnswer(text, origin, point);
  for (int k = 0; k < 2; ++k)
    if (!(std::fabs(point[k]) < kFarOffWindow)) point[k] = -1;
  const ResultEntry* entry = ShownResult(ctx);
  ViewPicture picture;
  double value = 0.0;
  if (entry && ReadView(ctx, &picture) &&
      ValueAtWindowPoint(picture, static_cast<int>(point[0]), static_cast<int>(point[1]), ctx.display->minimum,
                         ctx.display->maximum, entry->invert_colours != 0, &value))
    AppendOutput(Format("Value: %f", value));
  else
    AppendOutput("Value: unkown.");
  ctx.state->step = 0;  // the next pick reads again
}

void ValueTimesAreaOfView(CommandContext& ctx) {
  AppendOutput("Using current orientation.");
  const ResultEntry* entry = ShownResult(ctx);
  if (!entry) {
    AppendOutput("Value x area: no result is shown.");
    return;
  }
  ViewPicture picture;
  if (!ReadView(ctx, &picture)) {
    AppendOutput("Value x area: no view to measure.");
    return;
  }
  const double sum =
      ValueTimesArea(picture, ctx.display->minimum, ctx.display->maximum, entry->invert_colours != 0);
  AppendOutput(Format("Value x area: %f", sum));
}

void ElementProfile(CommandContext& ctx, const std::string& text) {
  if (ctx.state->step == 0) {
    Prompt(ctx, "Enter element:");
    SetPickMode(ctx, kPickFacet);
    return Expect(ctx, kExpectElement);
  }
  if (text.empty()) return EndCommand(ctx);
  int e = 0;
  if (!TakeElement(ctx, text, &e)) return RepeatPrompt(ctx);
  AppendOutput("Element: " + std::to_string(e + 1));
  PlotData plot;
  std::string error = "No result is selected.";
  if (ctx.results && BuildThroughThicknessPlot(*ctx.results, e, plot, error) == 1)
    ShowPlot(ctx, plot);
  else
    AppendOutput(error);
  ClearPicks(ctx);
  ctx.state->step = 0;  // each further pick plots again
}

}  // namespace

const ResultEntry* ShownResult(const CommandContext& ctx) {
  if (!ctx.results || !ctx.display || !ctx.results_shown || !*ctx.results_shown) return nullptr;
  const ResultSet& set = *ctx.results;
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) return nullptr;
  return &set.entries[static_cast<size_t>(set.current)];
}

void ShowPlot(CommandContext& ctx, const PlotData& plot) {
  if (ctx.hooks.show_plot) ctx.hooks.show_plot(plot);
}

void PlotNodeHistory(CommandContext& ctx, int node) {
  const ResultEntry* entry = ShownResult(ctx);
  if (!entry || entry->label_kind != kTimeLabel) return;
  PlotData plot;
  std::string error;
  if (BuildEntityTimePlot(*ctx.results, node, plot, error) == 1)
    ShowPlot(ctx, plot);
  else
    AppendOutput(error);
}

void StepResultQuery(CommandContext& ctx, const std::string& text) {
  switch (ctx.state->command) {
    case kCodeValueAtCursor: return ValueAtCursor(ctx, text);
    case kCodeValueTimesArea: return ValueTimesAreaOfView(ctx);
    case kCodeElementPlot: return ElementProfile(ctx, text);
    default: return;
  }
}

}  // namespace kv
