// Gmsh mesh files, version 2 ASCII.
#include <algorithm>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {
namespace {

constexpr float kGmshRunnerDiameter = 0.002f;   // m
constexpr float kGmshShellThickness = 0.002f;   // m
constexpr int kGmshPointType = 15;
constexpr int kMaxTags = 1000;

struct GmshKind {
  int gmsh_type;
  int type;       // our element type
  int category;
  float diameter; // m
  float thickness;// m
  int property;
};

constexpr GmshKind kKinds[] = {
    {1, kBeam, kPartRunner, kGmshRunnerDiameter, 0, 0},
    {2, kTriangle, kPartSurface, 0, kGmshShellThickness, 1},
    {3, kQuadrilateral, kPartSurface, 0, kGmshShellThickness, 1},
    {4, kTetrahedron, kPartVolume, 0, 0, 2},
    {5, kHexahedron, kPartVolume, 0, 0, 2},
    {6, kPrism, kPartVolume, 0, 0, 2},
    {7, kPyramid, kPartVolume, 0, 0, 2},
};

const GmshKind* FindKind(int gmsh_type) {
  for (const GmshKind& kind : kKinds)
    if (kind.gmsh_type == gmsh_type) return &kind;
  return nullptr;
}

}  // namespace

int ReadGmshMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kReplace;
  NodeIdMap ids;
  auto fail = [&](const std::string& why) {
    error = Where(reader) + why;
    return 0;
  };

  std::string_view token;
  while (NextToken(reader, token)) {
    if (token == "$MeshFormat") {
      // Version, file type (0 ASCII, 1 binary) and data size.
      double version = 0;
      int file_type = 0;
      if (!ReadReal(reader, version) || !ReadInt(reader, file_type))
        return fail("the mesh format line is cut short or not numbers");
      if (version < 2.0 || version >= 3.0)
        return fail(Format("Gmsh format version %g is not supported (version 2 only)", version));
      if (file_type != 0) return fail("binary Gmsh files are not supported (ASCII only)");
    } else if (token == "$Nodes") {
      int count = 0;
      if (!ReadInt(reader, count) || count < 0) return fail("the node count is missing or negative");
      // The announced count sizes the tables only as far as the file can
      // hold nodes (a node line has at least 8 characters), so a damaged
      // count cannot make the identifier map dense up to a huge identifier.
      const size_t can_hold = std::min<size_t>(count, reader.text.size() / 8);
      ids = NodeIdMap(can_hold);
      mesh.nodes.reserve(can_hold);
      for (int n = 0; n < count; ++n) {
        int64_t id = 0;
        Node node;
        if (!ReadInt64(reader, id) || !ReadFloat(reader, node.x) || !ReadFloat(reader, node.y) ||
            !ReadFloat(reader, node.z))
          return fail(Format("node %d of %d is cut short or not numbers", n + 1, count) + RefusedToken(reader));
        if (!ids.Insert(id, static_cast<int>(mesh.nodes.size())))
          return fail(Format("node number %lld is negative", static_cast<long long>(id)));
        mesh.nodes.push_back(node);
      }
    } else if (token == "$Elements") {
      int count = 0;
      if (!ReadInt(reader, count) || count < 0) return fail("the element count is missing or negative");
      mesh.elements.reserve(std::min<size_t>(count, reader.text.size() / 16));
      for (int e = 0; e < count; ++e) {
        int number = 0, gmsh_type = 0, tags = 0;
        if (!ReadInt(reader, number) || !ReadInt(reader, gmsh_type) || !ReadInt(reader, tags))
          return fail(Format("element %d of %d is cut short or not numbers", e + 1, count));
        if (tags < 0 || tags > kMaxTags) return fail(Format("element %d has %d tags", number, tags));
        for (int t = 0; t < tags; ++t)
          if (!NextToken(reader, token)) return fail(Format("element %d is cut short", number));
        if (gmsh_type == kGmshPointType) {
          int64_t dropped = 0;
          if (!ReadInt64(reader, dropped)) return fail(Format("element %d is cut short", number));
          continue;
        }
        const GmshKind* kind = FindKind(gmsh_type);
        if (!kind)
          return fail(Format("Gmsh element type %d (element %d) is not supported", gmsh_type, number));
        Element element = NewElement(kind->type);
        element.category = kind->category;
        element.diameter = kind->diameter;
        element.thickness = kind->thickness;
        element.property = kind->property;
        for (int i = 0; i < element.node_count; ++i) {
          int64_t id = 0;
          if (!ReadInt64(reader, id)) return fail(Format("element %d is cut short", number));
          element.nodes[i] = ids.Find(id);
          if (element.nodes[i] < 0)
            return fail(Format("element %d names node %lld, which is not among the nodes read",
                               number, static_cast<long long>(id)));
        }
        AddElement(mesh, reader.line, element);
      }
    }
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
