#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"
#include "solver/input/summary_line.h"

namespace kv {

namespace {

// The injection units as the file's records fill them in.
struct InjectionRecords {
  TokenReader reader;
  std::vector<SolverInjection> units;
  bool counted = false;
};

// Reads one value per injection into `field` of every unit.
bool ReadSingles(InjectionRecords& r, int code, float SolverInjection::*field, std::string& error) {
  for (SolverInjection& u : r.units)
    if (!ReadTcodeFloats(r.reader, code, &(u.*field), 1, error)) return false;
  return true;
}

// Reads six pairs per injection; `scale` divides both members.
bool ReadPairs(InjectionRecords& r, int code, float (SolverInjection::*table)[kProfilePoints][2], float scale,
               std::string& error) {
  for (SolverInjection& u : r.units) {
    float values[2 * kProfilePoints];
    if (!ReadTcodeFloats(r.reader, code, values, 2 * kProfilePoints, error)) return false;
    for (int i = 0; i < kProfilePoints; ++i) {
      (u.*table)[i][0] = values[2 * i] / scale;
      (u.*table)[i][1] = values[2 * i + 1] / scale;
    }
  }
  return true;
}

// Record 52000, the number of injections: every injection needs at least its
// own value lines further on, so a number beyond the rest of the file is
// damage, not a request for memory.
bool ReadInjectionCount(InjectionRecords& r, int code, std::string& error) {
  int n = 0;
  if (!ReadTcodeInt(r.reader, code, n, error)) return false;
  const size_t rest = r.reader.text.size() - r.reader.pos;
  if (n < 1 || static_cast<size_t>(n) > rest / 2) {
    error = Where(r.reader) + Format("number of injections %d is not possible here", n);
    return false;
  }
  r.units.assign(static_cast<size_t>(n), SolverInjection{});
  r.counted = true;
  return true;
}

// One record of `count` values: the count, a known record after it with one
// value per injection, or an unknown record passed over.
bool ReadInjectionRecord(InjectionRecords& r, int code, int count, std::string& error) {
  if (code == 52000) return ReadInjectionCount(r, code, error);
  const bool known = (code >= 52005 && code <= 52050);
  if (!known) {
    SkipTcodeValues(r.reader, count);
    return true;
  }
  if (!r.counted) {
    error = Where(r.reader) + Format("record %d comes before the number of injections", code);
    return false;
  }
  if (count != static_cast<int>(r.units.size())) {
    error = Where(r.reader) + Format("record %d holds %d injections, the file declares %d", code, count,
                                     static_cast<int>(r.units.size()));
    return false;
  }
  switch (code) {
    case 52005: return ReadSingles(r, code, &SolverInjection::melt_temperature, error);
    case 52008: return ReadSingles(r, code, &SolverInjection::stroke, error);
    case 52010: return ReadPairs(r, code, &SolverInjection::valve_timer, 1.0f, error);
    case 52015: return ReadPairs(r, code, &SolverInjection::profile, 100.0f, error);  // percent -> fraction
    case 52021: return ReadSingles(r, code, &SolverInjection::max_rate, error);
    case 52022: return ReadSingles(r, code, &SolverInjection::max_stroke, error);
    case 52023: return ReadSingles(r, code, &SolverInjection::screw_diameter, error);
    case 52024: return ReadSingles(r, code, &SolverInjection::max_pressure, error);
    case 52025: return ReadSingles(r, code, &SolverInjection::pressure_ratio, error);
    case 52031: return ReadSingles(r, code, &SolverInjection::switch_volume, error);
    case 52032: return ReadSingles(r, code, &SolverInjection::switch_position, error);
    case 52033: return ReadSingles(r, code, &SolverInjection::switch_pressure, error);
    case 52050: return ReadSingles(r, code, &SolverInjection::packing_pressure, error);
    default: SkipTcodeValues(r.reader, count); return true;
  }
}

// The summary: the number and melt temperature of every injection.
std::string InjectionSummary(const std::vector<SolverInjection>& injections) {
  std::string s = "\n";
  s += SummaryLine("Injection control", "Value \t\tUnits");
  for (size_t i = 0; i < injections.size(); ++i) {
    s += SummaryLine("#:", Format("%d \t\t", static_cast<int>(i) + 1));
    s += SummaryLine("Melt temperature:", Format("%g \t\tC", injections[i].melt_temperature - kCelsiusOffset));
  }
  s += "Done.\n";
  return s;
}

}  // namespace

int ReadInjectionFile(SolverOutput& out, const std::string& path,
                      std::vector<SolverInjection>& injections, std::string& error) {
  InjectionRecords r;
  if (OpenTokenReader(r.reader, path) != 1) return kInputCannotOpen;
  auto record = [&](int code, int count) { return ReadInjectionRecord(r, code, count, error); };
  if (!ReadTcodeBlocks(r.reader, "INJE", record, error)) return kInputDamaged;
  if (r.units.empty()) {
    error = path + ": no injection unit (record 52000 is missing)";
    return kInputDamaged;
  }
  injections = std::move(r.units);
  PrintText(out, InjectionSummary(injections));
  return kInputRead;
}

}  // namespace kv
