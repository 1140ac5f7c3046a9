#pragma once
// kvmesh's mesh-engine options: --fix (the "Fix mesh" sequence) and --stats
// (the verbose mesh statistics). Their rows are in kvmesh_option_table.cpp.

#include <iosfwd>
#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "tools/kvmesh/kvmesh_options.h"

namespace kv {

// --fix DISTANCE ASPECT THICKNESS: three reals (DISTANCE and THICKNESS in
// metres, neither negative). Returns 1, or 0 with `error` naming the bad one.
int StoreFix(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string& error);

// Runs FixMesh with the stored settings and prints its two count lines.
// Returns 1, or 0 with `error` (the mesh is then unchanged).
int RunFix(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error);

// --stats: marks the option.
int StoreStats(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string& error);

// Prints the verbose statistics of the model. Returns 1.
int RunStats(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error);

}  // namespace kv
