#pragma once
// What every import reader shares: the fresh tables a file is read into, the
// way they are joined to the model on success, the node id map, and the
// character-level scanning that a few formats need besides tokens.
//
// Readers never touch the model while they read. They fill an ImportedMesh
// with absolute indices (an appending reader numbers its nodes after the
// model's), validate it, and only then CommitImportedMesh joins it to the
// model; on any failure the model stays exactly as it was.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "common/text/token_reader.h"

namespace kv {

// How a format's mesh meets the mesh in memory.
enum class ImportStart {
  kReplace,    // nodes, faces, elements and properties are replaced
  kAppend,     // nodes, elements and properties are added after the existing ones
  kSetCounts,  // nodes and elements are replaced, the property table is kept
};

struct ImportedMesh {
  ImportStart start = ImportStart::kReplace;
  std::vector<Node> nodes;                 // the file's nodes (only the new ones when appending)
  std::vector<Element> elements;           // node and property indices absolute in the joined model
  std::vector<ElementProperty> properties; // replace: the new table; append: records to add
  std::vector<int> element_lines;          // 1-based source line of each element, for messages
};

// A new element record of `type` with its node count set; every other field
// as a new record has it (property -1: none).
Element NewElement(int type);

// Adds `element`, read at 1-based line `line` of the file.
void AddElement(ImportedMesh& mesh, int line, const Element& element);

// Checks that every element names nodes inside the joined node table
// (base_nodes existing nodes plus the file's). Returns 1, or 0 with
// "file:line: ..." in `error` for the first element that does not.
int CheckElementNodes(const ImportedMesh& mesh, const std::string& path, size_t base_nodes,
                      std::string& error);

// The end of every reader: checks the element nodes (as CheckElementNodes,
// with the model's node count as base when appending), refuses a file in
// which no node and no element were found, and joins the mesh to the model.
// Returns 1, or 0 with `error` set and the model unchanged.
int FinishImport(MeshModel& model, ImportedMesh&& mesh, const std::string& path, std::string& error);

// Joins a read mesh to the model by its start rule and clears the face
// records (they are rebuilt from the elements afterwards). Never fails.
void CommitImportedMesh(MeshModel& model, ImportedMesh&& mesh);

// Map from a file's node numbers (any non-negative identifiers) to node
// indices. Dense while the identifiers stay near the node count, a hash map
// beyond, so an absurd identifier never sizes a table to gigabytes.
class NodeIdMap {
 public:
  // `expected` is the number of nodes the file announces (0 when unknown).
  explicit NodeIdMap(size_t expected = 0);
  // Maps `id` to `index`; a repeated id is mapped to its latest node.
  // False for a negative id.
  bool Insert(int64_t id, int index);
  // The index mapped to `id`, or -1.
  int Find(int64_t id) const;

 private:
  size_t dense_limit_;
  std::vector<int> dense_;
  std::unordered_map<int64_t, int> sparse_;
};

// ---- Character-level scanning, as a C scanf of the old formats would do it.
// Each one skips leading white space (counting lines) and then reads the
// longest prefix of that kind; the rest of the token stays for the next read.

// A decimal real ("%f"): sign, digits, point, exponent. False (nothing
// consumed but the white space) when no number starts here, or it is not finite.
// On success LastToken(reader) is the text read.
bool ScanReal(TokenReader& reader, double& value);
// A decimal integer ("%d"), in range of int.
bool ScanInt(TokenReader& reader, int& value);
// The character `c`, after optional white space.
bool ScanChar(TokenReader& reader, char c);

// Splits a line at blanks, commas, tabs and carriage returns (empty fields dropped).
std::vector<std::string_view> SplitFields(std::string_view line);

// x, y, z from fields[first], fields[first+1], fields[first+2]; false when
// a field is missing or not a real that a float holds. On failure `why`
// receives ": " and what is wrong with the first refused field ("" when a
// field is missing), for the end of the reader's message.
bool ParseNodeFields(const std::vector<std::string_view>& fields, size_t first, Node& node,
                     std::string& why);

// A node number of a format that numbers nodes by position from 1, as the
// 0-based index number - 1. False (and `why` as above) when the token is not
// an integer or not in 1 .. INT_MAX, so no arithmetic on it can overflow.
bool ParseNodePosition(std::string_view token, int& index, std::string& why);

// The element's node_count node numbers from fields[first] on, each through
// ParseNodePosition; false (and `why` as above) when a field is missing or
// refused.
bool ParsePositionalNodes(const std::vector<std::string_view>& fields, size_t first, Element& element,
                          std::string& why);

// The next token through ParseNodePosition, with `why` as above.
bool ReadNodePosition(TokenReader& reader, int& index, std::string& why);

// After a Read* call of the token reader failed: ": " and what is wrong with
// the token it refused, or "" when the text had ended.
std::string RefusedToken(const TokenReader& reader);

// Checks that x, y, z (after any scaling of the format) fit the float node
// fields; false with `why` (as above) naming `texts[i]`, the number as the
// file writes it, for the first that does not.
bool FitNodeCoordinates(const double xyz[3], const std::string (&texts)[3], Node& node, std::string& why);

// A real written by an old Fortran program: "1.5D+00" and "1.5d-3" are read as
// "1.5E+00" and "1.5e-3". False when the text is not a finite decimal real.
bool ParseFortranReal(std::string_view text, double& value);

}  // namespace kv
