#pragma once
// Tables by layer: one row of through-thickness grid values per node or
// element.
//
// A table for `rows` entities and a grid of `points` values (layer count + 1)
// holds (rows + 1) x (points + 1) cells of 4 bytes: one spare row and one spare
// cell per row, so that the byte count of the run's memory accounting is that
// of the tables as the log reports them. Rows are 0-based; Row(i)[k] is grid
// point k (0 at the mid-plane or axis, points - 1 at the wall).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

struct LayerTable {
  int rows = 0;                // entities (nodes or elements)
  int points = 0;              // grid points per row (layer count + 1)
  std::vector<float> cells;    // (rows + 1) * (points + 1) values

  float* Row(int i) { return cells.data() + static_cast<size_t>(i) * (points + 1); }
  const float* Row(int i) const { return cells.data() + static_cast<size_t>(i) * (points + 1); }
};

// Bytes a table of `rows` entities and `points` grid values occupies:
// (rows + 1) x 4 x (points + 1). 64-bit, so large meshes cannot overflow it.
int64_t LayerTableBytes(int rows, int points);

// Sizes `table` zero-filled. Returns false (table left empty) when the memory
// cannot be had.
bool AllocateLayerTable(LayerTable& table, int rows, int points);

// Sets every grid value of every row to `value`.
void FillLayerTable(LayerTable& table, float value);

}  // namespace kv
