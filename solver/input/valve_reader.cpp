#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"

namespace kv {

int ReadValveFile(SolverOutput& out, const std::string& path, int node_count,
                  std::vector<ValveGate>& gates, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kInputCannotOpen;
  Print(out, "\nReading valve gates...\n");
  std::vector<ValveGate> read;
  auto values = [&](int code, int count) {
    if (code != 80000) {
      SkipTcodeValues(reader, count);
      return true;
    }
    // Per gate: its node count, the 1-based node numbers, six timer pairs.
    for (int g = 0; g < count; ++g) {
      int n = 0;
      if (!ReadTcodeInt(reader, code, n, error)) return false;
      if (n < 0 || n > node_count) {
        error = Where(reader) + Format("valve gate %d has %d nodes; the mesh has %d", g + 1, n,
                                       node_count);
        return false;
      }
      ValveGate gate;
      for (int i = 0; i < n; ++i) {
        int number = 0;
        if (!ReadTcodeInt(reader, code, number, error)) return false;
        if (number < 1 || number > node_count) {
          error = Where(reader) + Format("valve gate %d names node %d; the mesh has nodes 1 to %d",
                                         g + 1, number, node_count);
          return false;
        }
        gate.nodes.push_back(number - 1);
      }
      float timer[2 * kProfilePoints];
      if (!ReadTcodeFloats(reader, code, timer, 2 * kProfilePoints, error)) return false;
      for (int i = 0; i < kProfilePoints; ++i) {
        gate.timer[i][0] = timer[2 * i];
        gate.timer[i][1] = timer[2 * i + 1];
      }
      read.push_back(std::move(gate));
    }
    return true;
  };
  if (!ReadTcodeBlocks(reader, "VALV", values, error)) return kInputDamaged;
  gates = std::move(read);
  Print(out, "Done.\n");
  return kInputRead;
}

}  // namespace kv
