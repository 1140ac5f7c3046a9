#include "plotview/core/plot_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "common/plot/plot_data.h"

namespace kv {
namespace {

std::string ViscosityText() {
  const float wlf[7] = {0.252f, 30800, 4.76e10f, 373.15f, 0, 25.7f, 61.06f};
  double t[4];
  ViscosityPlotTemperatures(453.15, 553.15, t);
  return FormatPlotData(BuildViscosityPlot(wlf, t));
}

TEST(PlotReader, ReadsWhatThePreProcessorWritesWithTheDegreeSignDecoded) {
  PlotData plot;
  std::string error;
  ASSERT_EQ(ParsePlotData(ViscosityText(), plot, error), 1) << error;
  EXPECT_EQ(plot.title, "Rheology");
  EXPECT_EQ(plot.x_title, "Shear rate (1/s)");
  EXPECT_EQ(plot.scale, kPlotLogarithmic);
  ASSERT_EQ(plot.curves.size(), 4u);
  EXPECT_EQ(plot.curves[0].label, "T = 180 (\xC2\xBA" "C)");  // U+00BA in UTF-8
  ASSERT_EQ(plot.curves[3].x.size(), 50u);
  EXPECT_DOUBLE_EQ(plot.curves[3].x[49], 100000);
  double min_x, max_x, min_y, max_y;
  ASSERT_TRUE(PlotLimits(plot, min_x, max_x, min_y, max_y));
  EXPECT_DOUBLE_EQ(min_x, 1);
  EXPECT_DOUBLE_EQ(max_x, 100000);
  EXPECT_GT(max_y, min_y);

  // Windows line ends, "+" signs and exponents are read, lines after the
  // last curve are ignored; the other Windows-1252 letters decode too.
  ASSERT_EQ(ParsePlotData("t\r\ny\r\nx\r\n1\r\n1\r\n2\r\n\x80 \x93" "a\x94\r\n+1e-3 2\r\n3.5  -4E+002\r\nextra", plot, error), 1)
      << error;
  EXPECT_EQ(plot.curves[0].label, "\xE2\x82\xAC \xE2\x80\x9C" "a\xE2\x80\x9D");
  EXPECT_DOUBLE_EQ(plot.curves[0].x[0], 1e-3);
  EXPECT_DOUBLE_EQ(plot.curves[0].y[1], -400);
}

TEST(PlotReader, EveryTruncationIsRefusedWithAMessage) {
  const std::string text = ViscosityText();
  PlotData plot;
  std::string error;
  // Cut at every byte of the header and the first curve, of the last curve,
  // and at every 97th byte between: each shorter text is refused, none is
  // read as a plot with fewer or shortened numbers.
  int refused = 0, cuts = 0;
  for (size_t cut = 0; cut < text.size(); ++cut) {
    if (cut > 1500 && cut < text.size() - 1500 && cut % 97 != 0) continue;
    ++cuts;
    std::string part = text.substr(0, cut);
    error.clear();
    if (ParsePlotData(part, plot, error) == 0) {
      ++refused;
      EXPECT_FALSE(error.empty());
    } else {
      ADD_FAILURE() << "accepted a file cut at byte " << cut;
    }
  }
  EXPECT_EQ(refused, cuts);
  EXPECT_EQ(ParsePlotData(text.substr(0, text.size() - 1), plot, error), 0);  // "...100000.000000 1234.5"
  EXPECT_EQ(error, "Line 210: the file ends inside this line.");
  EXPECT_EQ(ParsePlotData("Rheology\nViscosity\n", plot, error), 0);
  EXPECT_EQ(error, "The plot file ends before the X-axis title (line 3).");
}

TEST(PlotReader, DamagedCountsAndNumbersAreNamedByLine) {
  PlotData plot;
  std::string error;
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"t\ny\nx\n3 Cubic\n1\n1\nc\n1 2\n", "Line 4: the scale must be 1 (linear) or 2 (logarithmic)."},
      {"t\ny\nx\nlinear\n1\n1\nc\n1 2\n", "Line 4: the scale must be 1 (linear) or 2 (logarithmic)."},
      {"t\ny\nx\n1\n-1\n1\nc\n1 2\n", "Line 5: the number of curves is not a number of zero or more."},
      {"t\ny\nx\n1\n1\nfifty\nc\n1 2\n", "Line 6: the number of points is not a number of zero or more."},
      {"t\ny\nx\n1\n1\n99999999999999999999\nc\n1 2\n",
       "Line 6: the number of points is not a number of zero or more."},
      {"t\ny\nx\n1\n2000000000\n2000000000\nc\n1 2\n",
       "Line 5: 2000000000 curves of 2000000000 points need more lines than the file holds (2)."},
      {"t\ny\nx\n1\n1\n3\nc\n1 2\n3 4\n", "Line 5: 1 curves of 3 points need more lines than the file holds (3)."},
      {"t\ny\nx\n1\n1\n2\nc\n1 2\n3 x\n", "Line 9: point 2 of curve 1 is not two finite numbers."},
      {"t\ny\nx\n1\n1\n2\nc\n1 2\n3\n", "Line 9: point 2 of curve 1 is not two finite numbers."},
      {"t\ny\nx\n1\n1\n2\nc\n1 2\n3 4 5\n", "Line 9: point 2 of curve 1 is not two finite numbers."},
      {"t\ny\nx\n1\n1\n1\nc\nnan 2\n", "Line 8: point 1 of curve 1 is not two finite numbers."},
      {"t\ny\nx\n1\n1\n1\nc\n1 1e999\n", "Line 8: point 1 of curve 1 is not two finite numbers."},
      {"t\ny\nx\n1\n1\n1\nc\n1,5 2\n", "Line 8: point 1 of curve 1 is not two finite numbers."},
  };
  for (const Case& c : cases) {
    error.clear();
    EXPECT_EQ(ParsePlotData(c.text, plot, error), 0) << c.text;
    EXPECT_EQ(error, c.message) << c.text;
  }
  // No curves is a valid (empty) plot.
  EXPECT_EQ(ParsePlotData("t\ny\nx\n1\n0\n0\n", plot, error), 1) << error;
  EXPECT_TRUE(plot.curves.empty());
  EXPECT_EQ(ReadPlotFile("/nonexistent/graph.out", plot, error), 0);
  EXPECT_EQ(error, "Unable to open file: /nonexistent/graph.out");
}

}  // namespace
}  // namespace kv
