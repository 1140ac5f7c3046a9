// The pre-processor's reader of ".m2D" and ".m3D" files: appends the file's
// mesh to the model, shifting every number of the file by the count of that
// kind of record already in memory.

#include <string>
#include <vector>

#include "common/mesh/mesh_file_records.h"
#include "common/mesh/native_mesh_file.h"

namespace kv {

int ReadMeshNative(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) {
    error = path + ": cannot open the file";
    return -1;
  }
  MeshFileRecords file;
  if (!ScanMeshFile(reader, false, file, error) || !CheckMeshFileCounts(reader, file, error)) return 0;

  const int base_property = static_cast<int>(model.properties.size());
  const int base_node = static_cast<int>(model.nodes.size());
  const int base_element = static_cast<int>(model.elements.size());

  // Property record n of the file is record n-1 of its table; records that
  // the SUMR count holds but no block fills keep category 0 and no name.
  std::vector<ElementProperty> properties(file.summary_properties);
  std::vector<bool> filled(properties.size(), false);
  for (const PropertyRecordInFile& r : file.properties) {
    if (r.number < 1 || r.number > file.summary_properties) {
      error = WhereRecord(reader, r.line) + "EPRO record number " + std::to_string(r.number) +
              " outside 1.." + std::to_string(file.summary_properties);
      return 0;
    }
    if (filled[r.number - 1]) {
      error = WhereRecord(reader, r.line) + "EPRO record number " + std::to_string(r.number) +
              " given twice";
      return 0;
    }
    filled[r.number - 1] = true;
    properties[r.number - 1] = PropertyFromRecord(r, false);
  }
  for (size_t i = 0; i < properties.size(); ++i)
    properties[i].identifier = base_property + static_cast<int>(i) + 1;

  std::vector<Node> nodes;
  nodes.reserve(file.nodes.size());
  for (const NodeRecordInFile& r : file.nodes) nodes.push_back({r.x, r.y, r.z});

  const int node_count = static_cast<int>(nodes.size());
  const int element_count = static_cast<int>(file.elements.size());
  std::vector<Element> elements;
  elements.reserve(file.elements.size());
  for (const ElementRecordInFile& r : file.elements) {
    Element e;
    e.type = r.type;
    e.node_count = ElementTypeNodeCount(r.type);
    for (int i = 0; i < e.node_count; ++i) {
      if (r.nodes[i] < 1 || r.nodes[i] > node_count) {
        error = WhereRecord(reader, r.line) + ElementTypeKeyword(r.type) + " " +
                std::to_string(r.number) + ": node number " + std::to_string(r.nodes[i]) +
                " outside 1.." + std::to_string(node_count);
        return 0;
      }
      e.nodes[i] = r.nodes[i] - 1 + base_node;
    }
    // -1: no property (category 0; the final pass below makes the index 0).
    if (r.property == -1) {
      e.property = -1;
      TakeFromProperty(e, nullptr);
    } else if (r.property >= 1 && r.property <= file.summary_properties) {
      e.property = r.property - 1 + base_property;
      TakeFromProperty(e, &properties[r.property - 1]);
    } else {
      error = WhereRecord(reader, r.line) + ElementTypeKeyword(r.type) + " " +
              std::to_string(r.number) + ": property number " + std::to_string(r.property) +
              " outside 1.." + std::to_string(file.summary_properties);
      return 0;
    }
    // -1 (and 0, as the ".fem" variant writes it): not paired.
    if (r.paired == -1 || r.paired == 0) {
      e.paired = -1;
    } else if (r.paired >= 1 && r.paired <= element_count) {
      e.paired = r.paired - 1 + base_element;
    } else {
      error = WhereRecord(reader, r.line) + ElementTypeKeyword(r.type) + " " +
              std::to_string(r.number) + ": paired element number " + std::to_string(r.paired) +
              " outside 1.." + std::to_string(element_count);
      return 0;
    }
    // Final pass: a negative property index becomes 0.
    if (e.property < 0) e.property = 0;
    elements.push_back(e);
  }

  // Everything checked: append.
  model.properties.insert(model.properties.end(), properties.begin(), properties.end());
  model.nodes.insert(model.nodes.end(), nodes.begin(), nodes.end());
  model.elements.insert(model.elements.end(), elements.begin(), elements.end());
  return 1;
}

}  // namespace kv
