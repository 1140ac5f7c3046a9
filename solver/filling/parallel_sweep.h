#pragma once
// Per-element and per-node sweeps of the filling pass on the matrix library's
// threads. The body handles one index and writes only what belongs to it, so
// the outcome does not depend on the number of threads.

#include <cstdint>

#include "solver/matrix/parallel.h"

namespace kv {

// Runs body(k) for k = 0 .. count - 1, in the library's fixed chunks.
template <typename Body>
void ParallelForEach(int count, Body body) {
  auto chunk = [&body](uint32_t first, uint32_t last) {
    for (uint32_t k = first; k <= last; ++k) body(static_cast<int>(k) - 1);
  };
  if (count > 0) ForEachChunk(1, static_cast<uint32_t>(count), chunk);
}

}  // namespace kv
