#pragma once
// Display units of results: the values of the result set are read in SI units
// and shown in Metric (MPa, C, Ton) or English (psi, F, Ton (US)) units. Each
// entry remembers its unit state, so switching converts from what it holds.

#include "common/results/result_set.h"

namespace kv {

// Unit states of an entry (ResultEntry::unit_state); the chosen display units
// are 1 or 2 (UnitsSystem of view_settings.h).
enum UnitState : int { kUnitsAsRead = 0, kUnitStateMetric = 1, kUnitStateEnglish = 2 };

// True when the quantity code has display units (1..6 and 8); codes 0 (time),
// 7 (shear rate) and 9 (other) are shown as read.
bool HasDisplayUnits(int quantity_code);

// Unit name of a quantity code in `units` (1 Metric, 2 English): "m"/"in",
// "C"/"F", "C(d)"/"F(d)", "m/s"/"in/s", "MPa"/"psi", "Ton"/"Ton (US)",
// "m^3/s"/"gal(US)/min"; nullptr for codes without display units or an
// unknown system.
const char* DisplayUnitName(int quantity_code, int units);

// Converts one value of quantity `quantity_code` from unit state `from`
// (0 SI, 1 Metric, 2 English) to state `to` (1 or 2). Values of codes without
// display units, and conversions to the same state, are returned unchanged.
double ConvertResultValue(int quantity_code, int from, int to, double value);

// Converts every entry of `set` whose unit state differs from `units` (1 or 2):
// the values of its defined items (slot 0; slots 0 and 1 of two-sided
// entries; x, y, z and length of element vectors) are converted, the unit
// name is set to the display unit, the unit state to `units`, and both labels
// are rebuilt. Entries without display units only change their unit state.
// Highlight geometry is left as it is.
void ApplyUnits(ResultSet& set, int units);

}  // namespace kv
