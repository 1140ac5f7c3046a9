#include "gui/shell/core/file_commands.h"

#include <algorithm>
#include <cctype>

#include "common/text/number_format.h"

namespace kv {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return Lower(path.substr(dot + 1));
}

// The filter whose extension matches, first match wins; `preferred` decides
// between filters that share an extension.
int FilterForExtension(const std::vector<std::string>& filters, const std::string& ext, int preferred) {
  if (ext.empty()) return 0;
  if (preferred > 0 && Lower(FilterExtension(filters[preferred - 1])) == ext) return preferred;
  for (size_t i = 0; i < filters.size(); ++i) {
    if (Lower(FilterExtension(filters[i])) == ext) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace

const std::vector<std::string>& ImportMeshFilters() {
  static const std::vector<std::string> filters = {
      "Model 2D Files (*.m2D)",          "Model 3D Files (*.m3D)",        "Stereolithography Files (*.stl)",
      "C-Mold Mesh Files (*.fem)",       "MoldFlow Mesh Files (*.mfl)",   "I-deas Simulation Files (*.unv)",
      "Patran Files (*.pat)",            "Abaqus Files (*.inp)",          "Ansys Files (*.ans)",
      "LS-Dyna Files (*.dyn)",           "GiD Mesh Files (*.msh)",        "Netgen Neutral Files (*.ngn)",
      "Gmsh Mesh Files (*.msh)",         "VRML Files (*.wrl)",            "Voxel Files (*.vox)",
  };
  return filters;
}

const std::vector<std::string>& ExportMeshFilters() {
  static const std::vector<std::string> filters = {
      "Model 2D Files (*.m2D)",
      "Model 3D Files (*.m3D)",
      "C-Mold Mesh Files (*.fem)",
      "VESTRA Mesh Files (*.pg1)",
      "VESTRA Mesh Files (*.pg2)",
      "VESTRA Mesh Files (*.pg3)",
      "I-deas Simulation Files (*.unv)",
      "AutoCAD Drawing Exchange Files (*.dxf)",
      "Stereolithography Binary Files (*.stl)",
      "Stereolithography ASCII Files (*.stl)",
      "Gmsh Mesh Files (*.msh)",
  };
  return filters;
}

const std::vector<std::string>& SaveImageFilters() {
  static const std::vector<std::string> filters = {"PNG File (*.png)", "Bitmap File (*.bmp)"};
  return filters;
}

std::string FilterExtension(const std::string& filter) {
  const size_t star = filter.find("*.");
  if (star == std::string::npos) return std::string();
  const size_t end = filter.find_first_of(";)", star);
  return filter.substr(star + 2, end == std::string::npos ? std::string::npos : end - star - 2);
}

std::string JobTitleFromPath(const std::string& path) {
  const std::string base = path.size() > 4 ? path.substr(0, path.size() - 4) : std::string();
  const size_t slash = base.find_last_of('/');
  return slash == std::string::npos ? base : base.substr(slash + 1);
}

int ImportFilterForPath(const std::string& path) {
  return FilterForExtension(ImportMeshFilters(), ExtensionOf(path), 13);
}

int ExportFilterForPath(const std::string& path) {
  const std::string ext = ExtensionOf(path);
  return FilterForExtension(ExportMeshFilters(), ext, ext == "stl" ? 9 : 0);
}

std::string ReadingLine(const std::string& path) { return "Reading file: " + path; }
std::string WritingLine(const std::string& path) { return "Writing file: " + path; }
std::string ElapsedLine(double seconds) { return Format("Elapsed time: %.2f seconds.", seconds); }

}  // namespace kv
