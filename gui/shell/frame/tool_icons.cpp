#include "gui/shell/frame/tool_icons.h"

#include <QPainter>
#include <QPixmap>

#include "gui/platform/cursors.h"
#include "gui/shell/core/command_ids.h"

namespace kv {
namespace {

constexpr int kIconSize = 24;

// Shared look: dark outlines, one accent colour per family of commands.
const QColor kInk(40, 40, 40);
const QColor kViewAccent(40, 110, 200);
const QColor kPickAccent(200, 60, 120);
const QColor kEditAccent(30, 150, 90);
const QColor kPart(204, 204, 128);

void Cube(QPainter& p, bool shaded, bool facets, bool outline) {
  const QPolygonF front({QPointF(4, 9), QPointF(15, 9), QPointF(15, 20), QPointF(4, 20)});
  const QPolygonF top({QPointF(4, 9), QPointF(9, 4), QPointF(20, 4), QPointF(15, 9)});
  const QPolygonF side({QPointF(15, 9), QPointF(20, 4), QPointF(20, 15), QPointF(15, 20)});
  if (shaded) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPart);
    p.drawPolygon(front);
    p.setBrush(kPart.lighter(115));
    p.drawPolygon(top);
    p.setBrush(kPart.darker(130));
    p.drawPolygon(side);
    p.setBrush(Qt::NoBrush);
  }
  if (outline || !shaded) {
    p.setPen(QPen(kInk, 1));
    p.drawPolygon(front);
    p.drawPolygon(top);
    p.drawPolygon(side);
  }
  if (facets) {
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(4, 9), QPointF(15, 20));
    p.drawLine(QPointF(9, 4), QPointF(15, 9));
    p.drawLine(QPointF(15, 20), QPointF(20, 4));
  }
}

void Letter(QPainter& p, const QString& text, const QColor& colour) {
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(colour);
  p.drawText(QRectF(0, 12, kIconSize, 12), Qt::AlignCenter, text);
}

