#include "common/results/restart_file.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace kv {
namespace {

// Values written per call to fwrite.
constexpr size_t kChunk = 4096;

// Writes `count` floats as little-endian 32-bit values, whatever the byte
// order of the machine.
bool PutFloats(std::FILE* file, const float* values, size_t count) {
  unsigned char bytes[kChunk * 4];
  while (count > 0) {
    const size_t n = count < kChunk ? count : kChunk;
    for (size_t i = 0; i < n; ++i) {
      uint32_t bits;
      std::memcpy(&bits, &values[i], 4);
      bytes[4 * i + 0] = static_cast<unsigned char>(bits);
      bytes[4 * i + 1] = static_cast<unsigned char>(bits >> 8);
      bytes[4 * i + 2] = static_cast<unsigned char>(bits >> 16);
      bytes[4 * i + 3] = static_cast<unsigned char>(bits >> 24);
    }
    if (std::fwrite(bytes, 4, n, file) != n) return false;
    values += n;
    count -= n;
  }
  return true;
}

// True when a by-layer table holds `rows` rows of `width` values at `stride`.
bool TableFits(std::span<const float> table, size_t rows, int stride, int width) {
  if (stride < width) return false;
  if (rows == 0) return true;
  return table.size() >= (rows - 1) * static_cast<size_t>(stride) + static_cast<size_t>(width);
}

bool PutTable(std::FILE* file, std::span<const float> table, size_t rows, int stride, int width) {
  for (size_t r = 0; r < rows; ++r) {
    if (!PutFloats(file, table.data() + r * static_cast<size_t>(stride), static_cast<size_t>(width)))
      return false;
  }
  return true;
}

}  // namespace

int WriteRestartFile(std::FILE* file, const RestartState& state) {
  const size_t nodes = state.fill_time.size();
  const size_t elements = state.wall_heat.size();
  const int width = state.layer_count + 1;
  if (!file || state.layer_count < 1 || state.fill_state.size() != nodes || state.pressure.size() != nodes ||
      state.flow_rate.size() != nodes ||
      !TableFits(state.element_temperature, elements, state.element_stride, width) ||
      !TableFits(state.node_temperature, nodes, state.node_stride, width))
    return -1;

  // The four scalars at offset 0, then the arrays from offset 80.
  const float scalars[4] = {state.time, state.filled_percentage, state.clamp_force, state.ram_speed};
  bool ok = PutFloats(file, scalars, 4) && std::fseek(file, kRestartArraysOffset, SEEK_SET) == 0 &&
            PutFloats(file, state.fill_time.data(), nodes) && PutFloats(file, state.fill_state.data(), nodes) &&
            PutFloats(file, state.pressure.data(), nodes) && PutFloats(file, state.flow_rate.data(), nodes) &&
            PutFloats(file, state.wall_heat.data(), elements) &&
            PutTable(file, state.element_temperature, elements, state.element_stride, width) &&
            PutTable(file, state.node_temperature, nodes, state.node_stride, width);
  return ok && !std::ferror(file) ? 1 : -1;
}

}  // namespace kv
