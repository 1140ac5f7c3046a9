#include "common/mesh/mesh_model.h"

#include <cstring>

namespace kv {
namespace {

struct TypeInfo {
  int type;
  const char* keyword;
  int nodes;
};

constexpr TypeInfo kTypes[] = {
    {kBeam, "1D", 2},          {kTriangle, "TRI", 3}, {kQuadrilateral, "QUAD", 4},
    {kTetrahedron, "TETRA", 4}, {kPyramid, "PYRAMID", 5}, {kPrism, "PRISM", 6},
    {kHexahedron, "HEXA", 8},
};

struct CategoryInfo {
  int code;
  const char* stored;
  const char* written;
};

constexpr CategoryInfo kCategories[] = {
    {kConnector, "Connector", "Connector"},
    {kColdRunner, "Cold runner", "Cold solid runner"},
    {kHotRunner, "Hot runner", "Hot solid runner"},
    {kCoolingChannel, "Cooling channel", "Channel"},
    {kCoolingSurface, "Cooling surface", "Cooling surface"},
    {kMoldSurface, "Mold surface", "Mold surface"},
    {kPartRunner, "Part runner", "Part runner"},
    {kPartSurface, "Part surface", "Part surface"},
    {kPartDualSurface, "Part dual surface", "Part dual surface"},
    {kPartVolume, "Part volume", "Part volume"},
};

// Accepted file names in classification order.
struct AcceptedName {
  const char* text;
  int code;
  bool in_fem;
};

constexpr AcceptedName kAccepted[] = {
    {"Connector", kConnector, true},
    {"Cold solid runner", kColdRunner, true},
    {"Hot solid runner", kHotRunner, true},
    {"Baffle", kCoolingChannel, true},
    {"Hose", kCoolingChannel, true},
    {"Bubbler", kCoolingChannel, true},
    {"Channel", kCoolingChannel, true},
    {"Cooling surface", kCoolingSurface, false},
    {"Mold surface", kMoldSurface, false},
    {"Part runner", kPartRunner, true},
    {"Part surface", kPartSurface, true},
    {"Part dual surface", kPartDualSurface, false},
    {"Part volume", kPartVolume, true},
};

}  // namespace

int ElementTypeNodeCount(int type) {
  for (const TypeInfo& t : kTypes)
    if (t.type == type) return t.nodes;
  return 0;
}

const char* ElementTypeKeyword(int type) {
  for (const TypeInfo& t : kTypes)
    if (t.type == type) return t.keyword;
  return "";
}

int ElementTypeFromKeyword(const std::string& keyword) {
  for (const TypeInfo& t : kTypes)
    if (keyword == t.keyword) return t.type;
  return 0;
}

const char* CategoryName(int category) {
  for (const CategoryInfo& c : kCategories)
    if (c.code == category) return c.stored;
  return "";
}

const char* CategoryFileName(int category) {
  for (const CategoryInfo& c : kCategories)
    if (c.code == category) return c.written;
  return "";
}

int ClassifyPropertyName(const std::string& name, bool fem_names, bool* matched) {
  int code = kConnector;
  bool any = false;
  for (const AcceptedName& a : kAccepted) {
    if (fem_names && !a.in_fem) continue;
    size_t n = std::strlen(a.text);
    if (name.size() >= n && name.compare(0, n, a.text) == 0) {
      code = a.code;
      any = true;
    }
  }
  if (matched) *matched = any;
  return code;
}

}  // namespace kv
