// Patran neutral files: node, bar/triangle/tetrahedron element and property packets.
#include <algorithm>

#include "common/text/number_format.h"
#include "mesh/exchange/import_tables.h"
#include "mesh/exchange/mesh_readers.h"

namespace kv {
namespace {

constexpr int kPacketNode = 1;
constexpr int kPacketElement = 2;
constexpr int kPacketProperty = 4;
constexpr int kPacketEnd = 99;
constexpr size_t kRealField = 16;          // characters per real on a data card
constexpr int64_t kMaxPropertyId = 100000; // larger ids are refused
constexpr int kMaxCards = 1000000;

// Element type, category of a Patran shape code; type 0 for shapes not read.
void ShapeKind(int shape, int& type, int& category) {
  type = 0;
  category = 0;
  if (shape == 2) { type = kBeam; category = kColdRunner; }
  else if (shape == 3) { type = kTriangle; category = kPartSurface; }
  else if (shape == 5) { type = kTetrahedron; category = kPartVolume; }
}

// The text of fixed field `index` (16 characters each) of a data card,
// without the blanks around it.
std::string FixedText(const std::string& card, size_t index) {
  if (card.size() <= index * kRealField) return "";
  std::string text = TrimLeading(std::string_view(card).substr(index * kRealField, kRealField));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
  return text;
}

// The real in fixed field `index` of a data card.
bool FixedReal(const std::string& card, size_t index, double& value) {
  if (card.size() <= index * kRealField) return false;
  return ParseFortranReal(FixedText(card, index), value);
}

}  // namespace

int ReadPatranMesh(MeshModel& model, const std::string& path, std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return -1;
  ImportedMesh mesh;
  mesh.start = ImportStart::kAppend;
  const size_t base_nodes = model.nodes.size();
  const size_t base_properties = model.properties.size();
  NodeIdMap ids;
  std::vector<char> defined;  // per new property record: made by a property packet
  int line_number = 1;
  auto fail = [&](const std::string& why) {
    error = Format("%s:%d: %s", path.c_str(), line_number, why.c_str());
    return 0;
  };
  std::string card;
  auto next_card = [&]() {
    line_number = reader.line;
    return NextLine(reader, card);
  };

  while (next_card()) {
    // Header card: type, id, IV, KC, N1 ... N5.
    const std::vector<std::string_view> header = SplitFields(card);
    if (header.empty()) continue;
    int type = 0, iv = 0, kc = 0;
    int64_t id = 0;
    if (header.size() < 4 || !ParseInt(header[0], type) || !ParseInt64(header[1], id) ||
        !ParseInt(header[2], iv) || !ParseInt(header[3], kc) || kc < 0 || kc > kMaxCards)
      return fail("packet header card without type, id, IV and KC");
    if (type == kPacketEnd) break;
    int cards_left = kc;
    if (type == kPacketNode) {
      // x, y, z in three fields of 16 characters; the next card is not used.
      double xyz[3];
      if (cards_left < 1 || !next_card() || !FixedReal(card, 0, xyz[0]) || !FixedReal(card, 1, xyz[1]) ||
          !FixedReal(card, 2, xyz[2]))
        return fail(Format("node %lld: coordinate card missing or not numbers", static_cast<long long>(id)));
      --cards_left;
      Node node;
      std::string why;
      const std::string texts[3] = {FixedText(card, 0), FixedText(card, 1), FixedText(card, 2)};
      if (!FitNodeCoordinates(xyz, texts, node, why))
        return fail(Format("node %lld", static_cast<long long>(id)) + why);
      if (!ids.Insert(id, static_cast<int>(base_nodes + mesh.nodes.size())))
        return fail(Format("node id %lld is negative", static_cast<long long>(id)));
      mesh.nodes.push_back(node);
    } else if (type == kPacketElement) {
      int element_type = 0, category = 0;
      ShapeKind(iv, element_type, category);
      if (element_type == 0)
        return fail(Format("element %lld: shape %d is not supported (bar, triangle, tetrahedron only)",
                           static_cast<long long>(id), iv));
      // Data card: node count, configuration, property id; then the node card.
      if (cards_left < 2 || !next_card())
        return fail(Format("element %lld: data cards missing", static_cast<long long>(id)));
      const std::vector<std::string_view> data = SplitFields(card);
      int node_count = 0, config = 0;
      int64_t pid = 0;
      if (data.size() < 3 || !ParseInt(data[0], node_count) || !ParseInt(data[1], config) ||
          !ParseInt64(data[2], pid))
        return fail(Format("element %lld: data card without node count, configuration and property",
                           static_cast<long long>(id)));
      Element element = NewElement(element_type);
      if (node_count != element.node_count)
        return fail(Format("element %lld: %d nodes for shape %d", static_cast<long long>(id), node_count, iv));
      if (pid > kMaxPropertyId) return fail(Format("property id %lld is too large", static_cast<long long>(pid)));
      if (!next_card()) return fail(Format("element %lld: node card missing", static_cast<long long>(id)));
      cards_left -= 2;
      const std::vector<std::string_view> nodes = SplitFields(card);
      if (static_cast<int>(nodes.size()) < node_count)
        return fail(Format("element %lld: node card with fewer than %d nodes", static_cast<long long>(id),
                           node_count));
      for (int i = 0; i < node_count; ++i) {
        int64_t node_id = 0;
        if (!ParseInt64(nodes[i], node_id) || (element.nodes[i] = ids.Find(node_id)) < 0)
          return fail(Format("element %lld names node %.*s, which is not among the nodes read",
                             static_cast<long long>(id), static_cast<int>(nodes[i].size()), nodes[i].data()));
      }
      element.category = category;
      element.property = pid >= 1 ? static_cast<int>(base_properties + pid - 1) : -1;
      AddElement(mesh, line_number, element);
    } else if (type == kPacketProperty) {
      // Two reals, the second the value; the record lands at id - 1 after
      // the existing records, as a cold runner of that diameter and thickness.
      if (id < 1 || id > kMaxPropertyId)
        return fail(Format("property id %lld is out of range", static_cast<long long>(id)));
      double first = 0, value = 0;
      if (cards_left < 1 || !next_card() || !FixedReal(card, 0, first) || !FixedReal(card, 1, value))
        return fail(Format("property %lld: value card missing or not numbers", static_cast<long long>(id)));
      --cards_left;
      if (!FitsFloat(value))
        return fail(Format("property %lld: ", static_cast<long long>(id)) + NotAFloatText(FixedText(card, 1)));
      const size_t slot = static_cast<size_t>(id - 1);
      if (slot >= mesh.properties.size()) {
        mesh.properties.resize(slot + 1);
        defined.resize(slot + 1, 0);
      }
      ElementProperty& property = mesh.properties[slot];
      property = ElementProperty{};
      property.identifier = static_cast<int>(base_properties + slot + 1);
      property.category = kColdRunner;
      property.thickness = static_cast<float>(value);
      property.diameter = static_cast<float>(value);
      defined[slot] = 1;
    }
    // The remaining cards of the packet (titles, summaries, packets not read).
    for (; cards_left > 0; --cards_left)
      if (!next_card()) return fail("the file ends inside a packet");
  }

  // Records that elements name but no property packet defined stay empty
  // (no category, no size); every new element with a property takes its
  // record's thickness and diameter.
  for (size_t p = 0; p < mesh.properties.size(); ++p)
    if (!defined[p]) mesh.properties[p].identifier = static_cast<int>(base_properties + p + 1);
  for (Element& element : mesh.elements) {
    if (element.property < 0) continue;
    const size_t slot = static_cast<size_t>(element.property) - base_properties;
    if (slot >= mesh.properties.size()) continue;
    element.thickness = mesh.properties[slot].thickness;
    element.diameter = mesh.properties[slot].diameter;
  }
  return FinishImport(model, std::move(mesh), path, error);
}

}  // namespace kv
