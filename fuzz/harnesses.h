#pragma once
// Fuzz harnesses of every reader entry point of the suite: each takes one
// input (any bytes), hands it to its reader as a file, and checks what a
// successful read must guarantee (finite numbers, indices inside their
// tables, a mesh that our own writer and reader take back). A broken
// guarantee aborts, which libFuzzer reports as a finding and the replay test
// as a failure.
//
// The same functions serve the libFuzzer programs (clang, fuzz_main.cpp) and
// the replay of the kept corpus in the ordinary test build.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kv {

struct FuzzHarness {
  const char* name;    // harness and corpus folder name, e.g. "gmsh"
  const char* reader;  // the reader entry point it drives, e.g. "ReadGmshMesh"
  int (*run)(const uint8_t* data, size_t size);  // always returns 0
};

// Every harness, one per reader entry point.
const std::vector<FuzzHarness>& FuzzHarnesses();

// The harness named `name`, or nullptr.
const FuzzHarness* FindFuzzHarness(std::string_view name);

}  // namespace kv
