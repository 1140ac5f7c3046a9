// fluxar: the mold-filling solver. One argument, the job name (the path of
// the job's files without extension).
#include "solver/driver/entry.h"
#include "solver/driver/filling_run.h"

int main(int argc, char** argv) {
  kv::KeepFreedMemoryForReuse();
  kv::SolverOutput out;
  return kv::FluxarMain(argc, argv, out);
}
