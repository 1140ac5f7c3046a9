#pragma once
// Toolbar images of the pre-processor's commands, drawn with QPainter so that
// no image files need shipping.

#include <QIcon>

namespace kv {

// The 24 x 24 toolbar image of a command identifier (a neutral square for an
// identifier without a picture).
QIcon ToolIcon(int command_id);

}  // namespace kv
