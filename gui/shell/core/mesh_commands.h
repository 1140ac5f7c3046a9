#pragma once
// The display-free part of File > Import Mesh and File > Export Mesh: the
// command frame around the exchange module's readers and writers (progress
// lines, timing, flags, quiet statistics). The frame adds the dialogs, the
// wait cursor and the redraw.

#include <string>

#include "common/mesh/mesh_model.h"
#include "gui/shell/core/shell_state.h"

namespace kv {

// The import filter (1..15) whose pattern the path's extension matches,
// compared without regard to case; ".msh" is taken as Gmsh (13).
// 0 when none matches.
int ImportFilterForPath(const std::string& path);

// The export filter (1..11) for a path: ".stl" is the binary writer (9),
// ".msh" Gmsh (11). 0 when none matches.
int ExportFilterForPath(const std::string& path);

// Imports `path` with import filter `filter_index` into `model`:
// "Reading file: %s", the reader, the reader's error (if any), "Elapsed time:
// %.2f seconds.". On success the model path and job title are set, the data-
// modified flag is set, filter 1 sets the analysis dimension 2 and filter 2
// sets 3, and the statistics are computed quietly. On failure the model is as
// it was. Returns the reader's code (1 success, 0 or -1 failure).
//   length_unit: metres per length unit of the file (LengthUnitFactor);
//   coordinates, thicknesses and diameters are scaled to metres and the
//   derived data rebuilt. A model read in metres (1) that is larger than
//   10 m gets the Output line suggesting millimetres.
int ImportMeshCommand(MeshModel& model, ShellState& state, const std::string& path, int filter_index,
                      double length_unit = 1.0);

// Exports `model` to `path` with export filter `filter_index`: "Writing file:
// %s", the writer, its error, the elapsed time. Filters 1 and 2 set the
// analysis dimension. Returns 1 when written.
int ExportMeshCommand(const MeshModel& model, ShellState& state, const std::string& path, int filter_index,
                      bool surface_mesh);

}  // namespace kv
