// kvmesh: the pre-processor's mesh engine on the command line. Converts and
// checks meshes in scripts: kvmesh INPUT [OUTPUT] [options].

#include <iostream>
#include <string>
#include <vector>

#include "tools/kvmesh/kvmesh_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return kv::RunKvmesh(arguments, std::cout, std::cerr);
}
