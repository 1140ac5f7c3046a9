#pragma once
// Export of one nodal entry of the result set as a nodal-data block (the
// "Result Files (*.dat)" of Save Plot), readable again by the result reader.

#include <string>

#include "common/results/result_set.h"

namespace kv {

// Writes `entry` to the file at `path` (created or replaced):
//   "---- Beginning of nodal data.", the header "NDDT%8d%8d%8d%8d" with
//   0 1 1 and the count of nodes listed, the title line (8 blanks, the name
//   padded to 60 characters, one blank, the unit padded to 20 characters),
//   then "%8d %8f" (1-based node number, value) for every node that has a
//   value. No "ENDF" follows. An entry that is not nodal gives the comment
//   line alone.
// Returns 1, or -1 when the file cannot be created or written (message set).
int ExportNodalEntry(const ResultEntry& entry, const std::string& path, std::string& message);

}  // namespace kv
