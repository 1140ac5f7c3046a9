#include "common/results/result_reader.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/results/result_title.h"

namespace kv {
namespace {

enum class BlockKind { kScalar, kNodal, kNodalVector, kElement, kElementVector, kHighlight };

struct BlockKeyword {
  std::string_view keyword;
  BlockKind kind;
};

constexpr BlockKeyword kBlockKeywords[] = {
    {"SCDT", BlockKind::kScalar},        {"NDDT", BlockKind::kNodal},
    {"DPDT", BlockKind::kNodalVector},   {"ELDT", BlockKind::kElement},
    {"VCDT", BlockKind::kElementVector}, {"HLDT", BlockKind::kHighlight},
};

// Highest count of independent variables a block may carry.
constexpr int kMaxIndependent = 2;
// A highlight line: 8 characters not used, then six reals of 12 characters.
constexpr size_t kHighlightIndent = 8;
constexpr size_t kHighlightField = 12;

// The state of one read: the reader, the mesh, and where the message goes.
struct ReadContext {
  TokenReader& reader;
  const MeshModel& mesh;
  std::string& message;
  std::string_view keyword;  // of the block being read

  bool Fail(const std::string& what) {
    message = Where(reader) + std::string(keyword) + " block: " + what;
    return false;
  }
};

bool FindBlockKind(std::string_view token, BlockKind& kind) {
  for (const BlockKeyword& k : kBlockKeywords) {
    if (token == k.keyword) {
      kind = k.kind;
      return true;
    }
  }
  return false;
}

int LocationOf(BlockKind kind) {
  switch (kind) {
    case BlockKind::kScalar: return kGlobalResult;
    case BlockKind::kNodal:
    case BlockKind::kNodalVector: return kNodalResult;
    case BlockKind::kElement: return kElementResult;
    case BlockKind::kElementVector: return kElementVectorResult;
    case BlockKind::kHighlight: return kHighlightResult;
  }
  return kNodalResult;
}

// Items per entry: nodes for nodal kinds, elements for element kinds, one
// scalar, none for highlights.
size_t ItemCountOf(BlockKind kind, const MeshModel& mesh) {
  switch (kind) {
    case BlockKind::kScalar: return 1;
    case BlockKind::kNodal:
    case BlockKind::kNodalVector: return mesh.nodes.size();
    case BlockKind::kElement:
    case BlockKind::kElementVector: return mesh.elements.size();
    case BlockKind::kHighlight: return 0;
  }
  return 0;
}

const char* EntityWord(BlockKind kind) {
  return kind == BlockKind::kNodal || kind == BlockKind::kNodalVector ? "node" : "element";
}

std::string Cut(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

// Reads one real and keeps the first `keep` of a quantity's components.
bool ReadComponents(ReadContext& c, int components, float* kept, int keep) {
  for (int k = 0; k < components; ++k) {
    float value = 0;
    if (!ReadFloat(c.reader, value)) return false;
    if (k < keep) kept[k] = value;
  }
  return true;
}

// Entity number of an NDDT, DPDT, ELDT or VCDT entry, checked against the mesh.
bool ReadEntity(ReadContext& c, BlockKind kind, size_t item_count, int entry, int entries, size_t& index) {
  int number = 0;
  if (!ReadInt(c.reader, number))
    return c.Fail(std::string(EntityWord(kind)) + " number expected (" + std::to_string(entry) + " of " +
                  std::to_string(entries) + " entries read).");
  if (number < 1 || static_cast<size_t>(number) > item_count)
    return c.Fail(std::string(EntityWord(kind)) + " " + std::to_string(number) + " is not in the mesh (" +
                  (item_count == 0 ? std::string("no ") + EntityWord(kind) + "s loaded"
                                   : "1.." + std::to_string(item_count)) +
                  ").");
  index = static_cast<size_t>(number) - 1;
  return true;
}

// One highlight item: the item line (not used), then 8 characters not used
// and six 12-character reals.
bool ReadHighlight(ReadContext& c, HighlightRecord& record) {
  TokenReader& r = c.reader;
  if (r.pos > 0 && r.pos < r.text.size() && r.text[r.pos - 1] != '\n') SkipRestOfLine(r);
  if (AtEnd(r)) return c.Fail("highlight item line missing.");
  SkipRestOfLine(r);
  if (r.pos >= r.text.size()) return c.Fail("highlight line missing.");
  const std::string line = RestOfLine(r);
  for (size_t k = 0; k < 6; ++k) {
    const size_t begin = kHighlightIndent + k * kHighlightField;
    std::string_view field = begin < line.size() ? std::string_view(line).substr(begin, kHighlightField) : "";
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    if (!ParseFloat(field, record.values[k]))
      return c.Fail("highlight real " + std::to_string(k + 1) + " is not a 12-character number (\"" +
                    std::string(field) + "\").");
  }
  return true;
}

// Reads one block after its keyword and appends its Q entries to `added`.
//   first_frame: frame number of the block's first entry.
bool ReadBlock(ReadContext& c, BlockKind kind, int first_frame, std::vector<ResultEntry>& added) {
  TokenReader& r = c.reader;

  // 1. Header: I Q C E in 8-column fields, then the rest of the line.
  int independent = 0, quantities = 0, components = 0, entries = 0;
  if (!ReadHeaderField(r, independent) || !ReadHeaderField(r, quantities) || !ReadHeaderField(r, components) ||
      !ReadHeaderField(r, entries))
    return c.Fail("header must hold four integers.");
  if (independent < 0 || independent > kMaxIndependent)
    return c.Fail("independent-variable count " + std::to_string(independent) + " is not 0, 1 or 2.");
  if (quantities < 0 || components < 1 || entries < 0)
    return c.Fail("header counts " + std::to_string(quantities) + " " + std::to_string(components) + " " +
                  std::to_string(entries) + " are not valid.");
  SkipRestOfLine(r);

  // 2. Title lines: I independent variables, then Q quantities. Read before
  //    anything is allocated, so that a count beyond the content costs nothing.
  std::string variable_name[kMaxIndependent], variable_unit[kMaxIndependent];
  std::vector<std::string> names, units;
  std::string line, name, unit;
  for (int i = 0; i < independent + quantities; ++i) {
    if (!NextLine(r, line))
      return c.Fail("title line " + std::to_string(i + 1) + " of " + std::to_string(independent + quantities) +
                    " missing.");
    ParseTitleLine(line, name, unit);
    if (i < independent) {
      variable_name[i] = Cut(name, kResultNameLimit);
      variable_unit[i] = Cut(unit, kResultUnitLimit);
    } else {
      names.push_back(Cut(name, kResultNameLimit));
      units.push_back(Cut(unit, kResultUnitLimit));
    }
  }

  // 3. Values of the independent variables.
  float variable_value[kMaxIndependent] = {};
  for (int i = 0; i < independent; ++i) {
    if (!ReadFloat(r, variable_value[i]))
      return c.Fail("value of \"" + variable_name[i] + "\" is not a number.");
  }

  // 4. The Q new entries.
  const size_t item_count = ItemCountOf(kind, c.mesh);
  std::vector<ResultEntry> block(static_cast<size_t>(quantities));
  for (int q = 0; q < quantities; ++q) {
    ResultEntry& entry = block[static_cast<size_t>(q)];
    for (int i = 0; i < independent; ++i) {
      entry.variable_name[i] = variable_name[i];
      entry.variable_unit[i] = variable_unit[i];
      entry.variable_value[i] = variable_value[i];
    }
    entry.name = names[static_cast<size_t>(q)];
    entry.unit = units[static_cast<size_t>(q)];
    entry.frame = first_frame + q;
    entry.label_kind = independent;
    entry.location = LocationOf(kind);
    entry.component_count = kind == BlockKind::kElementVector ? components + 1 : components;
    entry.items.resize(item_count);
  }

  // 5. The E entries (a block without quantities has nothing to read in them).
  if (quantities == 0 && (kind == BlockKind::kScalar || kind == BlockKind::kHighlight)) entries = 0;
  for (int e = 0; e < entries; ++e) {
    size_t index = 0;
    switch (kind) {
      case BlockKind::kScalar:
        // Q x C reals; the first component of quantity q is the scalar of entry q.
        for (int q = 0; q < quantities; ++q) {
          ResultItem& item = block[static_cast<size_t>(q)].items[0];
          if (!ReadComponents(c, components, item.values, 1))
            return c.Fail("scalar entry " + std::to_string(e + 1) + " of " + std::to_string(entries) +
                          ": a number expected.");
          item.defined = 1;
        }
        break;
      case BlockKind::kNodal:
      case BlockKind::kElement:
        // k, then C reals per quantity; the first one is the value of entity k.
        if (!ReadEntity(c, kind, item_count, e, entries, index)) return false;
        for (int q = 0; q < quantities; ++q) {
          ResultItem& item = block[static_cast<size_t>(q)].items[index];
          if (!ReadComponents(c, components, item.values, 1))
            return c.Fail(std::string(EntityWord(kind)) + " " + std::to_string(index + 1) + ": a number expected.");
          item.defined = 1;
        }
        break;
      case BlockKind::kNodalVector:
      case BlockKind::kElementVector: {
        // k, then C reals per quantity. DPDT keeps the length |v| in slot 0;
        // VCDT keeps x, y, z in slots 0..2 and |(x, y, z)| in slot 3.
        if (!ReadEntity(c, kind, item_count, e, entries, index)) return false;
        for (int q = 0; q < quantities; ++q) {
          ResultItem& item = block[static_cast<size_t>(q)].items[index];
          double sum = 0;
          float xyz[3] = {};
          for (int k = 0; k < components; ++k) {
            float value = 0;
            if (!ReadFloat(r, value))
              return c.Fail(std::string(EntityWord(kind)) + " " + std::to_string(index + 1) +
                            ": a number expected.");
            if (k < 3) xyz[k] = value;
            if (kind == BlockKind::kNodalVector || k < 3) sum += static_cast<double>(value) * value;
          }
          const float length = static_cast<float>(std::sqrt(sum));
          if (kind == BlockKind::kNodalVector) {
            item.values[0] = length;
          } else {
            for (int k = 0; k < 6; ++k) item.values[k] = 0.0f;
            for (int k = 0; k < 3; ++k) item.values[k] = xyz[k];
            item.values[3] = length;
          }
          item.defined = 1;
        }
        break;
      }
      case BlockKind::kHighlight:
        // Per quantity: the item line and the line of six 12-character reals.
        for (int q = 0; q < quantities; ++q) {
          HighlightRecord record;
          if (!ReadHighlight(c, record)) return false;
          block[static_cast<size_t>(q)].highlights.push_back(record);
        }
        break;
    }
  }

  // 6. Quantity codes and labels.
  for (ResultEntry& entry : block) {
    entry.quantity_code = QuantityCodeOfUnit(entry.unit);
    BuildResultLabels(entry);
    added.push_back(std::move(entry));
  }
  return true;
}

}  // namespace

int ReadResultsText(ResultSet& set, const MeshModel& mesh, TokenReader& reader, std::string& message) {
  message.clear();
  ReadContext c{reader, mesh, message, {}};
  std::vector<ResultEntry> added;
  std::string_view token;
  // Every block is read into `added`; the set changes only when all are good.
  while (NextToken(reader, token)) {
    BlockKind kind;
    if (!FindBlockKind(token, kind)) continue;
    c.keyword = token;
    const int first_frame = static_cast<int>(set.entries.size() + added.size());
    try {
      if (!ReadBlock(c, kind, first_frame, added)) return 0;
    } catch (const std::bad_alloc&) {
      // A block whose counts ask for more entries than memory holds.
      c.Fail("not enough memory for its entries.");
      return 0;
    } catch (const std::length_error&) {
      c.Fail("not enough memory for its entries.");
      return 0;
    }
  }
  for (ResultEntry& entry : added) set.entries.push_back(std::move(entry));
  return 1;
}

int ReadResults(ResultSet& set, const MeshModel& mesh, const std::string& path, std::string& message) {
  message.clear();
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) {
    message = "Unable to open file: " + path;
    return -1;
  }
  return ReadResultsText(set, mesh, reader, message);
}

}  // namespace kv
