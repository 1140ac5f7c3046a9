#pragma once
// Export of the result set for ParaView: the mesh with every nodal and
// element entry as VTK XML unstructured grids, one file per time frame, and a
// ".pvd" collection that lists the files with their times.

#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"

namespace kv {

// The time frames of a result set: the distinct times (s) of its entries with
// a time (label kind 1 or 2), ascending; one frame at time 0 when none has.
std::vector<double> ResultFrameTimes(const ResultSet& set);

// The text of the VTK XML unstructured grid of frame time `time`:
//   points: the nodes (Float32 x 3); cells: the elements with known types
//   (beam 3 line, triangle 5, quadrilateral 9, tetrahedron 10, pyramid 14,
//   prism 13, hexahedron 12), elements with a node outside the mesh left out;
//   point data: one Float32 array per series of nodal entries ("NAME [UNIT]", or "NAME" without a unit,
//   entries of label kind 2 named "NAME [UNIT] h=%.4f" by their normalised
//   thickness), cell data: the same for element entries (two-sided entries
//   as two components, element vectors as three). A series takes the values
//   of its latest entry at or before `time` (entries without a time in every
//   frame); undefined items, and series with no entry yet, are NaN.
// Arrays are base64 "binary" arrays with a UInt32 byte-count header.
std::string ResultVtuText(const MeshModel& mesh, const ResultSet& set, double time);

// Writes BASE.pvd and BASE_0000.vtu, BASE_0001.vtu ... (one per frame time),
// each through a scratch file renamed over the target when complete. A
// trailing ".pvd" of `base` is dropped. `written` receives the paths.
// Returns 1, or 0 with `message` naming the file that could not be written.
int ExportResultsVtu(const MeshModel& mesh, const ResultSet& set, const std::string& base,
                     std::vector<std::string>& written, std::string& message);

}  // namespace kv
