#pragma once
// The native mesh file: writers of the three variants (".fem", ".m2D", ".m3D"),
// the pre-processor's two readers and the solver's reader.
//
// One grammar serves all variants: keyword records (SUMR, EPRO, NODE and the
// element keywords) in a stream of white-space separated tokens, every other
// token skipped, "ENDF" or the end of the text closing the file. Numbers in the
// files are 1-based; indices in memory are 0-based; -1 means none.
//
// Every reader checks what it reads: a record cut short, a number that is not
// one, a count that the content does not fill, a node, property or paired
// reference outside the file's own records. It then refuses the file with a
// "file:line: " message and leaves the model exactly as it was (the records
// are read into tables of their own and joined to the model only on success).

#include <string>

#include "common/mesh/mesh_model.h"

namespace kv {

// Writes the whole model as a ".fem" file: element numbers are
// index+1, paired numbers 0, property blocks only for the categories that the
// variant names (no Cooling surface, no Mold surface; Part dual surface is
// written as "Part surface").
//   model: the mesh (nodes in metres).
//   path: file to create (replaced when it exists).
//   unused: ignored (callers pass 0).
//   title: text after "TITL "; callers pass "".
//   returns 1, or 0 when the file cannot be created or written.
int WriteMeshFem(const MeshModel& model, const std::string& path, int unused, const std::string& title);

// Writes the model as the solver's ".m2D" file: QUAD elements become two TRI
// lines, HEXA elements six TETRA lines, PYRAMID and PRISM elements are left
// out; element numbers are a running count over the lines written, and SUMR
// counts those lines. Property blocks for all ten categories.
// Same arguments and result as WriteMeshFem.
int WriteMeshM2D(const MeshModel& model, const std::string& path, int unused, const std::string& title);

// Writes the model as a ".m3D" file: every element as it is, element numbers
// index+1; property blocks for Connector, the two solid runners, Part runner,
// Part surface and Part volume only (SUMR still counts every record).
// Same arguments and result as WriteMeshFem.
int WriteMeshM3D(const MeshModel& model, const std::string& path, int unused, const std::string& title);

// Reads a ".m2D" or ".m3D" file and appends its mesh to `model` (the
// pre-processor's import). A number n of the file becomes index n-1 plus the
// count of that kind of record already in the model; property record n of
// the file lands at that place too, and records that the file counts in SUMR
// but gives no block (categories its writer does not name) stay empty
// (category 0, no name, sizes 0). Nodes and elements are stored in file
// order. A property number of -1 means none: the element gets category 0 and
// property index 0 (-1 when the model has no property record at all, so that
// no index points at nothing); a paired number of -1 (or 0) stores -1. Each element takes
// its property's category, and its diameter (1D) or thickness (TRI, QUAD).
// Derived data (centroids, faces, pairing, sizes) is not built here.
//   returns 1 read; -1 the file cannot be opened; 0 damaged input, `error`
//   then holds "file:line: reason". On 0 and -1 `model` is unchanged.
int ReadMeshNative(MeshModel& model, const std::string& path, std::string& error);

// Reads a ".fem" file and appends its mesh to `model`. Property, node and
// element numbers are identifiers (any positive numbers, gaps allowed),
// translated to indices through lookup tables; the paired field is ignored
// (paired -1). A property identifier of -1, or one that the file counts in
// SUMR but defines no block for, gives no property (index -1, category 0).
// Names are classified with the ".fem" table (no Cooling surface, Mold surface
// or Part dual surface).
//   returns 1 read; -1 cannot open; 0 damaged input (`error` says where and
//   why). On 0 and -1 `model` is unchanged.
int ReadMeshFem(MeshModel& model, const std::string& path, std::string& error);

// The solver's reader of the job's ".m2D" file. Replaces `model` with the
// file's mesh: every number is taken as position+1 in file order (the record
// numbers written in the file are not used), PYRAMID and PRISM lines are not
// records and are skipped token by token. A property number of -1 gives
// category 0 and property index 0 (-1 when the file has no property record).
// Prints nothing.
//   returns 1 read; -1 cannot open; 0 damaged input (`error` says where and
//   why). On 0 and -1 `model` is unchanged.
int ReadSolverMesh(MeshModel& model, const std::string& path, std::string& error);

}  // namespace kv
