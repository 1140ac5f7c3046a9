#include "tools/kvmesh/kvmesh_results.h"

#include <ostream>

#include "common/results/result_reader.h"
#include "common/results/result_vtu.h"
#include "common/text/number_format.h"

namespace kv {

std::string ResultEntryLine(const ResultEntry& entry) {
  std::string line = entry.long_label + " | " + ResultLocationName(entry.location);
  if (entry.items.empty()) return line;
  float minimum = 0, maximum = 0;
  const int defined = DefinedItemRange(entry, minimum, maximum);
  line += Format(" | %d defined", defined);
  if (defined > 0)
    line += " | min " + FormatExponent(minimum, "%.6E") + " | max " + FormatExponent(maximum, "%.6E");
  return line;
}

int ReportResults(const MeshModel& model, const std::string& path, std::ostream& out, std::string& error) {
  ResultSet set;
  BuildPropertyResults(set, model);
  out << "Reading file: " << path << "\n";
  const int status = ReadResults(set, model, path, error);
  if (status == -1) {
    error = path + ": cannot open the file";
    return 0;
  }
  if (status != 1) return 0;
  out << "Result entries: " << set.entries.size() << "\n";
  for (const ResultEntry& entry : set.entries) out << ResultEntryLine(entry) << "\n";
  return 1;
}

int ExportResultsForParaView(const MeshModel& model, const std::string& path, const std::string& base,
                             std::ostream& out, std::string& error) {
  ResultSet set;
  BuildPropertyResults(set, model);
  const int status = ReadResults(set, model, path, error);
  if (status == -1) error = path + ": cannot open the file";
  if (status != 1) return 0;
  std::vector<std::string> written;
  if (ExportResultsVtu(model, set, base, written, error) != 1) return 0;
  for (const std::string& file : written) out << "Writing file: " << file << "\n";
  return 1;
}

}  // namespace kv
