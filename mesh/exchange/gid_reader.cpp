// GiD mesh files: one element kind per file, triangles or tetrahedra.
#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {
namespace {

bool StartsWithEnd(std::string_view word) {
  return word.size() >= 3 && (word.substr(0, 3) == "end" || word.substr(0, 3) == "End" ||
                              word.substr(0, 3) == "END");
}

}  // namespace

int ReadGidMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kSetCounts;
  int line_number = 1;
  auto fail = [&](const std::string& why) {
    error = Format("%s:%d: %s", path.c_str(), line_number, why.c_str());
    return 0;
  };
  std::string why;  // what is wrong with a refused field, for the message

  // Header: "MESH dimension 3 ElemType Tetrahedra Nnode 4"; the fifth field
  // names the element kind (or, when a mesh name shifts the fields, the word
  // after "ElemType").
  std::string header;
  if (!NextLine(reader, header)) return fail("the file is empty");
  const std::vector<std::string_view> words = SplitFields(header);
  std::string_view kind = words.size() >= 5 ? words[4] : std::string_view();
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == "ElemType" && kind != "Triangle" && kind != "Tetrahedra") kind = words[i + 1];
  int type = 0;
  if (kind == "Triangle") type = kTriangle;
  else if (kind == "Tetrahedra") type = kTetrahedron;
  else return fail("element kind \"" + std::string(kind) + "\" not supported (Triangle or Tetrahedra only)");
  const int node_count = ElementTypeNodeCount(type);

  enum class Section { kNone, kCoordinates, kElements } section = Section::kNone;
  std::string raw;
  for (line_number = reader.line; NextLine(reader, raw); line_number = reader.line) {
    const std::vector<std::string_view> fields = SplitFields(raw);
    if (fields.empty()) continue;
    if (StartsWithEnd(fields[0])) {
      section = Section::kNone;
      continue;
    }
    if (fields[0] == "Coordinates") { section = Section::kCoordinates; continue; }
    if (fields[0] == "Elements") { section = Section::kElements; continue; }
    if (section == Section::kCoordinates) {
      // number (not used: nodes are taken in file order), x, y, z
      Node node;
      if (!ParseNodeFields(fields, 1, node, why))
        return fail("coordinate line without a number and three coordinates" + why);
      mesh.nodes.push_back(node);
    } else if (section == Section::kElements) {
      // number (not used), then the node numbers
      Element element = NewElement(type);
      if (!ParsePositionalNodes(fields, 1, element, why))
        return fail(Format("element line without %d node numbers", node_count) + why);
      AddElement(mesh, line_number, element);
    }
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
