#pragma once
// kvmesh --results FILE: reads a result file against the mesh just read and
// lists the entries of the result set, so that results can be looked at
// without the pre-processor's window.

#include <iosfwd>
#include <string>

#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"

namespace kv {

// One report line of an entry (without line end):
//   "LONG LABEL | LOCATION" and, for entries with items,
//   " | N defined" and, when N > 0, " | min %.6E | max %.6E" over the defined
//   items (element vectors by their length), exponents of three digits.
std::string ResultEntryLine(const ResultEntry& entry);

// Resets a result set to the built-in "Thickness" and "Diameter" entries of
// `model`, as the pre-processor does after reading a mesh, reads the result
// file at `path` into it and prints "Reading file: PATH", "Result entries: N"
// and one line per entry on `out`.
// Returns 1, or 0 with `error` set when the file cannot be opened or is
// damaged (nothing is listed then).
int ReportResults(const MeshModel& model, const std::string& path, std::ostream& out, std::string& error);

// Reads the result file at `path` as ReportResults does and writes the mesh
// with every nodal and element entry as VTK XML unstructured grids, one per
// time frame, and their ".pvd" collection (result_vtu.h) at `base`; prints
// "Writing file: PATH" per file on `out`. Returns 1, or 0 with `error` set.
int ExportResultsForParaView(const MeshModel& model, const std::string& path, const std::string& base,
                             std::ostream& out, std::string& error);

}  // namespace kv
