// Results > Query and the result plots through the interpreter: the value
// under a screen point, value times area, an element's profile through the
// thickness and a node's history, with the picture and the viewer simulated.
#include <gtest/gtest.h>

#include "gui/shell/core/journal.h"
#include "gui/shell/tests/interpreter_test_util.h"
#include "gui/view/core/colour_map.h"

namespace kv {
namespace {

// A nodal entry of the bench's five nodes at `time` (label kind 1), values
// node number x `scale`, or a thickness-profile entry (label kind 2) of the
// three elements at (`time`, `thickness`).
ResultEntry NodalEntry(float time, float scale) {
  ResultEntry e;
  e.name = "Pressure";
  e.unit = "MPa";
  e.label_kind = 1;
  e.location = kNodalResult;
  e.quantity_code = kQuantityPressure;
  e.variable_name[0] = "Time";
  e.variable_unit[0] = "s";
  e.variable_value[0] = time;
  e.items.resize(5);
  for (int n = 0; n < 5; ++n) {
    e.items[n].values[0] = static_cast<float>(n + 1) * scale;
    e.items[n].defined = 1;
  }
  return e;
}

ResultEntry ProfileEntry(float time, float thickness) {
  ResultEntry e;
  e.name = "Temperature";
  e.unit = "C";
  e.label_kind = 2;
  e.location = kElementResult;
  e.quantity_code = kQuantityTemperature;
  e.variable_name[0] = "Time";
  e.variable_unit[0] = "s";
  e.variable_name[1] = "Normalized thickness";
  e.variable_unit[1] = "-";
  e.variable_value[0] = time;
  e.variable_value[1] = thickness;
  e.items.resize(3);
  for (int i = 0; i < 3; ++i) {
    e.items[i].values[0] = 200.0f + 10.0f * static_cast<float>(i) + 100.0f * time - 50.0f * thickness;
    e.items[i].defined = 1;
  }
  return e;
}

struct ResultBench : InterpreterBench {
  ResultSet results;
  ResultDisplay display;
  bool shown = true;
  std::vector<PlotData> plots;
  ViewPicture picture;
  bool have_picture = true;

