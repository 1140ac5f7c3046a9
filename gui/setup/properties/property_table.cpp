#include "gui/setup/properties/property_table.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "mesh/engine/fix_mesh.h"

namespace kv {
namespace {

// Category codes in the order of the "Type:" combo box.
constexpr int kTypeCategories[kPropertyTypeCount] = {kConnector,      kColdRunner,     kHotRunner,   kPartRunner,
                                                     kCoolingChannel, kCoolingSurface, kMoldSurface, kPartSurface,
                                                     kPartDualSurface, kPartVolume};

// Compared in the records' own float precision, so that sizes typed exactly
// one tolerance apart count as equal.
constexpr float kSizeTolerance = 1e-5f;    // m, equal thickness or diameter
constexpr float kShapeTolerance = 0.001f;  // equal shape factor

// Codes whose size is a diameter (the Connector's is shown, not stored).
bool StoresDiameter(int code) {
  return code == kColdRunner || code == kHotRunner || code == kPartRunner || code == kCoolingChannel;
}
bool StoresThickness(int code) { return code == kPartSurface || code == kPartDualSurface; }

bool ReadNumber(const std::string& text, double* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(begin, &end);
  if (end == begin || errno == ERANGE || !std::isfinite(*value)) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

}  // namespace

int CategoryOfTypePosition(int position) {
  return position >= 0 && position < kPropertyTypeCount ? kTypeCategories[position] : -1;
}

int TypePositionOfCategory(int category) {
  for (int i = 0; i < kPropertyTypeCount; ++i)
    if (kTypeCategories[i] == category) return i;
  return -1;
}

std::string PropertyRow(const ElementProperty& property) {
  return std::to_string(property.identifier) + " - " + property.name;
}

int AppendNewProperty(MeshModel& model) {
  ElementProperty p;
  // The count, as in a compacted table; read meshes number their properties
  // from 1, where the count is already taken: then one above the largest.
  int identifier = static_cast<int>(model.properties.size());
  bool taken = false;
  int largest = -1;
  for (const ElementProperty& q : model.properties) {
    taken = taken || q.identifier == identifier;
    largest = std::max(largest, q.identifier);
  }
  if (taken && largest < std::numeric_limits<int>::max()) identifier = largest + 1;
  p.identifier = identifier;
  p.category = kConnector;
  p.name = "New property";
  model.properties.push_back(p);
  return static_cast<int>(model.properties.size()) - 1;
}

std::string PropertySizeText(const ElementProperty& p) {
  if (p.category == kConnector || StoresDiameter(p.category)) return Format("%g", double(p.diameter));
  if (StoresThickness(p.category)) return Format("%g", double(p.thickness));
  return "0";
}

int ApplyPropertyEdit(MeshModel& model, int index, const std::string& name, int position, double size) {
  if (index < 0 || index >= static_cast<int>(model.properties.size())) return -1;
  const int code = CategoryOfTypePosition(position);
  if (code < 0) return -1;
  ElementProperty& p = model.properties[index];
  p.name = name.substr(0, kPropertyNameLimit - 1);
  p.category = code;
  if (StoresDiameter(code)) p.diameter = static_cast<float>(size);
  if (StoresThickness(code)) p.thickness = static_cast<float>(size);
  // The elements that carry the property (by its index: identifiers of read
  // meshes are numbered from 1) follow it.
  int changed = 0;
  for (Element& e : model.elements) {
    if (e.property != index) continue;
    bool differs = e.category != code;
    e.category = code;
    if (StoresDiameter(code) && e.diameter != p.diameter) {
      e.diameter = p.diameter;
      differs = true;
    }
    if (StoresThickness(code) && e.thickness != p.thickness) {
      e.thickness = p.thickness;
      differs = true;
    }
    if (differs) ++changed;
  }
  return changed;
}

int RemoveUnassignedProperties(MeshModel& model) {
  const int count = static_cast<int>(model.properties.size());
  std::vector<char> used(count, 0);
  for (const Element& e : model.elements)
    if (e.property >= 0 && e.property < count) used[e.property] = 1;
  std::vector<int> renumber(count, -1);
  std::vector<ElementProperty> kept;
  for (int i = 0; i < count; ++i) {
    if (!used[i]) continue;
    renumber[i] = static_cast<int>(kept.size());
    kept.push_back(model.properties[i]);
    kept.back().identifier = renumber[i];
  }
  for (Element& e : model.elements)
    if (e.property >= 0) e.property = e.property < count ? renumber[e.property] : -1;
  model.properties.swap(kept);
  return count - static_cast<int>(model.properties.size());
}

int MergeEquivalentProperties(MeshModel& model) {
  const std::vector<ElementProperty>& p = model.properties;
  const int count = static_cast<int>(p.size());
  std::vector<int> map(count, -1);
  for (int i = 0; i < count; ++i) {
    if (map[i] >= 0) continue;
    for (int j = i + 1; j < count; ++j) {
      if (map[j] >= 0 || p[j].category != p[i].category) continue;
      if (std::fabs(p[j].thickness - p[i].thickness) <= kSizeTolerance &&
          std::fabs(p[j].diameter - p[i].diameter) <= kSizeTolerance &&
          std::fabs(p[j].shape_factor - p[i].shape_factor) <= kShapeTolerance)
        map[j] = i;
    }
  }
  for (Element& e : model.elements)
    if (e.property >= 0 && e.property < count && map[e.property] >= 0) e.property = map[e.property];
  return RemoveUnassignedProperties(model);
}

int ApplyFixMesh(MeshModel& model, const FixMeshFields& fields, std::string& error) {
  double distance = 0, aspect = 0, thickness = 0;
  if (!ReadNumber(fields.distance, &distance) || !ReadNumber(fields.aspect, &aspect) ||
      !ReadNumber(fields.thickness, &thickness)) {
    error = "Enter numbers in the three fields.";
    return 0;
  }
  return FixMesh(model, distance, aspect, thickness, error);
}

float ApplyTransparency(int position, bool* opaque) {
  const float factor = static_cast<float>(std::clamp(position, 0, 10)) / 10.0f;
  *opaque = factor == 1.0f;
  AppendOutput(Format("Transparency factor set to: %f", double(factor)));
  return factor;
}

}  // namespace kv
