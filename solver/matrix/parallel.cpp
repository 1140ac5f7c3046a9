// Thread count and the chunked parallel loop of the matrix library: a small
// pool of worker threads that sleep between loops (they never spin, so that
// idle workers cost other processes nothing).
#include "solver/matrix/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

namespace {

int g_threadOverride = 0;

int ThreadsFromEnvironment() {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const char* text = std::getenv("KAVITRON_THREADS");
  if (text == nullptr || *text == '\0') return cores;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 1) return cores;
  return value < cores ? static_cast<int>(value) : cores;
}

// One parallel loop: chunks taken in turn by whichever thread is free; each
// chunk's work does not depend on which thread does it.
struct Loop {
  void (*body)(void*, uint32_t, uint32_t) = nullptr;
  void* context = nullptr;
  uint32_t begin = 0, end = 0;
  uint32_t chunks = 0;
  std::atomic<uint32_t> next{0};
  std::atomic<uint32_t> done{0};
};

void RunChunks(Loop& loop) {
  for (uint32_t c = loop.next.fetch_add(1); c < loop.chunks; c = loop.next.fetch_add(1)) {
    const uint32_t first = loop.begin + c * kParallelChunk;
    loop.body(loop.context, first, std::min(loop.end, first + kParallelChunk - 1));
    loop.done.fetch_add(1);
  }
}

class Pool {
 public:
  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

  // Runs the loop on the calling thread and threads - 1 workers.
  void Run(Loop& loop, int threads) {
    std::lock_guard<std::mutex> serial(runMutex_);
    while (static_cast<int>(workers_.size()) < threads - 1) workers_.emplace_back([this] { Work(); });
    {
      std::lock_guard<std::mutex> lock(mutex_);
      loop_ = &loop;
      helpers_ = threads - 1;
      ++generation_;
    }
    wake_.notify_all();
    RunChunks(loop);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return loop.done.load() == loop.chunks && active_ == 0; });
    loop_ = nullptr;
  }

 private:
  void Work() {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stopping_ || (generation_ != seen && loop_ != nullptr && helpers_ > 0); });
      if (stopping_) return;
      seen = generation_;
      --helpers_;
      ++active_;
      Loop* loop = loop_;
      lock.unlock();
      RunChunks(*loop);
      lock.lock();
      --active_;
      finished_.notify_all();
    }
  }

  std::mutex runMutex_;  // one loop at a time
  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  std::vector<std::thread> workers_;
  Loop* loop_ = nullptr;
  uint64_t generation_ = 0;
  int helpers_ = 0;  // workers still to join the current loop
  int active_ = 0;   // workers inside the current loop
  bool stopping_ = false;
};

Pool& ThePool() {
  static Pool pool;
  return pool;
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
  const uint32_t chunks = (count + kParallelChunk - 1) / kParallelChunk;
  // Threads only where each gets enough work to repay waking it.
  const int threads = count >= kParallelMinimum ? std::min<int>(MatrixThreadCount(), chunks) : 1;
  Loop loop;
  loop.body = body;
  loop.context = context;
  loop.begin = begin;
  loop.end = end;
  loop.chunks = chunks;
  if (threads <= 1) {
    RunChunks(loop);
  } else {
    ThePool().Run(loop, threads);
  }
}

}  // namespace kv
