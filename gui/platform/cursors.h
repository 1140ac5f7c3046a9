#pragma once
// Cursors of the pre-processor, drawn with QPainter so that no image files
// need shipping.

#include <QCursor>
#include <QPainter>
#include <QPointF>

namespace kv {

// The cursor of a camera mode: 1 pan (four arrows), 2 rotate (circular
// arrow), 3 zoom (magnifier); the arrow for any other mode.
QCursor CameraCursor(int camera_mode);

// The cursor of a command waiting for node `node_number` (1..8): cross hairs
// with the number beside them, the hot spot at their centre; the arrow for
// 0 or any other number.
QCursor NodeCursor(int node_number);

// An arrow from `from` to `to` with a filled head at `to`, in the pen's
// colour; the cursors and the toolbar images share it.
void DrawArrow(QPainter& p, QPointF from, QPointF to);

}  // namespace kv
