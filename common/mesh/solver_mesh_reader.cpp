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
  MeshFileRecords file;
  if (int loaded = LoadMeshFile(path, true, reader, file, error); loaded != 1) return loaded;

  MeshModel read;
  // The property table has the SUMR count; blocks fill it in file order.
  read.properties.resize(file.summary_properties);
  for (size_t i = 0; i < file.properties.size(); ++i)
    read.properties[i] = PropertyFromRecord(file.properties[i], false);
  for (size_t i = 0; i < read.properties.size(); ++i)
    read.properties[i].identifier = static_cast<int>(i) + 1;

  read.nodes.reserve(file.nodes.size());
  for (const NodeRecordInFile& r : file.nodes) read.nodes.push_back({r.x, r.y, r.z});

  const RecordCounts counts = {static_cast<int>(read.properties.size()), static_cast<int>(read.nodes.size()),
                               static_cast<int>(file.elements.size())};
  read.elements.reserve(file.elements.size());
  for (const ElementRecordInFile& r : file.elements) {
    Element e;
    if (!ElementNumbersByPosition(reader, r, counts, RecordCounts{}, e, error)) return 0;
    TakeFromProperty(e, e.property < 0 ? nullptr : &read.properties[e.property]);
    // Final pass: no property (-1) becomes property index 0, category 0 --
    // when there is a record 0; without property records it stays -1.
    if (e.property < 0 && !read.properties.empty()) e.property = 0;
    read.elements.push_back(e);
  }

  model = std::move(read);
  return 1;
}

}  // namespace kv
