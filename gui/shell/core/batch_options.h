#pragma once
// The command line of kavitron:
//   kavitron [--screenshot FILE.png] [--view front|back|left|right|top|bottom|iso]
//            [--render NAME] [--run FILE.kvj] [--export OUT] [--results FILE.f2D]
//            [--entry NAME [--frame N|last]] [--avi FILE.avi [--avi-codec mjpeg|raw]]
//            [--save OUT.sim] [MODEL]
// NAME is one of surface-wireframe, facet-wireframe, shade, surface-outline,
// facet-outline. MODEL is a mesh file or a project file (".sim").

#include <string>
#include <vector>

namespace kv {

struct BatchOptions {
  std::string screenshot;   // PNG to write; empty: run interactively
  int view = -1;            // StandardViewKind, -1: keep the start view
  int render_mode = -1;     // RenderMode, -1: keep the start mode
  std::string model;        // mesh to import or project to open, empty for none
  std::string journal;      // command journal to replay after the import, empty for none
  std::string export_path;  // mesh to export at the end (format by extension), empty for none
  std::string results;      // result file to read after the model
  std::string entry;        // result entry to show: its long label or quantity name
  int frame = 1;            // 1-based frame of the entry's series; 0 the last
  std::string avi;          // animation of the shown entry to write
  int avi_codec = 1;        // 1 Motion-JPEG, 0 uncompressed frames
  std::string save;         // project file written after everything else
  bool help = false;        // --help was given
  bool version = false;     // --version was given

  // True when the program runs without a person: it does what the options
  // ask and ends instead of opening the window for use.
  bool Batch() const {
    return !screenshot.empty() || !journal.empty() || !export_path.empty() || !avi.empty() || !save.empty();
  }
};

// Parses the arguments after the program name. Returns true when they are
// valid; otherwise `error` says what is wrong. Qt's own options have been
// removed by QApplication before this runs.
bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions* options, std::string* error);

// The usage text printed for --help and after a bad argument.
const char* BatchUsage();

// The line printed for --version.
const char* VersionText();

// True when a window can be shown: an X or Wayland display is named
// (`display`, `wayland_display`: the DISPLAY and WAYLAND_DISPLAY variables,
// nullptr when unset), or a Qt platform is chosen (`qt_platform`: the
// QT_QPA_PLATFORM variable, or a "-platform" argument in `args`).
bool DisplayAvailable(const char* display, const char* wayland_display, const char* qt_platform,
                      const std::vector<std::string>& args);

}  // namespace kv
