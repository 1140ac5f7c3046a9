// The rows of kvmesh's format table. Add a format by adding a row (and, when
// its reader or writer has another signature, a small adapter above it).

#include "common/mesh/native_mesh_file.h"
#include "tools/kvmesh/mesh_formats.h"

namespace kv {
namespace {

// The native writers take an ignored integer and a title and report only
// success; kvmesh writes without title.
template <int (*Write)(const MeshModel&, const std::string&, int, const std::string&)>
int WriteNative(const MeshModel& model, const std::string& path, std::string& error) {
  if (Write(model, path, 0, "") == 1) return 1;
  error = path + ": cannot create or write the file";
  return 0;
}

}  // namespace

const std::vector<MeshFormat>& MeshFormats() {
  static const std::vector<MeshFormat> formats = {
      {"m2D", ".m2D", "Model 2D Files (midplane; QUAD and HEXA split, PYRAMID and PRISM left out)",
       ReadMeshNative, WriteNative<WriteMeshM2D>},
      {"m3D", ".m3D", "Model 3D Files", ReadMeshNative, WriteNative<WriteMeshM3D>},
      {"fem", ".fem", "C-Mold Mesh Files", ReadMeshFem, WriteNative<WriteMeshFem>},
  };
  return formats;
}

}  // namespace kv
