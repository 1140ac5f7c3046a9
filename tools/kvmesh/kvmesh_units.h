#pragma once
// kvmesh --units: the length unit of the input file.

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/kvmesh/kvmesh_options.h"

namespace kv {

// --units m|mm|cm|in: stores the metres per unit; any other name is refused.
int StoreUnits(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string& error);

// Scales coordinates, thicknesses and diameters to metres and rebuilds the
// derived data; for metres, prints the millimetre hint when the model is
// larger than 10 m. Runs before every other option.
int RunUnits(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error);

}  // namespace kv
