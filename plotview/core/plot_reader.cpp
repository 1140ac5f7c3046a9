#include "plotview/core/plot_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <vector>

#include "common/text/number_format.h"

namespace kv {
namespace {

// The lines of the text, without their line ends (LF, or CR LF).
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// The integer at the start of `line` (blanks before it allowed, any text
// after it ignored). False when the line does not start with one.
bool LeadingInteger(std::string_view line, long& value) {
  line = SkipBlanks(line);
  if (!line.empty() && line.front() == '+') line.remove_prefix(1);
  auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  return ec == std::errc() && end != line.data();
}

// One real of a point line; moves `s` past it. False when no finite number
// stands there or the number runs straight into other text.
bool NextReal(std::string_view& s, double& value) {
  s = SkipBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end == s.data() || !std::isfinite(value)) return false;
  s.remove_prefix(static_cast<size_t>(end - s.data()));
  return s.empty() || IsBlank(s.front());
}

// Line numbers in messages are 1-based.
std::string LineError(size_t index, const std::string& what) {
  return Format("Line %zu: %s", index + 1, what.c_str());
}

}  // namespace

std::string DecodeWindows1252(std::string_view text) {
  // Code points of the bytes 0x80 to 0x9F; 0 marks the unassigned ones.
  static const char16_t kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    char32_t code = c;
    if (c >= 0x80 && c < 0xA0) code = kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

int ParsePlotData(std::string_view text, PlotData& plot, std::string& error) {
  const std::vector<std::string_view> lines = SplitLines(text);
  static const char* const kHeads[] = {"the window title", "the Y-axis title", "the X-axis title",
                                       "the scale line", "the number of curves",
                                       "the number of points per curve"};
  // Every line ends in a line feed; a last line without one was cut short,
  // and is refused when the plot needs it.
  const bool last_cut = !text.empty() && text.back() != '\n';
  auto cut_at = [&](size_t index) {
    if (!last_cut || index + 1 != lines.size()) return false;
    error = LineError(index, "the file ends inside this line.");
    return true;
  };
  for (size_t i = 0; i < 6; ++i) {
    if (i >= lines.size()) {
      error = Format("The plot file ends before %s (line %zu).", kHeads[i], i + 1);
      return 0;
    }
    if (cut_at(i)) return 0;
  }
  plot = PlotData();
  plot.title = DecodeWindows1252(lines[0]);
  plot.y_title = DecodeWindows1252(lines[1]);
  plot.x_title = DecodeWindows1252(lines[2]);
  plot.scale_line = DecodeWindows1252(lines[3]);
  long scale = 0, curves = 0, points = 0;
  if (!LeadingInteger(lines[3], scale) || (scale != kPlotLinear && scale != kPlotLogarithmic)) {
    error = LineError(3, "the scale must be 1 (linear) or 2 (logarithmic).");
    return 0;
  }
  plot.scale = static_cast<int>(scale);
  if (!LeadingInteger(lines[4], curves) || curves < 0) {
    error = LineError(4, "the number of curves is not a number of zero or more.");
    return 0;
  }
  if (!LeadingInteger(lines[5], points) || points < 0) {
    error = LineError(5, "the number of points is not a number of zero or more.");
    return 0;
  }
  // Each curve needs a label line and a line per point: counts beyond what
  // the file holds are refused before anything is sized by them.
  const size_t available = lines.size() - 6;
  if (curves > kPlotMaxCurves || (curves > 0 && static_cast<size_t>(points) + 1 > available / curves)) {
    error = Format("Line 5: %ld curves of %ld points need more lines than the file holds (%zu).",
                   curves, points, available);
    return 0;
  }
  size_t at = 6;
  for (long k = 0; k < curves; ++k) {
    PlotCurve curve;
    if (cut_at(at)) return 0;
    curve.label = DecodeWindows1252(lines[at++]);
    curve.x.reserve(points);
    curve.y.reserve(points);
    for (long i = 0; i < points; ++i, ++at) {
      if (cut_at(at)) return 0;
      std::string_view s = lines[at];
      double x = 0, y = 0;
      if (!NextReal(s, x) || !NextReal(s, y) || !SkipBlanks(s).empty()) {
        error = LineError(at, Format("point %ld of curve %ld is not two finite numbers.", i + 1, k + 1));
        return 0;
      }
      curve.x.push_back(x);
      curve.y.push_back(y);
    }
    plot.curves.push_back(std::move(curve));
  }
  return 1;
}

int ReadPlotFile(const std::string& path, PlotData& plot, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "Unable to open file: " + path;
    return 0;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0);
  if (size < 0 || static_cast<unsigned long long>(size) > kPlotMaxBytes) {
    error = "The plot file is too large: " + path;
    return 0;
  }
  std::string text(static_cast<size_t>(size), '\0');
  if (!file.read(text.data(), size)) {
    error = "Unable to read file: " + path;
    return 0;
  }
  if (ParsePlotData(text, plot, error) != 1) {
    error = path + ": " + error;
    return 0;
  }
  return 1;
}

bool PlotLimits(const PlotData& plot, double& min_x, double& max_x, double& min_y, double& max_y) {
  min_x = min_y = 1e30;
  max_x = max_y = -1e30;
  bool any = false;
  for (const PlotCurve& c : plot.curves) {
    for (size_t i = 0; i < c.x.size(); ++i) {
      min_x = std::min(min_x, c.x[i]);
      max_x = std::max(max_x, c.x[i]);
      min_y = std::min(min_y, c.y[i]);
      max_y = std::max(max_y, c.y[i]);
      any = true;
    }
  }
  if (!any) {
    min_x = min_y = 0;
    max_x = max_y = 1;
  }
  return any;
}

}  // namespace kv
