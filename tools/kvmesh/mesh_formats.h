#pragma once
// The formats kvmesh reads and writes: one table row per format, naming its
// extensions and its reader and writer. Rows live in mesh_format_table.cpp;
// adding a format is adding a row there, nothing else changes.

#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// Reads `path` into `model` (appending, as the pre-processor's import does).
// Returns 1 read; -1 cannot open; 0 damaged input, with `error` saying where
// and why. On 0 and -1 the model is unchanged.
using MeshReadFunction = int (*)(MeshModel& model, const std::string& path, std::string& error);

// Writes `model` to `path`. Returns 1, or 0 with `error` saying why.
using MeshWriteFunction = int (*)(const MeshModel& model, const std::string& path, std::string& error);

struct MeshFormat {
  const char* name;          // name for --format, e.g. "m2D"
  const char* extensions;    // blank-separated, with the dot, matched without case: ".m2D"
  const char* description;   // for the usage text, e.g. "Model 2D Files"
  MeshReadFunction read;     // null: the format is written only
  MeshWriteFunction write;   // null: the format is read only
};

// All rows, in the order of the usage text.
const std::vector<MeshFormat>& MeshFormats();

// The row named `name` (matched without case) in `formats`, or null.
const MeshFormat* FindMeshFormat(const std::vector<MeshFormat>& formats, const std::string& name);

// Chooses the format of `path`: the row named `forced` when that is not
// empty, otherwise the one row whose extensions hold the path's extension and
// that can do the job (`reading`: has a reader; otherwise has a writer).
//   returns the row, or null with `error` saying why (unknown name, no
//   reader/writer for it, unknown extension, or an extension that several
//   formats share, naming them so that the user can pick one with --format).
const MeshFormat* ChooseMeshFormat(const std::string& path, const std::string& forced, bool reading,
                                   std::string& error);

// The same choice among the rows of `formats`.
const MeshFormat* ChooseMeshFormat(const std::vector<MeshFormat>& formats, const std::string& path,
                                   const std::string& forced, bool reading, std::string& error);

}  // namespace kv
