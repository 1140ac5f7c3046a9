#pragma once
// Writer of the restart file of a filling run (job name + ".ini"): the state at
// the end of filling as raw little-endian 32-bit floats.
//
// Layout (byte offsets):
//   0   time (s), filled percentage, clamp force (N), relative ram speed (0..1)
//   16  not written: the writer seeks to 80
//   80  per node: fill time (s), then fill state, then pressure (Pa), then flow
//       rate (m^3/s), each array node count values
//       per element: wall heat (J/m^2)
//       per element, its L + 1 grid temperatures (K)
//       per node, its L + 1 current grid temperatures (K)
// where L is the number of layers across the half gap. The file is
// 80 + 4 * (4 n + m + (L + 1) (m + n)) bytes long for n nodes and m elements.

#include <cstdio>
#include <span>

namespace kv {

inline constexpr long kRestartArraysOffset = 80;  // bytes

struct RestartState {
  float time = 0;               // s
  float filled_percentage = 0;  // 0..100
  float clamp_force = 0;        // N
  float ram_speed = 0;          // relative ram speed 0..1

  // One value per node each (0-based).
  std::span<const float> fill_time;   // s, -1 while empty
  std::span<const float> fill_state;  // -1 empty, 0..1
  std::span<const float> pressure;    // Pa
  std::span<const float> flow_rate;   // m^3/s

  std::span<const float> wall_heat;   // J/m^2, one value per element

  int layer_count = 0;                // L, layers across the half gap (>= 1)

  // By-layer tables, one row per element (node): the grid temperatures of
  // row r are values [r * stride, r * stride + L]; stride >= L + 1 lets the
  // caller pass its own padded tables without a copy.
  std::span<const float> element_temperature;  // K
  int element_stride = 0;
  std::span<const float> node_temperature;     // K
  int node_stride = 0;
};

// Writes `state` into `file`, opened for binary writing ("wb"). The node count
// is the length of `fill_time`, the element count that of `wall_heat`.
// Returns 1, or -1 when the arrays do not fit together (nothing is written
// then) or the file reports an error.
int WriteRestartFile(std::FILE* file, const RestartState& state);

}  // namespace kv
