// I-deas universal files: header, units, nodes and elements.
#include "common/text/number_format.h"
#include "mesh/exchange/export_support.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

struct IdeasKind {
  int type;
  int descriptor;   // FE descriptor
  int table;        // physical property table
};

constexpr IdeasKind kIdeasKinds[] = {
    {kBeam, 21, 1},
    {kTriangle, 91, 2},
    {kTetrahedron, 111, 3},
    {kHexahedron, 115, 4},
};

const IdeasKind* KindOf(int type) {
  for (const IdeasKind& kind : kIdeasKinds)
    if (kind.type == type) return &kind;
  return nullptr;
}

std::string Delimiter() { return Format("%6i\n", -1); }

}  // namespace

int WriteIdeasMesh(const MeshModel& model, const std::string& path, const std::string& title) {
  OutputFile out(path);
  if (!out.IsOpen()) return 0;

  // Header dataset.
  out.Write(Delimiter());
  out.Write(Format("%6i\n", 151));
  out.Write(title + "\n");
  out.Write("\n");
  out.Write("======================================== \n");
  out.Write("======================================== \n");
  out.Write(Delimiter());

  // Units: metres, newtons, temperature offset 273.15.
  out.Write(Delimiter());
  out.Write(Format("%6i\n", 164));
  out.Write(Format("%10i%20s%10i\n", 1, "Meter (newton)", 2));
  out.Write(FormatExponent(1.0, "%25.17le") + FormatExponent(1.0, "%25.17le") +
            FormatExponent(1.0, "%25.17le") + "\n");
  out.Write(FormatExponent(273.15, "%25.17le") + "\n");
  out.Write(Delimiter());

  // Nodes: number, coordinate systems 1 1, colour 11; then x, y, z.
  out.Write(Delimiter());
  out.Write(Format("%6i\n", 2411));
  for (size_t n = 0; n < model.nodes.size(); ++n) {
    const Node& node = model.nodes[n];
    out.Write(Format("%10i%10i%10i%10i\n", static_cast<int>(n + 1), 1, 1, 11));
    out.Write(FormatExponent(node.x, "%25.16le") + FormatExponent(node.y, "%25.16le") +
              FormatExponent(node.z, "%25.16le") + "\n");
  }
  out.Write(Delimiter());

  // Elements: label index + 1, descriptor, property table, material 1,
  // colour 7, node count; beams carry an orientation record; then the nodes.
  out.Write(Delimiter());
  out.Write(Format("%6i\n", 2412));
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const Element& element = model.elements[e];
    const IdeasKind* kind = KindOf(element.type);
    if (element.category == kConnector || !kind || !ElementNodesValid(model, element)) continue;
    out.Write(Format("%10i%10i%10i%10i%10i%10i\n", static_cast<int>(e + 1), kind->descriptor, kind->table,
                     1, 7, element.node_count));
    if (element.type == kBeam) out.Write(Format("%10i%10i%10i\n", 0, 1, 1));
    std::string nodes;
    for (int i = 0; i < element.node_count; ++i) nodes += Format("%10i", element.nodes[i] + 1);
    out.Write(nodes + "\n");
  }
  out.Write(Delimiter());
  return out.Close() ? 1 : 0;
}

}  // namespace kv
