#include "common/results/result_set.h"

#include "common/text/number_format.h"

namespace kv {
namespace {

struct UnitCode {
  const char* unit;
  int code;
};

constexpr UnitCode kUnitCodes[] = {
    {"s", kQuantityTime},         {"m", kQuantityLength},        {"K", kQuantityTemperature},
    {"K(d)", kQuantityTemperatureDifference}, {"m/s", kQuantityVelocity},
    {"Pa", kQuantityPressure},    {"N", kQuantityForce},         {"1/s", kQuantityShearRate},
    {"m^3/s", kQuantityFlowRate},
};

std::string Cut(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

// One built-in entry of the reset set: an element entry of length values.
ResultEntry PropertyEntry(const char* name, int frame, size_t element_count) {
  ResultEntry entry;
  entry.name = name;
  entry.unit = "m";
  entry.frame = frame;
  entry.label_kind = 0;
  entry.location = kElementResult;
  entry.quantity_code = kQuantityLength;
  entry.items.resize(element_count);
  BuildResultLabels(entry);
  return entry;
}

}  // namespace

const char* ResultLocationName(int location) {
  switch (location) {
    case kNodalResult: return "nodal";
    case kElementResult: return "element";
    case kTwoSidedResult: return "element two-sided";
    case kGlobalResult: return "global scalar";
    case kElementVectorResult: return "element vector";
    case kHighlightResult: return "highlight";
  }
  return "unknown";
}

int QuantityCodeOfUnit(const std::string& unit) {
  for (const UnitCode& u : kUnitCodes)
    if (unit == u.unit) return u.code;
  return kQuantityOther;
}

void BuildResultLabels(ResultEntry& entry) {
  const char* name = entry.name.c_str();
  const char* unit = entry.unit.c_str();
  const double time = entry.variable_value[0];
  const double thickness = entry.variable_value[1];
  std::string plain = Format("%s [%s]", name, unit);
  std::string numbered = Format("%s [%s] - %4d", name, unit, entry.frame);
  std::string extra;
  if (entry.label_kind == 1) extra = Format(" : Time = %.6f", time);
  if (entry.label_kind == 2) extra = Format(" : Time = %.6f : Normalized thickness = %.6f", time, thickness);
  entry.short_label = Cut(plain + extra, kResultShortLabelLimit);
  entry.long_label = Cut(numbered + extra, kResultLongLabelLimit);
}

void BuildPropertyResults(ResultSet& set, const MeshModel& mesh) {
  const size_t count = mesh.elements.size();
  std::vector<ResultEntry> entries;
  entries.push_back(PropertyEntry("Thickness", 0, count));
  entries.push_back(PropertyEntry("Diameter", 1, count));
  for (size_t e = 0; e < count; ++e) {
    const Element& element = mesh.elements[e];
    // Shell thickness for triangles and tetrahedra, diameter for beams.
    if (element.type == kTriangle || element.type == kTetrahedron) {
      entries[0].items[e].values[0] = element.thickness;
      entries[0].items[e].defined = 1;
    }
    if (element.type == kBeam) {
      entries[1].items[e].values[0] = element.diameter;
      entries[1].items[e].defined = 1;
    }
  }
  set.entries = std::move(entries);
  set.current = 0;
}

int DefinedItemRange(const ResultEntry& entry, float& minimum, float& maximum) {
  int count = 0;
  minimum = maximum = 0.0f;
  const int slot = entry.location == kElementVectorResult ? 3 : 0;
  for (const ResultItem& item : entry.items) {
    if (item.defined != 1) continue;
    const float v = item.values[slot];
    if (count == 0 || v < minimum) minimum = v;
    if (count == 0 || v > maximum) maximum = v;
    ++count;
  }
  return count;
}

}  // namespace kv
