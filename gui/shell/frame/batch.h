#pragma once
// Applies the command-line options to an open frame: imports the model,
// frames it, sets the render mode and the standard view, and writes the
// screenshot.

#include "gui/shell/core/batch_options.h"

namespace kv {

class MainWindow;

// Returns 0 when everything asked for was done, 1 when the model could not be
// imported or the picture not written (the reason is in the Output pane and
// on standard error).
int RunBatchOptions(MainWindow& window, const BatchOptions& options);

}  // namespace kv
