#include "gui/platform/cursors.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kv {

void DrawArrow(QPainter& p, QPointF from, QPointF to) {
  p.drawLine(from, to);
  const QPointF d = to - from;
  const double len = std::hypot(d.x(), d.y());
  if (len == 0) return;
  const QPointF u = d / len;
  const QPointF n(-u.y(), u.x());
  QPolygonF head;
  head << to << to - u * 4 + n * 3 << to - u * 4 - n * 3;
  p.setBrush(p.pen().color());
  p.drawPolygon(head);
  p.setBrush(Qt::NoBrush);
}

namespace {

QPixmap CursorPixmap(int mode) {
  QPixmap pix(32, 32);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing, true);
  // A white halo under black strokes keeps the cursor visible on any background.
  for (int pass = 0; pass < 2; ++pass) {
    p.setPen(QPen(pass == 0 ? Qt::white : Qt::black, pass == 0 ? 4 : 1.5));
    if (mode == 1) {
      DrawArrow(p, QPointF(16, 16), QPointF(16, 3));
      DrawArrow(p, QPointF(16, 16), QPointF(16, 29));
      DrawArrow(p, QPointF(16, 16), QPointF(3, 16));
      DrawArrow(p, QPointF(16, 16), QPointF(29, 16));
    } else if (mode == 2) {
      p.drawArc(QRectF(5, 5, 22, 22), 45 * 16, 300 * 16);
      DrawArrow(p, QPointF(22, 6), QPointF(26, 10));
    } else {
      p.drawEllipse(QRectF(3, 3, 17, 17));
      p.drawLine(QPointF(18, 18), QPointF(28, 28));
    }
  }
  return pix;
}

// Node cursors: cross hairs centred at (10, 10) and the node's number below
// right of them.
constexpr int kNodeCursorHot = 10;
constexpr int kNodeCursorCount = 8;

QPixmap NodeCursorPixmap(int node_number) {
  QPixmap pix(32, 32);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing, true);
  QFont font = p.font();
  font.setPixelSize(13);
  font.setBold(true);
  p.setFont(font);
  const QRectF digit(15, 15, 16, 16);
  const QString text = QString::number(node_number);
  const double c = kNodeCursorHot;
  for (int pass = 0; pass < 2; ++pass) {
    p.setPen(QPen(pass == 0 ? Qt::white : Qt::black, pass == 0 ? 3.5 : 1.2));
    p.drawLine(QPointF(c, 1), QPointF(c, c - 3));
    p.drawLine(QPointF(c, c + 3), QPointF(c, 2 * c - 1));
    p.drawLine(QPointF(1, c), QPointF(c - 3, c));
    p.drawLine(QPointF(c + 3, c), QPointF(2 * c - 1, c));
    p.drawEllipse(QPointF(c, c), 4.5, 4.5);
    if (pass == 0) {
      // A white plate under the number.
      p.setBrush(Qt::white);
      p.drawRoundedRect(digit.adjusted(1, 0, -3, -2), 3, 3);
      p.setBrush(Qt::NoBrush);
    } else {
      p.setPen(QColor(200, 0, 100));
      p.drawText(digit.adjusted(0, -1, -2, -2), Qt::AlignCenter, text);
    }
  }
  return pix;
}

}  // namespace

QCursor NodeCursor(int node_number) {
  if (node_number < 1 || node_number > kNodeCursorCount) return QCursor(Qt::ArrowCursor);
  return QCursor(NodeCursorPixmap(node_number), kNodeCursorHot, kNodeCursorHot);
}

QCursor CameraCursor(int camera_mode) {
  if (camera_mode < 1 || camera_mode > 3) return QCursor(Qt::ArrowCursor);
  const QPixmap pix = CursorPixmap(camera_mode);
  return camera_mode == 3 ? QCursor(pix, 11, 11) : QCursor(pix, 16, 16);
}

}  // namespace kv
