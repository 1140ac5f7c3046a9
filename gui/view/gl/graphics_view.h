#pragma once
// The graphics child's OpenGL widget: hosts the 3D view, turns keys and mouse
// moves into camera motions, runs the animated camera moves and captures the
// picture. The arithmetic lives in gui/view/core; drawing in gfxview.

#include <functional>
#include <string>
#include <vector>

#include <QOpenGLWidget>

#include "gui/view/core/view_readback.h"
#include "gui/view/gl/gfxview.h"

namespace kv {

// Shortest time a state of an animated camera move stays on screen:
// about one refresh of a 60 Hz display.
inline constexpr int kMoveFrameMilliseconds = 16;
// Longest wait for one state of a move to be drawn (a window that is not
// shown on screen draws nothing; the move goes on without it).
inline constexpr int kMoveFrameTimeoutMilliseconds = 250;

class GraphicsView : public QOpenGLWidget {
 public:
  // `view`, `settings` and `model` are owned by the frame and outlive the widget.
  GraphicsView(ViewState& view, ViewSettings& settings, MeshModel& model, QWidget* parent = nullptr);
  ~GraphicsView() override;

  // Marks the tables and lists for rebuild at the next redraw; the model list
  // shows the current state again (no sweep frame) and the frame lists are
  // compiled anew.
  void Invalidate() {
    view_.lists_valid = false;
    gfx_.sweep_frame = -1;
  }

  // Shows limit-sweep frame `frame` (0-based) at the next redraw: from its
  // frame list when that holds it, else compiled from the current state (the
  // caller has set the state of that frame). Frames beyond the block of 32
  // are drawn without a list.
  void ShowSweepFrame(int frame) { gfx_.sweep_frame = frame; }
  // The frame lists must be compiled again before they are replayed.
  void ForgetSweepFrames() { ForgetFrameLists(gfx_.frame_cache); }
  // Number of frames compiled into frame lists since the view was made.
  int CompiledSweepFrames() const { return gfx_.frames_compiled; }

  // Draws one frame now (synchronously when the widget is visible).
  void RedrawView();

  // Plays an animated camera move: every state is drawn in turn, each shown
  // for at least kMoveFrameMilliseconds, and the last one stays.
  void PlayMove(const std::vector<ViewState>& states);

  // The animated camera moves of the View menu.
  void ZoomAll();
  void StandardView(int which);
  void SetRotationCentre(const float point[3]);

  // Frames the model after it was read or created: extent, framing, redraw.
  void ResetAndRedraw();

  // The cursor the running command asks for (a node cursor, or the arrow):
  // shown now, or when the camera key being held is released.
  void SetCommandCursor(const QCursor& cursor);

  // Arms the zoom window: the next left drag draws a rubber band and zooms to it.
  void ArmZoomWindow();

  // Deletes the display lists and marks them invalid (File > New).
  void DeleteDisplayLists();

  // Draws a fresh frame and reads it back as RGBA, rows bottom-up, the width
  // rounded down to a multiple of 4. False when there is no context or no area.
  bool CaptureRgba(int* width, int* height, std::vector<unsigned char>* rgba);

  // Draws the model alone (no highlights, triad, legend or title) and reads it
  // back for a measurement: RGB as the framebuffer holds it, the background
  // in the same precision, the area of one pixel. False without a context.
  bool ReadPicture(ViewPicture* picture);

  // The OpenGL renderer and vendor strings ("" before the context exists).
  std::string Renderer();
  std::string Vendor();

  // Drawing tables of the last rebuild (for tests and commands).
  const DrawingTables& tables() const { return gfx_.tables; }

  // The boundary records to draw (owned by the frame, outliving the widget;
  // nullptr: none). The pick lists follow at the next rebuild.
  void SetBoundarySource(const AnalysisSettings* analysis) {
    gfx_.analysis = analysis;
    view_.lists_valid = false;
  }

  // The result set and display state to draw from (owned by the frame,
  // outliving the widget). The lists follow at the next rebuild.
  void SetResultSource(const ResultSet* set, const ResultDisplay* display) {
    gfx_.results.set = set;
    gfx_.results.display = display;
    view_.lists_valid = false;
  }

  // Called with +1 (Right arrow) or -1 (Left arrow) to step the animation,
  // when the result set has a current entry.
  std::function<void(int direction)> on_step_frame;

  // Called when a camera key is released or the zoom window ends, so the frame
  // restores its status bar.
  std::function<void()> on_restore_status;

  // The selection to highlight and the tables it indexes (owned by the frame).
  void SetSelectionSource(const Selection* selection, const DrawingTables* tables) {
    gfx_.selection = selection;
    gfx_.selection_tables = tables;
  }
  // The rubber line's nodes, asked at every frame (see GfxState).
  void SetRubberLineSource(std::function<bool(int ends[2])> source) { gfx_.rubber_line = std::move(source); }
  // The transforms of the last frame drawn (window y downwards).
  const ScreenProjection& Projection() const { return gfx_.projection; }

  // Mouse actions the frame turns into picks (framebuffer pixels, y
  // downwards, the units of Projection()):
  // a left click, a Shift-drag box on release, the cursor moving with no
  // camera mode, the right and the middle button.
  std::function<void(int x, int y)> on_pick_click;
  std::function<void(int x0, int y0, int x1, int y1)> on_pick_box;
  std::function<void(int x, int y)> on_hover;
  std::function<void()> on_right_press;
  std::function<void()> on_middle_press;

  // Called after every frame drawn into the view, with the view state it was
  // drawn from (for observers of the drawing, such as the tests of the moves).
  std::function<void(const ViewState& drawn)> on_frame_drawn;

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void DrawRubberBand();
  // Takes the viewport size from the widget's framebuffer (its size times the
  // screen's device pixel ratio) and updates the projection when it changed.
  void SyncViewportSize();
  // A window position (logical pixels) in framebuffer pixels.
  QPoint DevicePoint(const QPointF& logical) const;

  ViewState& view_;
  ViewSettings& settings_;
  MeshModel& model_;
  GfxState gfx_;
  bool initialised_ = false;
  QCursor saved_cursor_;  // the cursor to show again when a camera key is released
  unsigned long frames_drawn_ = 0;  // frames drawn since the widget was made
};

}  // namespace kv
