// Voxel files: counts, node coordinates, elements on 0-based node indices.
#include <algorithm>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {

int ReadVoxelMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kSetCounts;
  auto fail = [&](const std::string& why) {
    error = Where(reader) + why;
    return 0;
  };

  int node_count = 0, element_count = 0;
  if (!ReadInt(reader, node_count) || !ReadInt(reader, element_count) || node_count < 0 ||
      element_count < 0)
    return fail("the node and element counts are missing or negative");
  mesh.nodes.reserve(std::min<size_t>(node_count, reader.text.size() / 6));
  for (int n = 0; n < node_count; ++n) {
    Node node;
    if (!ReadFloat(reader, node.x) || !ReadFloat(reader, node.y) || !ReadFloat(reader, node.z))
      return fail(Format("node %d of %d is cut short or not numbers", n + 1, node_count) +
                  RefusedToken(reader));
    mesh.nodes.push_back(node);
  }
  mesh.elements.reserve(std::min<size_t>(element_count, reader.text.size() / 8));
  for (int e = 0; e < element_count; ++e) {
    // node count (3 triangle, 6 prism, 8 hexahedron), then 0-based node indices
    int count = 0;
    if (!ReadInt(reader, count)) return fail(Format("element %d of %d is cut short", e + 1, element_count));
    const int type = count == 3 ? kTriangle : count == 6 ? kPrism : count == 8 ? kHexahedron : 0;
    if (type == 0) return fail(Format("element %d has %d nodes (3, 6 or 8 supported)", e + 1, count));
    Element element = NewElement(type);
    element.property = 0;
    for (int i = 0; i < count; ++i)
      if (!ReadInt(reader, element.nodes[i]))
        return fail(Format("element %d of %d is cut short or not numbers", e + 1, element_count));
    AddElement(mesh, reader.line, element);
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
