// MoldFlow meshes: a header (.mfl) with the counts, the nodes in the .nda
// companion and the triangles in the .ela companion.
#include <algorithm>
#include <cstdint>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {

int ReadMoldflowMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader header;
  if (OpenTokenReader(header, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kReplace;

  // Header lines "<integer> <word>": "nodes..." gives the node count,
  // "elements..." the element count; other lines are skipped.
  int64_t node_count = -1, element_count = -1;
  std::string line;
  while (NextLine(header, line)) {
    const std::vector<std::string_view> fields = SplitFields(line);
    int64_t value = 0;
    if (fields.size() < 2 || !ParseInt64(fields[0], value)) continue;
    if (fields[1].substr(0, 5) == "nodes") node_count = value;
    else if (fields[1].substr(0, 8) == "elements") element_count = value;
  }
  if (node_count < 0 || element_count < 0 || node_count > INT32_MAX || element_count > INT32_MAX) {
    error = path + ": the header gives no valid \"nodes\" and \"elements\" counts";
    return 0;
  }
  if (path.size() < 3) {
    error = path + ": the companion file names cannot be formed from this path";
    return 0;
  }
  const std::string stem = path.substr(0, path.size() - 3);

  // Nodes: id (not used), x, y, z, in node order.
  TokenReader nodes;
  if (OpenTokenReader(nodes, stem + "nda") != 1) {
    error = stem + "nda: cannot open the node file";
    return 0;
  }
  mesh.nodes.reserve(std::min<size_t>(node_count, nodes.text.size() / 8));
  for (int64_t n = 0; n < node_count; ++n) {
    int64_t id = 0;
    Node node;
    if (!ReadInt64(nodes, id) || !ReadFloat(nodes, node.x) || !ReadFloat(nodes, node.y) ||
        !ReadFloat(nodes, node.z)) {
      error = Where(nodes) + Format("node %lld of %lld is cut short or not numbers",
                                    static_cast<long long>(n + 1), static_cast<long long>(node_count)) +
              RefusedToken(nodes);
      return 0;
    }
    mesh.nodes.push_back(node);
  }

  // Elements: id (not used) and three node numbers: triangles with property
  // index 1 and thickness 0.
  TokenReader elements;
  if (OpenTokenReader(elements, stem + "ela") != 1) {
    error = stem + "ela: cannot open the element file";
    return 0;
  }
  mesh.elements.reserve(std::min<size_t>(element_count, elements.text.size() / 8));
  for (int64_t e = 0; e < element_count; ++e) {
    int64_t id = 0;
    Element element = NewElement(kTriangle);
    element.property = 1;
    bool ok = ReadInt64(elements, id);
    std::string why;
    for (int i = 0; i < 3 && ok; ++i) ok = ReadNodePosition(elements, element.nodes[i], why);
    if (!ok) {
      error = Where(elements) + Format("element %lld of %lld is cut short or not numbers",
                                       static_cast<long long>(e + 1), static_cast<long long>(element_count)) +
              why;
      return 0;
    }
    AddElement(mesh, elements.line, element);
  }
  return FinishImport(model, std::move(mesh), stem + "ela", error);
}

}  // namespace kv
