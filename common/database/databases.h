#pragma once
// The material database "materials.mdb" and the machine database "screws.mdb",
// read from the program's own directory each time a pick dialog opens.
//
// Both files are sequences of tcode blocks ("MTRL" or "SCRW" with two
// integers); a block whose first integer is 1 starts a new entry, any other
// value adds its records to the entry started last. Records of codes a
// database does not define are passed over with their value lines.
//
// See also: analysis_settings.h (MaterialRecord, ScrewRecord),
// material_values.h (the codes).

#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"

namespace kv {

// Reads `path` into `materials` (emptied first).
// Returns 1 when the file was read, -1 when it cannot be opened (the list
// stays empty), 0 when it is damaged: `error` names file, line and fault, and
// the list holds the entries completed before the damaged block.
int LoadMaterials(std::vector<MaterialRecord>& materials, const std::string& path,
                  std::string& error);

// The same for screws.
int LoadScrews(std::vector<ScrewRecord>& screws, const std::string& path, std::string& error);

// The index of the first material whose trade name equals `name` exactly
// (case matters), or -1 when none does. The Material database dialog's OK.
int FindMaterial(const std::vector<MaterialRecord>& materials, const std::string& name);

// Shot capacity of a screw in m^3: pi D^2 / 4 times the maximum stroke.
double ScrewCapacity(const ScrewRecord& screw);

// The Screw database dialog's preselection: the index of the first screw
// whose capacity strictly exceeds `shot_volume` (m^3), or `previous` when
// none does.
int PreselectScrew(const std::vector<ScrewRecord>& screws, double shot_volume, int previous);

// The path of a database next to the program: `program_dir` joined with
// `file_name` ("materials.mdb", "screws.mdb").
std::string DatabasePath(const std::string& program_dir, const char* file_name);

}  // namespace kv
