// STL files, binary and ASCII, from the face records.
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/text/number_format.h"
#include "mesh/exchange/export_support.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

constexpr size_t kStlHeaderBytes = 80;
constexpr size_t kStlFacetBytes = 50;

struct StlFacet {
  const float* normal;
  int nodes[3];
};

// The facets of the face records in order: one per triangular face, two per
// quadrilateral face (nodes 1 2 3 and 1 3 4).
std::vector<StlFacet> CollectFacets(const MeshModel& model) {
  std::vector<StlFacet> facets;
  facets.reserve(model.faces.size());
  for (const FaceRecord& face : model.faces) {
    if (!FaceNodesValid(model, face)) continue;
    facets.push_back({face.normal, {face.nodes[0], face.nodes[1], face.nodes[2]}});
    if (face.node_count == 4) facets.push_back({face.normal, {face.nodes[0], face.nodes[2], face.nodes[3]}});
  }
  return facets;
}

// Appends `value` as little-endian bytes.
void PutFloat(unsigned char*& p, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  for (int i = 0; i < 4; ++i) *p++ = static_cast<unsigned char>(bits >> (8 * i));
}

}  // namespace

int WriteStlBinaryMesh(const MeshModel& model, const std::string& path, const std::string& title) {
  OutputFile out(path);
  if (!out.IsOpen()) return 0;
  const std::vector<StlFacet> facets = CollectFacets(model);
  // Header: the title, zero bytes up to 80; then the facet count, 32-bit little-endian.
  unsigned char header[kStlHeaderBytes + 4] = {};
  std::memcpy(header, title.data(), std::min(title.size(), kStlHeaderBytes));
  const uint32_t count = static_cast<uint32_t>(facets.size());
  for (int i = 0; i < 4; ++i) header[kStlHeaderBytes + i] = static_cast<unsigned char>(count >> (8 * i));
  out.Write(header, sizeof header);
  // Facets: normal, three vertices, two attribute bytes '0'.
  unsigned char record[kStlFacetBytes];
  for (const StlFacet& facet : facets) {
    unsigned char* p = record;
    for (int i = 0; i < 3; ++i) PutFloat(p, facet.normal[i]);
    for (int node : facet.nodes) {
      PutFloat(p, model.nodes[node].x);
      PutFloat(p, model.nodes[node].y);
      PutFloat(p, model.nodes[node].z);
    }
    *p++ = '0';
    *p++ = '0';
    out.Write(record, sizeof record);
  }
  return out.Close() ? 1 : 0;
}

int WriteStlAsciiMesh(const MeshModel& model, const std::string& path, const std::string& title) {
  OutputFile out(path);
  if (!out.IsOpen()) return 0;
  out.Write("solid " + title + "\n");
  for (const StlFacet& facet : CollectFacets(model)) {
    out.Write("facet normal " + FormatExponent(facet.normal[0], "%.8E") + " " +
              FormatExponent(facet.normal[1], "%.8E") + " " + FormatExponent(facet.normal[2], "%.8E") + "\n");
    out.Write("outer loop\n");
    for (int node : facet.nodes) {
      const Node& p = model.nodes[node];
      out.Write("vertex " + FormatExponent(p.x, "%.8E") + " " + FormatExponent(p.y, "%.8E") + " " +
                FormatExponent(p.z, "%.8E") + "\n");
    }
    out.Write("endloop\n");
    out.Write("endfacet\n");
  }
  out.Write("endsolid " + title + "\n");
  return out.Close() ? 1 : 0;
}

}  // namespace kv
