// LS-Dyna keyword files: the node and solid element sections.
#include <cctype>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {

int ReadLsDynaMesh(MeshModel& model, const std::string& path, std::string& error) {
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

  enum class Section { kNone, kNodes, kElements } section = Section::kNone;
  std::string raw;
  for (line_number = reader.line; NextLine(reader, raw); line_number = reader.line) {
    const std::string line = TrimLeading(raw);
    if (line.empty() || line[0] == '$') continue;
    if (line[0] == '*') {
      std::string keyword(SplitFields(line).front());
      for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (keyword == "*END") break;
      // Any other keyword closes the section, so that its cards are not
      // taken for nodes or elements.
      section = keyword == "*NODE" ? Section::kNodes
              : keyword == "*ELEMENT_SOLID" ? Section::kElements : Section::kNone;
      continue;
    }
    if (section == Section::kNone) continue;
    const std::vector<std::string_view> fields = SplitFields(line);
    if (section == Section::kNodes) {
      // id, x, y, z (two more constraint fields may follow and are not used)
      Node node;
      if (!ParseNodeFields(fields, 1, node, why))
        return fail("node card without an id and three coordinates" + why);
      mesh.nodes.push_back(node);
      continue;
    }
    // element id, part id (not used), eight node numbers
    Element element = NewElement(kHexahedron);
    if (!ParsePositionalNodes(fields, 2, element, why))
      return fail("solid element card without 8 node numbers" + why);
    AddElement(mesh, line_number, element);
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
