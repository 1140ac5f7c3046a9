// The result display without a display: colour map and reverse table, unit
// conversions and labels, limits and normalisation, the colour texture, the
// legend, and the stepping and playing of animations.
#include "gui/view/core/colour_map.h"
#include "gui/view/core/result_display.h"
#include "gui/view/core/result_units.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kv {
namespace {

void ExpectRgb(const Rgb& c, float r, float g, float b) {
  EXPECT_NEAR(c.r, r, 1e-5f);
  EXPECT_NEAR(c.g, g, 1e-5f);
  EXPECT_NEAR(c.b, b, 1e-5f);
}

TEST(ColourMap, RunsBlueCyanGreenYellowRed) {
  ExpectRgb(ColourMap(0.0f), 0, 0, 1);
  ExpectRgb(ColourMap(1.0f), 1, 0, 0);
  // t = 3/17: u = 1, green = 1/3, blue = min(1, 5/3) = 1.
  ExpectRgb(ColourMap(3.0f / 17.0f), 0, 1.0f / 3.0f, 1);
  // t = 0.5: u = 17/6: red = 1/6, green 1, blue = max(0, 8/3 - 17/6) = 0.
  ExpectRgb(ColourMap(0.5f), 1.0f / 6.0f, 1, 0);
  // t = 0.75: red = min(1, 21/4 - 51/16 = 2.06) = 1, green = 15/4 - 51/16 = 0.5625.
  ExpectRgb(ColourMap(0.75f), 1, 0.5625f, 0);
  // The inversion flag maps 1 - t.
  ExpectRgb(ColourMap(0.0f, true), 1, 0, 0);
  ExpectRgb(ColourMap(0.75f, true), ColourMap(0.25f).r, ColourMap(0.25f).g, ColourMap(0.25f).b);
}

TEST(ReverseColourTable, RunsAndValuesReadBack) {
  const std::vector<Rgb>& t = ReverseColourTable();
  ASSERT_EQ(t.size(), 896u);
  ExpectRgb(t[0], 1, 0, 0);
  ExpectRgb(t[255], 1, 1, 0);
  ExpectRgb(t[256 + 191], 64.0f / 255.0f, 1, 0);
  ExpectRgb(t[448], 0, 1, 64.0f / 255.0f);
  ExpectRgb(t[895], 0, 0, 1);
  EXPECT_FLOAT_EQ(ValueOfColour({1, 0, 0}), 1.0f);
  EXPECT_FLOAT_EQ(ValueOfColour({0, 0, 1}), 0.0f);
  EXPECT_FLOAT_EQ(ValueOfColour({1, 1, 0}), 1.0f - 255.0f / 895.0f);
  // Grey and white are no result colours.
  EXPECT_EQ(ValueOfColour({0.5f, 0.5f, 0.5f}), -1.0f);
  EXPECT_EQ(ValueOfColour({1, 1, 1}), -1.0f);
  // Colours of the map read back in the order of their values (the map's
  // saturated ends read as the end colours), the middle one near 0.5.
  float previous = -1.0f;
  for (int i = 0; i <= 100; ++i) {
    const float back = ValueOfColour(ColourMap(i / 100.0f));
    EXPECT_GE(back, previous) << i;
    previous = back;
  }
  EXPECT_NEAR(ValueOfColour(ColourMap(0.5f)), 1.0f - 447.0f / 895.0f, 1e-6f);
}

TEST(ResultUnits, EveryConversionOfTheTable) {
  struct Case { int code, from, to; double in, out; };
  const Case cases[] = {
      {kQuantityLength, 0, 1, 2.0, 2.0},          {kQuantityLength, 0, 2, 1.0, 39.370079},
      {kQuantityLength, 1, 2, 0.0254, 1.0},       {kQuantityLength, 2, 1, 1.0, 0.0254},
      {kQuantityTemperature, 0, 1, 373.15, 100},  {kQuantityTemperature, 0, 2, 373.15, 212},
      {kQuantityTemperature, 1, 2, -40, -40},     {kQuantityTemperature, 2, 1, 212, 100},
      {kQuantityTemperatureDifference, 0, 1, 10, 10}, {kQuantityTemperatureDifference, 0, 2, 10, 18},
      {kQuantityTemperatureDifference, 1, 2, 10, 18}, {kQuantityTemperatureDifference, 2, 1, 18, 10.0000008},
      {kQuantityVelocity, 0, 2, 0.0254, 1.0},     {kQuantityVelocity, 2, 1, 10, 0.254},
      {kQuantityPressure, 0, 1, 2.5e6, 2.5},      {kQuantityPressure, 0, 2, 1e6, 145.03773},
      {kQuantityPressure, 1, 2, 1, 145.03773},    {kQuantityPressure, 2, 1, 1000, 6.8947575},
      {kQuantityForce, 0, 1, 9800, 1},            {kQuantityForce, 0, 2, 10000, 1.1248074},
      {kQuantityForce, 1, 2, 1, 1.1023113},       {kQuantityForce, 2, 1, 1, 0.90718478},
      {kQuantityFlowRate, 0, 1, 3, 3},            {kQuantityFlowRate, 0, 2, 1e-3, 15.850323},
      {kQuantityFlowRate, 1, 2, 1, 15850.323},    {kQuantityFlowRate, 2, 1, 1, 0.0000630902},
      // Time, shear rate and other quantities are shown as read.
      {kQuantityTime, 0, 2, 3.5, 3.5},            {kQuantityShearRate, 0, 2, 7, 7}, {kQuantityOther, 1, 2, 7, 7},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(ConvertResultValue(c.code, c.from, c.to, c.in), c.out, 1e-6 * std::max(1.0, std::fabs(c.out)))
        << c.code << " " << c.from << "->" << c.to;
  EXPECT_STREQ(DisplayUnitName(kQuantityPressure, 1), "MPa");
  EXPECT_STREQ(DisplayUnitName(kQuantityForce, 2), "Ton (US)");
  EXPECT_STREQ(DisplayUnitName(kQuantityFlowRate, 2), "gal(US)/min");
  EXPECT_STREQ(DisplayUnitName(kQuantityTemperatureDifference, 2), "F(d)");
  EXPECT_EQ(DisplayUnitName(kQuantityShearRate, 1), nullptr);
}

ResultEntry MakeEntry(const char* name, const char* unit, int location, int label_kind, int frame, int items) {
  ResultEntry e;
  e.name = name;
  e.unit = unit;
  e.quantity_code = QuantityCodeOfUnit(unit);
  e.location = location;
  e.label_kind = label_kind;
  e.frame = frame;
  e.variable_value[0] = 0.25f * static_cast<float>(frame);
  e.variable_value[1] = 0.5f;
  e.items.resize(static_cast<size_t>(items));
  BuildResultLabels(e);
  return e;
}

TEST(ApplyUnits, ConvertsValuesUnitsAndLabelsAndComesBack) {
  ResultSet set;
  set.entries.push_back(MakeEntry("Pressure", "Pa", kNodalResult, 1, 3, 2));
  set.entries.push_back(MakeEntry("Shear rate", "1/s", kNodalResult, 0, 4, 1));
  set.entries.push_back(MakeEntry("Temperature", "K", kTwoSidedResult, 2, 5, 1));
  set.entries[0].items[0] = {{12.5e6f}, 1};
  set.entries[0].items[1] = {{7.0f}, 0};  // undefined: left alone
  set.entries[1].items[0] = {{100.0f}, 1};
  set.entries[2].items[0] = {{273.15f, 373.15f}, 1};

  ApplyUnits(set, 1);
  EXPECT_FLOAT_EQ(set.entries[0].items[0].values[0], 12.5f);
  EXPECT_FLOAT_EQ(set.entries[0].items[1].values[0], 7.0f);
  EXPECT_EQ(set.entries[0].unit, "MPa");
  EXPECT_EQ(set.entries[0].unit_state, 1);
  EXPECT_EQ(set.entries[0].long_label, "Pressure [MPa] -    3 : Time = 0.750000");
  EXPECT_EQ(set.entries[0].short_label, "Pressure [MPa] : Time = 0.750000");
  EXPECT_FLOAT_EQ(set.entries[1].items[0].values[0], 100.0f);
  EXPECT_EQ(set.entries[1].unit, "1/s");
  EXPECT_EQ(set.entries[1].unit_state, 1);
  EXPECT_NEAR(set.entries[2].items[0].values[0], 0.0f, 1e-4f);
  EXPECT_NEAR(set.entries[2].items[0].values[1], 100.0f, 1e-4f);
  EXPECT_EQ(set.entries[2].short_label, "Temperature [C] : Time = 1.250000 : Normalized thickness = 0.500000");

  ApplyUnits(set, 2);
  EXPECT_NEAR(set.entries[0].items[0].values[0], 12.5f * 145.03773f, 1e-2f);
  EXPECT_EQ(set.entries[0].long_label, "Pressure [psi] -    3 : Time = 0.750000");
  EXPECT_NEAR(set.entries[2].items[0].values[1], 212.0f, 1e-3f);
  ApplyUnits(set, 2);  // no change when already English
  EXPECT_NEAR(set.entries[2].items[0].values[1], 212.0f, 1e-3f);

  ApplyUnits(set, 1);
  EXPECT_NEAR(set.entries[0].items[0].values[0], 12.5f, 1e-5f);
  EXPECT_NEAR(set.entries[2].items[0].values[0], 0.0f, 1e-4f);
  EXPECT_EQ(set.entries[0].unit, "MPa");
}

MeshModel MeshWithElements(int count) {
  MeshModel mesh;
  mesh.elements.resize(static_cast<size_t>(count));
  return mesh;
}

TEST(UpdateCurrentFrame, AutomaticAndFixedLimitsAndUndefinedItems) {
  ResultSet set;
  set.entries.push_back(MakeEntry("Pressure", "MPa", kNodalResult, 0, 0, 4));
  ResultEntry& e = set.entries[0];
  e.items[0] = {{2.0f}, 1};
  e.items[1] = {{6.0f}, 1};
  e.items[2] = {{4.0f}, 1};
  e.items[3] = {{100.0f}, 0};
  ResultDisplay d;
  MeshModel mesh;
  UpdateCurrentFrame(d, set, mesh);  // no current entry: nothing
  EXPECT_EQ(d.minimum, 0.0f);
  set.current = 0;
  UpdateCurrentFrame(d, set, mesh);
  EXPECT_FLOAT_EQ(d.minimum, 2.0f);
  EXPECT_FLOAT_EQ(d.maximum, 6.0f);
  EXPECT_FLOAT_EQ(e.items[0].values[kNormalisedSlot], 0.0f);
  EXPECT_FLOAT_EQ(e.items[1].values[kNormalisedSlot], 1.0f);
  EXPECT_FLOAT_EQ(e.items[2].values[kNormalisedSlot], 0.5f);
  EXPECT_FLOAT_EQ(e.items[3].values[kNormalisedSlot], -1.0f);
  // Fixed limits: values beyond them normalise outside 0..1.
  d.automatic_limits = 0;
  d.minimum = 3.0f;
  d.maximum = 5.0f;
  UpdateCurrentFrame(d, set, mesh);
  EXPECT_FLOAT_EQ(d.minimum, 3.0f);
  EXPECT_FLOAT_EQ(e.items[0].values[kNormalisedSlot], -0.5f);
  EXPECT_FLOAT_EQ(e.items[1].values[kNormalisedSlot], 1.5f);
  // All values equal: every defined item in the middle of the scale.
  d.automatic_limits = 1;
  for (int i = 0; i < 3; ++i) e.items[static_cast<size_t>(i)].values[0] = 7.0f;
  UpdateCurrentFrame(d, set, mesh);
  EXPECT_FLOAT_EQ(e.items[0].values[kNormalisedSlot], 0.5f);
  EXPECT_FLOAT_EQ(e.items[2].values[kNormalisedSlot], 0.5f);
  // Time entries mark undefined items 2; nothing defined gives limits 0, 0.
  e.quantity_code = kQuantityTime;
  for (ResultItem& item : e.items) item.defined = 0;
  UpdateCurrentFrame(d, set, mesh);
  EXPECT_EQ(d.minimum, 0.0f);
  EXPECT_EQ(d.maximum, 0.0f);
  EXPECT_FLOAT_EQ(e.items[1].values[kNormalisedSlot], 2.0f);
}

TEST(UpdateCurrentFrame, ElementKindsRangeVisibleElementsAndBothSides) {
  MeshModel mesh = MeshWithElements(3);
  mesh.elements[2].visible = 0;
  ResultSet set;
  set.entries.push_back(MakeEntry("Thickness", "m", kElementResult, 0, 0, 3));
  set.entries.push_back(MakeEntry("Sides", "m", kTwoSidedResult, 0, 1, 3));
  set.entries.push_back(MakeEntry("Velocity", "m/s", kElementVectorResult, 0, 2, 2));
  set.entries[0].items = {{{1.0f}, 1}, {{3.0f}, 1}, {{50.0f}, 1}};
  set.entries[1].items = {{{1.0f, 9.0f}, 1}, {{5.0f, 3.0f}, 1}, {{-4.0f, 40.0f}, 1}};
  set.entries[2].items = {{{3, 4, 0, 5.0f}, 1}, {{0, 0, 1, 1.0f}, 1}};
  ResultDisplay d;
  set.current = 0;
  UpdateCurrentFrame(d, set, mesh);
  EXPECT_FLOAT_EQ(d.minimum, 1.0f);  // the hidden element's 50 does not count
  EXPECT_FLOAT_EQ(d.maximum, 3.0f);
  EXPECT_FLOAT_EQ(set.entries[0].items[2].values[kNormalisedSlot], 24.5f);
  set.current = 1;
  UpdateCurrentFrame(d, set, mesh);
  EXPECT_FLOAT_EQ(d.minimum, 1.0f);
  EXPECT_FLOAT_EQ(d.maximum, 9.0f);
  EXPECT_FLOAT_EQ(set.entries[1].items[0].values[kSecondNormalisedSlot], 1.0f);
  EXPECT_FLOAT_EQ(set.entries[1].items[1].values[kNormalisedSlot], 0.5f);
  EXPECT_FLOAT_EQ(set.entries[1].items[1].values[kSecondNormalisedSlot], 0.25f);
  set.current = 2;
  UpdateCurrentFrame(d, set, mesh);  // vectors by their length
  EXPECT_FLOAT_EQ(d.minimum, 1.0f);
  EXPECT_FLOAT_EQ(d.maximum, 5.0f);
  EXPECT_FLOAT_EQ(set.entries[2].items[0].values[kNormalisedSlot], 1.0f);
}

TEST(ColourTexture, NPlusOneTexelsOfTheColourMap) {
  const std::vector<unsigned char> t = BuildColourTexture(31);
  ASSERT_EQ(t.size(), 32u * 4u);
  EXPECT_EQ(t[0], 0);  // blue first
  EXPECT_EQ(t[2], 255);
  EXPECT_EQ(t[31 * 4], 255);  // red last
  EXPECT_EQ(t[31 * 4 + 1], 0);
  const Rgb mid = ColourMap(16.0f / 31.0f);
  EXPECT_EQ(t[16 * 4 + 1], static_cast<unsigned char>(std::lround(mid.g * 255)));
  for (size_t i = 3; i < t.size(); i += 4) EXPECT_EQ(t[i], 255);
  EXPECT_EQ(BuildColourTexture(1).size(), 8u);
  EXPECT_FLOAT_EQ(ColourTextureCoordinate(0.25f, true), 0.75f);
  EXPECT_FLOAT_EQ(ColourTextureCoordinate(-1.0f, false), -1.0f);
}

TEST(Legend, ValueCountStepsAndFormats) {
  ResultDisplay d;
  d.minimum = 0.0f;
  d.maximum = 17.0f;
  d.contours = 31;
  std::vector<double> v = LegendValues(d);
  ASSERT_EQ(v.size(), 18u);
  EXPECT_DOUBLE_EQ(v[0], 0.0);
  EXPECT_DOUBLE_EQ(v[1], 1.0);
  EXPECT_DOUBLE_EQ(v[17], 17.0);
  d.contours = 7;
  EXPECT_EQ(LegendValues(d).size(), 9u);
  d.contours = 127;
  EXPECT_EQ(LegendValues(d).size(), 18u);
  EXPECT_EQ(FormatLegendValue(10.0), "10.000");
  EXPECT_EQ(FormatLegendValue(-0.5), "-5.000e-01");
  EXPECT_EQ(FormatLegendValue(0.0), "0.0000");
  EXPECT_EQ(FormatLegendValue(5.0), "5.0000");
  EXPECT_EQ(FormatLegendValue(99.5), "99.500");
  EXPECT_EQ(FormatLegendValue(123.456), "123.46");
  EXPECT_EQ(FormatLegendValue(1234.56), "1234.6");
  EXPECT_EQ(FormatLegendValue(12345.6), "12346");
  EXPECT_EQ(FormatLegendValue(123456.0), "1.235e+05");
  ResultSet set;
  EXPECT_EQ(LegendTitle(set), "");
  set.entries.push_back(MakeEntry("Pressure", "MPa", kNodalResult, 1, 2, 1));
  set.current = 0;
  EXPECT_EQ(LegendTitle(set), "Pressure [MPa] : Time = 0.500000");
}

// A series of three pressure frames around a time entry of another name.
ResultSet SeriesSet() {
  ResultSet set;
  set.entries.push_back(MakeEntry("Thickness", "s", kNodalResult, 0, 0, 2));  // time code: a sweep
  for (int f = 1; f <= 3; ++f) {
    set.entries.push_back(MakeEntry("Pressure", "Pa", kNodalResult, 1, f, 2));
    set.entries.back().items = {{{0.0f}, 1}, {{static_cast<float>(f)}, 1}};
    if (f == 2) set.entries.push_back(MakeEntry("Temperature", "K", kNodalResult, 1, f, 2));
  }
  set.entries[0].items = {{{0.0f}, 1}, {{8.0f}, 1}};
  return set;
}

TEST(Animation, SeriesStepsThroughEntriesOfTheSameName) {
  ResultSet set = SeriesSet();
  MeshModel mesh;
  ResultDisplay d;
  ASSERT_TRUE(ChooseResultEntry(d, set, 1));
  EXPECT_EQ(d.frame_count, 1);
  EXPECT_EQ(SeriesOf(set, 1), (std::vector<int>{1, 2, 4}));
  EXPECT_TRUE(StepFrame(d, set, mesh, +1));
  EXPECT_EQ(set.current, 2);
  EXPECT_FLOAT_EQ(d.maximum, 2.0f);
  EXPECT_TRUE(StepFrame(d, set, mesh, +1));
  EXPECT_EQ(set.current, 4);  // the temperature entry is passed over
  EXPECT_FALSE(StepFrame(d, set, mesh, +1));  // end of the series: nothing
  EXPECT_EQ(set.current, 4);
  EXPECT_TRUE(StepFrame(d, set, mesh, -1));
  EXPECT_TRUE(StepFrame(d, set, mesh, -1));
  EXPECT_EQ(set.current, 1);
  EXPECT_FALSE(StepFrame(d, set, mesh, -1));

  std::vector<int> drawn;
  EXPECT_EQ(PlayAnimation(d, set, mesh, [&](int frame) { drawn.push_back(set.current + 10 * frame); }), 3);
  EXPECT_EQ(drawn, (std::vector<int>{1, 12, 24}));
  EXPECT_EQ(d.frame_count, 3);
  EXPECT_EQ(d.playback_stopped, 1);
}

TEST(Animation, LimitSweepRaisesTheMaximumFrameByFrameAndWraps) {
  ResultSet set = SeriesSet();
  MeshModel mesh;
  ResultDisplay d;
  ASSERT_TRUE(ChooseResultEntry(d, set, 0));
  EXPECT_EQ(d.frame_count, 32);
  d.frame_count = 4;
  EXPECT_TRUE(StepFrame(d, set, mesh, +1));
  EXPECT_EQ(d.current_frame, 1);
  EXPECT_FLOAT_EQ(d.maximum, 4.0f);  // 0 + 8 * 2 / 4
  EXPECT_EQ(d.automatic_limits, 1);
  EXPECT_FLOAT_EQ(set.entries[0].items[1].values[kNormalisedSlot], 2.0f);
  EXPECT_TRUE(StepFrame(d, set, mesh, -1));
  EXPECT_TRUE(StepFrame(d, set, mesh, -1));
  EXPECT_EQ(d.current_frame, 3);  // wrapped from 0 to the last frame
  EXPECT_FLOAT_EQ(d.maximum, 8.0f);

  std::vector<float> maxima;
  const int drawn = PlayAnimation(d, set, mesh, [&](int frame) {
    maxima.push_back(d.maximum);
    if (frame == 2) StopAnimation(d);
  });
  EXPECT_EQ(drawn, 3);  // stopped after the third frame
  EXPECT_EQ(maxima, (std::vector<float>{2.0f, 4.0f, 6.0f}));
  EXPECT_EQ(d.automatic_limits, 1);
  EXPECT_EQ(d.lists_need_compiling, 0);
  EXPECT_FALSE(ChooseResultEntry(d, set, 9));
}

TEST(Animation, FrameListsHoldTheFramesOfOneSweep) {
  ResultSet set = SeriesSet();
  MeshModel mesh;
  ResultDisplay d;
  ASSERT_TRUE(ChooseResultEntry(d, set, 0));
  FrameListCache cache;
  // A sweep played: every frame compiled once, then replayed; stepping
  // through the same sweep replays too.
  std::vector<int> first, second;
  PlayAnimation(d, set, mesh, [&](int k) { first.push_back(UseFrameList(cache, k, set, d)); });
  PlayAnimation(d, set, mesh, [&](int k) { second.push_back(UseFrameList(cache, k, set, d)); });
  ASSERT_EQ(first.size(), 32u);
  EXPECT_EQ(first, std::vector<int>(32, kCompileFrameList));
  EXPECT_EQ(second, std::vector<int>(32, kReplayFrameList));
  ASSERT_TRUE(StepFrame(d, set, mesh, +1));
  EXPECT_EQ(UseFrameList(cache, d.current_frame, set, d), kReplayFrameList);
  // Fixed limits cut another sweep: its frames are compiled anew.
  d.automatic_limits = 0;
  d.minimum = 1.0f;
  d.maximum = 5.0f;
  ASSERT_TRUE(StepFrame(d, set, mesh, +1));
  EXPECT_FLOAT_EQ(d.sweep_maximum, 5.0f);
  EXPECT_EQ(UseFrameList(cache, d.current_frame, set, d), kCompileFrameList);
  EXPECT_EQ(UseFrameList(cache, 0, set, d), kCompileFrameList);
  // So does another entry, and frames outside the block are never cached.
  set.current = 1;
  EXPECT_EQ(UseFrameList(cache, 0, set, d), kCompileFrameList);
  EXPECT_EQ(UseFrameList(cache, 0, set, d), kReplayFrameList);
  EXPECT_EQ(UseFrameList(cache, 32, set, d), kDrawFrameDirectly);
  EXPECT_EQ(UseFrameList(cache, -1, set, d), kDrawFrameDirectly);
  ForgetFrameLists(cache);
  EXPECT_EQ(UseFrameList(cache, 0, set, d), kCompileFrameList);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(IsoSegment, CrossesTheTriangleWhereTheInterpolatedValueMeetsTheLevel) {
  const float p[3][3] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
  const float v[3] = {0.0f, 1.0f, 1.0f};
  float a[3], b[3];
  ASSERT_TRUE(IsoSegment(p, v, 0.25f, a, b));
  // Value 0.25 lies a quarter along the edges from the first corner.
  EXPECT_FLOAT_EQ(a[0], 0.5f);
  EXPECT_FLOAT_EQ(a[1], 0.0f);
  EXPECT_FLOAT_EQ(b[0], 0.0f);
  EXPECT_FLOAT_EQ(b[1], 0.5f);
  EXPECT_FALSE(IsoSegment(p, v, 1.5f, a, b));
  EXPECT_FALSE(IsoSegment(p, v, -0.5f, a, b));
  const float flat[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_FALSE(IsoSegment(p, flat, 0.25f, a, b));
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(Limits, TypedLimitsAreNumbersOrNothingChanges) {
  ResultDisplay d;
  d.minimum = 1.0f;
  d.maximum = 2.0f;
  std::string message;
  // Garbage in either edit: refused with the message, the limits as they were.
  for (const auto& [low, high] : std::vector<std::pair<std::string, std::string>>{
           {"abc", "5"}, {"0", ""}, {"12abc", "20"}, {"1e999", "2"}, {"nan", "3"}, {"inf", "4"},
           {"1,5", "3"}, {"-", "3"}, {"0", "1e39"}}) {
    message.clear();
    EXPECT_FALSE(ApplyLimits(d, false, low, high, &message)) << low << " / " << high;
    EXPECT_EQ(message, "Min and Max must be numbers.");
    EXPECT_EQ(d.minimum, 1.0f);
    EXPECT_EQ(d.maximum, 2.0f);
    EXPECT_EQ(d.automatic_limits, 1);
  }
  // Numbers, blanks around them allowed: fixed limits.
  ASSERT_TRUE(ApplyLimits(d, false, " -0.5 ", "1.25E+002", &message));
  EXPECT_EQ(d.minimum, -0.5f);
  EXPECT_EQ(d.maximum, 125.0f);
  EXPECT_EQ(d.automatic_limits, 0);
  // Auto checked: the edits do not matter.
  ASSERT_TRUE(ApplyLimits(d, true, "junk", "junk", &message));
  EXPECT_EQ(d.automatic_limits, 1);
}

}  // namespace
}  // namespace kv
