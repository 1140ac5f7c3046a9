#include "gui/shell/core/shell_state.h"

#include "gui/shell/core/command_ids.h"
#include "gui/view/core/camera.h"
#include "gui/view/core/view_settings.h"

namespace kv {
namespace {

constexpr int kRenderCommands[] = {kCmdSurfaceWireframe, kCmdFacetWireframe, kCmdShade, kCmdSurfaceOutline,
                                   kCmdFacetOutline};
constexpr int kPickCommands[] = {kCmdPickVertex, kCmdPickLine, kCmdPickFacet,
                                 kCmdPickPlane,  kCmdPickSurface, kCmdPickShell};

int IndexIn(const int* table, int count, int id) {
  for (int i = 0; i < count; ++i) {
    if (table[i] == id) return i;
  }
  return -1;
}

}  // namespace

int RenderModeCommand(int render_mode) {
  return (render_mode >= 0 && render_mode < 5) ? kRenderCommands[render_mode] : 0;
}

int PickModeCommand(int pick_mode) { return (pick_mode >= 0 && pick_mode < 6) ? kPickCommands[pick_mode] : 0; }

CommandEffect ApplyFlagCommand(ShellState& state, int id) {
  CommandEffect e;
  ViewSettings& v = state.view;
  // A category toggle changes what is visible and pickable.
  auto category = [&e](bool& flag) {
    flag = !flag;
    e.handled = e.invalidate = e.redraw = e.visibility = e.check_marks = true;
  };
  const int render = IndexIn(kRenderCommands, 5, id);
  const int pick = IndexIn(kPickCommands, 6, id);
  if (render >= 0) {
    v.render_mode = render;
    e.handled = e.invalidate = e.redraw = e.check_marks = true;
    return e;
  }
  if (pick >= 0) {
    v.pick_mode = pick;
    e.handled = e.check_marks = true;
    return e;
  }
  switch (id) {
    case kCmdOrientation:
      v.triad = !v.triad;
      e.handled = e.redraw = e.check_marks = true;
      break;
    case kCmdLegend:
      v.legend = !v.legend;
      e.handled = e.redraw = e.check_marks = true;
      break;
    case kCmdShowModel:
      v.show_results = false;
      e.handled = e.invalidate = e.redraw = e.check_marks = true;
      break;
    case kCmdBoundaryConditions:
      category(v.boundary_conditions);
      e.visibility = false;
      break;
    case kCmdRunners: category(v.categories.runners); break;
    case kCmdPart: category(v.categories.part); break;
    case kCmdMold: category(v.categories.mold); break;
    case kCmdCooling: category(v.categories.cooling); break;
    case kCmdMetric:
      v.units = kUnitsMetric;
      e.handled = e.check_marks = true;
      e.output = "Units: Metric";
      break;
    case kCmdEnglish:
      v.units = kUnitsEnglish;
      e.handled = e.check_marks = true;
      e.output = "Units: English";
      break;
    default:
      break;
  }
  return e;
}

bool CommandChecked(const ShellState& state, int id) {
  const ViewSettings& v = state.view;
  const int render = IndexIn(kRenderCommands, 5, id);
  if (render >= 0) return v.render_mode == render;
  const int pick = IndexIn(kPickCommands, 6, id);
  if (pick >= 0) return v.pick_mode == pick;
  switch (id) {
    case kCmdOrientation: return v.triad;
    case kCmdLegend: return v.legend;
    case kCmdShowModel: return !v.show_results;
    case kCmdShowResults: return v.show_results;
    case kCmdBoundaryConditions: return v.boundary_conditions;
    case kCmdRunners: return v.categories.runners;
    case kCmdPart: return v.categories.part;
    case kCmdMold: return v.categories.mold;
    case kCmdCooling: return v.categories.cooling;
    case kCmdMetric: return v.units == kUnitsMetric;
    case kCmdEnglish: return v.units == kUnitsEnglish;
    default: return false;
  }
}

int RenderModeFromName(const std::string& name) {
  static const char* const kNames[] = {"surface-wireframe", "facet-wireframe", "shade", "surface-outline",
                                       "facet-outline"};
  for (int i = 0; i < 5; ++i) {
    if (name == kNames[i]) return i;
  }
  return -1;
}

int StandardViewFromName(const std::string& name) {
  static const char* const kNames[] = {"front", "back", "left", "right", "top", "bottom", "iso"};
  for (int i = 0; i < 7; ++i) {
    if (name == kNames[i]) return i;
  }
  if (name == "isometric") return kViewIsometric;
  return -1;
}

int StandardViewOfCommand(int id) {
  switch (id) {
    case kCmdFront: return kViewFront;
    case kCmdBack: return kViewBack;
    case kCmdLeft: return kViewLeft;
    case kCmdRight: return kViewRight;
    case kCmdTop: return kViewTop;
    case kCmdBottom: return kViewBottom;
    case kCmdIsometric: return kViewIsometric;
    default: return -1;
  }
}

}  // namespace kv
