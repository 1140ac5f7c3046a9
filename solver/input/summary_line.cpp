#include "solver/input/summary_line.h"

#include "common/text/number_format.h"

namespace kv {

std::string SummaryLine(const char* label, const std::string& rest) {
  return Format("%-46s", label) + rest + "\n";
}

}  // namespace kv
