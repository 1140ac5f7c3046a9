#pragma once
// Reader of result files (".f2D", and the sibling ".a2D" and ".f3D" that share
// the grammar) into the result set: every quantity of every block becomes one
// entry, appended behind the entries already present.
//
// The reader scans white-space separated tokens for the block keywords SCDT,
// NDDT, DPDT, ELDT, VCDT and HLDT; everything else (comments, "ENDF") is
// passed over. Per block: the header integers I Q C E, the I + Q title lines,
// the I values of the independent variables (time, normalized thickness) and
// the E entries. NDDT and ELDT keep the first component of each quantity;
// DPDT keeps the length of the node's vector; VCDT keeps x, y, z and the
// length (component count C + 1); HLDT keeps two points per item, read from
// 12-character fields; SCDT keeps one scalar.
//
// Results are read against the mesh in memory: node and element numbers must
// lie within its tables. The reader checks everything before it appends: a
// damaged file (an entity outside the mesh, a truncated block, counts beyond
// the content, a token that is not a number where one is due) leaves the
// result set exactly as it was.

#include <string>

#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"
#include "common/text/token_reader.h"

namespace kv {

// Reads the result file at `path` and appends its entries to `set`.
//   mesh: the mesh of the run; its node and element counts bound the entity
//         numbers and size the items of nodal and element entries.
//   message: on failure, what went wrong ("file:line: ..." for damaged files).
// Returns 1; -1 when the file cannot be opened; 0 when the file is damaged.
// On any failure `set` is unchanged.
int ReadResults(ResultSet& set, const MeshModel& mesh, const std::string& path, std::string& message);

// The same on text already loaded into `reader` (tests, in-memory data).
int ReadResultsText(ResultSet& set, const MeshModel& mesh, TokenReader& reader, std::string& message);

}  // namespace kv
