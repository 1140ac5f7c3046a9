#include "mesh/exchange/import_tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "common/text/number_format.h"

namespace kv {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

void SkipSpace(TokenReader& reader) {
  const std::string& t = reader.text;
  while (reader.pos < t.size() && IsSpace(t[reader.pos])) {
    if (t[reader.pos] == '\n') ++reader.line;
    ++reader.pos;
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest decimal real at the start of `s`: [sign] digits [. digits]
// [e|E [sign] digits], with at least one digit in the mantissa.
size_t RealPrefix(std::string_view s) {
  size_t p = 0;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
  size_t digits = 0;
  while (p < s.size() && IsDigit(s[p])) ++p, ++digits;
  if (p < s.size() && s[p] == '.') {
    ++p;
    while (p < s.size() && IsDigit(s[p])) ++p, ++digits;
  }
  if (digits == 0) return 0;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    size_t q = p + 1;
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) ++q;
    if (q < s.size() && IsDigit(s[q])) {
      while (q < s.size() && IsDigit(s[q])) ++q;
      p = q;
    }
  }
  return p;
}

}  // namespace

Element NewElement(int type) {
  Element element;
  element.type = type;
  element.node_count = ElementTypeNodeCount(type);
  return element;
}

void AddElement(ImportedMesh& mesh, int line, const Element& element) {
  mesh.elements.push_back(element);
  mesh.element_lines.push_back(line);
}

int CheckElementNodes(const ImportedMesh& mesh, const std::string& path, size_t base_nodes,
                      std::string& error) {
  const size_t total = base_nodes + mesh.nodes.size();
  for (size_t e = 0; e < mesh.elements.size(); ++e) {
    const Element& element = mesh.elements[e];
    for (int i = 0; i < element.node_count; ++i) {
      const int node = element.nodes[i];
      if (node < static_cast<int>(base_nodes) || static_cast<size_t>(node) >= total) {
        const int line = e < mesh.element_lines.size() ? mesh.element_lines[e] : 0;
        error = Format("%s:%d: element %zu names node %lld, outside the %zu nodes read",
                       path.c_str(), line, e + 1,
                       static_cast<long long>(node) - static_cast<long long>(base_nodes) + 1,
                       mesh.nodes.size());
        return 0;
      }
    }
  }
  return 1;
}

void CommitImportedMesh(MeshModel& model, ImportedMesh&& mesh) {
  switch (mesh.start) {
    case ImportStart::kReplace:
      model.nodes = std::move(mesh.nodes);
      model.elements = std::move(mesh.elements);
      model.properties = std::move(mesh.properties);
      break;
    case ImportStart::kAppend:
      model.nodes.insert(model.nodes.end(), mesh.nodes.begin(), mesh.nodes.end());
      model.elements.insert(model.elements.end(), mesh.elements.begin(), mesh.elements.end());
      model.properties.insert(model.properties.end(), mesh.properties.begin(),
                              mesh.properties.end());
      break;
    case ImportStart::kSetCounts:
      model.nodes = std::move(mesh.nodes);
      model.elements = std::move(mesh.elements);
      break;
  }
  model.faces.clear();
  // Trim the tables to their counts.
  model.nodes.shrink_to_fit();
  model.elements.shrink_to_fit();
  model.properties.shrink_to_fit();
}

int FinishImport(MeshModel& model, ImportedMesh&& mesh, const std::string& path, std::string& error) {
  const size_t base = mesh.start == ImportStart::kAppend ? model.nodes.size() : 0;
  if (!CheckElementNodes(mesh, path, base, error)) return 0;
  if (mesh.nodes.empty() && mesh.elements.empty()) {
    error = path + ": no mesh found in the file";
    return 0;
  }
  CommitImportedMesh(model, std::move(mesh));
  return 1;
}

NodeIdMap::NodeIdMap(size_t expected) : dense_limit_(4 * expected + 1000) {}

bool NodeIdMap::Insert(int64_t id, int index) {
  if (id < 0) return false;
  if (static_cast<uint64_t>(id) < dense_limit_) {
    // Grow to the identifier plus 1000 entries, as far as the dense limit.
    if (static_cast<size_t>(id) >= dense_.size())
      dense_.resize(std::min<size_t>(dense_limit_, static_cast<size_t>(id) + 1000), -1);
    dense_[static_cast<size_t>(id)] = index;
  } else {
    sparse_[id] = index;
  }
  return true;
}

int NodeIdMap::Find(int64_t id) const {
  if (id < 0) return -1;
  if (static_cast<uint64_t>(id) < dense_.size()) return dense_[static_cast<size_t>(id)];
  auto it = sparse_.find(id);
  return it == sparse_.end() ? -1 : it->second;
}

