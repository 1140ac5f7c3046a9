// Colour bands without the texture: the bands of the scale and the cutting of
// facets into the parts that lie in each band.
#include <cmath>

#include <gtest/gtest.h>

#include "gui/view/core/contour_bands.h"

namespace kv {
namespace {

// Area of a planar polygon in the x-y plane.
double Area(const float p[][3], int n) {
  double twice = 0;
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    twice += static_cast<double>(p[i][0]) * p[j][1] - static_cast<double>(p[j][0]) * p[i][1];
  }
  return 0.5 * twice;
}

TEST(ContourBands, BandsCoverTheScaleWithTheMapsSteps) {
  const ContourBand first = ContourBandOf(0, 31), last = ContourBandOf(32, 31), mid = ContourBandOf(16, 31);
  EXPECT_FLOAT_EQ(first.low, -1.0f / 32.0f - kBandWidening);
  EXPECT_FLOAT_EQ(first.high, kBandWidening);
  EXPECT_FLOAT_EQ(first.colour, -1.0f / 31.0f);
  EXPECT_FLOAT_EQ(last.low, 31.0f / 32.0f - kBandWidening);
  EXPECT_FLOAT_EQ(last.high, 1.0f + kBandWidening);
  EXPECT_FLOAT_EQ(last.colour, 1.0f);
  EXPECT_FLOAT_EQ(mid.low, 15.0f / 32.0f - kBandWidening);
  EXPECT_FLOAT_EQ(mid.colour, 15.0f / 31.0f);
  // Neighbouring bands overlap by the widening: no gap between them.
  for (int k = 0; k <= 31; ++k) EXPECT_GT(ContourBandOf(k, 31).high, ContourBandOf(k + 1, 31).low);
  // A facet takes part unless all of it lies below or above the scale.
  const float below[3] = {-0.5f, -0.1f, -0.01f}, above[3] = {1.1f, 2.0f, 1.01f}, across[3] = {-0.5f, 0.2f, 1.5f};
  EXPECT_FALSE(FacetInBands(below, 3));
  EXPECT_FALSE(FacetInBands(above, 3));
  EXPECT_TRUE(FacetInBands(across, 3));
}

TEST(ContourBands, CutPartsFillTheFacetBandByBand) {
  // A right triangle with the value equal to x: the part with x in [a, b]
  // has the area of the integral of (1 - x) from a to b.
  const float tri[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  const float tv[3] = {0, 1, 0};
  // A unit square with the value (x + y)/2, as a quadrangle.
  const float quad[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  const float qv[4] = {0, 0.5f, 1, 0.5f};
  const int n = 7;
  double tri_total = 0, quad_total = 0;
  for (int k = 0; k <= n + 1; ++k) {
    const ContourBand band = ContourBandOf(k, n);
    float out[kMaxBandCorners][3], out_v[kMaxBandCorners];
    const int c = CutToBand(tri, tv, 3, band.low, band.high, out, out_v);
    const double a = std::fmax(0.0, band.low), b = std::fmin(1.0, band.high);
    const double expected = b > a ? (b - a) - 0.5 * (b * b - a * a) : 0.0;
    EXPECT_NEAR(c >= 3 ? Area(out, c) : 0.0, expected, 1e-5) << "band " << k;
    for (int i = 0; i < c; ++i) {
      EXPECT_GE(out_v[i], band.low - 1e-6f);
      EXPECT_LE(out_v[i], band.high + 1e-6f);
      EXPECT_NEAR(out_v[i], out[i][0], 1e-5f);  // the value is still x at every corner
    }
    tri_total += c >= 3 ? Area(out, c) : 0.0;
    const int q = CutToBand(quad, qv, 4, band.low, band.high, out, nullptr);
    ASSERT_LE(q, 6);
    if (q >= 3) {
      EXPECT_GT(Area(out, q), 0.0) << "the winding is kept";
      quad_total += Area(out, q);
    }
  }
  EXPECT_NEAR(tri_total, 0.5, 1e-4);
  EXPECT_NEAR(quad_total, 1.0, 1e-4);
  // Nothing of a facet outside the range; all of it inside a wide one.
  float out[kMaxBandCorners][3];
  EXPECT_EQ(CutToBand(tri, tv, 3, 1.5f, 2.0f, out, nullptr), 0);
  EXPECT_EQ(CutToBand(tri, tv, 3, -1.0f, 2.0f, out, nullptr), 3);
  EXPECT_NEAR(Area(out, 3), 0.5, 1e-6);
  EXPECT_EQ(CutToBand(tri, tv, 2, 0.0f, 1.0f, out, nullptr), 0);  // not a polygon
}

}  // namespace
}  // namespace kv
