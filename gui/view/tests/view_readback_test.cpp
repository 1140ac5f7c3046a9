// Measurements on a picture of the view: pixels off the background, values
// read back through the colour scale, value times area, the pixel area.
#include <gtest/gtest.h>

#include "gui/view/core/colour_map.h"
#include "gui/view/core/view_readback.h"

namespace kv {
namespace {

// A white 8 x 2 picture; window row 0 is the top (stored last).
ViewPicture BlankPicture() {
  ViewPicture p;
  p.width = 8;
  p.height = 2;
  p.rgb.assign(8 * 2 * 3, 1.0f);
  p.pixel_area = 0.5;
  return p;
}

// Paints window pixel (x, y) (y from the top) in `c`, as the framebuffer holds it.
void Paint(ViewPicture& p, int x, int y, Rgb c) {
  float* px = &p.rgb[(static_cast<size_t>(p.height - 1 - y) * p.width + x) * 3];
  px[0] = FramebufferChannel(c.r);
  px[1] = FramebufferChannel(c.g);
  px[2] = FramebufferChannel(c.b);
}

TEST(ViewReadback, ColoursOfTheMapReadBackToTheirValues) {
  // Along the four ramps every colour, held in 8 bits, gives its value back
  // within a fraction of one of the 32 contour steps.
  for (int i = 1; i < 1000; ++i) {  // inside the ramps, ends excluded
    const float t = 2.0f / 17.0f + (13.0f / 17.0f) * static_cast<float>(i) / 1000.0f;
    const Rgb c = ColourMap(t);
    const Rgb held{FramebufferChannel(c.r), FramebufferChannel(c.g), FramebufferChannel(c.b)};
    EXPECT_NEAR(ValueOfScaleColour(held), t, 0.003f) << "t = " << t;
  }
  // The flat ends give the middle of the values that show them.
  EXPECT_FLOAT_EQ(ValueOfScaleColour(ColourMap(0.0f)), 1.0f / 17.0f);
  EXPECT_FLOAT_EQ(ValueOfScaleColour(ColourMap(0.05f)), 1.0f / 17.0f);
  EXPECT_FLOAT_EQ(ValueOfScaleColour(ColourMap(1.0f)), 16.0f / 17.0f);
  EXPECT_FLOAT_EQ(ValueOfScaleColour(ColourMap(0.95f)), 16.0f / 17.0f);
  // Yellow lies at 11/17 of the scale (the ramps are uneven).
  EXPECT_NEAR(ValueOfScaleColour(Rgb{1, 1, 0}), 11.0f / 17.0f, 1e-6f);
  // Colours off the map: grey underlay, black edges, white background.
  EXPECT_EQ(ValueOfScaleColour(Rgb{0.5f, 0.5f, 0.5f}), -1.0f);
  EXPECT_EQ(ValueOfScaleColour(Rgb{0.75f, 0.75f, 0.75f}), -1.0f);
  EXPECT_EQ(ValueOfScaleColour(Rgb{0, 0, 0}), -1.0f);
  EXPECT_EQ(ValueOfScaleColour(Rgb{1, 1, 1}), -1.0f);
}

TEST(ViewReadback, ValuesUnderThePointFollowTheScale) {
  ViewPicture p = BlankPicture();
  const float ts[4] = {0.2f, 0.3f, 0.62f, 0.8f};
  for (int i = 0; i < 4; ++i) Paint(p, i, 0, ColourMap(ts[i]));  // top row
  Paint(p, 0, 1, ColourMap(0.9f));                                  // bottom row
  Paint(p, 5, 1, Rgb{0.5f, 0.5f, 0.5f});                            // grey underlay
  // Scale 100..300: t read back within the reverse table's resolution and
  // the 8-bit framebuffer (a few table steps of 200/895).
  for (int i = 0; i < 4; ++i) {
    double v = -1;
    ASSERT_TRUE(ValueAtWindowPoint(p, i, 0, 100.0f, 300.0f, false, &v)) << i;
    EXPECT_NEAR(v, 100.0 + 200.0 * ts[i], 2.0) << i;
  }
  double v = -1;
  ASSERT_TRUE(ValueAtWindowPoint(p, 0, 1, 100.0f, 300.0f, false, &v));
  EXPECT_NEAR(v, 100.0 + 200.0 * 16.0 / 17.0, 0.01);  // window y 1 is the bottom row: red
  // An entry drawn with inverted colours: t = 0.8 there is 0.2 of its scale.
  ASSERT_TRUE(ValueAtWindowPoint(p, 3, 0, 100.0f, 300.0f, true, &v));
  EXPECT_NEAR(v, 140.0, 2.0);
  // Background, grey, and points outside the picture carry no value.
  v = 42;
  EXPECT_FALSE(ValueAtWindowPoint(p, 7, 0, 100.0f, 300.0f, false, &v));
  EXPECT_FALSE(ValueAtWindowPoint(p, 5, 1, 100.0f, 300.0f, false, &v));
  EXPECT_FALSE(ValueAtWindowPoint(p, 8, 0, 100.0f, 300.0f, false, &v));
  EXPECT_FALSE(ValueAtWindowPoint(p, 0, 2, 100.0f, 300.0f, false, &v));
  EXPECT_FALSE(ValueAtWindowPoint(p, -1, 0, 100.0f, 300.0f, false, &v));
  EXPECT_EQ(v, 42);
  // A picture whose pixels do not fill its size is refused, not read past.
  ViewPicture short_picture = p;
  short_picture.rgb.resize(10);
  EXPECT_FALSE(ValueAtWindowPoint(short_picture, 0, 0, 100.0f, 300.0f, false, &v));
  EXPECT_EQ(CountModelPixels(short_picture), 0);
}

TEST(ViewReadback, AreaSumsSkipBackgroundAndColoursOffTheScale) {
  ViewPicture p = BlankPicture();
  EXPECT_EQ(CountModelPixels(p), 0);
  EXPECT_EQ(ValueTimesArea(p, 0.0f, 10.0f, false), 0.0);
  Paint(p, 0, 0, ColourMap(0.8f));               // 8
  Paint(p, 1, 0, ColourMap(0.2f));               // 2
  Paint(p, 2, 1, ColourMap(0.5f));               // 5
  Paint(p, 3, 1, Rgb{0.0f, 0.0f, 0.0f});         // a black edge: model, no value
  Paint(p, 4, 1, Rgb{0.5f, 0.5f, 0.5f});         // grey: model, no value
  EXPECT_EQ(CountModelPixels(p), 5);
  EXPECT_NEAR(ValueTimesArea(p, 0.0f, 10.0f, false), (8.0 + 2.0 + 5.0) * 0.5, 0.05);
  // A background that is not white is matched as the framebuffer holds it.
  ViewPicture dark = BlankPicture();
  for (float& c : dark.rgb) c = FramebufferChannel(0.2f);
  for (float& c : dark.background) c = FramebufferChannel(0.2f);
  Paint(dark, 4, 0, ColourMap(0.25f));
  EXPECT_EQ(CountModelPixels(dark), 1);
}

TEST(ViewReadback, PixelAreaIsTheVisibleAreaOverThePixels) {
  ViewState view;
  view.viewport_width = 200;
  view.viewport_height = 100;
  view.half_size = 0.5f;
  ASSERT_TRUE(ComputeProjection(view, nullptr));
  // 2 x 1 model units seen through 200 x 100 pixels.
  EXPECT_NEAR(ViewPixelArea(view), 2.0 * 1.0 / 20000.0, 1e-12);
  view.viewport_width = 0;
  EXPECT_EQ(ViewPixelArea(view), 0.0);
}

}  // namespace
}  // namespace kv
