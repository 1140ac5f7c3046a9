// I-deas universal files: units, nodes, elements and physical property tables.
#include <algorithm>
#include <unordered_map>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {
namespace {

constexpr double kDefaultRunnerDiameter = 0.001;  // m, a beam table whose value is 0
constexpr int kMaxValuesPerGroup = 1000000;

// Element type of an FE descriptor; 0 for the descriptors not read.
int TypeOfDescriptor(int descriptor) {
  switch (descriptor) {
    case 21: return kBeam;
    case 41: case 51: case 74: case 91: return kTriangle;
    case 94: return kQuadrilateral;
    case 111: return kTetrahedron;
    case 115: return kHexahedron;
    default: return 0;
  }
}

// Category of the property record a table makes, by the table's descriptor:
// 21 beam (Part runner), 90 shell (Part surface), 110 solid (Part volume);
// -1 for the descriptors that make no record.
int CategoryOfTableDescriptor(int descriptor) {
  switch (descriptor) {
    case 21: return kPartRunner;
    case 90: return kPartSurface;
    case 110: return kPartVolume;
    default: return -1;
  }
}

// Category of a shell or solid element whose property table made no record:
// the one that a table of its own kind gives. Left at 0 (Connector, a beam
// category), such elements would be drawn in the near-black colour of
// connectors, and the exporters, which skip connectors, would write none of
// them. A beam keeps 0: a connector is a beam.
int CategoryOfUntabledElement(int type) {
  if (type == kBeam) return kConnector;
  if (type == kTriangle || type == kQuadrilateral) return CategoryOfTableDescriptor(90);
  return CategoryOfTableDescriptor(110);
}

// True when `line` is a dataset delimiter: "-1" alone on its line.
bool IsDelimiter(const std::string& line) {
  const std::vector<std::string_view> fields = SplitFields(line);
  return fields.size() == 1 && fields[0] == "-1";
}

bool ReadFortranReal(TokenReader& reader, double& value) {
  std::string_view token;
  return NextToken(reader, token) && ParseFortranReal(token, value);
}

struct IdeasState {
  ImportedMesh mesh;
  NodeIdMap ids;
  std::unordered_map<int, int> tables;  // property table label -> property index in the model
  std::vector<int> element_tables;      // per new element, its property table number
  double length_factor = 1.0;
  size_t base_nodes = 0;
  size_t base_properties = 0;
};

// Dataset 164: unit code (rest of line skipped), then the length, force and
// temperature factors; the length factor divides what follows.
bool ReadUnits(TokenReader& reader, IdeasState& state, std::string& why) {
  int code = 0;
  double length = 0, force = 0, temperature = 0;
  if (!ReadInt(reader, code)) return why = "units record without its code", false;
  SkipRestOfLine(reader);
  if (!ReadFortranReal(reader, length) || !ReadFortranReal(reader, force) ||
      !ReadFortranReal(reader, temperature))
    return why = "units record without its three factors", false;
  if (!(length > 0)) return why = Format("length factor %g is not positive", length), false;
  state.length_factor = length;
  return true;
}

// Dataset 2411: label (-1 ends), three numbers not used, then x, y, z.
bool ReadNodes(TokenReader& reader, IdeasState& state, std::string& why) {
  for (;;) {
    int64_t label = 0;
    int unused = 0;
    if (!ReadInt64(reader, label)) return why = "node record cut short", false;
    if (label == -1) return true;
    double xyz[3];
    std::string texts[3];
    bool ok = ReadInt(reader, unused) && ReadInt(reader, unused) && ReadInt(reader, unused);
    for (int i = 0; i < 3 && ok; ++i) {
      ok = ReadFortranReal(reader, xyz[i]);
      texts[i] = LastToken(reader);
      xyz[i] /= state.length_factor;
    }
    if (!ok)
      return why = Format("node %lld is cut short or not numbers", static_cast<long long>(label)), false;
    Node node;
    std::string refused;
    if (!FitNodeCoordinates(xyz, texts, node, refused))
      return why = Format("node %lld", static_cast<long long>(label)) + refused, false;
    const int index = static_cast<int>(state.base_nodes + state.mesh.nodes.size());
    if (!state.ids.Insert(label, index))
      return why = Format("node label %lld is negative", static_cast<long long>(label)), false;
    state.mesh.nodes.push_back(node);
  }
}

// Dataset 2412: label (-1 ends), descriptor, property table, material table,
// colour, node count; beams have one record of orientation data; then the
// node labels.
bool ReadElements(TokenReader& reader, IdeasState& state, std::string& why) {
  for (;;) {
    int label = 0;
    if (!ReadInt(reader, label)) return why = "element record cut short", false;
    if (label == -1) return true;
    int descriptor = 0, table = 0, material = 0, colour = 0, count = 0;
    if (!ReadInt(reader, descriptor) || !ReadInt(reader, table) || !ReadInt(reader, material) ||
        !ReadInt(reader, colour) || !ReadInt(reader, count))
      return why = Format("element %d is cut short or not numbers", label), false;
    const int type = TypeOfDescriptor(descriptor);
    if (type == 0)
      return why = Format("element %d: FE descriptor %d is not supported", label, descriptor), false;
    Element element = NewElement(type);
    if (count != element.node_count)
      return why = Format("element %d: %d nodes for FE descriptor %d", label, count, descriptor), false;
    if (type == kBeam) {
      int orientation = 0;
      for (int i = 0; i < 3; ++i)
        if (!ReadInt(reader, orientation))
          return why = Format("element %d: beam orientation record cut short", label), false;
    }
    for (int i = 0; i < count; ++i) {
      int64_t node = 0;
      if (!ReadInt64(reader, node)) return why = Format("element %d is cut short", label), false;
      element.nodes[i] = state.ids.Find(node);
      if (element.nodes[i] < 0)
        return why = Format("element %d names node %lld, which is not among the nodes read", label,
                            static_cast<long long>(node)), false;
    }
    AddElement(state.mesh, reader.line, element);
    state.element_tables.push_back(table);
  }
}

// Dataset 2448: per table a label (-1 ends), descriptor and number of value
// groups, a name line, then the value groups (number, value kind, value
// count, values). Beam, shell and solid tables become property records.
bool ReadPropertyTables(TokenReader& reader, IdeasState& state, std::string& why) {
  for (;;) {
    int label = 0, descriptor = 0, groups = 0;
    if (!ReadInt(reader, label)) return why = "property table record cut short", false;
    if (label == -1) return true;
    if (!ReadInt(reader, descriptor) || !ReadInt(reader, groups) || groups < 0)
      return why = Format("property table %d is cut short or not numbers", label), false;
    SkipRestOfLine(reader);
    std::string name;
    if (!NextLine(reader, name)) return why = Format("property table %d has no name", label), false;
    const int category = CategoryOfTableDescriptor(descriptor);
    double first_value = 0;
    for (int g = 0; g < groups; ++g) {
      int number = 0, kind = 0, count = 0;
      if (!ReadInt(reader, number)) return why = Format("property table %d is cut short", label), false;
      if (number == -1) break;
      if (!ReadInt(reader, kind) || !ReadInt(reader, count) || count < 0 || count > kMaxValuesPerGroup)
        return why = Format("property table %d: value group cut short", label), false;
      for (int v = 0; v < count; ++v) {
        std::string_view token;
        if (!NextToken(reader, token)) return why = Format("property table %d is cut short", label), false;
        if (g == 0 && v == 0 && kind != 3) {
          ParseFortranReal(token, first_value);
          if (!FitsFloat(first_value / state.length_factor))
            return why = Format("property table %d: ", label) + NotAFloatText(token), false;
        }
      }
    }
    if (category < 0) continue;
    ElementProperty property;
    property.category = category;
    property.name = TrimLeading(name, kPropertyNameFileLimit);
    if (category == kPartRunner) {
      property.diameter = first_value == 0 ? static_cast<float>(kDefaultRunnerDiameter)
                                           : static_cast<float>(first_value / state.length_factor);
    } else if (category == kPartSurface) {
      property.thickness = static_cast<float>(first_value / state.length_factor);
    }
    const int index = static_cast<int>(state.base_properties + state.mesh.properties.size());
    property.identifier = index + 1;
    state.tables[label] = index;
    state.mesh.properties.push_back(property);
  }
}

}  // namespace

int ReadIdeasMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  IdeasState state;
  state.mesh.start = ImportStart::kAppend;
  state.base_nodes = model.nodes.size();
  state.base_properties = model.properties.size();

  std::string line;
  while (NextLine(reader, line)) {
    if (!IsDelimiter(line)) continue;
    // The line after the opening delimiter holds the dataset number.
    int dataset = 0;
    if (!ReadInt(reader, dataset)) {
      error = Where(reader) + "a dataset without its number";
      return 0;
    }
    SkipRestOfLine(reader);
    std::string why;
    bool ok = true;
    bool closed = false;  // the reader has consumed the closing delimiter
    if (dataset == 164) ok = ReadUnits(reader, state, why);
    else if (dataset == 2411) ok = closed = ReadNodes(reader, state, why);
    else if (dataset == 2412) ok = closed = ReadElements(reader, state, why);
    else if (dataset == 2448) ok = closed = ReadPropertyTables(reader, state, why);
    if (!ok) {
      error = Where(reader) + why;
      return 0;
    }
    if (!closed) {
      // Skip the rest of the dataset, through its closing delimiter.
      while (NextLine(reader, line) && !IsDelimiter(line)) {
      }
    }
  }

  // Each element takes the record its property table became: index,
  // category, and the size its type uses. Without such a record the property
  // index is 0 and the category that of its kind, with no size.
  for (size_t e = 0; e < state.mesh.elements.size(); ++e) {
    Element& element = state.mesh.elements[e];
    auto it = state.tables.find(state.element_tables[e]);
    if (it == state.tables.end()) {
      element.property = 0;
      element.category = CategoryOfUntabledElement(element.type);
      continue;
    }
    element.property = it->second;
    const ElementProperty& property = state.mesh.properties[it->second - state.base_properties];
    element.category = property.category;
    if (element.type == kBeam) element.diameter = property.diameter;
    if (element.type == kTriangle || element.type == kQuadrilateral) element.thickness = property.thickness;
  }
  return FinishImport(model, std::move(state.mesh), path, error);
}

}  // namespace kv
