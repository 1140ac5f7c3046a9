#include "common/results/result_export.h"

#include <cstdio>
#include <memory>

#include "common/text/number_format.h"

namespace kv {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

int ExportNodalEntry(const ResultEntry& entry, const std::string& path, std::string& message) {
  message.clear();
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
  if (!file) {
    message = "Unable to create file: " + path;
    return -1;
  }
  std::string text = "---- Beginning of nodal data.\n";
  if (entry.location == kNodalResult) {
    // Only nodes with a value are listed: a node left out has none, and the
    // reader keeps it undefined.
    int listed = 0;
    for (const ResultItem& item : entry.items) listed += item.defined == 1;
    text += Format("NDDT%8d%8d%8d%8d\n", 0, 1, 1, listed);
    text += Format("        %-60s %-20s\n", entry.name.c_str(), entry.unit.c_str());
    for (size_t n = 0; n < entry.items.size(); ++n) {
      if (entry.items[n].defined != 1) continue;
      text += Format("%8d %8f\n", static_cast<int>(n + 1), static_cast<double>(entry.items[n].values[0]));
    }
  }
  const bool ok = std::fputs(text.c_str(), file.get()) >= 0 && std::fflush(file.get()) == 0;
  if (!ok) {
    message = "Unable to write file: " + path;
    return -1;
  }
  return 1;
}

}  // namespace kv
