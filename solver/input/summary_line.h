#pragma once
// Summary tables of the solver: a label padded to 46 columns, then the value
// and the unit, e.g. "Mold temperature:                             50 \t\tC".

#include <string>

namespace kv {

// `label` left-aligned in 46 columns followed by `rest`.
std::string SummaryLine(const char* label, const std::string& rest);

}  // namespace kv
