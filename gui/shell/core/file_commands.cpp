#include "gui/shell/core/file_commands.h"

#include "common/text/number_format.h"

namespace kv {

const std::vector<std::string>& SaveImageFilters() {
  static const std::vector<std::string> filters = {"PNG File (*.png)", "Bitmap File (*.bmp)"};
  return filters;
}

std::string JobTitleFromPath(const std::string& path) {
  const std::string base = path.size() > 4 ? path.substr(0, path.size() - 4) : std::string();
  const size_t slash = base.find_last_of('/');
  return slash == std::string::npos ? base : base.substr(slash + 1);
}

std::string ReadingLine(const std::string& path) { return "Reading file: " + path; }
std::string WritingLine(const std::string& path) { return "Writing file: " + path; }
std::string ElapsedLine(double seconds) { return Format("Elapsed time: %.2f seconds.", seconds); }

}  // namespace kv
