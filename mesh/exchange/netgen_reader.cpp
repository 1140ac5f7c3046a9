// Netgen neutral files: the nodes and the volume elements.
#include <algorithm>
#include <utility>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {

int ReadNetgenMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kSetCounts;
  auto fail = [&](const std::string& why) {
    error = Where(reader) + why;
    return 0;
  };
  std::string why;  // what is wrong with a refused node number

  int node_count = 0;
  if (!ReadInt(reader, node_count) || node_count < 0) return fail("the node count is missing or negative");
  mesh.nodes.reserve(std::min<size_t>(node_count, reader.text.size() / 6));
  for (int n = 0; n < node_count; ++n) {
    Node node;
    if (!ReadFloat(reader, node.x) || !ReadFloat(reader, node.y) || !ReadFloat(reader, node.z))
      return fail(Format("node %d of %d is cut short or not numbers", n + 1, node_count) +
                  RefusedToken(reader));
    mesh.nodes.push_back(node);
  }
  int element_count = 0;
  if (!ReadInt(reader, element_count) || element_count < 0)
    return fail("the volume element count is missing or negative");
  mesh.elements.reserve(std::min<size_t>(element_count, reader.text.size() / 10));
  for (int e = 0; e < element_count; ++e) {
    // sub-domain (not used), four node numbers; the first and third node are
    // swapped to turn Netgen's orientation into ours.
    int subdomain = 0;
    Element element = NewElement(kTetrahedron);
    element.property = 0;
    bool ok = ReadInt(reader, subdomain);
    for (int i = 0; i < 4 && ok; ++i) {
      ok = ReadNodePosition(reader, element.nodes[i], why);
    }
    if (!ok)
      return fail(Format("volume element %d of %d is cut short or not numbers", e + 1, element_count) + why);
    std::swap(element.nodes[0], element.nodes[2]);
    AddElement(mesh, reader.line, element);
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
