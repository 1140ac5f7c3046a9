#include "solver/driver/fill_agreement.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The history's inlet pressure at time t, linear between passes.
double InletPressureAt(const FillHistory& h, double t) {
  const auto it = std::upper_bound(h.time.begin(), h.time.end(), t);
  if (it == h.time.begin()) return h.inlet_pressure.front();
  if (it == h.time.end()) return h.inlet_pressure.back();
  const size_t k = static_cast<size_t>(it - h.time.begin());
  const double t0 = h.time[k - 1], t1 = h.time[k];
  const double w = t1 > t0 ? (t - t0) / (t1 - t0) : 1.0;
  return (1 - w) * h.inlet_pressure[k - 1] + w * h.inlet_pressure[k];
}

double PeakOf(const std::vector<double>& values) {
  double peak = 0;
  for (double v : values) peak = std::max(peak, std::fabs(v));
  return peak;
}

}  // namespace

FillAgreement CompareFills(const FillHistory& reference, const FillHistory& trial) {
  FillAgreement a;
  const size_t nodes = reference.fill_time.size();
  if (reference.time.empty() || trial.time.empty() || trial.fill_time.size() != nodes ||
      reference.pressure.size() != nodes || trial.pressure.size() != nodes) {
    a.unmatched = -1;
    return a;
  }
  double end = 0;
  for (float t : reference.fill_time) end = std::max(end, double{t});
  if (!(end > 0)) end = reference.time.back();
  // Inlet pressure over the fill.
  const double peak = PeakOf(reference.inlet_pressure);
  constexpr int kSamples = 400;
  for (int k = 0; k <= kSamples; ++k) {
    const double t = end * k / kSamples;
    const double d = std::fabs(InletPressureAt(trial, t) - InletPressureAt(reference, t));
    a.inlet_max = std::max(a.inlet_max, d);
    a.inlet_mean += d / (kSamples + 1);
  }
  if (peak > 0) {
    a.inlet_max /= peak;
    a.inlet_mean /= peak;
  }
  // Fill times and the final pressure field.
  double pressure_peak = 0;
  int matched = 0;
  for (size_t i = 0; i < nodes; ++i) {
    pressure_peak = std::max(pressure_peak, std::fabs(double{reference.pressure[i]}));
    a.pressure_max = std::max(a.pressure_max, std::fabs(double{trial.pressure[i]} - reference.pressure[i]));
    const bool in_reference = reference.fill_time[i] > 0, in_trial = trial.fill_time[i] > 0;
    if (in_reference != in_trial) ++a.unmatched;
    if (!in_reference || !in_trial) continue;
    const double d = std::fabs(double{trial.fill_time[i]} - reference.fill_time[i]) / end;
    a.fill_time_max = std::max(a.fill_time_max, d);
    a.fill_time_mean += d;
    ++matched;
  }
  if (matched > 0) a.fill_time_mean /= matched;
  if (pressure_peak > 0) a.pressure_max /= pressure_peak;
  return a;
}

}  // namespace kv
