// Gmsh mesh files, version 2 ASCII, with the optional surface mesh.
#include "common/text/number_format.h"
#include "mesh/exchange/export_support.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

// Gmsh element type of an element type; 0 for an unknown code.
int GmshTypeOf(int type) {
  switch (type) {
    case kBeam: return 1;
    case kTriangle: return 2;
    case kQuadrilateral: return 3;
    case kTetrahedron: return 4;
    case kPyramid: return 7;
    case kPrism: return 6;
    case kHexahedron: return 5;
    default: return 0;
  }
}

bool WritesElement(const MeshModel& model, const Element& element) {
  return element.category != kConnector && GmshTypeOf(element.type) != 0 &&
         element.node_count == ElementTypeNodeCount(element.type) && ElementNodesValid(model, element);
}

bool WritesSurfaceFace(const MeshModel& model, const FaceRecord& face) {
  return face.partner == -1 && FaceNodesValid(model, face);
}

}  // namespace

int WriteGmshMesh(const MeshModel& model, const std::string& path, bool surface_mesh,
                  const std::string& /*title*/) {
  OutputFile out(path);
  if (!out.IsOpen()) return 0;
  out.Write("$MeshFormat\n2 0 8\n$EndMeshFormat\n");
  out.Write("$Nodes\n");
  out.Write(Format("%d\n", static_cast<int>(model.nodes.size())));
  for (size_t n = 0; n < model.nodes.size(); ++n) {
    const Node& node = model.nodes[n];
    out.Write(Format("%d %f %f %f\n", static_cast<int>(n + 1), double(node.x), double(node.y), double(node.z)));
  }
  out.Write("$EndNodes\n");

  int surface_lines = 0, element_lines = 0;
  if (surface_mesh)
    for (const FaceRecord& face : model.faces) surface_lines += WritesSurfaceFace(model, face);
  for (const Element& element : model.elements) element_lines += WritesElement(model, element);
  out.Write("$Elements\n");
  out.Write(Format("%d\n", surface_lines + element_lines));

  // Surface faces: running number, type, 3 tags (region, region, 0), nodes.
  if (surface_mesh) {
    int number = 0;
    for (const FaceRecord& face : model.faces) {
      if (!WritesSurfaceFace(model, face)) continue;
      const int type = face.node_count == 3 ? 2 : face.node_count == 4 ? 3 : 0;
      std::string line = Format("%d %d %d %d %d %d", ++number, type, 3, face.region, face.region, 0);
      for (int i = 0; i < face.node_count; ++i) line += Format(" %d", face.nodes[i] + 1);
      out.Write(line + "\n");
    }
  }
  // Elements: number after the surface lines (index + 1), type, 3 tags 1 1 0, nodes.
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const Element& element = model.elements[e];
    if (!WritesElement(model, element)) continue;
    std::string line = Format("%d %d %d %d %d %d", surface_lines + static_cast<int>(e + 1),
                              GmshTypeOf(element.type), 3, 1, 1, 0);
    for (int i = 0; i < element.node_count; ++i) line += Format(" %d", element.nodes[i] + 1);
    out.Write(line + "\n");
  }
  out.Write("$EndElements\n");
  return out.Close() ? 1 : 0;
}

}  // namespace kv
