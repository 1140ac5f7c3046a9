// Whole fills driven pass by pass against closed forms and under mesh
// refinement: the radial flow of a centre-gated disk, and a non-isothermal
// strip whose end-of-fill quantities must converge as the mesh is refined.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "solver/tests/fill_loop.h"
#include "solver/tests/test_meshes.h"
#include "solver/thermal/result_quantities.h"

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

// End-of-fill quantities of a 100 x 10 x 1.5 mm polystyrene strip gated at the
// middle of a short edge and filled in 0.5 s, on an nx by nx / 10 mesh with 8
// layers. (A gate at a corner sends the melt of the far side along longer,
// slower paths through the fan around the gate; the temperature difference
// across the width this leaves needs far more cells across to settle.)
struct StripEnd {
  double drop = 0;  // Pa, pressure at x = 30 mm minus x = 70 mm on the centre line
  double bulk = 0;  // K, node-volume mean of the bulk temperature of the filled nodes
};

StripEnd FillPolystyreneStrip(int nx) {
  const int ny = nx / 10;
  const double rate = 0.1 * 0.01 * 0.0015 / 0.5;
  const int row = ny / 2 * (nx + 1);
  test::FillLoop run(test::Plate(0.1, 0.01, nx, ny, 0.0015f), row, 8, test::Polystyrene(), rate);
  StripEnd end;
  EXPECT_TRUE(run.RunTo(99.0f));
  end.drop = run.state.pressure[row + nx * 3 / 10] - run.state.pressure[row + nx * 7 / 10];
  const EntityField bulk = NodeBulkTemperature(run.state, run.mesh, run.prep, run.material);
  double volume = 0;
  for (int i = 0; i < run.state.node_count; ++i) {
    // Nodes the melt has not reached hold the mold temperature: left out.
    if (run.state.fill_state[i] < 1.0f) continue;
    end.bulk += bulk.value[i] * run.state.node_volume[i];
    volume += run.state.node_volume[i];
  }
  end.bulk /= volume;
  return end;
}

TEST(FillingConvergence, NonIsothermalStripConvergesUnderRefinement) {
  // The mesh refined twice (20 x 2, 40 x 4, 80 x 8 cells): the pressure drop
  // across the developed flow changes by less with each refinement, and by
  // less than 3 % at the second; the mean bulk temperature at the end of
  // filling settles within 1 K.
  std::vector<StripEnd> ends;
  for (int nx : {20, 40, 80}) {
    ends.push_back(FillPolystyreneStrip(nx));
    RecordProperty("nx" + std::to_string(nx),
                   "drop " + std::to_string(ends.back().drop) + " Pa, bulk " + std::to_string(ends.back().bulk) + " K");
  }
  const double first = std::fabs(ends[1].drop / ends[0].drop - 1), second = std::fabs(ends[2].drop / ends[1].drop - 1);
  EXPECT_LT(second, first) << "changes of the drop " << first << ", " << second;
  EXPECT_LT(second, 0.03);
  for (int r = 1; r <= 2; ++r) EXPECT_NEAR(ends[r].bulk, ends[r - 1].bulk, 1.0) << "refinement " << r;
}

}  // namespace
}  // namespace kv
