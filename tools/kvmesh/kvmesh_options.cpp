#include "tools/kvmesh/kvmesh_options.h"

#include <algorithm>

#include "common/text/number_format.h"
#include "tools/kvmesh/mesh_formats.h"

namespace kv {

int ParseKvmeshArguments(const std::vector<std::string>& arguments, KvmeshOptions& options,
                         std::vector<const KvmeshOption*>& given, std::string& error) {
  options = KvmeshOptions{};
  given.clear();
  std::vector<std::string> files;
  const std::vector<KvmeshOption>& table = KvmeshOptionTable();
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a.size() < 2 || a.compare(0, 2, "--") != 0) {
      files.push_back(a);
      continue;
    }
    auto row = std::find_if(table.begin(), table.end(), [&](const KvmeshOption& o) { return a == o.name; });
    if (row == table.end()) {
      error = "unknown option '" + a + "'";
      return 0;
    }
    if (arguments.size() - i - 1 < static_cast<size_t>(row->argument_count)) {
      error = a + " needs " + std::to_string(row->argument_count) + " argument" +
              (row->argument_count > 1 ? "s" : "") + " (" + row->arguments + ")";
      return 0;
    }
    std::vector<std::string> values(arguments.begin() + i + 1, arguments.begin() + i + 1 + row->argument_count);
    i += row->argument_count;
    if (!row->store(options, values, error)) return 0;
    if (std::find(given.begin(), given.end(), &*row) == given.end()) given.push_back(&*row);
  }
  // Run in table order, whatever the order on the command line.
  std::sort(given.begin(), given.end());
  if (options.help) return 1;
  if (files.empty()) {
    error = "no INPUT mesh given";
    return 0;
  }
  if (files.size() > 2) {
    error = "more than INPUT and OUTPUT given ('" + files[2] + "')";
    return 0;
  }
  options.input = files[0];
  if (files.size() == 2) options.output = files[1];
  return 1;
}

std::string KvmeshUsage() {
  std::string text =
      "Usage: kvmesh INPUT [OUTPUT] [options]\n"
      "Reads the mesh INPUT, prints its node and element counts, and writes it\n"
      "to OUTPUT when given. The format of each file follows its extension.\n"
      "\nOptions:\n";
  for (const KvmeshOption& o : KvmeshOptionTable()) {
    std::string head = std::string(o.name) + (o.arguments[0] ? std::string(" ") + o.arguments : "");
    text += Format("  %-24s %s\n", head.c_str(), o.help);
  }
  text += "\nFormats (NAME: extensions, what is done with it):\n";
  for (const MeshFormat& f : MeshFormats()) {
    const char* modes = f.read && f.write ? "read, write" : f.read ? "read" : "write";
    text += Format("  %-8s %-12s %-12s %s\n", f.name, f.extensions, modes, f.description);
  }
  return text;
}

}  // namespace kv
