// One libFuzzer program per harness: KV_FUZZ_HARNESS names it at build time.
#include <cstdio>
#include <cstdlib>

#include "fuzz/harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const kv::FuzzHarness* harness = [] {
    const kv::FuzzHarness* h = kv::FindFuzzHarness(KV_FUZZ_HARNESS);
    if (!h) {
      std::fprintf(stderr, "no fuzz harness named %s\n", KV_FUZZ_HARNESS);
      std::abort();
    }
    return h;
  }();
  return harness->run(data, size);
}
