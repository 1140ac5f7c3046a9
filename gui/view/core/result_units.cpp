#include "gui/view/core/result_units.h"

namespace kv {
namespace {

// One quantity's conversions. Every conversion is v * scale + offset except
// English-to-Metric temperature, which is (v - 32) / 1.8 (kept in that form).
struct QuantityUnits {
  int code;
  const char* metric;
  const char* english;
  double si_to_metric_scale, si_to_metric_offset;
  double metric_to_english_scale, metric_to_english_offset;
  double english_to_metric_scale;
  double si_to_english_scale;  // 0 for temperature, which goes through Metric
};

constexpr QuantityUnits kUnits[] = {
    {kQuantityLength, "m", "in", 1.0, 0.0, 39.370079, 0.0, 0.0254, 39.370079},
    {kQuantityTemperature, "C", "F", 1.0, -273.15, 1.8, 32.0, 0.0, 0.0},
    {kQuantityTemperatureDifference, "C(d)", "F(d)", 1.0, 0.0, 1.8, 0.0, 0.5555556, 1.8},
    {kQuantityVelocity, "m/s", "in/s", 1.0, 0.0, 39.370079, 0.0, 0.0254, 39.370079},
    {kQuantityPressure, "MPa", "psi", 1e-6, 0.0, 145.03773, 0.0, 0.0068947575, 0.00014503773},
    {kQuantityForce, "Ton", "Ton (US)", 1.0 / 9800.0, 0.0, 1.1023113, 0.0, 0.90718478, 0.00011248074},
    {kQuantityFlowRate, "m^3/s", "gal(US)/min", 1.0, 0.0, 15850.323, 0.0, 0.000063090200, 15850.323},
};

const QuantityUnits* FindUnits(int code) {
  for (const QuantityUnits& u : kUnits)
    if (u.code == code) return &u;
  return nullptr;
}

// Value slots of an item that hold values of the entry's quantity.
int ValueSlotCount(const ResultEntry& entry) {
  switch (entry.location) {
    case kTwoSidedResult: return 2;
    case kElementVectorResult: return 4;
    case kHighlightResult: return 0;
    default: return 1;
  }
}

}  // namespace

bool HasDisplayUnits(int quantity_code) { return FindUnits(quantity_code) != nullptr; }

const char* DisplayUnitName(int quantity_code, int units) {
  const QuantityUnits* u = FindUnits(quantity_code);
  if (!u) return nullptr;
  if (units == kUnitStateMetric) return u->metric;
  if (units == kUnitStateEnglish) return u->english;
  return nullptr;
}

double ConvertResultValue(int quantity_code, int from, int to, double value) {
  const QuantityUnits* u = FindUnits(quantity_code);
  if (!u || from == to) return value;
  if (from == kUnitsAsRead && to == kUnitStateMetric) return value * u->si_to_metric_scale + u->si_to_metric_offset;
  if (from == kUnitsAsRead && to == kUnitStateEnglish) {
    if (quantity_code == kQuantityTemperature) return (value - 273.15) * 1.8 + 32.0;
    return value * u->si_to_english_scale;
  }
  if (from == kUnitStateMetric && to == kUnitStateEnglish)
    return value * u->metric_to_english_scale + u->metric_to_english_offset;
  if (from == kUnitStateEnglish && to == kUnitStateMetric) {
    if (quantity_code == kQuantityTemperature) return (value - 32.0) / 1.8;
    return value * u->english_to_metric_scale;
  }
  return value;
}

void ApplyUnits(ResultSet& set, int units) {
  if (units != kUnitStateMetric && units != kUnitStateEnglish) return;
  for (ResultEntry& entry : set.entries) {
    if (entry.unit_state == units) continue;
    if (HasDisplayUnits(entry.quantity_code)) {
      const int slots = ValueSlotCount(entry);
      for (ResultItem& item : entry.items) {
        if (item.defined != 1) continue;
        for (int s = 0; s < slots; ++s) {
          item.values[s] = static_cast<float>(
              ConvertResultValue(entry.quantity_code, entry.unit_state, units, item.values[s]));
        }
      }
      entry.unit = DisplayUnitName(entry.quantity_code, units);
    }
    entry.unit_state = units;
    BuildResultLabels(entry);
  }
}

}  // namespace kv
