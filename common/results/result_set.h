#pragma once
// The result set of the pre-processor: the growing array of entries, each one
// quantity at one time step (or a global scalar, an element vector field, a
// highlight), with labels, location kind, quantity code and per-entity items.
//
// Entries are appended by the result-file reader (result_reader.h); after an
// import or a mesh rebuild the set is reset to the two built-in entries
// "Thickness" and "Diameter" (BuildPropertyResults). The record carries every
// field the project file stores.

#include <cstdint>
#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// Location kinds of an entry.
enum ResultLocation : int {
  kNodalResult = 0,          // one item per node (NDDT, DPDT)
  kElementResult = 1,        // one item per element (ELDT)
  kTwoSidedResult = 2,       // element with two sides (made by the mesh checks, never by a file)
  kGlobalResult = 4,         // one global scalar (SCDT)
  kElementVectorResult = 5,  // one vector per element (VCDT)
  kHighlightResult = 6,      // highlight geometry (HLDT)
};

// Quantity codes, from the unit text; the display converts units by them.
enum QuantityCode : int {
  kQuantityTime = 0,         // "s"
  kQuantityLength = 1,       // "m"
  kQuantityTemperature = 2,  // "K"
  kQuantityTemperatureDifference = 3,  // "K(d)"
  kQuantityVelocity = 4,     // "m/s"
  kQuantityPressure = 5,     // "Pa"
  kQuantityForce = 6,        // "N"
  kQuantityShearRate = 7,    // "1/s"
  kQuantityFlowRate = 8,     // "m^3/s"
  kQuantityOther = 9,        // any other unit
};

// Text limits in characters (the project file stores one byte more for the
// terminating zero).
inline constexpr size_t kResultLongLabelLimit = 99;
inline constexpr size_t kResultShortLabelLimit = 84;
inline constexpr size_t kResultNameLimit = 59;
inline constexpr size_t kResultUnitLimit = 19;

// One node, element or scalar of an entry: nine 32-bit slots.
struct ResultItem {
  float values[8] = {};  // slot 0 the value (or x), 1 and 2 y and z, 3 the vector length
  int32_t defined = 0;   // slot 8: 1 when the entity had a value, else 0
};

// One highlight record: two points (m).
struct HighlightRecord {
  float values[6] = {};  // x1 y1 z1 x2 y2 z2
};

struct ResultEntry {
  std::string long_label;      // "%s [%s] - %4d ..." (<= 99 characters)
  std::string short_label;     // "%s [%s] ..." (<= 84 characters)
  std::string variable_name[2];  // first and second independent variable (<= 59)
  std::string variable_unit[2];  // (<= 19)
  float variable_value[2] = {};  // time (s), normalized thickness
  int frame = 0;               // the entry's index in the result set
  int label_kind = 0;          // independent-variable count I: 0, 1 or 2
  int unit_state = 0;          // 0: values as read, in SI units
  int location = kNodalResult; // ResultLocation
  int quantity_code = kQuantityOther;
  int invert_colours = 0;      // colour-inversion flag
  std::vector<HighlightRecord> highlights;
  std::vector<ResultItem> items;
  int component_count = 1;     // 1 scalar; 4 for element vectors (x, y, z, length)
  std::string name;            // quantity name (<= 59)
  std::string unit;            // quantity unit (<= 19)
};

struct ResultSet {
  std::vector<ResultEntry> entries;
  int current = -1;            // 0-based index of the current entry, -1 none
};

// Name of a location kind for reports: "nodal", "element", "element two-sided",
// "global scalar", "element vector", "highlight"; "unknown" for other codes.
const char* ResultLocationName(int location);

// Quantity code of a unit text ("Pa" -> 5, "MPa" -> 9).
int QuantityCodeOfUnit(const std::string& unit);

// Builds the short and long labels of `entry` from its name, unit, frame
// number, label kind and independent-variable values:
//   short "%s [%s]", "%s [%s] : Time = %.6f",
//         "%s [%s] : Time = %.6f : Normalized thickness = %.6f";
//   long  "%s [%s] - %4d" and the same additions; cut at 84 and 99 characters.
void BuildResultLabels(ResultEntry& entry);

// Replaces the result set by the two entries built from the mesh, with the
// current entry 0:
//   0 "Thickness" [m]: the thickness of every element of type 2 or 4, defined;
//   1 "Diameter" [m]: the diameter of every beam (type 1), defined.
// Both are element entries (location 1, quantity code 1, label kind 0) with
// one item per element; other elements are undefined.
void BuildPropertyResults(ResultSet& set, const MeshModel& mesh);

// Number of defined items of `entry`, and the smallest and largest of their
// values (both 0 when none is defined): slot 0, or for element vectors the
// length in slot 3.
int DefinedItemRange(const ResultEntry& entry, float& minimum, float& maximum);

}  // namespace kv
