// VESTRA meshes: triangles (shell) or tetrahedra (solid) with nodes in centimetres.
#include "common/text/number_format.h"
#include "mesh/exchange/export_support.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

constexpr double kCentimetresPerMetre = 100.0;
constexpr char kVestraBanner[] = "/*>>> [ Mesh Output for VESTRA R3.0 ] <<<*/\n";

// "number x y z -1" per node, coordinates in centimetres.
void WriteVestraNodes(OutputFile& out, const MeshModel& model) {
  for (size_t n = 0; n < model.nodes.size(); ++n) {
    const Node& node = model.nodes[n];
    out.Write(Format("%d %f %f %f %d\n", static_cast<int>(n + 1), node.x * kCentimetresPerMetre,
                     node.y * kCentimetresPerMetre, node.z * kCentimetresPerMetre, -1));
  }
}

}  // namespace

int WriteVestraShellMesh(const MeshModel& model, const std::string& path, const std::string& /*title*/) {
  OutputFile out(path);
  if (!out.IsOpen()) return -1;
  out.Write(kVestraBanner);
  out.Write(Format("%d %d %f %f %f\n", static_cast<int>(model.elements.size()),
                   static_cast<int>(model.nodes.size()), 1.0, 1.0, 1.0));
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const Element& element = model.elements[e];
    if (element.type != kTriangle || !ElementNodesValid(model, element)) continue;
    out.Write(Format("%d %d %d %d %d %d %d\n", static_cast<int>(e + 1), element.nodes[0] + 1,
                     element.nodes[1] + 1, element.nodes[2] + 1, 0, 1, 1));
  }
  WriteVestraNodes(out, model);
  return out.Close() ? 1 : -1;
}

int WriteVestraSolidMesh(const MeshModel& model, const std::string& path, const std::string& /*title*/) {
  OutputFile out(path);
  if (!out.IsOpen()) return -1;
  out.Write(kVestraBanner);
  out.Write(Format("%d %d %d %d %d %f %f %f %f\n", static_cast<int>(model.elements.size()), 0, 0, 0,
                   static_cast<int>(model.nodes.size()), 1.0, 1.0, 1.0, 1.0));
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const Element& element = model.elements[e];
    if (element.type != kTetrahedron || !ElementNodesValid(model, element)) continue;
    out.Write(Format("%d %d %d %d %d %d %d %d\n", static_cast<int>(e + 1), 5, element.nodes[0] + 1,
                     element.nodes[1] + 1, element.nodes[2] + 1, element.nodes[3] + 1, -1, 0));
  }
  WriteVestraNodes(out, model);
  return out.Close() ? 1 : -1;
}

}  // namespace kv