  ResultBench() {
    ctx.results = &results;
    ctx.display = &display;
    ctx.results_shown = &shown;
    ctx.hooks.show_plot = [this](const PlotData& plot) { plots.push_back(plot); };
    ctx.hooks.read_view = [this](ViewPicture* p) {
      if (have_picture) *p = picture;
      return have_picture;
    };
    // The picture: 4 x 2 pixels, top row at 0.2, 0.4, 0.6, 0.8 of the scale,
    // bottom row background.
    picture.width = 4;
    picture.height = 2;
    picture.rgb.assign(4 * 2 * 3, 1.0f);
    picture.pixel_area = 0.01;
    const float ts[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    for (int x = 0; x < 4; ++x) {
      const Rgb c = ColourMap(ts[x]);
      float* px = &picture.rgb[(static_cast<size_t>(1) * 4 + x) * 3];  // stored row 1 = window row 0
      px[0] = FramebufferChannel(c.r);
      px[1] = FramebufferChannel(c.g);
      px[2] = FramebufferChannel(c.b);
    }
    display.minimum = 10.0f;
    display.maximum = 40.0f;
  }

  // A click in the view while a screen point is expected.
  void Click(int x, int y) {
    ASSERT_EQ(state.expected, kExpectScreenPoint);
    ++state.step;
    RunInterpreter(ctx, std::to_string(x) + " " + std::to_string(y) + " 0");
  }
};

TEST(ResultQuery, ValueUnderTheCursorReadsTheShownScale) {
  ResultBench b;
  b.results.entries = {NodalEntry(0.1f, 1.0f)};
  b.results.current = 0;
  b.Start(5);
  EXPECT_EQ(b.LastIn(), "Select data:");
  // Scale 10..40: 16, 22, 28, 34 within the 8-bit colours.
  for (int x = 0; x < 4; ++x) {
    b.Click(x, 0);
    double v = 0;
    ASSERT_EQ(std::sscanf(b.Out().back().c_str(), "Value: %lf", &v), 1) << b.Out().back();
    EXPECT_NEAR(v, 16.0 + 6.0 * x, 0.1) << x;
  }
  // Background, outside the picture, a text that is no point: unknown.
  b.Click(1, 1);
  EXPECT_EQ(b.Out().back(), "Value: unkown.");
  b.Click(4, 0);
  EXPECT_EQ(b.Out().back(), "Value: unkown.");
  ++b.state.step;
  RunInterpreter(b.ctx, "nowhere");
  EXPECT_EQ(b.Out().back(), "Value: unkown.");
  EXPECT_EQ(b.state.command, 5);  // loops until a right click
  // An entry drawn with inverted colours reads red as its minimum.
  b.results.entries[0].invert_colours = 1;
  b.Click(3, 0);
  double inverted = 0;
  ASSERT_EQ(std::sscanf(b.Out().back().c_str(), "Value: %lf", &inverted), 1);
  EXPECT_NEAR(inverted, 16.0, 0.1);
  // With the model shown instead of results, no colour is a value.
  b.shown = false;
  b.Click(3, 0);
  EXPECT_EQ(b.Out().back(), "Value: unkown.");
  b.RightClick();
  EXPECT_EQ(b.state.command, 0);
}

TEST(ResultQuery, ValueTimesAreaSumsTheColouredPixels) {
  ResultBench b;
  b.results.entries = {NodalEntry(0.1f, 1.0f)};
  b.results.current = 0;
  b.Start(6);
  ASSERT_GE(b.Out().size(), 2u);
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Using current orientation.");
  double sum = 0;
  ASSERT_EQ(std::sscanf(b.Out().back().c_str(), "Value x area: %lf", &sum), 1) << b.Out().back();
  EXPECT_NEAR(sum, (16.0 + 22.0 + 28.0 + 34.0) * 0.01, 0.005);
  EXPECT_EQ(b.state.command, 6);  // stays selected
  b.have_picture = false;
  b.Start(6);
  EXPECT_EQ(b.Out().back(), "Value x area: no view to measure.");
  b.shown = false;
  b.Start(6);
  EXPECT_EQ(b.Out().back(), "Value x area: no result is shown.");
}

TEST(ResultQuery, ElementProfilePlotsEveryTimeThroughTheThickness) {
  ResultBench b;
  // Two output times, three layers each, in file order.
  for (float time : {0.5f, 1.0f})
    for (float h : {0.0f, 0.5f, 1.0f}) b.results.entries.push_back(ProfileEntry(time, h));
  b.results.current = 1;
  b.shown = false;  // the Results dialog shows the model while profiles are picked
  b.Start(7);
  EXPECT_EQ(b.LastIn(), "Enter element:");
  EXPECT_EQ(b.state.expected, kExpectElement);
  b.PickFacetOf(1);
  EXPECT_EQ(b.Out().back(), "Element: 2");
  ASSERT_EQ(b.plots.size(), 1u);
  const PlotData& plot = b.plots[0];
  EXPECT_EQ(plot.title, "XY plot");
  EXPECT_EQ(plot.y_title, "Temperature [C]");
  EXPECT_EQ(plot.x_title, "Normalized thickness [-]");
  ASSERT_EQ(plot.curves.size(), 2u);
  EXPECT_EQ(plot.curves[1].label, "Time = 1.000 (s)");
  ASSERT_EQ(plot.curves[1].x.size(), 3u);
  // Element 2 at t = 1 s, mid-plane: 200 + 10 + 100 - 25.
  EXPECT_DOUBLE_EQ(plot.curves[1].x[1], 0.5);
  EXPECT_DOUBLE_EQ(plot.curves[1].y[1], 285.0);
  EXPECT_TRUE(b.selection.facets.empty());
  // Each further pick plots again; a number out of range repeats the prompt.
  b.Enter("3");
  ASSERT_EQ(b.plots.size(), 2u);
  EXPECT_DOUBLE_EQ(b.plots[1].curves[0].y[0], 200.0 + 20.0 + 50.0);
  b.Enter("9");
  EXPECT_EQ(b.LastIn(), "Enter element:");
  EXPECT_EQ(b.plots.size(), 2u);
  b.Enter("");
  EXPECT_EQ(b.LastIn(), "Done.");
  // A current entry without thickness values gives a message, no plot.
  b.results.entries = {NodalEntry(0.1f, 1.0f)};
  b.results.current = 0;
  b.Start(7);
  b.Enter("1");
  EXPECT_EQ(b.Out().back(), "The result has no values through the thickness.");
  EXPECT_EQ(b.plots.size(), 2u);
}

TEST(ResultQuery, NodeQueryPlotsTheHistoryOfAShownTimeResult) {
  ResultBench b;
  b.results.entries = {NodalEntry(0.1f, 1.0f), NodalEntry(0.2f, 2.0f), NodalEntry(0.3f, 3.0f)};
  b.results.current = 2;
  b.Start(2);
  b.PickNode(3);
  ASSERT_EQ(b.plots.size(), 1u);
  const PlotData& plot = b.plots[0];
  EXPECT_EQ(plot.y_title, "Pressure [MPa]");
  EXPECT_EQ(plot.x_title, "Time [s]");
  ASSERT_EQ(plot.curves.size(), 1u);
  ASSERT_EQ(plot.curves[0].x.size(), 3u);
  EXPECT_FLOAT_EQ(static_cast<float>(plot.curves[0].x[2]), 0.3f);
  EXPECT_DOUBLE_EQ(plot.curves[0].y[0], 4.0);   // node 4 x 1
  EXPECT_DOUBLE_EQ(plot.curves[0].y[2], 12.0);  // node 4 x 3
  ASSERT_GE(b.Out().size(), 2u);
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Node: 4");
  // The model shown, or a result without time: the node is reported, no plot.
  b.shown = false;
  b.PickNode(0);
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Node: 1");
  b.shown = true;
  b.results.entries[2].label_kind = 0;
  b.PickNode(1);
  EXPECT_EQ(b.plots.size(), 1u);
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Node: 2");
  // A result with fewer items than nodes: said, not read past.
  b.results.entries[2].label_kind = 1;
  for (ResultEntry& e : b.results.entries) e.items.resize(2);
  b.PickNode(4);
  EXPECT_EQ(b.Out()[b.Out().size() - 3], "Node 5 is not in the result.");
  EXPECT_EQ(b.plots.size(), 1u);
}

TEST(ResultQuery, QueriesReplayFromTheJournal) {
  // Clicks and picks are journalled under the dialogs' command lines and
  // replay to the same lines.
  ResultBench b;
  for (float h : {0.0f, 1.0f}) b.results.entries.push_back(ProfileEntry(0.5f, h));
  b.results.current = 0;  // the Results dialog's choice is not journalled
  b.Start(5);
  b.Click(1, 0);
  b.Click(2, 0);
  b.RightClick();
  b.Start(6);
  b.Start(7);
  b.PickFacetOf(0);
  b.Enter("");
  std::string text;
  for (const std::string& line : b.journal) text += line + "\n";
  EXPECT_NE(text.find("Results > Query > Value (Interactive)\n1 0 0\n2 0 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Results > Plot > Element Profile\n"), std::string::npos) << text;

  ResultBench replay;
  replay.results = b.results;
  std::string error;
  ASSERT_EQ(ReplayJournal(replay.ctx, text, "queries.kvj", &error), 1) << error;
  EXPECT_EQ(replay.Out(), b.Out());
  EXPECT_EQ(replay.plots.size(), 1u);
}

TEST(ResultQuery, BadAnswersAndShortResultsNeverCrash) {
  // Entries whose item tables are shorter than the model, an empty set, a
  // current index out of range, and answers of every kind.
  const std::vector<std::string> answers = {"", "abc", "-1", "0", "99999", "2", "3 -5 0", "1e9 1e9 0", "1e30 -1e30 0", "nan nan 0", "4 1 0"};
  for (int variant = 0; variant < 3; ++variant) {
    ResultBench b;
    if (variant == 0) {
      b.results.entries = {NodalEntry(0.1f, 1.0f), ProfileEntry(0.5f, 0.5f)};
      for (ResultEntry& e : b.results.entries) e.items.resize(1);
      b.results.current = 1;
    } else if (variant == 1) {
      b.results.current = 3;  // no entries at all
    } else {
      b.results.entries = {ProfileEntry(0.5f, 0.0f)};
      b.results.current = 0;
      b.picture.rgb.resize(5);  // a picture smaller than its size says
    }
    for (int code : {2, 5, 6, 7}) {
      b.Start(code);
      for (const std::string& a : answers) b.Enter(a);
      b.RightClick();
      EXPECT_EQ(b.state.command, 0);
    }
  }
}

}  // namespace
}  // namespace kv
