// The pre-processor's reader of ".m2D" and ".m3D" files: appends the file's
// mesh to the model, shifting every number of the file by the count of that
// kind of record already in memory.

#include <string>
#include <utility>
#include <vector>

#include "common/mesh/mesh_file_records.h"
#include "common/mesh/native_mesh_file.h"

namespace kv {

int ReadMeshNative(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  MeshFileRecords file;
  if (int loaded = LoadMeshFile(path, false, reader, file, error); loaded != 1) return loaded;

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

  const RecordCounts counts = {file.summary_properties, static_cast<int>(nodes.size()),
                               static_cast<int>(file.elements.size())};
  const RecordCounts bases = {base_property, base_node, base_element};
  std::vector<Element> elements;
  elements.reserve(file.elements.size());
  for (const ElementRecordInFile& r : file.elements) {
    Element e;
    if (!ElementNumbersByPosition(reader, r, counts, bases, e, error)) return 0;
    TakeFromProperty(e, e.property < 0 ? nullptr : &properties[e.property - base_property]);
    // Final pass: no property (-1) becomes property index 0, category 0 --
    // when there is a record 0; a model without property records keeps -1
    // rather than an index that points at nothing.
    if (e.property < 0 && base_property + file.summary_properties > 0) e.property = 0;
    elements.push_back(e);
  }

  // Everything checked: append.
  AppendRead(model, std::move(properties), std::move(nodes), std::move(elements));
  return 1;
}

}  // namespace kv
