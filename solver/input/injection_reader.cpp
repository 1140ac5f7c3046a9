#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"
#include "solver/input/summary_line.h"

namespace kv {

int ReadInjectionFile(SolverOutput& out, const std::string& path,
                      std::vector<SolverInjection>& injections, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kInputCannotOpen;
  std::vector<SolverInjection> units;
  bool counted = false;

  // Reads one value per injection into `field` of every unit.
  auto singles = [&](int code, float SolverInjection::*field) {
    for (SolverInjection& u : units)
      if (!ReadTcodeFloats(reader, code, &(u.*field), 1, error)) return false;
    return true;
  };
  // Reads six pairs per injection; `scale` divides both members.
  auto pairs = [&](int code, float (SolverInjection::*table)[kProfilePoints][2], float scale) {
    for (SolverInjection& u : units) {
      float values[2 * kProfilePoints];
      if (!ReadTcodeFloats(reader, code, values, 2 * kProfilePoints, error)) return false;
      for (int i = 0; i < kProfilePoints; ++i) {
        (u.*table)[i][0] = values[2 * i] / scale;
        (u.*table)[i][1] = values[2 * i + 1] / scale;
      }
    }
    return true;
  };

  auto values = [&](int code, int count) {
    if (code == 52000) {
      int n = 0;
      if (!ReadTcodeInt(reader, code, n, error)) return false;
      // Every injection needs at least its own value lines further on, so a
      // number beyond the rest of the file is damage, not a request for memory.
      size_t rest = reader.text.size() - reader.pos;
      if (n < 1 || static_cast<size_t>(n) > rest / 2) {
        error = Where(reader) + Format("number of injections %d is not possible here", n);
        return false;
      }
      units.assign(static_cast<size_t>(n), SolverInjection{});
      counted = true;
      return true;
    }
    bool known = (code >= 52005 && code <= 52050);
    if (!known) {
      SkipTcodeValues(reader, count);
      return true;
    }
    if (!counted) {
      error = Where(reader) + Format("record %d comes before the number of injections", code);
      return false;
    }
    if (count != static_cast<int>(units.size())) {
      error = Where(reader) + Format("record %d holds %d injections, the file declares %d", code,
                                     count, static_cast<int>(units.size()));
      return false;
    }
    switch (code) {
      case 52005: return singles(code, &SolverInjection::melt_temperature);
      case 52008: return singles(code, &SolverInjection::stroke);
      case 52010: return pairs(code, &SolverInjection::valve_timer, 1.0f);
      case 52015: return pairs(code, &SolverInjection::profile, 100.0f);  // percent -> fraction
      case 52021: return singles(code, &SolverInjection::max_rate);
      case 52022: return singles(code, &SolverInjection::max_stroke);
      case 52023: return singles(code, &SolverInjection::screw_diameter);
      case 52024: return singles(code, &SolverInjection::max_pressure);
      case 52025: return singles(code, &SolverInjection::pressure_ratio);
      case 52031: return singles(code, &SolverInjection::switch_volume);
      case 52032: return singles(code, &SolverInjection::switch_position);
      case 52033: return singles(code, &SolverInjection::switch_pressure);
      case 52050: return singles(code, &SolverInjection::packing_pressure);
      default: SkipTcodeValues(reader, count); return true;
    }
  };
  if (!ReadTcodeBlocks(reader, "INJE", values, error)) return kInputDamaged;
  if (units.empty()) {
    error = path + ": no injection unit (record 52000 is missing)";
    return kInputDamaged;
  }
  injections = std::move(units);

  std::string s = "\n";
  s += SummaryLine("Injection control", "Value \t\tUnits");
  for (size_t i = 0; i < injections.size(); ++i) {
    s += SummaryLine("#:", Format("%d \t\t", static_cast<int>(i) + 1));
    s += SummaryLine("Melt temperature:",
                     Format("%g \t\tC", injections[i].melt_temperature - kCelsiusOffset));
  }
  s += "Done.\n";
  PrintText(out, s);
  return kInputRead;
}

}  // namespace kv
