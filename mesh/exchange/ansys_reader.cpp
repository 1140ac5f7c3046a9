// Ansys command files: "N" node and "E" hexahedron commands.
#include <cctype>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {

int ReadAnsysMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kReplace;
  int line_number = 1;
  auto fail = [&](const std::string& why) {
    error = Format("%s:%d: %s", path.c_str(), line_number, why.c_str());
    return 0;
  };
  std::string why;  // what is wrong with a refused field, for the message

  std::string raw;
  for (line_number = reader.line; NextLine(reader, raw); line_number = reader.line) {
    const std::vector<std::string_view> fields = SplitFields(raw);
    if (fields.empty()) continue;
    // The command word alone decides: "N" a node, "E" a hexahedron; MAT, ET,
    // TYPE, "/" commands and every other command are skipped.
    std::string command(fields[0]);
    for (char& c : command) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (command == "N") {
      // N, number (not used: nodes are taken in file order), x, y, z
      Node node;
      if (!ParseNodeFields(fields, 2, node, why))
        return fail("node command without a number and three coordinates" + why);
      mesh.nodes.push_back(node);
    } else if (command == "E") {
      Element element = NewElement(kHexahedron);
      if (!ParsePositionalNodes(fields, 1, element, why))
        return fail("element command without 8 node numbers" + why);
      AddElement(mesh, line_number, element);
    }
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
