#pragma once
// Applies the command-line options to an open frame: imports the mesh or
// opens the project, reads the results, replays the command journal, exports
// the mesh, frames the model, sets the render mode, the standard view and the
// result entry, and writes the screenshot, the animation and the project.

#include "gui/shell/core/batch_options.h"

namespace kv {

class MainWindow;

// Returns 0 when everything asked for was done, 1 when the model or results
// could not be read or the mesh, picture, animation or project not written
// (the reason is in the Output pane and on standard error; the outputs after
// a failure are not written), 255 when a journal line could not be used
// (file, line and reason on standard error; nothing written).
int RunBatchOptions(MainWindow& window, const BatchOptions& options);

}  // namespace kv
