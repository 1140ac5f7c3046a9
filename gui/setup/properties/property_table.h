#pragma once
// The model side of Properties > View, Mesh > Fix and View > Transparency,
// without a display: the property table's New, Edit, Unassigned and Reassign
// operations, the Fix mesh settings, and the transparency factor.
// Property indices are 0-based; identifiers equal indices after compaction.

#include <string>

#include "common/mesh/mesh_model.h"

namespace kv {

inline constexpr int kPropertyTypeCount = 10;

// Category code of a "Type:" combo position (0..9), -1 outside.
int CategoryOfTypePosition(int position);
// Combo position of a category code, -1 for a code outside the table.
int TypePositionOfCategory(int category);

// The row "%d - %s" (identifier, name) of the View properties list.
std::string PropertyRow(const ElementProperty& property);

// New: appends "New property" with category 0 and zero sizes, identified by
// the old count, or by one above the largest identifier when the count is
// already taken (read meshes number their properties from 1). Returns its index.
int AppendNewProperty(MeshModel& model);

// The "Diameter/thickness:" text the Edit property dialog opens with ("%g").
std::string PropertySizeText(const ElementProperty& property);

// Edit property's OK: stores `name`, the category of combo `position`, and
// `size` as the diameter (codes 1, 2, 9, 3) or the thickness (10, 11); then
// every element whose property index equals the identifier takes the
// category and, for those codes, the size. Returns the number of elements
// changed (the display must rebuild its sizes when it is not 0); -1 when
// `index` or `position` is out of range (nothing changed).
int ApplyPropertyEdit(MeshModel& model, int index, const std::string& name, int position, double size);

// Unassigned: keeps the properties some element uses, in their order,
// renumbers identifiers and the elements' indices. Returns the number removed.
int RemoveUnassignedProperties(MeshModel& model);

// Reassign: a later property of the same category whose thickness and
// diameter lie within 1e-5 and whose shape factor lies within 0.001 of an
// earlier one is merged into it; then the unassigned ones are removed.
// Returns the number of properties removed.
int MergeEquivalentProperties(MeshModel& model);

// Fix mesh dialog: the three fields as typed ("%f" defaults 1e-5, 0.98, 0).
struct FixMeshFields {
  std::string distance = "0.000010";
  std::string aspect = "0.980000";
  std::string thickness = "0.000000";
};

// Fix mesh's OK: reads the fields as numbers and runs FixMesh. Returns 1, or
// 0 with `error` when a field is not a number (nothing changed then).
int ApplyFixMesh(MeshModel& model, const FixMeshFields& fields, std::string& error);

// Transparency's OK: factor = position / 10 (position 0..10, clamped), the
// opaque flag set exactly when the factor is 1; prints "Transparency factor
// set to: %f". Returns the factor.
float ApplyTransparency(int position, bool* opaque);

}  // namespace kv
