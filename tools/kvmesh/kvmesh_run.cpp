#include "tools/kvmesh/kvmesh_run.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "common/files/write_aside.h"
#include "common/mesh/mesh_model.h"
#include "common/output/pane_output.h"
#include "common/text/number_format.h"
#include "mesh/engine/rebuild.h"
#include "tools/kvmesh/kvmesh_options.h"
#include "tools/kvmesh/mesh_formats.h"

namespace kv {
namespace {

int Write(const MeshFormat& format, const MeshModel& model, const std::string& path, std::string& error) {
  const std::string scratch = AsideName(path);
  if (!format.write(model, scratch, error)) {
    DropAside(scratch);
    for (size_t at = error.find(scratch); at != std::string::npos; at = error.find(scratch, at + path.size()))
      error.replace(at, scratch.size(), path);
    return 0;
  }
  if (!ReplaceWithAside(scratch, path)) {
    error = path + ": cannot replace the file";
    return 0;
  }
  return 1;
}

}  // namespace

int RunKvmesh(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  KvmeshOptions options;
  std::vector<const KvmeshOption*> given;
  std::string error;
  if (!ParseKvmeshArguments(arguments, options, given, error)) {
    err << "kvmesh: " << error << "\nTry 'kvmesh --help'.\n";
    return 2;
  }
  if (options.help) {
    out << KvmeshUsage();
    return 0;
  }

  // Both formats are settled before anything is read.
  const MeshFormat* input = ChooseMeshFormat(options.input, options.input_format, true, error);
  if (!input) {
    err << "kvmesh: " << error << "\n";
    return 2;
  }
  const MeshFormat* output = nullptr;
  if (!options.output.empty()) {
    output = ChooseMeshFormat(options.output, options.output_format, false, error);
    if (!output) {
      err << "kvmesh: " << error << "\n";
      return 2;
    }
  }

  MeshModel model;
  out << "Reading file: " << options.input << "\n";
  int read = input->read(model, options.input, error);
  if (read == -1) {
    err << "kvmesh: " << options.input << ": cannot open the file\n";
    return 1;
  }
  if (read != 1) {
    err << "kvmesh: " << error << "\n";
    return 1;
  }
  {
    // Centroids, faces, pairing, sizes and tetrahedron thickness; a warning
    // of the rebuild goes to the report like every other line.
    PaneCapture capture;
    RebuildAfterRead(model);
    for (const std::string& line : capture.output) out << line << "\n";
  }
  out << Format("Number of nodes:      %d\n", static_cast<int>(model.nodes.size()));
  out << Format("Number of elements:   %d\n", static_cast<int>(model.elements.size()));
  out << Format("Number of properties: %d\n", static_cast<int>(model.properties.size()));

  for (const KvmeshOption* option : given) {
    if (!option->run) continue;
    if (!option->run(model, options, out, error)) {
      err << "kvmesh: " << option->name << ": " << error << "\n";
      return 1;
    }
  }

  if (output) {
    out << "Writing file: " << options.output << "\n";
    if (!Write(*output, model, options.output, error)) {
      err << "kvmesh: " << error << "\n";
      return 1;
    }
  }
  out << "Done.\n";
  return 0;
}

}  // namespace kv
