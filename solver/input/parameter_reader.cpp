#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"
#include "solver/input/summary_line.h"

namespace kv {

int ReadParameterFile(SolverOutput& out, const std::string& path, SolverParameters& parameters,
                      std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kInputCannotOpen;
  // Every parameter starts from its default.
  SolverParameters p;
  auto values = [&](int code, int count) {
    switch (code) {
      case 100: return ReadTcodeInt(reader, code, p.layers, error);
      case 200: return ReadTcodeInt(reader, code, p.design_outputs, error);
      case 300: return ReadTcodeFloats(reader, code, &p.convergence, 1, error);
      case 301: return ReadTcodeInt(reader, code, p.max_iterations, error);
      case 400: return ReadTcodeInt(reader, code, p.inertia, error);
      default: SkipTcodeValues(reader, count); return true;
    }
  };
  if (!ReadTcodeBlocks(reader, "PRMT", values, error)) return kInputDamaged;
  if (p.layers < 1) {
    error = path + Format(": the number of layers across the half-gap is %d; it must be at least 1",
                          p.layers);
    return kInputDamaged;
  }
  // Every layer adds a grid point to every element and node table and to
  // every thermal solve; beyond this the run is a mistake, not a request.
  if (p.layers > kMaxLayers) {
    error = path + Format(": the number of layers across the half-gap is %d; it must be at most %d",
                          p.layers, kMaxLayers);
    return kInputDamaged;
  }
  parameters = p;

  std::string s = "\n";
  s += SummaryLine("Parameter", "Value");
  s += SummaryLine("Number of layers:", Format("%d", p.layers));
  s += SummaryLine("Number of design ouputs:", Format("%d", p.design_outputs));
  s += SummaryLine("Convergence criterion:", FormatExponent(p.convergence, "%.4e"));
  s += SummaryLine("Maximum number of iterations:", Format("%d", p.max_iterations));
  s += "Done.\n";
  PrintText(out, s);
  return kInputRead;
}

}  // namespace kv
