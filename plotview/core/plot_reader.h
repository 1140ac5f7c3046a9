#pragma once
// The reader of the plot data file for `curvex` (the format is described in
// common/plot/plot_data.h): Windows-1252 text, three title lines, the scale
// line, the curve count K, the point count N, then K labels each followed by
// N lines of two reals.
//
// Every fault gives a message naming the line: a file cut short, counts that
// are negative or larger than the file can hold, a line that is not a number
// or two numbers, a value that is not finite, a scale other than 1 or 2.

#include <string>
#include <string_view>

#include "common/plot/plot_data.h"

namespace kv {

// Upper limits of a plot file the viewer opens.
inline constexpr long kPlotMaxCurves = 1000;
inline constexpr size_t kPlotMaxBytes = size_t{256} << 20;

// Decodes Windows-1252 text to UTF-8 (0xBA becomes U+00BA, the ordinal
// indicator used as degree sign; the five unassigned bytes become U+FFFD).
std::string DecodeWindows1252(std::string_view text);

// Parses the text of a plot data file into `plot`; the titles and labels come
// back in UTF-8 and the scale line as written.
// Returns 1, or 0 with `error` set ("Line 7: ..."); `plot` is then unspecified.
int ParsePlotData(std::string_view text, PlotData& plot, std::string& error);

// Reads the file at `path` and parses it. Returns 1, or 0 with `error` set
// (the path is named when the file cannot be read).
int ReadPlotFile(const std::string& path, PlotData& plot, std::string& error);

// The smallest and largest x and y over every curve. False when the plot
// holds no point (the four values are then 0, 1, 0, 1).
bool PlotLimits(const PlotData& plot, double& min_x, double& max_x, double& min_y, double& max_y);

}  // namespace kv
