#pragma once
// The project file (".sim"): the whole working state of the pre-processor in
// one little-endian binary file: header, property table, nodes, face records,
// elements, solver parameters, the project's material record, process
// conditions, node and face boundary lists, injection units, the current
// result index and the result set with every entry. Integers are signed
// 32-bit, reals 32-bit IEEE floats, texts fixed-width zero-terminated fields.

#include <cstdint>
#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"

namespace kv {

// The tables a project carries. The material database, the machine table and
// the current material selection are not part of it (Open keeps them).
struct ProjectTables {
  MeshModel* mesh = nullptr;
  AnalysisSettings* analysis = nullptr;
  ResultSet* results = nullptr;
};

// The project file's bytes for `tables` (every count taken from the tables).
// Texts longer than their field are cut so that a terminating zero fits.
std::vector<uint8_t> EncodeProject(const ProjectTables& tables);

// Decodes project bytes into fresh tables and, only when the whole file is
// sound, swaps them into `tables` (the analysis settings' current material
// index is kept). Refused, with `tables` untouched and `message` saying
// where: a header that does not begin with "KAVITRON", any count that is
// negative or larger than the bytes that remain can hold, a file that ends
// early or carries bytes after the result set, a real that is not finite, an
// index outside its table (element nodes, facets and property; face nodes,
// owner and partner; the current result entry), node or facet counts beyond
// the record's eight slots. Returns 1 on success, 0 when refused.
int DecodeProject(const ProjectTables& tables, const std::vector<uint8_t>& bytes, std::string& message);

// Reads the project file at `path` into `tables`. Returns 1 on success, 0
// when the file cannot be opened or is refused (tables untouched; `message`
// says why).
int ReadProject(const ProjectTables& tables, const std::string& path, std::string& message);

// Writes the project file at `path`: to a scratch file beside it, renamed
// over `path` only when complete, so that a failed save leaves the earlier
// file as it was. Returns 1 on success, 0 when the file cannot be written.
int WriteProject(const ProjectTables& tables, const std::string& path);

}  // namespace kv
