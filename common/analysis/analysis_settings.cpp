#include "common/analysis/analysis_settings.h"

#include "common/geometry/constants.h"

namespace kv {

void GetTaitCoefficients(const MaterialRecord& m, float v[kTaitCount]) {
  const float values[kTaitCount] = {m.b5, m.b6, m.b1m, m.b2m, m.b3m, m.b4m, m.b1s,
                                    m.b2s, m.b3s, m.b4s, m.b7, m.b8, m.b9};
  for (int i = 0; i < kTaitCount; ++i) v[i] = values[i];
}

void SetTaitCoefficients(MaterialRecord& m, const float v[kTaitCount]) {
  float* fields[kTaitCount] = {&m.b5, &m.b6, &m.b1m, &m.b2m, &m.b3m, &m.b4m, &m.b1s,
                               &m.b2s, &m.b3s, &m.b4s, &m.b7, &m.b8, &m.b9};
  for (int i = 0; i < kTaitCount; ++i) *fields[i] = v[i];
}

void GetCrossWlfConstants(const MaterialRecord& m, float v[kCrossWlfCount]) {
  const float values[kCrossWlfCount] = {m.n, m.tau_star, m.d1, m.d2, m.d3, m.a1, m.a2};
  for (int i = 0; i < kCrossWlfCount; ++i) v[i] = values[i];
}

void SetCrossWlfConstants(MaterialRecord& m, const float v[kCrossWlfCount]) {
  float* fields[kCrossWlfCount] = {&m.n, &m.tau_star, &m.d1, &m.d2, &m.d3, &m.a1, &m.a2};
  for (int i = 0; i < kCrossWlfCount; ++i) *fields[i] = v[i];
}

void ResetAnalysisSettings(AnalysisSettings& settings) {
  int inertia = settings.parameters.inertia;
  settings.parameters = SolverParameters{};
  settings.parameters.inertia = inertia;
  settings.process = ProcessConditions{};
  settings.node_boundaries.clear();
  settings.face_boundaries.clear();
  settings.injection_units.clear();
  settings.inlet_count = 0;
}

InjectionUnit DefaultInjectionUnit() {
  InjectionUnit unit;
  unit.melt_temperature = 230;
  const float positions[kProfilePoints] = {0, 20, 40, 60, 80, 100};
  const float speeds[kProfilePoints] = {60, 80, 100, 100, 80, 60};
  for (int i = 0; i < kProfilePoints; ++i) {
    unit.profile[i][0] = positions[i];
    unit.profile[i][1] = speeds[i];
  }
  unit.valve_timer[0][0] = 0;
  unit.valve_timer[0][1] = 1000;
  unit.switch_volume = 99;
  unit.fill_pack_ratio = 0.8f;
  return unit;
}

void ApplyScrew(InjectionUnit& unit, const ScrewRecord& screw) {
  unit.max_stroke = screw.max_stroke;
  unit.max_pressure = screw.max_pressure;
  unit.max_rate = screw.max_rate;
  unit.pressure_ratio = screw.pressure_ratio;
  unit.screw_diameter = screw.diameter;
}

double RequiredStroke(double volume, double diameter) {
  // Stroke = V / (pi D^2 / 4), the length of a cylinder of the screw's bore.
  if (!(diameter > 0)) return 0;
  return 4.0 * volume / (kPi * diameter * diameter);
}

void SetStandardPhaseTimes(ProcessConditions& process) {
  process.filling_time = 1;
  process.packing_time = 5;
  process.cooling_time = 15;
}

}  // namespace kv
