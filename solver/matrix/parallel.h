#pragma once
// Threads for the matrix library's vector and matrix products, with results
// that do not depend on the number of threads: every loop is cut into fixed
// chunks of kParallelChunk entries whatever the thread count, and every
// reduction sums its chunks' partial sums in chunk order.

#include <cstdint>
#include <vector>

namespace kv {

// Entries per chunk of a parallel loop or reduction.
inline constexpr uint32_t kParallelChunk = 4096;

// Loops shorter than this run on the calling thread alone (same chunks, same
// results): waking other threads costs more than they would save.
inline constexpr uint32_t kParallelMinimum = 32768;

// Threads the library uses: the value of the environment variable
// KAVITRON_THREADS when it is a whole number from 1 up (clamped to the
// number of cores), otherwise every core. Read once per process.
int MatrixThreadCount();

// Overrides the thread count for the rest of the process (0 returns to the
// environment's choice); used by tests and benchmarks to compare counts. Not
// to be called while a parallel loop runs.
void SetMatrixThreadCount(int threads);

// Sum over i = first..last (inclusive) of term(i) for the terms of one chunk:
// odd and even positions in two partial sums, added at the end.
template <typename Term>
double ChunkSum(uint32_t first, uint32_t last, Term term) {
  double odd = 0.0, even = 0.0;
  uint32_t i = first;
  for (; i + 1 <= last; i += 2) {
    odd += term(i);
    even += term(i + 1);
  }
  if (i <= last) odd += term(i);
  return odd + even;
}

// Runs body(first, last) for the chunks [first, last] covering begin..end
// (inclusive, end >= begin - 1), in parallel when there are several chunks.
// The chunks do not depend on the thread count.
void ParallelChunks(uint32_t begin, uint32_t end, void (*body)(void* context, uint32_t first, uint32_t last),
                    void* context);

// Typed front end of ParallelChunks.
template <typename Body>
void ForEachChunk(uint32_t begin, uint32_t end, Body& body) {
  ParallelChunks(
      begin, end, [](void* c, uint32_t first, uint32_t last) { (*static_cast<Body*>(c))(first, last); }, &body);
}

// Deterministic sum of term(i) for i = begin..end: ChunkSum per chunk, the
// chunk sums added in chunk order. For at most one chunk it equals ChunkSum.
template <typename Term>
double ParallelSum(uint32_t begin, uint32_t end, Term term) {
  if (end < begin) return 0.0;
  const uint32_t count = end - begin + 1;
  if (count <= kParallelChunk) return ChunkSum(begin, end, term);
  const uint32_t chunks = (count + kParallelChunk - 1) / kParallelChunk;
  std::vector<double> partial(chunks, 0.0);
  auto body = [&](uint32_t first, uint32_t last) {
    partial[(first - begin) / kParallelChunk] = ChunkSum(first, last, term);
  };
  ForEachChunk(begin, end, body);
  double sum = 0.0;
  for (double s : partial) sum += s;
  return sum;
}

// Runs body(k) for every index k = 0 .. count - 1 on the fixed chunks. The
// body handles one index and writes only what belongs to it, so the outcome
// does not depend on the number of threads.
template <typename Body>
void ParallelForEach(int count, Body body) {
  auto chunk = [&body](uint32_t first, uint32_t last) {
    for (uint32_t k = first; k <= last; ++k) body(static_cast<int>(k) - 1);
  };
  if (count > 0) ForEachChunk(1, static_cast<uint32_t>(count), chunk);
}

}  // namespace kv