bool ScanReal(TokenReader& reader, double& value) {
  SkipSpace(reader);
  std::string_view rest = std::string_view(reader.text).substr(reader.pos);
  const size_t length = RealPrefix(rest);
  if (length == 0) return false;
  double parsed = 0;
  const char* begin = rest.data() + (rest[0] == '+' ? 1 : 0);
  auto [end, ec] = std::from_chars(begin, rest.data() + length, parsed);
  if (ec != std::errc() || !std::isfinite(parsed)) return false;
  reader.last_begin = reader.pos;
  reader.pos += static_cast<size_t>(end - rest.data());
  reader.last_end = reader.pos;
  value = parsed;
  return true;
}

bool ScanInt(TokenReader& reader, int& value) {
  SkipSpace(reader);
  std::string_view rest = std::string_view(reader.text).substr(reader.pos);
  const char* begin = rest.data() + (!rest.empty() && rest[0] == '+' ? 1 : 0);
  int parsed = 0;
  auto [end, ec] = std::from_chars(begin, rest.data() + rest.size(), parsed);
  if (ec != std::errc()) return false;
  reader.pos += static_cast<size_t>(end - rest.data());
  value = parsed;
  return true;
}

bool ScanChar(TokenReader& reader, char c) {
  SkipSpace(reader);
  if (reader.pos < reader.text.size() && reader.text[reader.pos] == c) {
    ++reader.pos;
    return true;
  }
  return false;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t p = 0;
  while (p < line.size()) {
    while (p < line.size() && (line[p] == ' ' || line[p] == ',' || line[p] == '\t' || line[p] == '\r'))
      ++p;
    const size_t begin = p;
    while (p < line.size() && !(line[p] == ' ' || line[p] == ',' || line[p] == '\t' || line[p] == '\r'))
      ++p;
    if (p > begin) fields.push_back(line.substr(begin, p - begin));
  }
  return fields;
}

bool ParseNodeFields(const std::vector<std::string_view>& fields, size_t first, Node& node,
                     std::string& why) {
  why.clear();
  if (fields.size() < first + 3) return false;
  float* xyz[3] = {&node.x, &node.y, &node.z};
  for (size_t i = 0; i < 3; ++i) {
    const std::string_view field = fields[first + i];
    double value = 0;
    if (!ParseReal(field, value)) {
      why = ": \"" + std::string(field) + "\" is not a number";
      return false;
    }
    if (!FitsFloat(value)) {
      why = ": " + NotAFloatText(field);
      return false;
    }
    *xyz[i] = static_cast<float>(value);
  }
  return true;
}

bool ParseNodePosition(std::string_view token, int& index, std::string& why) {
  int64_t number = 0;
  if (!ParseInt64(token, number)) {
    why = ": node number \"" + std::string(token) + "\" is not an integer";
    return false;
  }
  if (number < 1 || number > std::numeric_limits<int>::max()) {
    why = ": node number " + std::string(token) + " is outside 1 to 2147483647";
    return false;
  }
  index = static_cast<int>(number - 1);
  return true;
}

bool ParsePositionalNodes(const std::vector<std::string_view>& fields, size_t first, Element& element,
                          std::string& why) {
  why.clear();
  if (fields.size() < first + static_cast<size_t>(element.node_count)) return false;
  for (int i = 0; i < element.node_count; ++i)
    if (!ParseNodePosition(fields[first + i], element.nodes[i], why)) return false;
  return true;
}

bool ReadNodePosition(TokenReader& reader, int& index, std::string& why) {
  why.clear();
  std::string_view token;
  return NextToken(reader, token) && ParseNodePosition(token, index, why);
}

std::string RefusedToken(const TokenReader& reader) {
  const std::string_view token = LastToken(reader);
  if (token.empty()) return "";
  double value = 0;
  if (ParseReal(token, value) && !FitsFloat(value)) return ": " + NotAFloatText(token);
  return ": \"" + std::string(token) + "\" is not a number of the kind expected";
}

bool FitNodeCoordinates(const double xyz[3], const std::string (&texts)[3], Node& node, std::string& why) {
  for (int i = 0; i < 3; ++i) {
    if (!FitsFloat(xyz[i])) {
      why = ": " + NotAFloatText(texts[i]);
      return false;
    }
  }
  node = {static_cast<float>(xyz[0]), static_cast<float>(xyz[1]), static_cast<float>(xyz[2])};
  return true;
}

bool ParseFortranReal(std::string_view text, double& value) {
  if (text.find_first_of("dD") == std::string_view::npos) return ParseReal(text, value);
  std::string copy(text);
  for (char& c : copy)
    if (c == 'd' || c == 'D') c = 'E';
  return ParseReal(copy, value);
}

}  // namespace kv
