// Writers of the native mesh file. The three variants share every line but the
// title, the set of property blocks, the keyword padding and the numbering of
// the element section; the text is built in memory and written in one go, so
// a file that cannot be written completely is reported as a failure.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/mesh/native_mesh_file.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

enum class Variant { kFem, kM2D, kM3D };

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// One tcode sub-record of an EPRO block; `value` < 0 in a slot means "the
// property's diameter" (-1) or "its thickness" (-2), written in its place.
struct SubRecord {
  int tcode;
  const char* description;
  int count;
  double values[2];
};

constexpr double kDiameter = -1;
constexpr double kThickness = -2;

// The sub-records of each category's block, in order. The Part runner's first
// value differs in ".fem" (1) from the other variants (2) and is patched there.
std::vector<SubRecord> SubRecordsOf(int category, Variant variant) {
  const SubRecord fill_cold = {30102, "Initial fill condition", 1, {0, 0}};
  const SubRecord mold_id = {30112, "Mold material ID", 2, {1, 1}};
  const SubRecord size_d = {30100, "Thickness/diameter & shape factor", 2, {kDiameter, 1}};
  const SubRecord size_t_ = {30100, "Thickness/diameter & shape factor", 2, {kThickness, 1}};
  const SubRecord limits = {30202, "Runner diameter limits", 2, {1.0e-3, 8.0e-2}};
  switch (category) {
    case kConnector:
      return {{30004, "Connector element", 1, {1, 0}}};
    case kColdRunner:
      return {{30000, "Plastic element", 1, {2, 0}}, size_d, fill_cold, mold_id, limits};
    case kHotRunner:
      return {{30000, "Plastic element", 1, {2, 0}},
              size_d,
              {30102, "Initial fill condition", 1, {1, 0}},
              {30104, "Hot runner manifold ID", 1, {1, 0}},
              mold_id,
              limits};
    case kCoolingChannel:
      return {{30002, "Channel element", 1, {1, 0}}, size_d, mold_id};
    case kPartRunner:
      return {{30000, "Plastic element", 1, {variant == Variant::kFem ? 1.0 : 2.0, 0}}, size_d,
              fill_cold, mold_id};
    case kCoolingSurface:
      return {{30000, "Cooling element", 1, {1, 0}}, size_t_, fill_cold, mold_id};
    case kMoldSurface:
      return {{30000, "Mold element", 1, {1, 0}}, size_t_, fill_cold, mold_id};
    case kPartSurface:
    case kPartDualSurface:
      return {{30000, "Plastic element", 1, {1, 0}}, size_t_, fill_cold, mold_id};
    case kPartVolume:
      return {{30000, "Plastic element", 1, {1, 0}}, fill_cold, mold_id};
    default:
      return {};
  }
}

// Whether a variant writes a block for a category.
bool WritesBlock(int category, Variant variant) {
  switch (category) {
    case kConnector:
    case kColdRunner:
    case kHotRunner:
    case kPartRunner:
    case kPartSurface:
    case kPartVolume:
      return true;
    case kCoolingChannel:
    case kPartDualSurface:
      return variant != Variant::kM3D;
    case kCoolingSurface:
    case kMoldSurface:
      return variant == Variant::kM2D;
    default:
      return false;
  }
}

void AppendPropertyBlock(std::string& out, const ElementProperty& p, int number, Variant variant) {
  const char* name = CategoryFileName(p.category);
  if (variant == Variant::kFem && p.category == kPartDualSurface) name = CategoryFileName(kPartSurface);
  std::vector<SubRecord> subs = SubRecordsOf(p.category, variant);
  out += Format("EPRO%8d%8d    %s\n", number, static_cast<int>(subs.size()), name);
  for (const SubRecord& s : subs) {
    out += Format("%12d%8d    %s\n", s.tcode, s.count, s.description);
    out += std::string(26, ' ');
    for (int i = 0; i < s.count; ++i) {
      double v = s.values[i];
      if (v == kDiameter) v = p.diameter;
      if (v == kThickness) v = p.thickness;
      if (i > 0) out += "  ";
      out += FormatExponent(v, "%.6E");
    }
    out += '\n';
  }
}

// Record number of an element's property: index+1, or -1 when it has none or
// the index lies outside the property table.
int PropertyNumber(const MeshModel& model, const Element& e) {
  if (e.property < 0 || e.property >= static_cast<int>(model.properties.size())) return -1;
  return e.property + 1;
}

// Keyword padded as the variant spells it: 8 characters in ".fem", 6 in the
// others, with "PYRAMID " kept at 8.
std::string PaddedKeyword(int type, Variant variant) {
  std::string k = ElementTypeKeyword(type);
  size_t width = (variant == Variant::kFem || type == kPyramid) ? 8 : 6;
  if (k.size() < width) k.append(width - k.size(), ' ');
  return k;
}

void AppendElementLine(std::string& out, const std::string& keyword, int number, int property,
                       int paired, const int* nodes, int node_count) {
  out += keyword;
  out += Format(" %8d %8d %8d", number, property, paired);
  for (int i = 0; i < node_count; ++i) out += Format(" %8d", nodes[i] + 1);
  out += '\n';
}

// Number of ".m2D" lines an element becomes: 1 for 1D, TRI, TETRA; 2 for a
// QUAD (two triangles); 6 for a HEXA (six tetrahedra); 0 for PYRAMID, PRISM.
int M2DLineCount(int type) {
  switch (type) {
    case kBeam:
    case kTriangle:
    case kTetrahedron:
      return 1;
    case kQuadrilateral:
      return 2;
    case kHexahedron:
      return 6;
    default:
      return 0;
  }
}

