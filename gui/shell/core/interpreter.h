#pragma once
// The prompt-driven command interpreter: every mesh, measure, query, modify,
// transform, property and boundary command of the pre-processor is a small
// step machine advanced by RunInterpreter, one text at a time. The text is
// what the user typed in the Command pane, what a choice menu entered, or what
// a pick in the view handed over. Prompts go to the Input pane, results to the
// Output pane. Everything here is display-free: the frame supplies the view's
// side (redraw, pick mode, choice menus, message boxes) through CommandHooks.

#include <functional>
#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"
#include "common/plot/plot_data.h"
#include "common/results/result_set.h"
#include "gui/view/core/result_display.h"
#include "gui/view/core/selection.h"
#include "gui/view/core/view_readback.h"
#include "mesh/engine/drawing_tables.h"

namespace kv {

// What a click in the view feeds to the running command.
enum ExpectedInput : int {
  kExpectNothing = 0,    // the user confirms with Enter
  kExpectNode = 1,       // "%d" node number
  kExpectElement = 2,    // "%d" element number
  kExpectAnswer = 4,     // an answer text (or the selection)
  kExpectScreenPoint = 5,// "%d %d %d" window x, y and 0
  kExpectPoint = 6,      // "%g, %g, %g" coordinates of a node
  kExpectVector = 7,     // "%g, %g, %g" from one node to another
};

inline constexpr int kAnswerSlots = 8;

struct InterpreterState {
  int command = 0;        // current command code, 0 none
  int step = 0;           // step within the command, 0 at its start
  int calls = 0;          // number of interpreter calls, for diagnostics
  int expected = kExpectNothing;
  int vector_state = 0;   // 0 before the first node of a point or vector, 1 after it, 2 complete
  int vector_node = -1;   // first node of a vector being picked
  int cursor_node = 0;    // number (1..8) of the node the cursor asks for, 0 arrow
  std::string answers[kAnswerSlots];  // saved answers of the running command
  std::string prompt;     // last prompt, repeated when an answer is refused
  std::vector<int> working;  // element set the running command works on
  std::vector<int> working_nodes;  // nodes selected with it (transforms)
  bool refused = false;      // set when an answer was refused and the prompt repeated
  int nesting = 0;           // depth of RunInterpreter calls (loops rerun it)
  std::string journal_text;  // what the journal records for the current call
};

// The view and dialog side of the commands, supplied by the frame. Every hook
// may be empty (tests, batch replay); the interpreter then skips it.
struct CommandHooks {
  std::function<void()> redraw;             // full redraw of the view
  std::function<void()> invalidate;         // display lists and drawing tables must be rebuilt
  std::function<void()> model_changed;      // extent recomputed after nodes moved or were added
  std::function<void()> reset_view;         // extent, framing and redraw (Assign All)
  std::function<void()> rebuild_vertex_grid;
  std::function<void(int pick_mode)> set_pick_mode;   // Select menu command of the mode
  std::function<void(int resource)> choice_menu;      // 223, 260, 262, 266
  std::function<void(int node_number)> set_cursor;    // node cursor 1..8, 0 arrow
  std::function<void(const float point[3])> set_rotation_centre;
  std::function<void(const std::string& text)> message_box;  // stop icon, product caption
  std::function<void(int property)> edit_property;    // "Edit property" dialog
  std::function<void()> property_results;             // Thickness and Diameter results rebuilt
  // Reads the picture of the view as it stands (the model alone, without
  // legend, triad, title or highlights) with its background and the area of
  // one pixel. False when there is no picture.
  std::function<bool(ViewPicture* picture)> read_view;
  // Writes the plot data file and opens the XY plot viewer on it.
  std::function<void(const PlotData& plot)> show_plot;
};

// Everything a command works on. The frame owns every table; the context
// only points at them.
struct CommandContext {
  InterpreterState* state = nullptr;
  MeshModel* model = nullptr;
  AnalysisSettings* analysis = nullptr;
  Selection* selection = nullptr;
  DrawingTables* tables = nullptr;       // facets and beams the selection indexes
  std::string* model_path = nullptr;     // job files are written next to it
  int* current_property = nullptr;       // 0-based, -1 none
  // The result set and its display state that the value queries and the
  // result plots read; null where there are none (the commands say so).
  ResultSet* results = nullptr;
  const ResultDisplay* display = nullptr;
  const bool* results_shown = nullptr;   // View > Results is checked
  CommandHooks hooks;
  // Refreshes `tables` from the model after a creation or deletion; when
  // empty the interpreter rebuilds them itself with the default options.
  std::function<void()> refresh_tables;
  // Receives every text handed to RunInterpreter while a command runs, as
  // the command journal records it (sets spelled out, see journal.h).
  std::function<void(const std::string& text)> journal;
};

// Runs the next step of the current command with `text` (empty when a
// default is accepted). Does nothing when no command is active or a table of
// the context is missing.
void RunInterpreter(CommandContext& ctx, const std::string& text);

// Starts command `code`: code := code, step := 0, then RunInterpreter with an
// empty text. The previous command, if any, is replaced.
void RunCommand(CommandContext& ctx, int code);

// Ends the active command: code 0, nothing expected, arrow cursor, selection
// cleared, "Done." in the Input pane. Nothing happens when none is active.
void EndCommand(CommandContext& ctx);

// Longest command line taken from the Command pane (characters).
inline constexpr size_t kCommandLineLimit = 80;

// The Command pane's Enter: takes at most 80 characters of `text`; a text that
// is not empty is echoed to the Input pane; the step goes up by one and the
// interpreter is called with the text. Returns the text handed over.
std::string TakeCommandLine(CommandContext& ctx, const std::string& text);

// Hands a click pick to the running command (after the view applied the
// click to the selection), by the expected input: a node number ("%d") when
// a node is hovered and selected; the element number of the last picked beam
// or facet; a point ("%g, %g, %g", the hovered node's coordinates); a vector
// from the first to the second picked node (both then leave the selected
// nodes); or, for the selection, an empty text. The text is echoed to the
// Input pane, the step goes up by one and the interpreter runs. Nothing
// happens without a running command or with nothing expected.
void FeedPickToCommand(CommandContext& ctx);

// The two nodes (0-based) that the rubber line joins while Merge Node,
// Measure Distance, Measure Angle or Move holds the first node of a pair:
// that node and the node under the cursor. False when no line is shown (no
// such command, the first node not yet picked, no other node hovered).
bool RubberLineNodes(const CommandContext& ctx, int ends[2]);

// The command code a menu command identifier starts, 0 when it starts none.
int InterpretedCommandOf(int command_id);

}  // namespace kv
