#include "solver/state/layer_table.h"

#include <algorithm>
#include <new>

namespace kv {

int64_t LayerTableBytes(int rows, int points) {
  return (static_cast<int64_t>(rows) + 1) * 4 * (static_cast<int64_t>(points) + 1);
}

bool AllocateLayerTable(LayerTable& table, int rows, int points) {
  table = LayerTable{};
  if (rows < 0 || points < 1) return false;
  try {
    table.cells.assign(static_cast<size_t>(rows + 1) * static_cast<size_t>(points + 1), 0.0f);
  } catch (const std::bad_alloc&) {
    table.cells.clear();
    return false;
  }
  table.rows = rows;
  table.points = points;
  return true;
}

void FillLayerTable(LayerTable& table, float value) {
  std::fill(table.cells.begin(), table.cells.end(), value);
}

}  // namespace kv
