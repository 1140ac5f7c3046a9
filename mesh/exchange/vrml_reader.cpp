// VRML files: the point and coordIndex lists of the first face set.
#include <algorithm>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {
namespace {

constexpr double kVrmlScale = 10.0;  // coordinates are divided by this

enum class List { kNone, kPoint, kIndex };

}  // namespace

int ReadVrmlMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kReplace;

  // Words are read while the brace depth is counted. "point" and "coordIndex"
  // select their list (the rest of that line is skipped); a "," keeps the
  // list selected and every other word ends it. While a list is selected
  // inside braces, one entry is read after each word, so each entry must be
  // followed by a comma: the read after the final comma finds no entry, and
  // an entry without a comma ends its list and is not counted. Hence each
  // list keeps one entry fewer than the reads it made.
  int depth = 0;
  List list = List::kNone;
  size_t point_reads = 0, index_reads = 0;
  std::string_view word;
  while (NextToken(reader, word)) {
    for (char c : word) depth += c == '{' ? 1 : c == '}' ? -1 : 0;
    if (word == "point") {
      list = List::kPoint;
      SkipRestOfLine(reader);
    } else if (word == "coordIndex") {
      list = List::kIndex;
      SkipRestOfLine(reader);
    } else if (word != ",") {
      list = List::kNone;
    }
    if (list == List::kPoint && depth > 0) {
      // x, y, z, each divided by 10
      ++point_reads;
      double xyz[3];
      std::string texts[3];
      bool ok = true;
      for (int i = 0; i < 3 && ok; ++i) {
        ok = ScanReal(reader, xyz[i]);
        texts[i] = LastToken(reader);
        xyz[i] /= kVrmlScale;
      }
      Node node;
      std::string why;
      if (ok && !FitNodeCoordinates(xyz, texts, node, why)) {
        error = Where(reader) + "point" + why;
        return 0;
      }
      if (ok) mesh.nodes.push_back(node);
    } else if (list == List::kIndex && depth > 0) {
      // a, b, c, -1: one triangle on node positions counted from 0
      ++index_reads;
      int a = 0, b = 0, c = 0, end = 0;
      if (ScanInt(reader, a) && ScanChar(reader, ',') && ScanInt(reader, b) && ScanChar(reader, ',') &&
          ScanInt(reader, c) && ScanChar(reader, ',') && ScanInt(reader, end)) {
        if (end != -1) {
          error = Where(reader) + "a face with more than three corners (triangles only)";
          return 0;
        }
        Element element = NewElement(kTriangle);
        element.nodes[0] = a;
        element.nodes[1] = b;
        element.nodes[2] = c;
        element.property = 1;
        AddElement(mesh, reader.line, element);
      }
    }
    // The first face set ends where the depth returns to 0.
    if (depth <= 0 && !mesh.elements.empty()) break;
  }
  // Each list keeps one entry fewer than it read.
  const size_t node_count = point_reads > 0 ? point_reads - 1 : 0;
  const size_t element_count = index_reads > 0 ? index_reads - 1 : 0;
  mesh.nodes.resize(std::min(mesh.nodes.size(), node_count));
  mesh.elements.resize(std::min(mesh.elements.size(), element_count));
  mesh.element_lines.resize(mesh.elements.size());
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
