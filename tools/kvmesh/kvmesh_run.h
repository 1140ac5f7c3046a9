#pragma once
// One run of kvmesh, apart from the process: parse the arguments, read the
// input mesh, run the given options, print the counts, write the output.

#include <iosfwd>
#include <string>
#include <vector>

namespace kv {

// Runs kvmesh on `arguments` (those after the program name).
//   out: the report (counts, option reports, "Writing file: ...").
//   err: the reason of a failure, "kvmesh: ..." on one line.
//   returns the exit status: 0 done; 1 the mesh could not be read, changed or
//   written; 2 the command line is wrong (the usage hint goes to `err`).
// The output is written to a scratch file beside OUTPUT and renamed over it
// only when complete, so a failed write never destroys an existing file
// (INPUT included, when OUTPUT names it).
int RunKvmesh(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace kv
