#pragma once
// The frame's own state and the decisions of the commands that only change
// flags (check marks, radio groups, render and pick modes, units, category
// visibility), kept apart from Qt so that they are tested without a display.

#include <string>

#include "gui/shell/core/interpreter.h"
#include "gui/view/core/view_settings.h"

namespace kv {

struct ShellState {
  ViewSettings view;                 // what the 3D view shows
  InterpreterState interpreter;      // current command code and step
  bool data_modified = false;        // set by an import, cleared by New and Save
  bool read_results_enabled = false; // File > Read Results
  std::string model_path;            // file last imported or exported
  std::string project_path;          // project last opened or saved
  std::string job_title;             // model file name without directory and extension
  int analysis_dimension = 2;        // 2 midplane (m2D), 3 solid (m3D)
};

// What the frame must do after a flag command.
struct CommandEffect {
  bool handled = false;         // the command was one of the flag commands
  bool invalidate = false;      // mark the display lists for rebuild
  bool redraw = false;          // redraw the view
  bool visibility = false;      // element visibility and the node mask changed
  bool check_marks = false;     // menu check marks and toolbar buttons must follow the state
  std::string output;           // a line for the Output pane, empty for none
};

// Applies a flag command (View toggles, render modes, pick modes, Model,
// Metric/English) to `state`; other identifiers are not handled.
CommandEffect ApplyFlagCommand(ShellState& state, int command_id);

// True when the menu entry of `command_id` carries a check mark now.
bool CommandChecked(const ShellState& state, int command_id);

// The command identifier of a render mode or pick mode.
int RenderModeCommand(int render_mode);
int PickModeCommand(int pick_mode);

// Render mode of a batch name ("surface-wireframe", "facet-wireframe",
// "shade", "surface-outline", "facet-outline"); -1 for an unknown name.
int RenderModeFromName(const std::string& name);

// Standard view of a batch name (front, back, left, right, top, bottom, iso);
// -1 for an unknown name.
int StandardViewFromName(const std::string& name);

// Standard view of a command identifier, -1 when it is none.
int StandardViewOfCommand(int command_id);

}  // namespace kv
