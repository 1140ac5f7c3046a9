#include "gui/shell/core/batch_options.h"

#include "gui/shell/core/mesh_commands.h"
#include "gui/shell/core/shell_state.h"

namespace kv {

const char* BatchUsage() {
  return "Usage: kavitron [--help] [--version] [--screenshot FILE.png] [--view front|back|left|right|top|bottom|iso]\n"
         "                [--render surface-wireframe|facet-wireframe|shade|surface-outline|facet-outline]\n"
         "                [--run FILE.kvj] [--export OUT.m2D|.m3D|.fem|...]\n"
         "                [--results FILE.f2D] [--entry NAME [--frame N|last]]\n"
         "                [--avi FILE.avi [--avi-codec mjpeg|raw]] [--save OUT.sim] [MODEL]\n"
         "MODEL is a mesh file or a project (.sim). --entry shows a result entry (its label\n"
         "or quantity name; --frame picks the N-th frame of its series, 1-based).\n";
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
    } else if (a == "--results") {
      if (!value(&options->results)) return false;
    } else if (a == "--entry") {
      if (!value(&options->entry)) return false;
    } else if (a == "--frame") {
      if (!value(&v)) return false;
      if (v == "last") {
        options->frame = 0;
      } else {
        const size_t digits = v.find_first_not_of("0123456789");
        if (digits != std::string::npos || v.size() > 9 || std::stoi(v) < 1) {
          *error = "Frame must be a number from 1 or \"last\": " + v + ".";
          return false;
        }
        options->frame = std::stoi(v);
      }
    } else if (a == "--avi") {
      if (!value(&options->avi)) return false;
    } else if (a == "--avi-codec") {
      if (!value(&v)) return false;
      if (v != "mjpeg" && v != "raw") {
        *error = "Unknown AVI codec: " + v + ".";
        return false;
      }
      options->avi_codec = v == "mjpeg" ? 1 : 0;
    } else if (a == "--save") {
      if (!value(&options->save)) return false;
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
  if (!options->avi.empty() && options->entry.empty()) {
    *error = "--avi needs --entry.";
    return false;
  }
  return true;
}

}  // namespace kv
