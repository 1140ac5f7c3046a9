#pragma once
// The two entry points of File > Import Mesh and File > Export Mesh, by the
// filter index of the file dialog, and the filter tables the dialogs show.
// The GUI adds only the dialog, the wait state and the pane messages.

#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// One filter of a file dialog: its 1-based index, its text and its pattern.
struct MeshFileFilter {
  int index;
  const char* text;     // "Gmsh Mesh Files (*.msh)"
  const char* pattern;  // "*.msh"
};

// The fifteen import filters and the eleven export filters, in dialog order.
const std::vector<MeshFileFilter>& ImportMeshFilters();
const std::vector<MeshFileFilter>& ExportMeshFilters();

// Import filter indices.
enum ImportFilter : int {
  kImportM2D = 1, kImportM3D = 2, kImportStl = 3, kImportFem = 4, kImportMoldflow = 5,
  kImportIdeas = 6, kImportPatran = 7, kImportAbaqus = 8, kImportAnsys = 9, kImportLsDyna = 10,
  kImportGid = 11, kImportNetgen = 12, kImportGmsh = 13, kImportVrml = 14, kImportVoxel = 15,
};

// Export filter indices.
enum ExportFilter : int {
  kExportM2D = 1, kExportM3D = 2, kExportFem = 3, kExportVestraPg1 = 4, kExportVestraPg2 = 5,
  kExportVestraPg3 = 6, kExportIdeas = 7, kExportDxf = 8, kExportStlBinary = 9,
  kExportStlAscii = 10, kExportGmsh = 11,
};

// Reads `path` with the reader of import filter `filter_index` (1-based, the
// table above) into `model`, then rebuilds the derived data: element
// centroids, face records, pairing of coincident faces, element sizes and
// (except after a voxel file) the thickness of tetrahedra.
//   returns 1 when read (filter 3, Stereolithography, reads nothing and
//   returns 1 with the model untouched); -1 when the file cannot be opened;
//   0 when the file is damaged or not supported, or the filter index is
//   unknown. On -1 and 0 the model is exactly as before and `error` says why.
int ImportMeshFile(MeshModel& model, const std::string& path, int filter_index, std::string& error);

// Writes the model to `path` with the writer of export filter `filter_index`
// (1-based). `surface_mesh` applies to the Gmsh filter only: the surface
// regions are labelled on a copy of the model, which is then written with
// its boundary faces. The model is never changed.
//   returns the writer's code: 1 written; 0 (or -1 for the VESTRA writers)
//   when the file cannot be created or written, or the filter index is
//   unknown; `error` then says why.
int ExportMeshFile(const MeshModel& model, const std::string& path, int filter_index, bool surface_mesh,
                   std::string& error);

}  // namespace kv
