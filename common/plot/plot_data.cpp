#include "common/plot/plot_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "common/text/number_format.h"

namespace kv {
namespace {

constexpr int kCurvePoints = 50;
constexpr const char* kLinearScaleLine = "1 Linear (1 - Linear, 2 - Logaritmic)";
constexpr size_t kNameCompareLength = 60;

PlotData ResultPlot(const ResultEntry& current, const std::string& x_name, const std::string& x_unit) {
  PlotData plot;
  plot.title = "XY plot";
  plot.y_title = current.name + " [" + current.unit + "]";
  plot.x_title = x_name + " [" + x_unit + "]";
  plot.scale_line = kLinearScaleLine;
  plot.scale = kPlotLinear;
  return plot;
}

bool SameQuantity(const ResultEntry& a, const ResultEntry& b) {
  return a.name.compare(0, kNameCompareLength, b.name, 0, kNameCompareLength) == 0;
}

const ResultEntry* CurrentEntry(const ResultSet& set, std::string& error) {
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) {
    error = "No result is selected.";
    return nullptr;
  }
  return &set.entries[set.current];
}

// Value of item `index` of `entry`, or false when the entry has no such item.
bool ItemValue(const ResultEntry& entry, int index, double& value) {
  if (index < 0 || index >= static_cast<int>(entry.items.size())) return false;
  value = entry.items[index].values[0];
  return true;
}

// Writes `text` into a new file in the directory of `path` and renames it over
// `path`. The temporary file is created exclusively (O_EXCL through mkstemp),
// and rename replaces whatever name stands at `path` without following it.
int ReplaceFile(const std::string& path, const std::string& text, std::string& error) {
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = "Unable to write file: " + path + " (" + std::strerror(errno) + ")";
    return 0;
  }
  size_t done = 0;
  bool ok = true;
  while (ok && done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "Unable to write file: " + path + " (" + std::strerror(errno) + ")";
    unlink(temp.c_str());
    return 0;
  }
  return 1;
}

}  // namespace

void ViscosityPlotTemperatures(double low, double high, double t[4]) {
  t[0] = low;
  t[1] = low + 0.333 * (high - low);
  t[2] = low + 0.666 * (high - low);
  t[3] = high;
}

PlotData BuildViscosityPlot(const float wlf[7], const double temperatures[4]) {
  const double n = wlf[0], tau = wlf[1], d1 = wlf[2], d2 = wlf[3], a1 = wlf[5], a2 = wlf[6];
  PlotData plot;
  plot.title = "Rheology";
  plot.y_title = "Viscosity (Pa.s)";
  plot.x_title = "Shear rate (1/s)";
  plot.scale_line = "2 (1 - Linear, 2 - Logaritmic)";
  plot.scale = kPlotLogarithmic;
  for (int k = 0; k < 4; ++k) {
    const double t = temperatures[k];
    PlotCurve curve;
    curve.label = Format("T = %.0f (%s)", t - 273.15, kPlotDegreeC);
    // Zero-shear viscosity from the WLF shift at zero pressure, then the
    // Cross shear thinning.
    const double eta0 = d1 * std::exp(-a1 * (t - d2) / (a2 + t - d2));
    for (int i = 0; i < kCurvePoints; ++i) {
      const double rate = std::pow(10.0, 5.0 * i / (kCurvePoints - 1));
      curve.x.push_back(rate);
      curve.y.push_back(eta0 / (1 + std::pow(eta0 * rate / tau, 1 - n)));
    }
    plot.curves.push_back(std::move(curve));
  }
  return plot;
}

void PvtPlotPressures(double p[5]) {
  for (int i = 0; i < 5; ++i) p[i] = 5e7 * i;
}

PlotData BuildPvtPlot(const float tait[13], const double pressures[5]) {
  const double b5 = tait[0], b6 = tait[1], b1m = tait[2], b2m = tait[3], b3m = tait[4],
               b4m = tait[5], b1s = tait[6], b2s = tait[7], b3s = tait[8], b4s = tait[9],
               b7 = tait[10], b8 = tait[11], b9 = tait[12];
  PlotData plot;
  plot.title = "pVT";
  plot.y_title = "V (cm^3/g)";
  plot.x_title = std::string("Temperature (") + kPlotDegreeC + ")";
  plot.scale_line = "1 (1 - Linear, 2 - Logaritmic)";
  plot.scale = kPlotLinear;
  for (int k = 0; k < 5; ++k) {
    const double p = pressures[k];
    PlotCurve curve;
    curve.label = Format("p = %.0f (MPa)", p / 1e6);
    const double transition = b5 + b6 * p;
    for (int i = 0; i < kCurvePoints; ++i) {
      const double t = 273.15 + 300.0 * i / (kCurvePoints - 1);
      const bool melt = t >= transition;
      const double v0 = melt ? b1m + b2m * (t - b5) : b1s + b2s * (t - b5);
      const double b = melt ? b3m * std::exp(-b4m * (t - b5)) : b3s * std::exp(-b4s * (t - b5));
      const double vt = melt ? 0 : b7 * std::exp(b8 * (t - b5) - b9 * p);
      const double v = v0 * (1 - 0.0894 * std::log(1 + p / b)) + vt;
      curve.x.push_back(t - 273.15);
      curve.y.push_back(v * 1000);
    }
    plot.curves.push_back(std::move(curve));
  }
  return plot;
}

