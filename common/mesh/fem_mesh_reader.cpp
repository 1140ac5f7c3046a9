// The pre-processor's reader of ".fem" files: property and node numbers are
// identifiers (any positive numbers, gaps allowed), translated to indices
// through lookup tables. Hash maps keep the tables small whatever the
// identifiers are.

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/mesh/mesh_file_records.h"
#include "common/mesh/native_mesh_file.h"

namespace kv {

int ReadMeshFem(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  MeshFileRecords file;
  if (int loaded = LoadMeshFile(path, false, reader, file, error); loaded != 1) return loaded;

  const int base_property = static_cast<int>(model.properties.size());
  const int base_node = static_cast<int>(model.nodes.size());

  // Property identifiers -> indices; records are stored in file order.
  std::unordered_map<int, int> property_index;
  std::vector<ElementProperty> properties;
  properties.reserve(file.properties.size());
  for (const PropertyRecordInFile& r : file.properties) {
    if (r.number < 1) {
      error = WhereRecord(reader, r.line) + "EPRO identifier " + std::to_string(r.number) +
              " is not a positive number";
      return 0;
    }
    int index = base_property + static_cast<int>(properties.size());
    if (!property_index.emplace(r.number, index).second) {
      error = WhereRecord(reader, r.line) + "EPRO identifier " + std::to_string(r.number) +
              " given twice";
      return 0;
    }
    ElementProperty p = PropertyFromRecord(r, true);
    p.identifier = index + 1;
    properties.push_back(p);
  }

  // Node identifiers -> indices; nodes are stored in file order.
  std::unordered_map<int, int> node_index;
  node_index.reserve(file.nodes.size());
  std::vector<Node> nodes;
  nodes.reserve(file.nodes.size());
  for (const NodeRecordInFile& r : file.nodes) {
    if (r.number < 1) {
      error = WhereRecord(reader, r.line) + "NODE identifier " + std::to_string(r.number) +
              " is not a positive number";
      return 0;
    }
    if (!node_index.emplace(r.number, base_node + static_cast<int>(nodes.size())).second) {
      error = WhereRecord(reader, r.line) + "NODE identifier " + std::to_string(r.number) +
              " given twice";
      return 0;
    }
    nodes.push_back({r.x, r.y, r.z});
  }

  std::vector<Element> elements;
  elements.reserve(file.elements.size());
  for (const ElementRecordInFile& r : file.elements) {
    Element e;
    e.type = r.type;
    e.node_count = ElementTypeNodeCount(r.type);
    std::string where = WhereRecord(reader, r.line) + ElementTypeKeyword(r.type) + " " +
                        std::to_string(r.number) + ": ";
    for (int i = 0; i < e.node_count; ++i) {
      auto found = node_index.find(r.nodes[i]);
      if (found == node_index.end()) {
        error = where + "node identifier " + std::to_string(r.nodes[i]) + " is not defined";
        return 0;
      }
      e.nodes[i] = found->second;
    }
    // A defined identifier names its record; -1, or a record that SUMR
    // counts but the file gives no block (its writer leaves out categories
    // that this variant cannot name), means no property.
    auto found = property_index.find(r.property);
    if (found != property_index.end()) {
      e.property = found->second;
      TakeFromProperty(e, &properties[found->second - base_property]);
    } else if (r.property == -1 || (r.property >= 1 && r.property <= file.summary_properties)) {
      e.property = -1;
      TakeFromProperty(e, nullptr);
    } else {
      error = where + "property identifier " + std::to_string(r.property) + " is not defined";
      return 0;
    }
    e.paired = -1;  // the paired field of ".fem" carries nothing
    elements.push_back(e);
  }

  AppendRead(model, std::move(properties), std::move(nodes), std::move(elements));
  return 1;
}

}  // namespace kv
