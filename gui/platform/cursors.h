#pragma once
// Cursors and toolbar images of the pre-processor, drawn with QPainter so that
// no image files need shipping.

#include <QCursor>
#include <QIcon>

namespace kv {

// The cursor of a camera mode: 1 pan (four arrows), 2 rotate (circular
// arrow), 3 zoom (magnifier); the arrow for any other mode.
QCursor CameraCursor(int camera_mode);

// The 24 x 24 toolbar image of a command identifier (a neutral square for an
// identifier without a picture).
QIcon ToolIcon(int command_id);

}  // namespace kv
