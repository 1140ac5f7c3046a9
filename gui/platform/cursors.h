#pragma once
// Cursors and toolbar images of the pre-processor, drawn with QPainter so that
// no image files need shipping.

#include <QCursor>
#include <QIcon>

namespace kv {

// The cursor of a camera mode: 1 pan (four arrows), 2 rotate (circular
// arrow), 3 zoom (magnifier); the arrow for any other mode.
QCursor CameraCursor(int camera_mode);

// The cursor of a command waiting for node `node_number` (1..8): cross hairs
// with the number beside them, the hot spot at their centre; the arrow for
// 0 or any other number.
QCursor NodeCursor(int node_number);

// The 24 x 24 toolbar image of a command identifier (a neutral square for an
// identifier without a picture).
QIcon ToolIcon(int command_id);

}  // namespace kv
