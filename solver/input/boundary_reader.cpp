#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"

namespace kv {
namespace {

// Reads `count` 1-based node numbers of record `code` as 0-based indices.
bool ReadNodeList(TokenReader& reader, int code, int count, std::vector<int>& nodes,
                  std::string& error) {
  for (int i = 0; i < count; ++i) {
    int number = 0;
    if (!ReadTcodeInt(reader, code, number, error)) return false;
    // Numbers below 1 name no node; they become index -1, which the inlet
    // check reports, instead of wrapping around.
    nodes.push_back(number >= 1 ? number - 1 : -1);
  }
  return true;
}

}  // namespace

int ReadBoundaryFile(SolverOutput& out, const std::string& path, std::vector<int>& inlets,
                     std::vector<int>& potential_inlets, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kInputCannotOpen;
  std::vector<int> inlet_list, potential_list;
  auto values = [&](int code, int count) {
    switch (code) {
      case 5: return ReadNodeList(reader, code, count, potential_list, error);
      case 10: return ReadNodeList(reader, code, count, inlet_list, error);
      default:
        // Code 1 (always empty) and the inlet and outlet faces (codes 20, 30)
        // are not used by the solver: one value line per counted entry.
        SkipTcodeValues(reader, count);
        return true;
    }
  };
  if (!ReadTcodeBlocks(reader, "BOUND", values, error)) return kInputDamaged;
  if (inlet_list.empty()) {
    Print(out, "\nError: Inlet was not specified.\n");
    return kInputNoInlet;
  }
  inlets = std::move(inlet_list);
  potential_inlets = std::move(potential_list);

  std::string s = "\n";
  for (int node : inlets) s += Format("Node (inlet): %d\n", node + 1);
  s += "Done.\n";
  PrintText(out, s);
  return kInputRead;
}

}  // namespace kv
