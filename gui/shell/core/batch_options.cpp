#include "gui/shell/core/batch_options.h"

#include "gui/shell/core/mesh_commands.h"
#include "gui/shell/core/shell_state.h"

namespace kv {

const char* BatchUsage() {
  return "Usage: kavitron [--help] [--version] [--screenshot FILE.png] [--view front|back|left|right|top|bottom|iso]\n"
         "                [--render surface-wireframe|facet-wireframe|shade|surface-outline|facet-outline]\n"
         "                [--run FILE.kvj] [--export OUT.m2D|.m3D|.fem|...] [MODEL]\n";
}

const char* VersionText() { return "KAVITRON Version 2012 beta\n"; }

bool DisplayAvailable(const char* display, const char* wayland_display, const char* qt_platform,
                      const std::vector<std::string>& args) {
  auto named = [](const char* v) { return v != nullptr && *v != '\0'; };
  if (named(display) || named(wayland_display) || named(qt_platform)) return true;
  for (const std::string& a : args)
    if (a == "-platform" || a == "--platform" || a.starts_with("-platform=")) return true;
  return false;
}

bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions* options, std::string* error) {
  *options = BatchOptions();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        *error = "Missing value after " + a + ".";
        return false;
      }
      *out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      options->help = true;
    } else if (a == "--version") {
      options->version = true;
    } else if (a == "--screenshot") {
      if (!value(&options->screenshot)) return false;
    } else if (a == "--run") {
      if (!value(&options->journal)) return false;
    } else if (a == "--export") {
      if (!value(&options->export_path)) return false;
      if (ExportFilterForPath(options->export_path) == 0) {
        *error = "Unknown mesh file extension: " + options->export_path + ".";
        return false;
      }
    } else if (a == "--view") {
      if (!value(&v)) return false;
      options->view = StandardViewFromName(v);
      if (options->view < 0) {
        *error = "Unknown view: " + v + ".";
        return false;
      }
    } else if (a == "--render") {
      if (!value(&v)) return false;
      options->render_mode = RenderModeFromName(v);
      if (options->render_mode < 0) {
        *error = "Unknown render mode: " + v + ".";
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      *error = "Unknown option: " + a + ".";
      return false;
    } else {
      if (!options->model.empty()) {
        *error = "Only one model can be given.";
        return false;
      }
      options->model = a;
    }
  }
  return true;
}

}  // namespace kv
