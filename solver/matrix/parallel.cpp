// Thread count and the chunked parallel loop of the matrix library.
#include "solver/matrix/parallel.h"

#include <omp.h>

#include <cstdlib>
#include <thread>

namespace kv {

namespace {

int g_threadOverride = 0;

int ThreadsFromEnvironment() {
  const int cores = std::max(1u, std::thread::hardware_concurrency());
  const char* text = std::getenv("KAVITRON_THREADS");
  if (text == nullptr || *text == '\0') return cores;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 1) return cores;
  return value < cores ? static_cast<int>(value) : cores;
}

}  // namespace

int MatrixThreadCount() {
  static const int fromEnvironment = ThreadsFromEnvironment();
  return g_threadOverride > 0 ? g_threadOverride : fromEnvironment;
}

void SetMatrixThreadCount(int threads) { g_threadOverride = threads > 0 ? threads : 0; }

void ParallelChunks(uint32_t begin, uint32_t end, void (*body)(void* context, uint32_t first, uint32_t last),
                    void* context) {
  if (end < begin) return;
  const uint32_t count = end - begin + 1;
  const int64_t chunks = (count + kParallelChunk - 1) / kParallelChunk;
  const int threads = chunks > 1 ? MatrixThreadCount() : 1;
  if (threads <= 1) {
    for (int64_t c = 0; c < chunks; ++c) {
      const uint32_t first = begin + static_cast<uint32_t>(c) * kParallelChunk;
      body(context, first, std::min(end, first + kParallelChunk - 1));
    }
    return;
  }
#pragma omp parallel for schedule(static) num_threads(threads)
  for (int64_t c = 0; c < chunks; ++c) {
    const uint32_t first = begin + static_cast<uint32_t>(c) * kParallelChunk;
    body(context, first, std::min(end, first + kParallelChunk - 1));
  }
}

}  // namespace kv
