// Abaqus input files: the node and solid element sections.
#include <algorithm>
#include <cctype>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {
namespace {

enum class Section { kNone, kNodes, kElements };

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// The keyword of a "*KEYWORD, option=..." line, upper case, without blanks.
std::string KeywordOf(const std::string& upper_line) {
  std::string keyword = upper_line.substr(1, upper_line.find(',') - 1);
  while (!keyword.empty() && (keyword.back() == ' ' || keyword.back() == '\t' || keyword.back() == '\r'))
    keyword.pop_back();
  return keyword;
}

// Element type of an "*ELEMENT" line, from the solid kind it names; 0 for none.
int ElementTypeOfLine(const std::string& upper_line) {
  if (upper_line.find("C3D4") != std::string::npos) return kTetrahedron;
  if (upper_line.find("C3D6") != std::string::npos) return kPrism;
  if (upper_line.find("C3D8") != std::string::npos) return kHexahedron;
  return 0;
}

}  // namespace

int ReadAbaqusMesh(MeshModel& model, const std::string& path, std::string& error) {
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

  Section section = Section::kNone;
  int type = 0;
  std::string raw;
  for (line_number = reader.line; NextLine(reader, raw); line_number = reader.line) {
    const std::string line = TrimLeading(raw);
    if (line.empty()) continue;
    if (line[0] == '*') {
      // "**" is a comment; any other keyword line opens its section, and a
      // keyword other than the two we read (*ELSET, *NSET, ...) closes ours,
      // so that its number lists are not taken for nodes or elements.
      if (line.size() > 1 && line[1] == '*') continue;
      const std::string upper = Upper(line);
      const std::string keyword = KeywordOf(upper);
      if (keyword == "NODE") {
        section = Section::kNodes;
      } else if (keyword == "ELEMENT") {
        section = Section::kElements;
        type = ElementTypeOfLine(upper);
        if (type == 0) return fail("element kind not supported (only C3D4, C3D6 and C3D8): " + line);
      } else {
        section = Section::kNone;
      }
      continue;
    }
    if (section == Section::kNone) continue;
    const std::vector<std::string_view> fields = SplitFields(line);
    // Lines whose first number is below 1 are skipped.
    int64_t first = 0;
    if (fields.empty() || !ParseInt64(fields[0], first) || first < 1) continue;
    if (section == Section::kNodes) {
      Node node;
      if (!ParseNodeFields(fields, 1, node, why))
        return fail("node line without three coordinates" + why);
      mesh.nodes.push_back(node);
      continue;
    }
    Element element = NewElement(type);
    if (!ParsePositionalNodes(fields, 1, element, why))
      return fail(Format("element line without %d node numbers", element.node_count) + why);
    // A prism whose third and sixth nodes coincide is a pyramid on the base
    // 1, 2, 5, 4 with its apex at node 3.
    if (type == kPrism && element.nodes[2] == element.nodes[5]) {
      const int* p = element.nodes;
      const int pyramid[5] = {p[0], p[1], p[4], p[3], p[2]};
      element = NewElement(kPyramid);
      std::copy(pyramid, pyramid + 5, element.nodes);
    }
    AddElement(mesh, line_number, element);
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
