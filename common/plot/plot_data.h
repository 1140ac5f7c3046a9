#pragma once
// The plot data file that the pre-processor hands to the XY plot viewer
// `curvex`: a window title, the Y and X axis titles, a scale line (1 linear,
// 2 logarithmic), the number of curves K, the number of points per curve N,
// then per curve a label line and N lines "x y" ("%f %f").
//
// Text is Windows-1252: the degree labels carry byte 0xBA before "C".
//
// This header holds the in-memory plot, the five builders of the
// pre-processor's plots (viscosity, pVT, through thickness, scalar over time,
// entity over time), the writer and the private directory the file lives in.

#include <string>
#include <vector>

#include "common/results/result_set.h"

namespace kv {

// Scale codes of the scale line.
inline constexpr int kPlotLinear = 1;
inline constexpr int kPlotLogarithmic = 2;

// One curve: a label line (may be empty) and its points.
struct PlotCurve {
  std::string label;      // Windows-1252 text
  std::vector<double> x;  // same length as y
  std::vector<double> y;
};

struct PlotData {
  std::string title;       // window title: "Rheology", "pVT", "XY plot"
  std::string y_title;     // line 2
  std::string x_title;     // line 3
  std::string scale_line;  // line 4 as written, e.g. "2 (1 - Linear, 2 - Logaritmic)"
  int scale = kPlotLinear; // the scale line's leading number
  std::vector<PlotCurve> curves;  // every curve has the same number of points
};

// The degree label of the plots: 0xBA then "C", as a Windows-1252 string.
inline constexpr const char* kPlotDegreeC = "\xBA" "C";

// Viscosity curves (Cross-WLF at zero pressure) for the four temperatures
// `temperatures` (K), 50 shear rates 10^(5 i / 49) from 1 to 1e5 1/s.
//   wlf: n, Tau* (Pa), D1 (Pa.s), D2 (K), D3, A1, A2~ (K).
// Curve labels "T = %.0f (<deg>C)" with the temperature in degrees Celsius.
PlotData BuildViscosityPlot(const float wlf[7], const double temperatures[4]);

// The four temperatures of the viscosity plot from a melt temperature range
// (K): low, low + 0.333 (high - low), low + 0.666 (high - low), high.
void ViscosityPlotTemperatures(double low, double high, double temperatures[4]);

// Specific-volume curves (two-domain Tait) at the five pressures `pressures`
// (Pa), 50 temperatures from 0 to 300 C; x in C, y in cm^3/g.
//   tait: b5, b6, b1m, b2m, b3m, b4m, b1s, b2s, b3s, b4s, b7, b8, b9 (SI).
// Curve labels "p = %.0f (MPa)".
PlotData BuildPvtPlot(const float tait[13], const double pressures[5]);

// The five pressures of the pVT plot: 0, 50, 100, 150 and 200 MPa, in Pa.
void PvtPlotPressures(double pressures[5]);

// Result plots over the entries of `set` whose quantity name equals that of
// the current entry (compared over 60 characters), in result-set order.
// Each returns 1 and fills `plot`, or 0 with `error` set when the current
// entry does not allow the plot or the picked entity is out of range.
//   element, node: 0-based index of the picked entity.
// Through thickness: one curve per output time (label "Time = %.3f (s)"),
// points (normalized thickness, value of the element).
int BuildThroughThicknessPlot(const ResultSet& set, int element, PlotData& plot,
                              std::string& error);
// Scalar over time: one curve with an empty label, points (time, item 0).
int BuildScalarTimePlot(const ResultSet& set, PlotData& plot, std::string& error);
// Entity over time: one curve with an empty label, points (time, value at node).
int BuildEntityTimePlot(const ResultSet& set, int node, PlotData& plot, std::string& error);

// The text of the plot data file.
std::string FormatPlotData(const PlotData& plot);

// The path of the plot data file: "graph.out" in a directory of the user's
// own under the temporary directory ($TMPDIR or /tmp), "kavitron-<uid>",
// created with mode 0700 when missing. An existing entry of that name is used
// only when it is a real directory (not a link) owned by the user and closed
// to everyone else.
// Returns 1 with `path` set, or 0 with `error` saying why.
int PlotFilePath(std::string& path, std::string& error);

// Writes `plot` to `path`: into a new temporary file in the same directory,
// then renamed over `path`, so the viewer never reads a partial file and a
// link standing at `path` is replaced, never followed. A plot whose curves
// differ in length or hold a value that is not a finite number is refused.
// Returns 1, or 0 with `error` set (nothing is left behind).
int WritePlotFile(const PlotData& plot, const std::string& path, std::string& error);

}  // namespace kv
