#pragma once
// Applies the command-line options to an open frame: imports the model,
// replays the command journal, exports the mesh, frames it, sets the render
// mode and the standard view, and writes the screenshot.

#include "gui/shell/core/batch_options.h"

namespace kv {

class MainWindow;

// Returns 0 when everything asked for was done, 1 when the model could not be
// imported or the mesh or picture not written (the reason is in the Output
// pane and on standard error), 255 when a journal line could not be used
// (file, line and reason on standard error; nothing written).
int RunBatchOptions(MainWindow& window, const BatchOptions& options);

}  // namespace kv
