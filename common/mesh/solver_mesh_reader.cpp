// The solver's reader of the job's ".m2D" file: every record takes its place
// from its order in the file, and every number in an element line is taken as
// that position plus one.

#include <string>
#include <vector>

#include "common/mesh/mesh_file_records.h"
#include "common/mesh/native_mesh_file.h"

namespace kv {

int ReadSolverMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) {
    error = path + ": cannot open the file";
    return -1;
  }
  MeshFileRecords file;
  if (!ScanMeshFile(reader, true, file, error) || !CheckMeshFileCounts(reader, file, error)) return 0;

  MeshModel read;
  // The property table has the SUMR count; blocks fill it in file order.
  read.properties.resize(file.summary_properties);
  for (size_t i = 0; i < file.properties.size(); ++i)
    read.properties[i] = PropertyFromRecord(file.properties[i], false);
  for (size_t i = 0; i < read.properties.size(); ++i)
    read.properties[i].identifier = static_cast<int>(i) + 1;

  read.nodes.reserve(file.nodes.size());
  for (const NodeRecordInFile& r : file.nodes) read.nodes.push_back({r.x, r.y, r.z});

  const int node_count = static_cast<int>(read.nodes.size());
  const int element_count = static_cast<int>(file.elements.size());
  const int property_count = static_cast<int>(read.properties.size());
  read.elements.reserve(file.elements.size());
  for (const ElementRecordInFile& r : file.elements) {
    Element e;
    e.type = r.type;
    e.node_count = ElementTypeNodeCount(r.type);
    std::string where = WhereRecord(reader, r.line) + ElementTypeKeyword(r.type) + " " +
                        std::to_string(r.number) + ": ";
    for (int i = 0; i < e.node_count; ++i) {
      if (r.nodes[i] < 1 || r.nodes[i] > node_count) {
        error = where + "node number " + std::to_string(r.nodes[i]) + " outside 1.." +
                std::to_string(node_count);
        return 0;
      }
      e.nodes[i] = r.nodes[i] - 1;
    }
    if (r.property == -1) {
      e.property = 0;  // no property: category 0, index 0 after the final pass
      TakeFromProperty(e, nullptr);
    } else if (r.property >= 1 && r.property <= property_count) {
      e.property = r.property - 1;
      TakeFromProperty(e, &read.properties[e.property]);
    } else {
      error = where + "property number " + std::to_string(r.property) + " outside 1.." +
              std::to_string(property_count);
      return 0;
    }
    if (r.paired == -1 || r.paired == 0) {
      e.paired = -1;
    } else if (r.paired >= 1 && r.paired <= element_count) {
      e.paired = r.paired - 1;
    } else {
      error = where + "paired element number " + std::to_string(r.paired) + " outside 1.." +
              std::to_string(element_count);
      return 0;
    }
    read.elements.push_back(e);
  }

  model = std::move(read);
  return 1;
}

}  // namespace kv
