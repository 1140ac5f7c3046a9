// The rows of kvmesh's format table. Add a format by adding a row (and, when
// its reader or writer has another signature, a small adapter above it).

#include "common/mesh/native_mesh_file.h"
#include "mesh/exchange/mesh_exchange.h"
#include "mesh/exchange/mesh_readers.h"
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

// The outside formats are written through the export entry point of the
// pre-processor, by its filter index (the Gmsh surface mesh labels its
// regions on a copy of the model there).
template <int Filter, bool SurfaceMesh = false>
int WriteExport(const MeshModel& model, const std::string& path, std::string& error) {
  return ExportMeshFile(model, path, Filter, SurfaceMesh, error) == 1 ? 1 : 0;
}

}  // namespace

const std::vector<MeshFormat>& MeshFormats() {
  static const std::vector<MeshFormat> formats = {
      {"m2D", ".m2D", "Model 2D Files (midplane; QUAD and HEXA split, PYRAMID and PRISM left out)",
       ReadMeshNative, WriteNative<WriteMeshM2D>},
      {"m3D", ".m3D", "Model 3D Files", ReadMeshNative, WriteNative<WriteMeshM3D>},
      {"fem", ".fem", "C-Mold Mesh Files", ReadMeshFem, WriteNative<WriteMeshFem>},
      {"mfl", ".mfl", "MoldFlow Mesh Files (header; nodes in .nda, elements in .ela)", ReadMoldflowMesh,
       nullptr},
      {"unv", ".unv", "I-deas Simulation Files", ReadIdeasMesh, WriteExport<kExportIdeas>},
      {"pat", ".pat", "Patran Files", ReadPatranMesh, nullptr},
      {"inp", ".inp", "Abaqus Files", ReadAbaqusMesh, nullptr},
      {"ans", ".ans", "Ansys Files", ReadAnsysMesh, nullptr},
      {"dyn", ".dyn", "LS-Dyna Files", ReadLsDynaMesh, nullptr},
      {"gid", ".msh", "GiD Mesh Files", ReadGidMesh, nullptr},
      {"ngn", ".ngn", "Netgen Neutral Files", ReadNetgenMesh, nullptr},
      {"gmsh", ".msh", "Gmsh Mesh Files (version 2 ASCII)", ReadGmshMesh, WriteExport<kExportGmsh>},
      {"gmshsurf", ".msh", "Gmsh Mesh Files with the surface mesh", nullptr,
       WriteExport<kExportGmsh, true>},
      {"wrl", ".wrl", "VRML Files", ReadVrmlMesh, nullptr},
      {"vox", ".vox", "Voxel Files", ReadVoxelMesh, nullptr},
      {"pg1", ".pg1 .pg2", "VESTRA Mesh Files, shell", nullptr, WriteExport<kExportVestraPg1>},
      {"pg3", ".pg3", "VESTRA Mesh Files, solid", nullptr, WriteExport<kExportVestraPg3>},
      {"dxf", ".dxf", "AutoCAD Drawing Exchange Files", nullptr, WriteExport<kExportDxf>},
      {"stl", ".stl", "Stereolithography Binary Files", nullptr, WriteExport<kExportStlBinary>},
      {"stlascii", ".stl", "Stereolithography ASCII Files", nullptr,
       WriteExport<kExportStlAscii>},
  };
  return formats;
}

}  // namespace kv