int BuildThroughThicknessPlot(const ResultSet& set, int element, PlotData& plot, std::string& error) {
  const ResultEntry* current = CurrentEntry(set, error);
  if (!current) return 0;
  if (current->label_kind != 2) {
    error = "The result has no values through the thickness.";
    return 0;
  }
  plot = ResultPlot(*current, current->variable_name[1], current->variable_unit[1]);
  // The output times: those of the entries at the current entry's thickness.
  std::vector<float> times;
  for (const ResultEntry& e : set.entries) {
    if (SameQuantity(e, *current) && e.label_kind == 2 && e.variable_value[1] == current->variable_value[1])
      times.push_back(e.variable_value[0]);
  }
  size_t points = 0;
  for (float time : times) {
    PlotCurve curve;
    curve.label = Format("Time = %.3f (s)", static_cast<double>(time));
    for (const ResultEntry& e : set.entries) {
      if (!SameQuantity(e, *current) || e.label_kind != 2 || e.variable_value[0] != time) continue;
      double value = 0;
      if (!ItemValue(e, element, value)) {
        error = Format("Element %d is not in the result.", element + 1);
        return 0;
      }
      curve.x.push_back(e.variable_value[1]);
      curve.y.push_back(value);
    }
    // Every curve of the file has the number of points of the first time.
    if (plot.curves.empty()) points = curve.x.size();
    if (curve.x.size() == points) plot.curves.push_back(std::move(curve));
  }
  return 1;
}

int BuildScalarTimePlot(const ResultSet& set, PlotData& plot, std::string& error) {
  const ResultEntry* current = CurrentEntry(set, error);
  if (!current) return 0;
  if (current->location != kGlobalResult) {
    error = "The result is not a global scalar.";
    return 0;
  }
  plot = ResultPlot(*current, current->variable_name[0], current->variable_unit[0]);
  PlotCurve curve;
  for (const ResultEntry& e : set.entries) {
    double value = 0;
    if (!SameQuantity(e, *current) || !ItemValue(e, 0, value)) continue;
    curve.x.push_back(e.variable_value[0]);
    curve.y.push_back(value);
  }
  plot.curves.push_back(std::move(curve));
  return 1;
}

int BuildEntityTimePlot(const ResultSet& set, int node, PlotData& plot, std::string& error) {
  const ResultEntry* current = CurrentEntry(set, error);
  if (!current) return 0;
  if (current->label_kind != 1) {
    error = "The result does not change over time.";
    return 0;
  }
  plot = ResultPlot(*current, "Time", "s");
  PlotCurve curve;
  for (const ResultEntry& e : set.entries) {
    if (!SameQuantity(e, *current)) continue;
    double value = 0;
    if (!ItemValue(e, node, value)) {
      error = Format("Node %d is not in the result.", node + 1);
      return 0;
    }
    curve.x.push_back(e.variable_value[0]);
    curve.y.push_back(value);
  }
  plot.curves.push_back(std::move(curve));
  return 1;
}

std::string FormatPlotData(const PlotData& plot) {
  const size_t points = plot.curves.empty() ? 0 : plot.curves[0].x.size();
  std::string out;
  out += plot.title + "\n" + plot.y_title + "\n" + plot.x_title + "\n" + plot.scale_line + "\n";
  out += Format("%d\n%d\n", static_cast<int>(plot.curves.size()), static_cast<int>(points));
  for (const PlotCurve& c : plot.curves) {
    out += c.label + "\n";
    for (size_t i = 0; i < c.x.size(); ++i) out += Format("%f %f\n", c.x[i], c.y[i]);
  }
  return out;
}

int PlotFilePath(std::string& path, std::string& error) {
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  const std::string dir = (temp / ("kavitron-" + std::to_string(getuid()))).string();
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "Unable to create the plot directory " + dir + " (" + std::strerror(errno) + ")";
    return 0;
  }
  // Whatever stands there now must be our own private directory: lstat does
  // not follow a link, so a link planted by someone else is refused.
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & 077) != 0) {
    error = "The plot directory " + dir + " is not a private directory of this user.";
    return 0;
  }
  path = dir + "/graph.out";
  return 1;
}

int WritePlotFile(const PlotData& plot, const std::string& path, std::string& error) {
  const size_t points = plot.curves.empty() ? 0 : plot.curves[0].x.size();
  for (const PlotCurve& c : plot.curves) {
    if (c.x.size() != points || c.y.size() != points) {
      error = "The curves of the plot differ in length.";
      return 0;
    }
    for (size_t i = 0; i < points; ++i) {
      if (!std::isfinite(c.x[i]) || !std::isfinite(c.y[i])) {
        error = "The curve \"" + c.label + "\" holds a value that is not a finite number.";
        return 0;
      }
    }
  }
  return ReplaceFile(path, FormatPlotData(plot), error);
}

}  // namespace kv
