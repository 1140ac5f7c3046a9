#include "mesh/exchange/mesh_exchange.h"

#include <utility>

#include "common/mesh/native_mesh_file.h"
#include "mesh/engine/rebuild.h"
#include "mesh/exchange/mesh_readers.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

using Reader = int (*)(MeshModel&, const std::string&, std::string&);

// The reader of an import filter other than the native ones and STL.
Reader OutsideReader(int filter_index) {
  switch (filter_index) {
    case kImportMoldflow: return ReadMoldflowMesh;
    case kImportIdeas: return ReadIdeasMesh;
    case kImportPatran: return ReadPatranMesh;
    case kImportAbaqus: return ReadAbaqusMesh;
    case kImportAnsys: return ReadAnsysMesh;
    case kImportLsDyna: return ReadLsDynaMesh;
    case kImportGid: return ReadGidMesh;
    case kImportNetgen: return ReadNetgenMesh;
    case kImportGmsh: return ReadGmshMesh;
    case kImportVrml: return ReadVrmlMesh;
    case kImportVoxel: return ReadVoxelMesh;
    default: return nullptr;
  }
}

// The derived data every import rebuilds; a voxel file skips the
// tetrahedron thickness (the steps after a node merge are exactly those).
void RebuildImportedMesh(MeshModel& model, bool tetra_thickness) {
  if (tetra_thickness) {
    RebuildAfterRead(model);
  } else {
    RebuildAfterMerge(model);
  }
}

}  // namespace

const std::vector<MeshFileFilter>& ImportMeshFilters() {
  static const std::vector<MeshFileFilter> filters = {
      {1, "Model 2D Files (*.m2D)", "*.m2D"},
      {2, "Model 3D Files (*.m3D)", "*.m3D"},
      {3, "Stereolithography Files (*.stl)", "*.stl"},
      {4, "C-Mold Mesh Files (*.fem)", "*.fem"},
      {5, "MoldFlow Mesh Files (*.mfl)", "*.mfl"},
      {6, "I-deas Simulation Files (*.unv)", "*.unv"},
      {7, "Patran Files (*.pat)", "*.pat"},
      {8, "Abaqus Files (*.inp)", "*.inp"},
      {9, "Ansys Files (*.ans)", "*.ans"},
      {10, "LS-Dyna Files (*.dyn)", "*.dyn"},
      {11, "GiD Mesh Files (*.msh)", "*.msh"},
      {12, "Netgen Neutral Files (*.ngn)", "*.ngn"},
      {13, "Gmsh Mesh Files (*.msh)", "*.msh"},
      {14, "VRML Files (*.wrl)", "*.wrl"},
      {15, "Voxel Files (*.vox)", "*.vox"},
  };
  return filters;
}

const std::vector<MeshFileFilter>& ExportMeshFilters() {
  static const std::vector<MeshFileFilter> filters = {
      {1, "Model 2D Files (*.m2D)", "*.m2D"},
      {2, "Model 3D Files (*.m3D)", "*.m3D"},
      {3, "C-Mold Mesh Files (*.fem)", "*.fem"},
      {4, "VESTRA Mesh Files (*.pg1)", "*.pg1"},
      {5, "VESTRA Mesh Files (*.pg2)", "*.pg2"},
      {6, "VESTRA Mesh Files (*.pg3)", "*.pg3"},
      {7, "I-deas Simulation Files (*.unv)", "*.unv"},
      {8, "AutoCAD Drawing Exchange Files (*.dxf)", "*.dxf"},
      {9, "Stereolithography Binary Files (*.stl)", "*.stl"},
      {10, "Stereolithography ASCII Files (*.stl)", "*.stl"},
      {11, "Gmsh Mesh Files (*.msh)", "*.msh"},
  };
  return filters;
}

int ImportMeshFile(MeshModel& model, const std::string& path, int filter_index, std::string& error) {
  error.clear();
  int result = 0;
  if (filter_index == kImportStl) return 1;  // no reader: nothing is read
  if (filter_index == kImportM2D || filter_index == kImportM3D || filter_index == kImportFem) {
    result = filter_index == kImportFem ? ReadMeshFem(model, path, error) : ReadMeshNative(model, path, error);
  } else if (Reader reader = OutsideReader(filter_index)) {
    result = reader(model, path, error);
  } else {
    error = "unknown import filter " + std::to_string(filter_index);
    return 0;
  }
  if (result == -1 && error.empty()) error = path + ": cannot open the file";
  if (result != 1) return result;
  RebuildImportedMesh(model, filter_index != kImportVoxel);
  return 1;
}

int ExportMeshFile(const MeshModel& model, const std::string& path, int filter_index, bool surface_mesh,
                   std::string& error) {
  error.clear();
  int result = 0;
  const std::string title;  // the command always passes an empty title
  switch (filter_index) {
    case kExportM2D: result = WriteMeshM2D(model, path, 0, title); break;
    case kExportM3D: result = WriteMeshM3D(model, path, 0, title); break;
    case kExportFem: result = WriteMeshFem(model, path, 0, title); break;
    case kExportVestraPg1:
    case kExportVestraPg2: result = WriteVestraShellMesh(model, path, title); break;
    case kExportVestraPg3: result = WriteVestraSolidMesh(model, path, title); break;
    case kExportIdeas: result = WriteIdeasMesh(model, path, title); break;
    case kExportDxf: result = WriteDxfMesh(model, path, title); break;
    case kExportStlBinary: result = WriteStlBinaryMesh(model, path, title); break;
    case kExportStlAscii: result = WriteStlAsciiMesh(model, path, title); break;
    case kExportGmsh:
      if (surface_mesh) {
        // The surface regions are labelled on a copy: the model stays as it is.
        MeshModel labelled = model;
        LabelSurfaceRegions(labelled);
        result = WriteGmshMesh(labelled, path, true, title);
      } else {
        result = WriteGmshMesh(model, path, false, title);
      }
      break;
    default:
      error = "unknown export filter " + std::to_string(filter_index);
      return 0;
  }
  if (result != 1) error = path + ": cannot create or write the file";
  return result;
}

}  // namespace kv
