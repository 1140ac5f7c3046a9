#pragma once
// The grammar of the native mesh file, shared by its three readers: scans the
// token stream into plain tables of the records as they stand in the file
// (numbers not yet turned into indices). Each reader then translates numbers
// in its own way (positions, shifted numbers or identifiers) and checks them.

#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "common/text/token_reader.h"

namespace kv {

// Most property records a file may announce in SUMR. The property table is
// sized by that count before any record is read, so the count is refused
// above this bound instead of allocating what a damaged file asks for.
inline constexpr int kMaxMeshFileProperties = 100000;

struct PropertyRecordInFile {
  int number = 0;         // record number as written (1-based or identifier)
  int line = 0;           // 1-based line of the EPRO keyword
  std::string name;       // rest of the header line, leading blanks dropped, <= 80 characters
  float size = 0;         // first value of tcode 30100 (m), 0 without one
};

struct NodeRecordInFile {
  int number = 0;
  int line = 0;
  float x = 0, y = 0, z = 0;  // m
};

struct ElementRecordInFile {
  int type = 0;            // ElementType
  int line = 0;
  int number = 0;
  int property = -1;       // property number as written, -1 none
  int paired = -1;         // paired element number as written
  int nodes[kMaxElementNodes] = {};  // node numbers as written
};

struct MeshFileRecords {
  bool has_summary = false;
  int summary_properties = 0;   // SUMR counts
  int summary_nodes = 0;
  int summary_elements = 0;
  std::vector<PropertyRecordInFile> properties;
  std::vector<NodeRecordInFile> nodes;
  std::vector<ElementRecordInFile> elements;
};

// Scans a whole native mesh file from `reader` (opened by the caller).
//   solver_keywords: true for the solver, which has no PYRAMID and PRISM
//                    records (their lines are skipped token by token).
//   records: filled with what the file holds, in file order.
//   returns 1, or 0 with `error` = "file:line: reason" when a record is cut
//   short, holds a token that is not the number it needs, comes before the
//   SUMR record, or a count is negative or absurd; a file without SUMR is
//   refused too (it is no mesh file). The scan ends at "ENDF" or at the end.
int ScanMeshFile(TokenReader& reader, bool solver_keywords, MeshFileRecords& records,
                 std::string& error);

// Opens `path`, scans it and checks its counts: the first steps of every
// reader. Returns 1; -1 when the file cannot be opened; 0 damaged input with
// `error` saying where and why.
int LoadMeshFile(const std::string& path, bool solver_keywords, TokenReader& reader,
                 MeshFileRecords& records, std::string& error);

// Numbers are positions in the file (the solver's and the .m2D/.m3D readers):
// turns the numbers of an element record into indices, each shifted by the
// count of its kind already in memory (`bases`: properties, nodes, elements).
// Node n in 1..nodes -> n-1+base; property -1 -> -1 (none), n in
// 1..properties -> n-1+base; paired -1 or 0 -> -1, n in 1..elements ->
// n-1+base. Sets type and node count too.
//   counts: the file's property, node and element counts.
//   returns 1, or 0 with `error` = "file:line: KEYWORD number: reason".
struct RecordCounts {
  int properties = 0, nodes = 0, elements = 0;
};
int ElementNumbersByPosition(const TokenReader& reader, const ElementRecordInFile& record,
                             const RecordCounts& counts, const RecordCounts& bases, Element& element,
                             std::string& error);

// Checks that the file holds as many NODE and element records as SUMR
// announces (fewer means the file was cut; more would overflow the solver's
// exactly sized tables) and no more EPRO blocks than property records.
//   returns 1, or 0 with `error` = "file: reason".
int CheckMeshFileCounts(const TokenReader& reader, const MeshFileRecords& records,
                        std::string& error);

// Appends the checked records of a read to `model` (nothing else touched).
void AppendRead(MeshModel& model, std::vector<ElementProperty>&& properties, std::vector<Node>&& nodes,
                std::vector<Element>&& elements);

// Message prefix "file:line: " for a record read from `reader`'s file.
std::string WhereRecord(const TokenReader& reader, int line);

// The property record that an EPRO block describes: its name classified by
// the category table (`fem_names`: the ".fem" reader's narrower table), the
// category's stored name or "" when nothing matched, and the first value of
// tcode 30100 as both thickness and diameter. `identifier` is left 0.
ElementProperty PropertyFromRecord(const PropertyRecordInFile& record, bool fem_names);

// Copies category, thickness and diameter of property `p` to an element as
// its type takes them (1D: diameter; TRI, QUAD: thickness; others nothing);
// `p` null gives category 0 and sizes 0.
void TakeFromProperty(Element& e, const ElementProperty* p);

}  // namespace kv