// Corners (0-based positions in the element's node list) of the pieces that a
// QUAD and a HEXA are split into.
constexpr int kQuadSplit[2][3] = {{0, 1, 2}, {0, 2, 3}};
constexpr int kHexaSplit[6][4] = {{0, 1, 3, 4}, {1, 3, 4, 7}, {5, 1, 4, 7},
                                  {1, 2, 3, 7}, {2, 1, 5, 7}, {6, 2, 5, 7}};

void AppendM2DElements(std::string& out, const MeshModel& model) {
  // First ".m2D" number of every element, so that a paired element is named
  // by the number it carries in this file (its first piece), not by its
  // position in memory; an element that is not written cannot be paired to.
  std::vector<int> first_number(model.elements.size(), -1);
  int running = 0;
  for (size_t i = 0; i < model.elements.size(); ++i) {
    int lines = M2DLineCount(model.elements[i].type);
    if (lines > 0) first_number[i] = running + 1;
    running += lines;
  }
  auto paired_number = [&](const Element& e) {
    if (e.paired < 0 || e.paired >= static_cast<int>(first_number.size())) return -1;
    return first_number[e.paired];
  };

  int number = 0;
  for (const Element& e : model.elements) {
    int property = PropertyNumber(model, e);
    int paired = paired_number(e);
    switch (e.type) {
      case kBeam:
      case kTriangle:
      case kTetrahedron:
        AppendElementLine(out, PaddedKeyword(e.type, Variant::kM2D), ++number, property, paired,
                          e.nodes, ElementTypeNodeCount(e.type));
        break;
      case kQuadrilateral:
        // Quad (1 2 3 4) -> triangles (1 2 3) and (1 3 4).
        for (const auto& piece : kQuadSplit) {
          int nodes[3] = {e.nodes[piece[0]], e.nodes[piece[1]], e.nodes[piece[2]]};
          AppendElementLine(out, PaddedKeyword(kTriangle, Variant::kM2D), ++number, property,
                            paired, nodes, 3);
        }
        break;
      case kHexahedron:
        // Hexahedron (1..8) -> six tetrahedra sharing the diagonal 2-8.
        for (const auto& piece : kHexaSplit) {
          int nodes[4] = {e.nodes[piece[0]], e.nodes[piece[1]], e.nodes[piece[2]],
                          e.nodes[piece[3]]};
          AppendElementLine(out, PaddedKeyword(kTetrahedron, Variant::kM2D), ++number, property,
                            paired, nodes, 4);
        }
        break;
      default:
        break;  // PYRAMID, PRISM: the solver has no such elements
    }
  }
}

int WriteMesh(const MeshModel& model, const std::string& path, const std::string& title,
              Variant variant) {
  const char* kind = variant == Variant::kFem   ? "FEM file."
                     : variant == Variant::kM2D ? "FEM 2D file."
                                                : "FEM 3D file.";
  int element_lines = 0;
  if (variant == Variant::kM2D) {
    for (const Element& e : model.elements) element_lines += M2DLineCount(e.type);
  } else {
    for (const Element& e : model.elements) element_lines += ElementTypeNodeCount(e.type) > 0 ? 1 : 0;
  }

  std::string out;
  out.reserve(256 + model.nodes.size() * 72 + model.elements.size() * 60);
  out += "---- Beginning of title.\n";
  out += "TITL " + title + " " + kind + "\n";
  out += "FILE \n";
  out += "---- Beginning of summary.\n";
  out += Format("SUMR %8d %8d %8d %8d %8d\n", 0, 0, static_cast<int>(model.properties.size()),
                static_cast<int>(model.nodes.size()), element_lines);
  out += "---- Beginning of node properties.\n";
  out += "---- Beginning of element properties.\n";
  for (size_t i = 0; i < model.properties.size(); ++i) {
    const ElementProperty& p = model.properties[i];
    if (WritesBlock(p.category, variant)) AppendPropertyBlock(out, p, static_cast<int>(i) + 1, variant);
  }
  out += "---- Beginning of node data.\n";
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    const Node& n = model.nodes[i];
    out += Format("NODE %8d %8d ", static_cast<int>(i) + 1, 0);
    out += FormatExponent(n.x, "%+.6E") + " " + FormatExponent(n.y, "%+.6E") + " " +
           FormatExponent(n.z, "%+.6E") + "\n";
  }
  out += "---- Beginning of element data.\n";
  if (variant == Variant::kM2D) {
    AppendM2DElements(out, model);
  } else {
    for (size_t i = 0; i < model.elements.size(); ++i) {
      const Element& e = model.elements[i];
      int count = ElementTypeNodeCount(e.type);
      if (count == 0) continue;  // no keyword for an unknown type
      int paired = 0;
      if (variant == Variant::kM3D)
        paired = (e.paired >= 0 && e.paired < static_cast<int>(model.elements.size())) ? e.paired + 1 : -1;
      AppendElementLine(out, PaddedKeyword(e.type, variant), static_cast<int>(i) + 1,
                        PropertyNumber(model, e), paired, e.nodes, count);
    }
  }
  out += "---- End of file.\n";
  out += "ENDF\n";

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return 0;
  if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size()) return 0;
  if (std::fclose(file.release()) != 0) return 0;
  return 1;
}

}  // namespace

int WriteMeshFem(const MeshModel& model, const std::string& path, int /*unused*/, const std::string& title) {
  return WriteMesh(model, path, title, Variant::kFem);
}

int WriteMeshM2D(const MeshModel& model, const std::string& path, int /*unused*/, const std::string& title) {
  return WriteMesh(model, path, title, Variant::kM2D);
}

int WriteMeshM3D(const MeshModel& model, const std::string& path, int /*unused*/, const std::string& title) {
  return WriteMesh(model, path, title, Variant::kM3D);
}

}  // namespace kv
