#include "gui/view/gl/graphics_view.h"

#include <GL/gl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <QMouseEvent>

#include "gui/platform/cursors.h"

namespace kv {

GraphicsView::GraphicsView(ViewState& view, ViewSettings& settings, MeshModel& model, QWidget* parent)
    : QOpenGLWidget(parent), view_(view), settings_(settings), model_(model) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(1, 1);
}

GraphicsView::~GraphicsView() {
  if (initialised_ && context()) {
    makeCurrent();
    ReleaseGfx(gfx_);
    doneCurrent();
  }
}

void GraphicsView::initializeGL() {
  InitViewGl(gfx_, settings_);
  view_.lists_valid = false;
  initialised_ = true;
}

void GraphicsView::SyncViewportSize() {
  // The toolkit hands resizeGL the size in logical pixels, while the
  // framebuffer drawn into has that size times the device pixel ratio; a
  // viewport in logical pixels would draw the model shrunk into one corner
  // (or, after the ratio changed, enlarged past the window). The size is taken
  // again before every frame, so that no path that repaints without a resize
  // can draw with a stale one.
  const double ratio = devicePixelRatioF();
  const int w = DevicePixels(width(), ratio);
  const int h = DevicePixels(height(), ratio);
  if (w == view_.viewport_width && h == view_.viewport_height) return;
  view_.viewport_width = w;
  view_.viewport_height = h;
  ComputeProjection(view_, nullptr);
}

QPoint GraphicsView::DevicePoint(const QPointF& logical) const {
  const double ratio = devicePixelRatioF();
  return QPoint(DevicePixels(logical.x(), ratio), DevicePixels(logical.y(), ratio));
}

void GraphicsView::resizeGL(int, int) { SyncViewportSize(); }

void GraphicsView::paintGL() {
  SyncViewportSize();
  RenderFrame(gfx_, view_, settings_, model_);
  if (view_.camera_mode == kCameraZoomWindowDrag || view_.camera_mode == kCameraSelectionBoxDrag) DrawRubberBand();
  ++frames_drawn_;
  if (on_frame_drawn) on_frame_drawn(view_);
}

