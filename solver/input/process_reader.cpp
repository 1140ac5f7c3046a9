#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"
#include "solver/input/summary_line.h"

namespace kv {

int ReadProcessFile(SolverOutput& out, const std::string& path, ProcessConditions& process,
                    std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kInputCannotOpen;
  ProcessConditions c;
  auto values = [&](int code, int count) {
    switch (code) {
      case 10005: return ReadTcodeFloats(reader, code, &c.clamp_force, 1, error);
      case 10100: return ReadTcodeFloats(reader, code, &c.filling_time, 1, error);
      case 10101: return ReadTcodeFloats(reader, code, &c.packing_time, 1, error);
      case 10102: return ReadTcodeFloats(reader, code, &c.cooling_time, 1, error);
      case 11000: return ReadTcodeFloats(reader, code, &c.ambient_temperature, 1, error);
      case 11001: return ReadTcodeFloats(reader, code, &c.mold_temperature, 1, error);
      case 11002: return ReadTcodeFloats(reader, code, &c.ejection_temperature, 1, error);
      case 11050: return ReadTcodeFloats(reader, code, c.parting_normal, 3, error);
      case 11100: return ReadTcodeFloats(reader, code, c.gravity, 3, error);
      default: SkipTcodeValues(reader, count); return true;
    }
  };
  if (!ReadTcodeBlocks(reader, "PROC", values, error)) return kInputDamaged;
  process = c;

  // Temperatures are shown in degrees Celsius: T - 273.15.
  std::string s = "\n";
  s += SummaryLine("Processing condition", "Value \t\tUnits");
  s += SummaryLine("Ambient temperature:",
                   Format("%g \t\tC", c.ambient_temperature - kCelsiusOffset));
  s += SummaryLine("Mold temperature:", Format("%g \t\tC", c.mold_temperature - kCelsiusOffset));
  s += SummaryLine("Parting plane (normal):",
                   Format("[%g %g %g] ", c.parting_normal[0], c.parting_normal[1],
                          c.parting_normal[2]));
  s += SummaryLine("Gravity vector:", Format("[%g %g %g] \t\tm/(s^2)", c.gravity[0],
                                             c.gravity[1], c.gravity[2]));
  s += "Done.\n";
  PrintText(out, s);
  return kInputRead;
}

}  // namespace kv