void DrawIcon(QPainter& p, int id) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kInk, 1.5));
  switch (id) {
    case kCmdRedraw: {
      p.setPen(QPen(kViewAccent, 2));
      p.drawArc(QRectF(5, 5, 14, 14), 30 * 16, 300 * 16);
      DrawArrow(p, QPointF(18, 8), QPointF(19, 4));
      break;
    }
    case kCmdZoomWindow:
      p.setPen(QPen(kInk, 1, Qt::DashLine));
      p.drawRect(QRectF(3, 3, 12, 10));
      p.setPen(QPen(kViewAccent, 2));
      p.drawEllipse(QRectF(10, 10, 8, 8));
      p.drawLine(QPointF(17, 17), QPointF(21, 21));
      break;
    case kCmdZoomAll:
      p.setPen(QPen(kViewAccent, 2));
      p.drawEllipse(QRectF(4, 4, 11, 11));
      p.drawLine(QPointF(14, 14), QPointF(20, 20));
      p.setPen(QPen(kInk, 1.5));
      p.drawLine(QPointF(7, 9.5), QPointF(12, 9.5));
      p.drawLine(QPointF(9.5, 7), QPointF(9.5, 12));
      break;
    case kCmdCentreOfRotation:
      p.setPen(QPen(kViewAccent, 1.5));
      p.drawEllipse(QRectF(4, 4, 16, 16));
      p.setPen(QPen(kInk, 1.5));
      p.drawLine(QPointF(12, 7), QPointF(12, 17));
      p.drawLine(QPointF(7, 12), QPointF(17, 12));
      break;
    case kCmdSurfaceWireframe: Cube(p, false, false, true); break;
    case kCmdFacetWireframe: Cube(p, false, true, true); break;
    case kCmdShade: Cube(p, true, false, false); break;
    case kCmdSurfaceOutline: Cube(p, true, false, true); break;
    case kCmdFacetOutline: Cube(p, true, true, true); break;
    case kCmdFront: Letter(p, "F", kViewAccent); break;
    case kCmdBack: Letter(p, "B", kViewAccent); break;
    case kCmdLeft: Letter(p, "L", kViewAccent); break;
    case kCmdRight: Letter(p, "R", kViewAccent); break;
    case kCmdTop: Letter(p, "T", kViewAccent); break;
    case kCmdBottom: Letter(p, "Bo", kViewAccent); break;
    case kCmdPickVertex:
      p.setBrush(kPickAccent);
      p.drawEllipse(QRectF(9, 9, 6, 6));
      break;
    case kCmdPickLine:
      p.setPen(QPen(kPickAccent, 2.5));
      p.drawLine(QPointF(4, 20), QPointF(20, 4));
      break;
    case kCmdPickFacet:
      p.setBrush(kPickAccent);
      p.drawPolygon(QPolygonF({QPointF(4, 20), QPointF(20, 20), QPointF(12, 5)}));
      break;
    case kCmdPickPlane:
      p.setBrush(kPickAccent.lighter(140));
      p.drawPolygon(QPolygonF({QPointF(2, 17), QPointF(8, 7), QPointF(22, 7), QPointF(16, 17)}));
      break;
    case kCmdPickSurface:
      p.setBrush(kPickAccent.lighter(140));
      p.drawPolygon(QPolygonF({QPointF(2, 17), QPointF(8, 7), QPointF(22, 7), QPointF(16, 17)}));
      p.drawLine(QPointF(5, 12), QPointF(19, 12));
      break;
    case kCmdPickShell:
      p.setBrush(kPickAccent.lighter(140));
      p.drawEllipse(QRectF(4, 4, 16, 16));
      p.drawArc(QRectF(4, 9, 16, 6), 180 * 16, 180 * 16);
      break;
    case kCmdScale:
      p.drawRect(QRectF(4, 12, 8, 8));
      p.setPen(QPen(kEditAccent, 1.5));
      p.drawRect(QRectF(4, 4, 16, 16));
      DrawArrow(p, QPointF(10, 14), QPointF(18, 6));
      break;
    case kCmdMove:
      p.setPen(QPen(kEditAccent, 1.5));
      DrawArrow(p, QPointF(12, 12), QPointF(21, 12));
      DrawArrow(p, QPointF(12, 12), QPointF(3, 12));
      DrawArrow(p, QPointF(12, 12), QPointF(12, 3));
      DrawArrow(p, QPointF(12, 12), QPointF(12, 21));
      break;
    case kCmdRotate:
      p.setPen(QPen(kEditAccent, 2));
      p.drawArc(QRectF(4, 4, 16, 16), 90 * 16, 270 * 16);
      DrawArrow(p, QPointF(12, 4), QPointF(16, 4));
      break;
    case kCmdReflect:
      p.setPen(QPen(kInk, 1, Qt::DashLine));
      p.drawLine(QPointF(12, 2), QPointF(12, 22));
      p.setPen(QPen(kEditAccent, 1.5));
      p.drawPolygon(QPolygonF({QPointF(3, 18), QPointF(10, 18), QPointF(10, 6)}));
      p.drawPolygon(QPolygonF({QPointF(21, 18), QPointF(14, 18), QPointF(14, 6)}));
      break;
    case kCmdDistance:
      DrawArrow(p, QPointF(12, 12), QPointF(21, 12));
      DrawArrow(p, QPointF(12, 12), QPointF(3, 12));
      p.drawLine(QPointF(2, 7), QPointF(2, 17));
      p.drawLine(QPointF(22, 7), QPointF(22, 17));
      break;
    case kCmdRadius:
      p.drawEllipse(QRectF(3, 3, 18, 18));
      DrawArrow(p, QPointF(12, 12), QPointF(19, 7));
      break;
    case kCmdAngle:
      p.drawLine(QPointF(4, 20), QPointF(21, 20));
      p.drawLine(QPointF(4, 20), QPointF(16, 5));
      p.drawArc(QRectF(-4, 12, 16, 16), 0, 52 * 16);
      break;
    case kCmdArea:
      p.setBrush(QColor(120, 170, 230));
      p.drawRect(QRectF(5, 5, 14, 14));
      break;
    case kCmdFixMesh:
      p.setPen(QPen(kEditAccent, 3));
      p.drawLine(QPointF(5, 19), QPointF(15, 9));
      p.setPen(QPen(kInk, 1.5));
      p.drawEllipse(QRectF(13, 3, 8, 8));
      break;
    case kCmdCreateNode:
      p.setBrush(kEditAccent);
      p.drawEllipse(QRectF(5, 9, 6, 6));
      p.drawLine(QPointF(16, 8), QPointF(16, 18));
      p.drawLine(QPointF(11, 13), QPointF(21, 13));
      break;
    case kCmdCreateElement:
      p.setBrush(kEditAccent.lighter(150));
      p.drawPolygon(QPolygonF({QPointF(3, 20), QPointF(14, 20), QPointF(8, 8)}));
      p.drawLine(QPointF(18, 3), QPointF(18, 13));
      p.drawLine(QPointF(13, 8), QPointF(23, 8));
      break;
    case kCmdMergeNode:
      p.setBrush(kEditAccent);
      p.drawEllipse(QRectF(9, 9, 6, 6));
      p.setBrush(Qt::NoBrush);
      DrawArrow(p, QPointF(2, 4), QPointF(8, 9));
      DrawArrow(p, QPointF(22, 4), QPointF(16, 9));
      break;
    case kCmdDeleteElement:
      p.setBrush(QColor(230, 230, 230));
      p.drawPolygon(QPolygonF({QPointF(3, 20), QPointF(14, 20), QPointF(8, 8)}));
      p.setPen(QPen(QColor(200, 40, 40), 2));
      p.drawLine(QPointF(13, 4), QPointF(21, 12));
      p.drawLine(QPointF(21, 4), QPointF(13, 12));
      break;
    case kCmdPrevious:
      p.setBrush(kInk);
      p.drawPolygon(QPolygonF({QPointF(17, 5), QPointF(17, 19), QPointF(7, 12)}));
      p.drawLine(QPointF(6, 5), QPointF(6, 19));
      break;
    case kCmdNext:
      p.setBrush(kInk);
      p.drawPolygon(QPolygonF({QPointF(7, 5), QPointF(7, 19), QPointF(17, 12)}));
      p.drawLine(QPointF(18, 5), QPointF(18, 19));
      break;
    case kCmdPlay:
      p.setBrush(kEditAccent);
      p.drawPolygon(QPolygonF({QPointF(7, 4), QPointF(7, 20), QPointF(19, 12)}));
      break;
    case kCmdStop:
      p.setBrush(QColor(200, 40, 40));
      p.drawRect(QRectF(6, 6, 12, 12));
      break;
    default:
      p.drawRect(QRectF(5, 5, 14, 14));
      break;
  }
}

}  // namespace

QIcon ToolIcon(int command_id) {
  QPixmap pix(kIconSize, kIconSize);
  pix.fill(Qt::transparent);
  {
    QPainter p(&pix);
    DrawIcon(p, command_id);
  }
  return QIcon(pix);
}

}  // namespace kv