void GraphicsView::DrawRubberBand() {
  // Window pixels, y downwards, in the foreground colour.
  const float w = static_cast<float>(view_.viewport_width);
  const float h = static_cast<float>(view_.viewport_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor3fv(settings_.foreground);
  glBegin(GL_LINE_LOOP);
  glVertex2f(static_cast<float>(view_.press_point[0]) + 0.5f, static_cast<float>(view_.press_point[1]) + 0.5f);
  glVertex2f(static_cast<float>(view_.current_point[0]) + 0.5f, static_cast<float>(view_.press_point[1]) + 0.5f);
  glVertex2f(static_cast<float>(view_.current_point[0]) + 0.5f, static_cast<float>(view_.current_point[1]) + 0.5f);
  glVertex2f(static_cast<float>(view_.press_point[0]) + 0.5f, static_cast<float>(view_.current_point[1]) + 0.5f);
  glEnd();
  glEnable(GL_DEPTH_TEST);
}

void GraphicsView::RedrawView() {
  if (isVisible()) repaint();
  else update();
}

void GraphicsView::PlayMove(const std::vector<ViewState>& states) {
  QElapsedTimer clock;
  clock.start();
  for (size_t i = 0; i < states.size(); ++i) {
    // Keep what the move does not own: window size, mode, mouse and list state.
    const ViewState keep = view_;
    view_ = states[i];
    view_.viewport_width = keep.viewport_width;
    view_.viewport_height = keep.viewport_height;
    view_.camera_mode = keep.camera_mode;
    view_.lists_valid = keep.lists_valid;
    ComputeProjection(view_, nullptr);
    const qint64 shown = clock.elapsed();
    const unsigned long before = frames_drawn_;
    RedrawView();
    if (!isVisible()) continue;
    // A repaint is skipped while the window system still presents the
    // previous frame; then the state is drawn at the next update, so that no
    // state of the move is lost (the model would jump). Each state also stays
    // on screen for at least one display refresh, so that the move is seen as
    // motion where frames are drawn much faster than the display shows them.
    // Input waits until the move has ended.
    const qint64 minimum = i + 1 < states.size() ? kMoveFrameMilliseconds : 0;
    for (;;) {
      const qint64 spent = clock.elapsed() - shown;
      const bool drawn = frames_drawn_ != before;
      if ((drawn && spent >= minimum) || spent >= kMoveFrameTimeoutMilliseconds) break;
      if (!drawn) update();
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      QThread::msleep(1);
    }
  }
}

void GraphicsView::ZoomAll() {
  ComputeModelExtent(view_, model_);
  PlayMove(PlanZoomAll(view_));
}

void GraphicsView::StandardView(int which) { PlayMove(PlanStandardView(view_, which)); }

void GraphicsView::SetRotationCentre(const float point[3]) { PlayMove(PlanRotationCentre(view_, point)); }

void GraphicsView::ResetAndRedraw() {
  view_.lists_valid = false;
  ComputeModelExtent(view_, model_);
  FrameModel(view_);
  ComputeProjection(view_, nullptr);
  RedrawView();
}

void GraphicsView::ArmZoomWindow() { settings_.zoom_window_armed = true; }

void GraphicsView::DeleteDisplayLists() {
  if (initialised_ && context()) {
    makeCurrent();
    ReleaseGfx(gfx_);
    InitViewGl(gfx_, settings_);
    doneCurrent();
  }
  view_.lists_valid = false;
}

bool GraphicsView::CaptureRgba(int* width, int* height, std::vector<unsigned char>* rgba) {
  if (!initialised_ || !context()) return false;
  makeCurrent();
  SyncViewportSize();
  RenderFrame(gfx_, view_, settings_, model_);
  ReadPixelsRgba(view_, width, height, rgba);
  doneCurrent();
  return !rgba->empty();
}

bool GraphicsView::ReadPicture(ViewPicture* picture) {
  if (!initialised_ || !context()) return false;
  std::vector<unsigned char> rgba;
  makeCurrent();
  SyncViewportSize();
  gfx_.overlays = false;
  RenderFrame(gfx_, view_, settings_, model_);
  gfx_.overlays = true;
  ReadPixelsRgba(view_, &picture->width, &picture->height, &rgba);
  doneCurrent();
  if (rgba.empty()) return false;
  picture->rgb.resize(rgba.size() / 4 * 3);
  for (size_t i = 0, j = 0; i + 3 < rgba.size(); i += 4, j += 3)
    for (int k = 0; k < 3; ++k) picture->rgb[j + k] = static_cast<float>(rgba[i + k]) / 255.0f;
  for (int k = 0; k < 3; ++k) picture->background[k] = FramebufferChannel(settings_.background[k]);
  picture->pixel_area = ViewPixelArea(view_);
  update();  // the widget shows the full picture again
  return true;
}

std::string GraphicsView::Renderer() {
  if (!initialised_ || !context()) return std::string();
  makeCurrent();
  const GLubyte* s = glGetString(GL_RENDERER);
  std::string r = s ? reinterpret_cast<const char*>(s) : "";
  doneCurrent();
  return r;
}

std::string GraphicsView::Vendor() {
  if (!initialised_ || !context()) return std::string();
  makeCurrent();
  const GLubyte* s = glGetString(GL_VENDOR);
  std::string r = s ? reinterpret_cast<const char*>(s) : "";
  doneCurrent();
  return r;
}

void GraphicsView::keyPressEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  int mode = kCameraNone;
  switch (event->key()) {
    case Qt::Key_F1: mode = kCameraPan; break;
    case Qt::Key_F2: mode = kCameraZoom; break;
    case Qt::Key_F3: mode = kCameraRotate; break;
    case Qt::Key_F9: RedrawView(); return;
    case Qt::Key_Left:
    case Qt::Key_Right:
      // Animation steps, when there are frames to step through.
      if (on_step_frame && gfx_.results.set && gfx_.results.set->current >= 0 &&
          gfx_.results.set->current < static_cast<int>(gfx_.results.set->entries.size())) {
        on_step_frame(event->key() == Qt::Key_Right ? +1 : -1);
      }
      return;
    default: QOpenGLWidget::keyPressEvent(event); return;
  }
  // The mode holds while the key is held: moving the mouse without a button
  // pans, zooms or rotates.
  saved_cursor_ = cursor();
  view_.camera_mode = mode;
  setCursor(CameraCursor(mode));
  const QPoint p = DevicePoint(mapFromGlobal(QCursor::pos()));
  view_.last_mouse[0] = p.x();
  view_.last_mouse[1] = p.y();
  grabMouse();
}

