#include "common/mesh/mesh_file_records.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <string_view>

namespace kv {
namespace {

// Reads the next token of a record with `parse`; on failure sets `error` to
// say which field of which record was cut short or is not a number.
template <typename T>
bool ReadWith(TokenReader& reader, T& value, bool (*parse)(std::string_view, T&),
              const char* record, const char* field, std::string& error) {
  std::string_view token;
  if (!NextToken(reader, token)) {
    error = Where(reader) + "the file ends inside the " + record + " record (" + field + " missing)";
    return false;
  }
  if (!parse(token, value)) {
    error = Where(reader) + record + " record: '" + std::string(token) + "' is not a valid " +
            field;
    return false;
  }
  return true;
}

bool ReadField(TokenReader& reader, int& value, const char* record, const char* field,
               std::string& error) {
  return ReadWith(reader, value, ParseInt, record, field, error);
}

bool ReadRealField(TokenReader& reader, double& value, const char* record, const char* field,
                   std::string& error) {
  return ReadWith(reader, value, ParseReal, record, field, error);
}

bool ReadFloatField(TokenReader& reader, float& value, const char* record, const char* field,
                    std::string& error) {
  return ReadWith(reader, value, ParseFloat, record, field, error);
}

bool ReadSummary(TokenReader& reader, MeshFileRecords& records, std::string& error) {
  if (records.has_summary) {
    error = Where(reader) + "a second SUMR record";
    return false;
  }
  int ignored = 0;
  if (!ReadField(reader, ignored, "SUMR", "first count", error) ||
      !ReadField(reader, ignored, "SUMR", "second count", error) ||
      !ReadField(reader, records.summary_properties, "SUMR", "property count", error) ||
      !ReadField(reader, records.summary_nodes, "SUMR", "node count", error) ||
      !ReadField(reader, records.summary_elements, "SUMR", "element count", error))
    return false;
  if (records.summary_properties < 0 || records.summary_nodes < 0 || records.summary_elements < 0) {
    error = Where(reader) + "SUMR record: negative count";
    return false;
  }
  if (records.summary_properties > kMaxMeshFileProperties) {
    error = Where(reader) + "SUMR record: " + std::to_string(records.summary_properties) +
            " property records exceed the limit of " + std::to_string(kMaxMeshFileProperties);
    return false;
  }
  records.has_summary = true;
  return true;
}

// EPRO: number, sub-record count, the name as the rest of the line; then per
// sub-record a tcode, a value count, the description (rest of the line) and
// the values. Only the first value of tcode 30100 is kept.
bool ReadPropertyBlock(TokenReader& reader, MeshFileRecords& records, std::string& error) {
  PropertyRecordInFile p;
  p.line = reader.line;
  int sub_records = 0;
  if (!ReadField(reader, p.number, "EPRO", "record number", error) ||
      !ReadField(reader, sub_records, "EPRO", "sub-record count", error))
    return false;
  if (sub_records < 0) {
    error = Where(reader) + "EPRO record: negative sub-record count";
    return false;
  }
  p.name = TrimLeading(RestOfLine(reader), kPropertyNameFileLimit);
  for (int s = 0; s < sub_records; ++s) {
    int tcode = 0, count = 0;
    if (!ReadField(reader, tcode, "EPRO", "tcode", error) ||
        !ReadField(reader, count, "EPRO", "value count", error))
      return false;
    if (count < 0) {
      error = Where(reader) + "EPRO record: negative value count";
      return false;
    }
    SkipRestOfLine(reader);
    for (int v = 0; v < count; ++v) {
      double value = 0;
      if (!ReadRealField(reader, value, "EPRO", "value", error)) return false;
      if (tcode == 30100 && v == 0) {
        if (std::fabs(value) > std::numeric_limits<float>::max()) {
          error = Where(reader) + "EPRO record: thickness/diameter out of range";
          return false;
        }
        p.size = static_cast<float>(value);
      }
    }
  }
  records.properties.push_back(std::move(p));
  return true;
}

bool ReadNode(TokenReader& reader, MeshFileRecords& records, std::string& error) {
  NodeRecordInFile n;
  n.line = reader.line;
  int ignored = 0;
  if (!ReadField(reader, n.number, "NODE", "node number", error) ||
      !ReadField(reader, ignored, "NODE", "second integer", error) ||
      !ReadFloatField(reader, n.x, "NODE", "x coordinate", error) ||
      !ReadFloatField(reader, n.y, "NODE", "y coordinate", error) ||
      !ReadFloatField(reader, n.z, "NODE", "z coordinate", error))
    return false;
  records.nodes.push_back(n);
  return true;
}

bool ReadElement(TokenReader& reader, int type, const char* keyword, MeshFileRecords& records,
                 std::string& error) {
  ElementRecordInFile e;
  e.type = type;
  e.line = reader.line;
  if (!ReadField(reader, e.number, keyword, "element number", error) ||
      !ReadField(reader, e.property, keyword, "property number", error) ||
      !ReadField(reader, e.paired, keyword, "paired element number", error))
    return false;
  int count = ElementTypeNodeCount(type);
  for (int i = 0; i < count; ++i)
    if (!ReadField(reader, e.nodes[i], keyword, "node number", error)) return false;
  records.elements.push_back(e);
  return true;
}

}  // namespace

int ScanMeshFile(TokenReader& reader, bool solver_keywords, MeshFileRecords& records,
                 std::string& error) {
  records = MeshFileRecords{};
  std::string_view token;
  while (NextToken(reader, token)) {
    if (token == "ENDF") break;
    if (token == "SUMR") {
      if (!ReadSummary(reader, records, error)) return 0;
      continue;
    }
    int type = ElementTypeFromKeyword(std::string(token));
    if (solver_keywords && (type == kPyramid || type == kPrism)) type = 0;
    bool is_record = token == "EPRO" || token == "NODE" || type != 0;
    if (!is_record) continue;  // titles, comments and unknown words
    if (!records.has_summary) {
      error = Where(reader) + std::string(token) + " record before the SUMR summary";
      return 0;
    }
    bool ok = token == "EPRO"   ? ReadPropertyBlock(reader, records, error)
              : token == "NODE" ? ReadNode(reader, records, error)
                                : ReadElement(reader, type, ElementTypeKeyword(type), records, error);
    if (!ok) return 0;
  }
  if (!records.has_summary) {
    error = reader.path + ": no SUMR summary record (not a mesh file)";
    return 0;
  }
  return 1;
}

int CheckMeshFileCounts(const TokenReader& reader, const MeshFileRecords& records,
                        std::string& error) {
  auto mismatch = [&](const char* what, int announced, size_t held) {
    error = reader.path + ": the summary announces " + std::to_string(announced) + " " + what +
            ", the file holds " + std::to_string(held) +
            (held < static_cast<size_t>(announced) ? " (file cut short?)" : "");
  };
  if (records.nodes.size() != static_cast<size_t>(records.summary_nodes)) {
    mismatch("nodes", records.summary_nodes, records.nodes.size());
    return 0;
  }
  if (records.elements.size() != static_cast<size_t>(records.summary_elements)) {
    mismatch("elements", records.summary_elements, records.elements.size());
    return 0;
  }
  if (records.properties.size() > static_cast<size_t>(records.summary_properties)) {
    mismatch("property records", records.summary_properties, records.properties.size());
    return 0;
  }
  return 1;
}

int LoadMeshFile(const std::string& path, bool solver_keywords, TokenReader& reader,
                 MeshFileRecords& records, std::string& error) {
  if (OpenTokenReader(reader, path) != 1) {
    error = path + ": cannot open the file";
    return -1;
  }
  if (!ScanMeshFile(reader, solver_keywords, records, error)) return 0;
  return CheckMeshFileCounts(reader, records, error);
}

int ElementNumbersByPosition(const TokenReader& reader, const ElementRecordInFile& record,
                             const RecordCounts& counts, const RecordCounts& bases, Element& element,
                             std::string& error) {
  std::string where = WhereRecord(reader, record.line) + ElementTypeKeyword(record.type) + " " +
                      std::to_string(record.number) + ": ";
  auto outside = [&](const char* what, int number, int count) {
    error = where + what + " number " + std::to_string(number) + " outside 1.." + std::to_string(count);
    return 0;
  };
  element.type = record.type;
  element.node_count = ElementTypeNodeCount(record.type);
  for (int i = 0; i < element.node_count; ++i) {
    if (record.nodes[i] < 1 || record.nodes[i] > counts.nodes) return outside("node", record.nodes[i], counts.nodes);
    element.nodes[i] = record.nodes[i] - 1 + bases.nodes;
  }
  if (record.property == -1) {
    element.property = -1;
  } else if (record.property >= 1 && record.property <= counts.properties) {
    element.property = record.property - 1 + bases.properties;
  } else {
    return outside("property", record.property, counts.properties);
  }
  // -1 (and 0, as the ".fem" variant writes it): not paired.
  if (record.paired == -1 || record.paired == 0) {
    element.paired = -1;
  } else if (record.paired >= 1 && record.paired <= counts.elements) {
    element.paired = record.paired - 1 + bases.elements;
  } else {
    return outside("paired element", record.paired, counts.elements);
  }
  return 1;
}

void AppendRead(MeshModel& model, std::vector<ElementProperty>&& properties, std::vector<Node>&& nodes,
                std::vector<Element>&& elements) {
  model.properties.insert(model.properties.end(), std::make_move_iterator(properties.begin()),
                          std::make_move_iterator(properties.end()));
  model.nodes.insert(model.nodes.end(), nodes.begin(), nodes.end());
  model.elements.insert(model.elements.end(), elements.begin(), elements.end());
}

std::string WhereRecord(const TokenReader& reader, int line) {
  return (reader.path.empty() ? std::string("<text>") : reader.path) + ":" + std::to_string(line) +
         ": ";
}

ElementProperty PropertyFromRecord(const PropertyRecordInFile& record, bool fem_names) {
  ElementProperty p;
  bool matched = false;
  p.category = ClassifyPropertyName(record.name, fem_names, &matched);
  p.name = matched ? CategoryName(p.category) : "";
  p.thickness = p.diameter = record.size;
  return p;
}

void TakeFromProperty(Element& e, const ElementProperty* p) {
  e.category = p ? p->category : kConnector;
  e.thickness = 0;
  e.diameter = 0;
  if (!p) return;
  if (e.type == kBeam) e.diameter = p->diameter;
  if (e.type == kTriangle || e.type == kQuadrilateral) e.thickness = p->thickness;
}

}  // namespace kv
