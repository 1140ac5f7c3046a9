// fluxar: the mold-filling solver. One argument, the job name (the path of
// the job's files without extension).
#include <csignal>

#include "solver/driver/entry.h"
#include "solver/driver/filling_run.h"

int main(int argc, char** argv) {
  kv::KeepFreedMemoryForReuse();
  // A write beyond the file-size limit fails like a full disk, so that the
  // run reports the file it could not write instead of being killed.
  std::signal(SIGXFSZ, SIG_IGN);
  kv::SolverOutput out;
  return kv::FluxarMain(argc, argv, out);
}