void GraphicsView::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  if (view_.camera_mode == kCameraPan || view_.camera_mode == kCameraZoom || view_.camera_mode == kCameraRotate) {
    releaseMouse();
    view_.camera_mode = kCameraNone;
    setCursor(saved_cursor_);
    if (on_restore_status) on_restore_status();
  }
  QOpenGLWidget::keyReleaseEvent(event);
}

void GraphicsView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = DevicePoint(event->position());
  if (event->button() == Qt::LeftButton && settings_.zoom_window_armed && view_.camera_mode == kCameraNone) {
    view_.camera_mode = kCameraZoomWindowDrag;
    view_.press_point[0] = view_.current_point[0] = p.x();
    view_.press_point[1] = view_.current_point[1] = p.y();
    return;
  }
  if (view_.camera_mode != kCameraNone) return;
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)) {
    view_.camera_mode = kCameraSelectionBoxDrag;
    view_.press_point[0] = view_.current_point[0] = p.x();
    view_.press_point[1] = view_.current_point[1] = p.y();
  } else if (event->button() == Qt::LeftButton) {
    if (on_pick_click) on_pick_click(p.x(), p.y());
  } else if (event->button() == Qt::RightButton) {
    if (on_right_press) on_right_press();
  } else if (event->button() == Qt::MiddleButton) {
    if (on_middle_press) on_middle_press();
  }
}

void GraphicsView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && view_.camera_mode == kCameraSelectionBoxDrag) {
    const QPoint p = DevicePoint(event->position());
    view_.camera_mode = kCameraNone;
    if (on_pick_box) on_pick_box(view_.press_point[0], view_.press_point[1], p.x(), p.y());
    update();
    return;
  }
  if (event->button() != Qt::LeftButton || view_.camera_mode != kCameraZoomWindowDrag) return;
  const QPoint p = DevicePoint(event->position());
  view_.camera_mode = kCameraNone;
  settings_.zoom_window_armed = false;
  const std::vector<ViewState> states =
      PlanZoomWindow(view_, view_.press_point[0], view_.press_point[1], p.x(), p.y());
  if (states.empty()) RedrawView();
  else PlayMove(states);
  if (on_restore_status) on_restore_status();
}

void GraphicsView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = DevicePoint(event->position());
  setFocus();
  const int mode = view_.camera_mode;
  if (mode == kCameraPan || mode == kCameraZoom || mode == kCameraRotate) {
    // Signed coordinates: the captured mouse may be outside the window.
    ApplyCameraMotion(view_, mode, view_.last_mouse[0], p.x(), view_.last_mouse[1], p.y());
    update();
  } else if (mode == kCameraZoomWindowDrag || mode == kCameraSelectionBoxDrag) {
    view_.current_point[0] = p.x();
    view_.current_point[1] = p.y();
    update();
  } else if (mode == kCameraNone && on_hover) {
    on_hover(p.x(), p.y());
  }
  view_.last_mouse[0] = p.x();
  view_.last_mouse[1] = p.y();
}

}  // namespace kv
