// The frame on a display (run under xvfb-run): menus, toolbar, panes, status
// bar, the Command pane, and what the view draws, read back from the pixels.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QPushButton>
#include <QTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"
#include "gui/platform/cursors.h"
#include "gui/platform/platform.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/core/journal.h"
#include "gui/shell/core/menu_table.h"
#include "gui/shell/core/shell_state.h"
#include "gui/shell/frame/main_window.h"
#include "gui/view/core/picking.h"
#include "gui/view/gl/graphics_view.h"
#include "mesh/engine/rebuild.h"

namespace kv {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "frame_view_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    SetDefaultGlFormat();
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// A frame shown on the display with a known window size.
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    window_ = std::make_unique<MainWindow>();
    window_->resize(1000, 720);
    window_->show();
    PumpMessages();
  }
  void TearDown() override {
    window_.reset();
    PumpMessages();
  }

  // Pixel of the view under model point (x, y, 0) in the front view.
  Rgb PixelAt(float x, float y) {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    EXPECT_TRUE(window_->View()->CaptureRgba(&w, &h, &rgba));
    const ViewState& v = window_->view();
    // Front view: rotation is the identity, so screen = model + centre shift + pan.
    const float sx = x + v.centre_shift[0] + v.pan[0];
    const float sy = y + v.centre_shift[1] + v.pan[1];
    const int px = static_cast<int>((sx / v.visible_width + 0.5f) * static_cast<float>(v.viewport_width));
    const int py = static_cast<int>((sy / v.visible_height + 0.5f) * static_cast<float>(v.viewport_height));
    Rgb c;
    if (px < 0 || py < 0 || px >= w || py >= h) {
      ADD_FAILURE() << "point outside the picture";
      return c;
    }
    const size_t i = (static_cast<size_t>(py) * static_cast<size_t>(w) + static_cast<size_t>(px)) * 4;
    c.r = rgba[i];
    c.g = rgba[i + 1];
    c.b = rgba[i + 2];
    return c;
  }

  std::unique_ptr<MainWindow> window_;
};

// A unit plate of two part-surface triangles in the xy plane, a cold runner
// on its left, a hot runner on its right and a connector below it.
void BuildSampleModel(MeshModel& m) {
  m = MeshModel();
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},          // plate
             {-0.5f, 0.1f, 0}, {-0.5f, 0.9f, 0},                 // cold runner
             {1.5f, 0.1f, 0}, {1.5f, 0.9f, 0},                   // hot runner
             {0.2f, -0.4f, 0}, {0.8f, -0.4f, 0}};                // connector
  auto tri = [&m](int a, int b, int c) {
    Element e;
    e.type = kTriangle;
    e.category = kPartSurface;
    e.node_count = 3;
    e.nodes[0] = a;
    e.nodes[1] = b;
    e.nodes[2] = c;
    e.thickness = 0.002f;
    m.elements.push_back(e);
    FaceRecord f;
    f.nodes[0] = a;
    f.nodes[1] = b;
    f.nodes[2] = c;
    f.element = static_cast<int>(m.elements.size()) - 1;
    // The face-record normal (p3 - p1) x (p2 - p1): the nodes run
    // counter-clockwise seen from +z, so it points down.
    f.normal[2] = -1.0f;
    m.faces.push_back(f);
  };
  auto beam = [&m](int a, int b, int category) {
    Element e;
    e.type = kBeam;
    e.category = category;
    e.node_count = 2;
    e.nodes[0] = a;
    e.nodes[1] = b;
    e.diameter = 0.16f;
    m.elements.push_back(e);
  };
  tri(0, 1, 2);
  tri(0, 2, 3);
  beam(4, 5, kColdRunner);
  beam(6, 7, kHotRunner);
  beam(8, 9, kConnector);
}

TEST_F(FrameTest, TitlePanesAndStatusBar) {
  // The maximised graphics child adds its name to the frame's title.
  EXPECT_EQ(window_->windowTitle().toStdString().rfind("KAVITRON", 0), 0u);
  const char* names[4] = {"Output", "Input", "Command", "Toolbar"};
  for (int i = 0; i < 4; ++i) {
    QDockWidget* pane = window_->Pane(i);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->windowTitle().toStdString(), names[i]);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_FALSE(pane->isFloating());
  }
  EXPECT_EQ(window_->dockWidgetArea(window_->Pane(kPaneOutput)), Qt::BottomDockWidgetArea);
  EXPECT_EQ(window_->dockWidgetArea(window_->Pane(kPaneToolbar)), Qt::RightDockWidgetArea);
  // Output on the left of the band, Input over Command on the right.
  const QRect out = window_->Pane(kPaneOutput)->geometry();
  const QRect in = window_->Pane(kPaneInput)->geometry();
  const QRect cmd = window_->Pane(kPaneCommand)->geometry();
  EXPECT_LT(out.left(), in.left());
  EXPECT_LT(in.top(), cmd.top());
  EXPECT_GT(out.width(), in.width());
  EXPECT_EQ(window_->StatusText(0), "Press F1 - Pan, F2 - Zoom, F3 - Rotate.");
  window_->BeginWait();
  EXPECT_EQ(window_->StatusText(0), "Please wait...");
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  window_->EndWait();
  EXPECT_EQ(window_->StatusText(0), "Press F1 - Pan, F2 - Zoom, F3 - Rotate.");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  window_->Dispatch(kCmdZoomWindow);
  EXPECT_EQ(window_->StatusText(0), "Press mouse left button and drag.");
}

TEST_F(FrameTest, EveryMenuEntryAndToolbarButton) {
  for (const MenuRow& row : MainMenuRows()) {
    if (row.kind != kMenuCommand) continue;
    QAction* a = window_->Action(row.id);
    ASSERT_NE(a, nullptr) << row.id;
    EXPECT_EQ(a->text().toStdString(), row.caption);
    EXPECT_EQ(a->data().toInt(), row.id);
    EXPECT_EQ(a->isEnabled(), !MenuCommandGreyed(row.id)) << row.id;
    EXPECT_EQ(a->isChecked(), row.checked) << row.id;
  }
  int buttons = 0;
  for (const ToolButton& b : ToolbarButtons()) {
    if (b.style == kToolSeparator) continue;
    ++buttons;
    QToolButton* button = window_->ToolButtonOf(b.id);
    ASSERT_NE(button, nullptr) << b.id;
    EXPECT_EQ(button->toolTip().toStdString(), b.tooltip);
    EXPECT_EQ(button->objectName().toInt(), b.id);
    EXPECT_FALSE(button->icon().isNull());
  }
  EXPECT_EQ(buttons, 38);
  // Surface Outline and Facet are pressed at start.
  EXPECT_TRUE(window_->ToolButtonOf(kCmdSurfaceOutline)->isChecked());
  EXPECT_TRUE(window_->ToolButtonOf(kCmdPickFacet)->isChecked());
  // A button and the menu stay in step.
  window_->ToolButtonOf(kCmdShade)->click();
  EXPECT_EQ(window_->state().view.render_mode, kShade);
  EXPECT_TRUE(window_->Action(kCmdShade)->isChecked());
  EXPECT_FALSE(window_->ToolButtonOf(kCmdSurfaceOutline)->isChecked());
  window_->Action(kCmdPickVertex)->trigger();
  EXPECT_EQ(window_->state().view.pick_mode, kPickVertex);
  EXPECT_TRUE(window_->ToolButtonOf(kCmdPickVertex)->isChecked());
  // Toggles follow the state.
  window_->Action(kCmdRunners)->trigger();
  EXPECT_FALSE(window_->state().view.categories.runners);
  EXPECT_FALSE(window_->Action(kCmdRunners)->isChecked());
  // Greyed commands do nothing even when dispatched directly.
  window_->Dispatch(kCmdUndo);
  window_->Dispatch(kCmdEnglish);
  EXPECT_NE(window_->PaneText(kPaneOutput).find("Units: English"), std::string::npos);
  EXPECT_TRUE(window_->Action(kCmdEnglish)->isChecked());
  EXPECT_FALSE(window_->Action(kCmdMetric)->isChecked());
}

TEST_F(FrameTest, ToolbarButtonsKeepTheirIconsWhenCheckedOrGreyed) {
  for (int id : {kCmdShade, kCmdFacetWireframe, kCmdPickVertex, kCmdPickShell}) window_->Dispatch(id);
  window_->GraphicsChild()->close();
  window_->Dispatch(kCmdShowGraphics);
  for (const ToolButton& b : ToolbarButtons()) {
    if (b.style == kToolSeparator) continue;
    QToolButton* button = window_->ToolButtonOf(b.id);
    EXPECT_FALSE(button->icon().isNull()) << b.id;
    EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << b.id;
  }
  EXPECT_TRUE(window_->Action(kCmdShade)->icon().isNull() == false);
  EXPECT_FALSE(window_->Action(kCmdShade)->isIconVisibleInMenu());
}

// Closing the Graphics child with its close box greys the commands that need
// the view; everything that stays enabled runs without a crash; Window >
// Graphics brings the view back; then the frame closes.
// Mesh > Fix on two triangles stitched along a duplicated seam (and a copy of
// the first): OK reports the counts of kvmesh --fix, Cancel closes. (Before
// the tests that close the frame: after its exit sequence no nested event
// loop, a dialog's included, runs in this process.)
TEST_F(FrameTest, FixMeshDialogMergesTheSeam) {
  MeshModel m;
  m.properties = {ElementProperty{1, kPartSurface, "Part surface", 0.001f, 0, 0}};
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  const int t[3][3] = {{0, 1, 2}, {3, 5, 4}, {0, 1, 2}};
  for (const auto& n : t) {
    Element e;
    e.type = kTriangle;
    e.node_count = 3;
    e.property = 0;
    e.category = kPartSurface;
    e.thickness = 0.001f;
    for (int i = 0; i < 3; ++i) e.nodes[i] = n[i];
    m.elements.push_back(e);
  }
  const std::string path = std::string(::testing::TempDir()) + "kv_seam.m2D";
  ASSERT_EQ(WriteMeshM2D(m, path, 0, ""), 1);
  ASSERT_EQ(window_->ImportMesh(path, 1), 1);
  window_->ClearPane(kPaneOutput);
  bool found = false;
  QTimer presser;
  QObject::connect(&presser, &QTimer::timeout, [&found, &presser] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != "263") return;
    found = true;
    presser.stop();
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    buttons->button(QDialogButtonBox::Ok)->click();  // applies, stays open
    buttons->button(QDialogButtonBox::Cancel)->click();
  });
  presser.start(20);
  ASSERT_TRUE(window_->ViewOpen());
  ASSERT_TRUE(window_->Action(kCmdFixMesh)->isEnabled());
  window_->Dispatch(kCmdFixMesh);
  EXPECT_TRUE(found);
  const std::string out = window_->PaneText(kPaneOutput);
  EXPECT_NE(out.find("Number of nodes merged/deleted: 2"), std::string::npos) << out;
  EXPECT_NE(out.find("Number of elements merged/deleted: 1"), std::string::npos) << out;
  EXPECT_EQ(window_->model().nodes.size(), 4u);
}


TEST_F(FrameTest, ClosedGraphicsChildGreysViewCommandsAndComesBack) {
  BuildSampleModel(window_->model());
  window_->ZoomToModel();
  window_->GraphicsChild()->close();
  PumpMessages();
  EXPECT_FALSE(window_->ViewOpen());
  EXPECT_FALSE(window_->GraphicsChild()->isVisible());
  EXPECT_FALSE(window_->Action(kCmdShade)->isEnabled());
  EXPECT_FALSE(window_->ToolButtonOf(kCmdShade)->isEnabled());
  EXPECT_FALSE(window_->Action(kCmdFront)->isEnabled());
  EXPECT_TRUE(window_->Action(kCmdShowGraphics)->isEnabled());
  EXPECT_TRUE(window_->Action(kCmdMeshStatistics)->isEnabled());
  // A greyed command dispatched directly does nothing.
  const int mode = window_->state().view.render_mode;
  window_->Dispatch(kCmdFacetWireframe);
  EXPECT_EQ(window_->state().view.render_mode, mode);

  // Dialogs that the commands open are closed as soon as they show.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    // done() ends a dialog's exec() whatever buttons it has.
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
      else modal->close();
    }
  });
  closer.start(20);
  // Every enabled entry of the menus without dialogs of their own (View,
  // Select, Transform, Measure, Window); the entries that open dialogs do not
  // touch the view and are left out.
  std::vector<std::string> menus;
  std::set<int> used;
  for (const MenuRow& row : MainMenuRows()) {
    if (row.kind == kMenuPopup) menus.push_back(row.caption);
    if (row.kind == kMenuEnd && !menus.empty()) menus.pop_back();
    if (row.kind != kMenuCommand || row.id == kCmdShowGraphics || menus.empty()) continue;
    const std::string& top = menus.front();
    if (top != "&View" && top != "&Select" && top != "&Transform" && top != "Me&asure" && top != "&Window")
      continue;
    used.insert(row.id);
    QAction* action = window_->Action(row.id);
    if (action->isEnabled()) action->trigger();
  }
  for (const ToolButton& b : ToolbarButtons()) {
    if (b.style == kToolSeparator || !used.count(b.id)) continue;
    QToolButton* button = window_->ToolButtonOf(b.id);
    if (button->isEnabled()) button->click();
  }
  closer.stop();
  PumpMessages();
  EXPECT_FALSE(window_->ViewOpen());

  window_->Action(kCmdShowGraphics)->trigger();
  PumpMessages();
  EXPECT_TRUE(window_->ViewOpen());
  EXPECT_TRUE(window_->GraphicsChild()->isVisible());
  EXPECT_TRUE(window_->Action(kCmdShade)->isEnabled());
  EXPECT_EQ(window_->Action(kCmdReadResults)->isEnabled(), !MenuCommandGreyed(kCmdReadResults));
  window_->Dispatch(kCmdShade);
  EXPECT_EQ(window_->state().view.render_mode, kShade);
  window_->close();
  PumpMessages();
}

TEST_F(FrameTest, CommandPaneAndChoiceEntries) {
  QLineEdit* line = window_->CommandLine();
  line->setText("12.5");
  window_->TakeCommandEnter();
  EXPECT_EQ(window_->PaneText(kPaneInput), "12.5");
  EXPECT_EQ(line->text().toStdString(), "");
  EXPECT_EQ(window_->state().interpreter.step, 1);
  // An empty line advances the step and echoes nothing.
  window_->TakeCommandEnter();
  EXPECT_EQ(window_->state().interpreter.step, 2);
  EXPECT_EQ(window_->PaneText(kPaneInput), "12.5");
  EXPECT_EQ(window_->PopupChoiceMenu(999), 0);
  // Output lines of any module land in the Output pane.
  AppendOutput("Number of nodes: 4");
  EXPECT_NE(window_->PaneText(kPaneOutput).find("Number of nodes: 4"), std::string::npos);
  window_->ClearPane(kPaneOutput);
  EXPECT_EQ(window_->PaneText(kPaneOutput), "");
}

TEST_F(FrameTest, ClosedPanesComeBackFromTheWindowMenu) {
  for (int i = 0; i < 4; ++i) {
    QDockWidget* pane = window_->Pane(i);
    pane->close();
    PumpMessages();
    EXPECT_FALSE(pane->isVisible()) << i;
  }
  window_->Action(kCmdShowOutput)->trigger();
  window_->Action(kCmdShowInput)->trigger();
  window_->Action(kCmdShowCommand)->trigger();
  window_->Action(kCmdShowToolbar)->trigger();
  PumpMessages();
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(window_->Pane(i)->isVisible()) << i;
    EXPECT_FALSE(window_->Pane(i)->isFloating()) << i;
  }
  // A floating pane comes back floating.
  window_->Pane(kPaneInput)->setFloating(true);
  window_->Pane(kPaneInput)->close();
  window_->Dispatch(kCmdShowInput);
  PumpMessages();
  EXPECT_TRUE(window_->Pane(kPaneInput)->isVisible());
  EXPECT_TRUE(window_->Pane(kPaneInput)->isFloating());
}

TEST_F(FrameTest, SystemInformationNamesTheRenderer) {
  window_->Dispatch(kCmdSystem);
  const std::string out = window_->PaneText(kPaneOutput);
  EXPECT_NE(out.find("----------- System Information -----------"), std::string::npos);
  EXPECT_NE(out.find("Processor: "), std::string::npos);
  EXPECT_NE(out.find("Operating system: "), std::string::npos);
  const size_t card = out.find("Graphics card: ");
  ASSERT_NE(card, std::string::npos);
  // Renderer and vendor are not empty: "Graphics card: X, Y".
  EXPECT_NE(out.find(", ", card + 15), std::string::npos);
  EXPECT_NE(out[card + 15], ',');
}

TEST_F(FrameTest, ModelColoursVisibilityAndOpacity) {
  BuildSampleModel(window_->model());
  window_->ZoomToModel();
  // White background away from the model, the logo and the triad.
  Rgb c = PixelAt(0.5f, 1.4f);
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.g, 255);
  EXPECT_EQ(c.b, 255);
  // Part facets: (0.8, 0.8, 0.5) lit, red equal to green, blue clearly lower.
  c = PixelAt(0.6f, 0.4f);
  EXPECT_NEAR(c.r, c.g, 2);
  EXPECT_LT(c.b, c.r - 40);
  EXPECT_GT(c.r, 150);
  // Cold runner green-cyan (0, 1, 0.5), hot runner red.
  c = PixelAt(-0.5f, 0.5f);
  EXPECT_GT(c.g, 200);
  EXPECT_LT(c.r, 80);
  EXPECT_GT(c.b, c.r + 60);
  c = PixelAt(1.5f, 0.5f);
  EXPECT_GT(c.r, 200);
  EXPECT_LT(c.g, 80);
  EXPECT_LT(c.b, 80);
  // Connector beams are not drawn in the model view.
  c = PixelAt(0.5f, -0.4f);
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.g, 255);
  const DrawingTables& t = window_->View()->tables();
  EXPECT_EQ(t.facets.size(), 2u);
  EXPECT_EQ(t.beams.size(), 3u);

  // Hiding the Part category removes the plate and masks its nodes.
  window_->Dispatch(kCmdPart);
  c = PixelAt(0.6f, 0.4f);
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.b, 255);
  EXPECT_EQ(window_->View()->tables().facets.size(), 0u);
  const auto& mask = window_->View()->tables().node_mask;
  ASSERT_EQ(mask.size(), 10u);
  for (int n = 0; n < 4; ++n) EXPECT_EQ(mask[static_cast<size_t>(n)], 0) << n;
  EXPECT_EQ(mask[4], 1);
  c = PixelAt(-0.5f, 0.5f);
  EXPECT_GT(c.g, 200);  // runners stay
  window_->Dispatch(kCmdPart);

  // Opacity 0: no facets, but the outline edges and the beams stay.
  window_->state().view.opacity = 0.0f;
  window_->View()->Invalidate();
  c = PixelAt(0.6f, 0.4f);
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.b, 255);
  c = PixelAt(1.5f, 0.5f);
  EXPECT_GT(c.r, 200);
  EXPECT_LT(c.g, 80);
  // The plate's free edge along x = 0 is drawn in the foreground colour:
  // some pixel across it is dark.
  int darkest = 255;
  for (float y = 0.45f; y <= 0.55f; y += 0.01f) {
    for (float x = -0.02f; x <= 0.02f; x += 0.002f) darkest = std::min(darkest, PixelAt(x, y).r);
  }
  EXPECT_LT(darkest, 100);
}

TEST_F(FrameTest, RenderModesAndStandardViews) {
  BuildSampleModel(window_->model());
  window_->ZoomToModel();
  // Facet wireframe: unshaded, every side drawn, so the diagonal shows.
  window_->Dispatch(kCmdFacetWireframe);
  int darkest = 255;
  for (float d = 0.45f; d <= 0.55f; d += 0.005f) darkest = std::min(darkest, PixelAt(d, d).r);
  EXPECT_LT(darkest, 100);
  Rgb c = PixelAt(0.7f, 0.2f);
  EXPECT_EQ(c.b, 255);  // no filled facet
  // Surface outline: the diagonal between the two coplanar triangles is not an outline.
  window_->Dispatch(kCmdSurfaceOutline);
  c = PixelAt(0.5f, 0.5f);
  EXPECT_GT(c.r, 150);
  EXPECT_LT(c.b, c.r - 40);
  // A standard view reaches its target exactly; the same view again changes nothing.
  window_->Dispatch(kCmdTop);
  const float top[4] = {-0.70710677f, 0, 0, 0.70710677f};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(window_->view().orientation[k], top[k]);
  window_->Dispatch(kCmdTop);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(window_->view().orientation[k], top[k]);
  window_->Dispatch(kCmdZoomAll);
  EXPECT_EQ(window_->view().pan[0], 0.0f);
}

// A standard view is drawn as 25 frames that turn the model evenly.
TEST_F(FrameTest, StandardViewsAreDrawnInTwentyFiveEvenSteps) {
  BuildSampleModel(window_->model());
  window_->ZoomToModel();
  window_->SetStandardViewNow(kViewFront);
  std::vector<std::array<float, 4>> drawn;
  window_->View()->on_frame_drawn = [&drawn](const ViewState& v) {
    const std::array<float, 4> q = {v.orientation[0], v.orientation[1], v.orientation[2], v.orientation[3]};
    if (drawn.empty() || drawn.back() != q) drawn.push_back(q);
  };
  window_->Dispatch(kCmdRight);
  window_->View()->on_frame_drawn = nullptr;
  ASSERT_EQ(drawn.size(), 25u);
  const float front[4] = {0, 0, 0, -1};
  const float* previous = front;
  for (const std::array<float, 4>& q : drawn) {
    float step = 0;
    ASSERT_TRUE(QuaternionAngle(previous, q.data(), &step));
    EXPECT_NEAR(step * 180.0f / 3.14159265f, 90.0f / 25.0f, 0.05f);
    previous = q.data();
  }
}

TEST_F(FrameTest, SavedPictureAndSliverWindowAndNew) {
  BuildSampleModel(window_->model());
  window_->ZoomToModel();
  const std::string path = std::string(::testing::TempDir()) + "kv_frame_view.png";
  ASSERT_EQ(window_->SaveImage(path, 1), 1);
  QImage image(QString::fromStdString(path));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width() % 4, 0);
  EXPECT_EQ(image.height(), window_->view().viewport_height);
  // Top-left of the picture is background.
  EXPECT_EQ(image.pixelColor(image.width() / 2, 2), QColor(Qt::white));
  std::remove(path.c_str());
  // An unwritable path fails with a message, never a crash.
  EXPECT_EQ(window_->SaveImage("/nonexistent-dir/x.png", 1), 0);
  // A window squeezed to a sliver keeps working.
  window_->resize(120, 40);
  PumpMessages();
  window_->Dispatch(kCmdZoomAll);
  window_->Dispatch(kCmdIsometric);
  int w = 0, h = 0;
  std::vector<unsigned char> rgba;
  window_->View()->CaptureRgba(&w, &h, &rgba);
  window_->resize(1000, 720);
  PumpMessages();
  // New with nothing modified asks nothing and empties the model.
  window_->state().data_modified = false;
  window_->Dispatch(kCmdNew);
  EXPECT_TRUE(window_->model().nodes.empty());
  EXPECT_FALSE(window_->Action(kCmdReadResults)->isEnabled());
  ASSERT_EQ(window_->SaveImage(path, 1), 1);
  std::remove(path.c_str());
}

std::string ExamplePlate() { return std::string(KV_SOURCE_DIR) + "/examples/plate/plate.m2D"; }

TEST_F(FrameTest, ImportedPlateIsShadedAndFailedImportsKeepTheModel) {
  ASSERT_EQ(window_->ImportMesh(ExamplePlate(), 1), 1);
  const std::string out = window_->PaneText(kPaneOutput);
  EXPECT_NE(out.find("Reading file: " + ExamplePlate()), std::string::npos);
  EXPECT_NE(out.find("Elapsed time: "), std::string::npos);
  EXPECT_TRUE(window_->state().data_modified);
  EXPECT_EQ(window_->state().job_title, "plate");
  const MeshModel& m = window_->model();
  ASSERT_FALSE(m.nodes.empty());
  ASSERT_FALSE(m.faces.empty());
  // A part facet seen from the front: lit (0.8, 0.8, 0.5), whichever way the
  // face normals of the file point.
  window_->SetStandardViewNow(kViewFront);
  window_->Dispatch(kCmdShade);
  int part = -1;
  for (size_t e = 0; e < m.elements.size(); ++e) {
    if (m.elements[e].category == kPartSurface) part = static_cast<int>(e);
  }
  ASSERT_GE(part, 0);
  const float* c = m.elements[static_cast<size_t>(part)].centroid;
  ASSERT_NEAR(c[2], 0.0f, 1e-6f);  // the example plate lies in z = 0
  Rgb lit = PixelAt(c[0], c[1]);
  EXPECT_NEAR(lit.r, lit.g, 2);
  EXPECT_GT(lit.r, 150);
  EXPECT_LT(lit.b, lit.r - 40);
  window_->SetStandardViewNow(kViewBack);
  lit = PixelAt(-c[0], c[1]);  // the back view mirrors x
  EXPECT_GT(lit.r, 150);

  // An unreadable file and a damaged file leave the model as it was.
  const size_t nodes = m.nodes.size();
  const size_t elements = m.elements.size();
  EXPECT_NE(window_->ImportMesh("/nonexistent-dir/none.m2D", 1), 1);
  const std::string junk = std::string(::testing::TempDir()) + "kv_junk.m2D";
  FILE* f = std::fopen(junk.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("NODE 1 0 garbage\n", f);
  std::fclose(f);
  EXPECT_NE(window_->ImportMesh(junk, 1), 1);
  std::remove(junk.c_str());
  EXPECT_EQ(window_->model().nodes.size(), nodes);
  EXPECT_EQ(window_->model().elements.size(), elements);
  EXPECT_NE(window_->PaneText(kPaneOutput).find("/nonexistent-dir/none.m2D"), std::string::npos);

  // Export through the Export command's function writes a file that imports again.
  const std::string copy = std::string(::testing::TempDir()) + "kv_export_copy.m2D";
  ASSERT_EQ(window_->ExportMesh(copy, 1, false), 1);
  EXPECT_NE(window_->PaneText(kPaneOutput).find("Writing file: " + copy), std::string::npos);
  window_->NewModel();
  ASSERT_EQ(window_->ImportMesh(copy, 1), 1);
  EXPECT_EQ(window_->model().nodes.size(), nodes);
  std::remove(copy.c_str());
  // Mesh statistics print their counts.
  window_->Dispatch(kCmdMeshStatistics);
  EXPECT_NE(window_->PaneText(kPaneOutput).find("Number of nodes: " + std::to_string(nodes)), std::string::npos);
}

// The same plate from an I-deas file without property tables and from a
// Gmsh file is drawn in the same lit part colour (not the near-black of
// connector facets).
TEST_F(FrameTest, IdeasPlateIsDrawnAsTheSameMeshReadFromGmsh) {
  const std::string data = std::string(KV_SOURCE_DIR) + "/mesh/exchange/tests/data/";
  Rgb colours[2];
  const int filters[2] = {6, 13};
  const char* files[2] = {"plate.unv", "plate.msh"};
  for (int i = 0; i < 2; ++i) {
    window_->NewModel();
    ASSERT_EQ(window_->ImportMesh(data + files[i], filters[i]), 1) << files[i];
    window_->SetStandardViewNow(kViewFront);
    window_->Dispatch(kCmdShade);
    const float* c = window_->model().elements[0].centroid;
    colours[i] = PixelAt(c[0], c[1]);
  }
  EXPECT_EQ(colours[0].r, colours[1].r);
  EXPECT_EQ(colours[0].g, colours[1].g);
  EXPECT_EQ(colours[0].b, colours[1].b);
  EXPECT_GT(colours[0].r, 150);
  EXPECT_LT(colours[0].b, colours[0].r - 40);
}

TEST(BatchProgram, ScreenshotOfTheExampleWithoutAWindowManager) {
  const std::string png = std::string(::testing::TempDir()) + "kv_batch_shot.png";
  std::remove(png.c_str());
  // In the sanitizer build the child's leak report at exit names only Mesa's
  // JIT-compiled llvmpipe code (no module, no symbols, so no suppression can
  // name it); the leak check of the view code runs in this process instead.
  const std::string program = "ASAN_OPTIONS=detect_leaks=0 " + std::string(KV_BIN_DIR) + "/kavitron";
  const std::string command = program + " --screenshot " + png + " --view iso --render facet-outline " +
                              ExamplePlate() + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  // Something other than the white background and the blue logo is drawn: the plate.
  int olive = 0;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - c.green()) < 8 && c.blue() < c.red() - 30 && c.red() > 120) ++olive;
    }
  }
  EXPECT_GT(olive, 100);
  if (std::system("command -v pngcheck >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("pngcheck -q " + png + " >/dev/null").c_str()), 0);
  }
  std::remove(png.c_str());
  // Bad arguments and unreadable models end with a non-zero status.
  EXPECT_NE(std::system((program + " --view sideways 2>/dev/null").c_str()), 0);
  EXPECT_NE(std::system((program + " --screenshot " + png + " /nonexistent.m2D 2>/dev/null").c_str()), 0);
}

// Options that need no window work without a display; the others say that a
// display is missing, with status 3 (none of them aborts).
TEST(BatchProgram, WithoutADisplay) {
  const std::string out = std::string(::testing::TempDir()) + "kv_no_display.txt";
  auto run = [&](const std::string& arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 " +
                                std::string(KV_BIN_DIR) + "/kavitron " + arguments + " >" + out + " 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  auto text = [&]() {
    std::ifstream in(out);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(run("--help"), 0);
  EXPECT_EQ(text().rfind("Usage: kavitron", 0), 0u) << text();
  EXPECT_EQ(run("--version"), 0);
  EXPECT_EQ(text(), "KAVITRON Version 2012 beta\n");
  EXPECT_EQ(run("--view sideways"), 2);
  EXPECT_NE(text().find("kavitron: Unknown view: sideways."), std::string::npos) << text();
  EXPECT_EQ(run(ExamplePlate()), 3);
  EXPECT_NE(text().find("kavitron: no display"), std::string::npos) << text();
  EXPECT_EQ(run("--screenshot x.png " + ExamplePlate()), 3);
  std::remove(out.c_str());
}

TEST_F(FrameTest, InletNodeGlyphFollowsTheBoundaryConditionsCheck) {
  // A 10 mm plate with an inlet on a node at its centre: the sphere of radius
  // 0.001 covers a tenth of the plate's width.
  MeshModel& m = window_->model();
  m = MeshModel();
  m.nodes = {{0, 0, 0}, {0.01f, 0, 0}, {0.01f, 0.01f, 0}, {0, 0.01f, 0}, {0.005f, 0.005f, 0}};
  for (int k = 0; k < 2; ++k) {
    Element e;
    e.type = kTriangle;
    e.category = kPartSurface;
    e.node_count = 3;
    e.nodes[0] = 0;
    e.nodes[1] = k == 0 ? 1 : 2;
    e.nodes[2] = k == 0 ? 2 : 3;
    e.thickness = 0.002f;
    m.elements.push_back(e);
    FaceRecord f;
    for (int i = 0; i < 3; ++i) f.nodes[i] = e.nodes[i];
    f.element = k;
    f.normal[2] = -1.0f;  // (p3 - p1) x (p2 - p1) of nodes counter-clockwise from +z
    m.faces.push_back(f);
  }
  window_->analysis().node_boundaries = {{0, kInletNode, 4}};
  window_->ZoomToModel();
  ASSERT_TRUE(window_->state().view.boundary_conditions);
  Rgb c = PixelAt(0.005f, 0.005f);
  EXPECT_GT(c.g, 150);
  EXPECT_LT(c.r, 80);
  EXPECT_LT(c.b, 80);
  // Away from the sphere the plate shows.
  c = PixelAt(0.0085f, 0.0015f);
  EXPECT_GT(c.r, 150);
  // Check off: the plate under the node, no green.
  window_->Dispatch(kCmdBoundaryConditions);
  ASSERT_FALSE(window_->state().view.boundary_conditions);
  c = PixelAt(0.005f, 0.005f);
  EXPECT_GT(c.r, 150);
  EXPECT_NEAR(c.r, c.g, 2);
  // Back on: green again.
  window_->Dispatch(kCmdBoundaryConditions);
  c = PixelAt(0.005f, 0.005f);
  EXPECT_GT(c.g, 150);
  EXPECT_LT(c.r, 80);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

std::string ReadWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::string();
  std::string text;
  char buf[4096];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

// kavitron MODEL --run FILE --export OUT replays the journal headless and
// writes what the same journal gives without a display; a damaged journal
// ends with status 255 and writes nothing.
TEST(BatchProgram, JournalReplayExportsTheEditedModel) {
  const std::string dir = std::string(::testing::TempDir());
  const std::string journal = dir + "kv_batch.kvj", out = dir + "kv_batch_out.m2D";
  const std::string text =
      "# two nodes keyed in, a triangle on them, then everything moved\n"
      "Mesh > Create > Node\n0\n0.5, 0.5, 0.01\n0\n0.5, 0.6, 0.01\n"
      "Mesh > Create > Element\n1\n1\n";
  std::remove(out.c_str());
  // The node numbers of the triangle depend on the plate: the two new ones.
  MeshModel plate;
  std::string error;
  ASSERT_EQ(ReadMeshNative(plate, ExamplePlate(), error), 1) << error;
  const int n = static_cast<int>(plate.nodes.size());
  const std::string full = text + std::to_string(n + 1) + "\n" + std::to_string(n + 2) + "\n" +
                           "Transform > Move\nall\n0, 0, 1\n0.001\n\n";
  {
    std::FILE* f = std::fopen(journal.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(full.c_str(), f);
    std::fclose(f);
  }
  const std::string program = "ASAN_OPTIONS=detect_leaks=0 " + std::string(KV_BIN_DIR) + "/kavitron";
  const std::string project = dir + "kv_batch_out.sim", reopened = dir + "kv_batch_reopened.m2D";
  std::remove(project.c_str());
  ASSERT_EQ(std::system((program + " " + ExamplePlate() + " --run " + journal + " --export " + out + " --save " +
                         project + " >/dev/null 2>&1").c_str()),
            0);
  // The project saved after the replay holds the edited model: opened again
  // and exported, it gives the same mesh file.
  ASSERT_EQ(std::system((program + " " + project + " --export " + reopened + " >/dev/null 2>&1").c_str()), 0);
  EXPECT_EQ(ReadWholeFile(reopened), ReadWholeFile(out));
  // The same journal without a display.
  RebuildAfterRead(plate);
  InterpreterState state;
  AnalysisSettings analysis;
  Selection selection;
  DrawingTables tables;
  std::string model_path;
  int property = 0;
  CommandContext ctx;
  ctx.state = &state;
  ctx.model = &plate;
  ctx.analysis = &analysis;
  ctx.selection = &selection;
  ctx.tables = &tables;
  ctx.model_path = &model_path;
  ctx.current_property = &property;
  ASSERT_EQ(ReplayJournalFile(ctx, journal, &error), 1) << error;
  const std::string expected = dir + "kv_batch_expected.m2D";
  ASSERT_EQ(WriteMeshM2D(plate, expected, 0, ""), 1);
  const std::string written = ReadWholeFile(out);
  EXPECT_FALSE(written.empty());
  EXPECT_EQ(written, ReadWholeFile(expected));

  // A damaged journal: status 255, nothing exported or saved.
  std::remove(out.c_str());
  std::remove(project.c_str());
  {
    std::FILE* f = std::fopen(journal.c_str(), "wb");
    std::fputs("Mesh > Create > Node\n0\n1, 1, 1\nMesh > Knit\n", f);
    std::fclose(f);
  }
  const int status = std::system((program + " " + ExamplePlate() + " --run " + journal + " --export " + out +
                                  " --save " + project + " >/dev/null 2>" + dir + "kv_batch_err.txt").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255) << status;
  EXPECT_EQ(ReadWholeFile(out), "");
  EXPECT_EQ(ReadWholeFile(project), "");
  EXPECT_NE(ReadWholeFile(dir + "kv_batch_err.txt").find(journal + ":4: unknown command"), std::string::npos);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

// Plate A (elements 1, 2) in z = 0 over [0,1]^2 (part surface); plate B
// (3, 4) standing on its edge x = 1 (mold surface); plate C (5, 6) joined at
// x = 0 and tilted 1 degree; plate E (7, 8) joined at y = 0 and tilted 3.
std::string WriteBentPlates() {
  const float zc = std::tan(1.0f * 3.14159265f / 180.0f), ze = std::tan(3.0f * 3.14159265f / 180.0f);
  MeshModel m;
  m.properties = {ElementProperty{1, kPartSurface, "Part surface", 0.002f, 0, 0},
                  ElementProperty{2, kMoldSurface, "Mold surface", 0.002f, 0, 0}};
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 1},
             {1, 1, 1}, {-1, 0, zc}, {-1, 1, zc}, {0, -1, ze}, {1, -1, ze}};
  const int triangles[8][3] = {{0, 1, 2}, {0, 2, 3}, {1, 4, 5}, {1, 5, 2}, {6, 0, 3}, {6, 3, 7}, {8, 9, 1}, {8, 1, 0}};
  for (int k = 0; k < 8; ++k) {
    Element e;
    e.type = kTriangle;
    e.node_count = 3;
    for (int i = 0; i < 3; ++i) e.nodes[i] = triangles[k][i];
    e.property = (k == 2 || k == 3) ? 1 : 0;
    e.category = m.properties[e.property].category;
    e.thickness = 0.002f;
    m.elements.push_back(e);
  }
  const std::string path = std::string(::testing::TempDir()) + "kv_bent_plates.m2D";
  EXPECT_EQ(WriteMeshM2D(m, path, 0, ""), 1);
  return path;
}

class PickingTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    ASSERT_EQ(window_->ImportMesh(WriteBentPlates(), 1), 1);
    window_->SetStandardViewNow(StandardViewFromName("front"));
    window_->View()->RedrawView();
    PumpMessages();
  }
  // Window position of model point p in the last frame drawn.
  QPoint At(float x, float y, float z) {
    const float p[3] = {x, y, z};
    double w[3];
    EXPECT_TRUE(ProjectToWindow(window_->View()->Projection(), p, w));
    return QPoint(static_cast<int>(w[0]), static_cast<int>(w[1]));
  }
  void Mouse(QEvent::Type type, QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             Qt::MouseButton button = Qt::LeftButton) {
    QWidget* view = window_->View();
    QMouseEvent event(type, QPointF(p), QPointF(view->mapToGlobal(p)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, modifiers);
    QApplication::sendEvent(view, &event);
    PumpMessages();
  }
  void Click(QPoint p) { Mouse(QEvent::MouseButtonPress, p); }
  std::vector<int> Elements() {
    return SelectedElements(window_->selection(), *window_->commands().tables);
  }
};

TEST_F(PickingTest, ClicksAndBoxesSelectWhatIsDrawn) {
  window_->Dispatch(kCmdPickFacet);
  Click(At(0.67f, 0.33f, 0));
  EXPECT_EQ(Elements(), std::vector<int>{0});
  Click(At(0.33f, 0.67f, 0));
  EXPECT_EQ(Elements(), (std::vector<int>{0, 1}));
  Click(At(0.67f, 0.33f, 0));  // off again
  EXPECT_EQ(Elements(), std::vector<int>{1});
  window_->Dispatch(kCmdSelectNone);
  // Plane stops at 3 degrees and at plate B; Surface crosses the 3 degrees;
  // Shell takes the whole sheet.
  window_->Dispatch(kCmdPickPlane);
  Click(At(0.67f, 0.33f, 0));
  EXPECT_EQ(Elements(), (std::vector<int>{0, 1, 4, 5}));
  window_->Dispatch(kCmdSelectNone);
  window_->Dispatch(kCmdPickSurface);
  Click(At(0.67f, 0.33f, 0));
  EXPECT_EQ(Elements(), (std::vector<int>{0, 1, 4, 5, 6, 7}));
  window_->Dispatch(kCmdSelectNone);
  window_->Dispatch(kCmdPickShell);
  Click(At(-0.5f, 0.5f, 0.01f));
  EXPECT_EQ(Elements().size(), 8u);
  Click(At(0.5f, -0.5f, 0.03f));  // the sheet leaves
  EXPECT_TRUE(Elements().empty());
  // A Shift-box around plate C replaces the facets.
  window_->Dispatch(kCmdPickFacet);
  Mouse(QEvent::MouseButtonPress, At(-1.05f, 1.05f, 0), Qt::ShiftModifier);
  Mouse(QEvent::MouseMove, At(0.02f, -0.02f, 0), Qt::ShiftModifier, Qt::NoButton);
  Mouse(QEvent::MouseButtonRelease, At(0.02f, -0.02f, 0), Qt::ShiftModifier);
  EXPECT_EQ(Elements(), (std::vector<int>{4, 5}));
  // Vertex: hover and click a node; a box adds nodes.
  window_->Dispatch(kCmdPickVertex);
  Mouse(QEvent::MouseMove, At(-1, 1, 0.0175f) + QPoint(2, 1), Qt::NoModifier, Qt::NoButton);
  EXPECT_EQ(window_->selection().hovered_node, 7);
  Click(At(-1, 1, 0.0175f) + QPoint(2, 1));
  EXPECT_EQ(window_->selection().nodes, std::vector<int>{7});
  // A right click ends everything and empties the selection.
  Mouse(QEvent::MouseButtonPress, At(0, 0, 0), Qt::NoModifier, Qt::RightButton);
  EXPECT_TRUE(window_->selection().nodes.empty());
  EXPECT_TRUE(window_->selection().facets.empty());
}

// Hovering finds a node where it is drawn after the view turned and after a
// command moved it (the vertex grid follows both).
TEST_F(PickingTest, HoverFollowsViewChangesAndMovedNodes) {
  window_->Dispatch(kCmdPickVertex);
  Mouse(QEvent::MouseMove, At(1, 1, 0), Qt::NoModifier, Qt::NoButton);
  EXPECT_EQ(window_->selection().hovered_node, 2);
  window_->Dispatch(kCmdIsometric);
  window_->View()->RedrawView();
  PumpMessages();
  Mouse(QEvent::MouseMove, At(0, 0, 0), Qt::NoModifier, Qt::NoButton);
  Mouse(QEvent::MouseMove, At(1, 1, 0), Qt::NoModifier, Qt::NoButton);
  EXPECT_EQ(window_->selection().hovered_node, 2);
  // Move node 3 by a command; the view stays as it is.
  window_->Dispatch(kCmdPickVertex);
  window_->model().nodes[2] = Node{1.0f, 1.5f, 0.0f};
  window_->commands().hooks.model_changed();
  window_->View()->RedrawView();
  PumpMessages();
  Mouse(QEvent::MouseMove, At(0, 0, 0), Qt::NoModifier, Qt::NoButton);
  Mouse(QEvent::MouseMove, At(1, 1.5f, 0), Qt::NoModifier, Qt::NoButton);
  EXPECT_EQ(window_->selection().hovered_node, 2);
}

// While a command waits for nodes the view shows the cursor with the number
// of the node to pick next; a camera key shows its own cursor meanwhile; the
// end of the command brings the arrow back.
TEST_F(PickingTest, NodeCursorsFollowTheCommand) {
  QWidget* view = window_->View();
  auto same = [](const QCursor& a, const QCursor& b) {
    return a.shape() == b.shape() && a.pixmap().toImage() == b.pixmap().toImage();
  };
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
  window_->Dispatch(kCmdDistance);
  window_->View()->RedrawView();
  PumpMessages();
  EXPECT_EQ(view->cursor().shape(), Qt::BitmapCursor);
  EXPECT_TRUE(same(view->cursor(), NodeCursor(1)));
  EXPECT_FALSE(same(NodeCursor(1), NodeCursor(2)));
  Click(At(-1, 0, 0.0175f));
  EXPECT_TRUE(same(view->cursor(), NodeCursor(2)));
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(view, &press);
  EXPECT_TRUE(same(view->cursor(), CameraCursor(kCameraPan)));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(view, &release);
  EXPECT_TRUE(same(view->cursor(), NodeCursor(2)));
  Mouse(QEvent::MouseButtonPress, At(0, 0, 0), Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

// Measure > Distance: after the first node, a line in the highlight colour
// joins it to the node under the cursor, until the command ends.
TEST_F(PickingTest, RubberLineJoinsTheHeldNodeAndTheHoveredOne) {
  // Highlight-coloured pixels within 2 pixels of the window point p.
  auto highlighted_near = [this](QPoint p) {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    EXPECT_TRUE(window_->View()->CaptureRgba(&w, &h, &rgba));
    int found = 0;
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const int x = p.x() + dx, y = h - 1 - (p.y() + dy);
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        const unsigned char* c = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
        if (c[0] > 200 && c[1] < 80 && c[2] > 80 && c[2] < 180) ++found;
      }
    }
    return found;
  };
  const float zc = std::tan(1.0f * 3.14159265f / 180.0f);
  const QPoint middle = (At(-1, 0, zc) + At(0, 1, 0)) / 2;
  window_->Dispatch(kCmdDistance);
  window_->View()->RedrawView();
  PumpMessages();
  Click(At(-1, 0, zc));
  Mouse(QEvent::MouseMove, At(0, 1, 0), Qt::NoModifier, Qt::NoButton);
  ASSERT_EQ(window_->selection().hovered_node, 3);
  EXPECT_GT(highlighted_near(middle), 0);
  Mouse(QEvent::MouseButtonPress, At(0, 0, 0), Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(highlighted_near(middle), 0);
}

TEST_F(PickingTest, HiddenCategoriesAreNeverPickedAndPicksFeedCommands) {
  window_->Dispatch(kCmdMold);  // plate B hidden
  window_->View()->RedrawView();
  PumpMessages();
  window_->Dispatch(kCmdPickShell);
  Click(At(0.67f, 0.33f, 0));
  EXPECT_EQ(Elements(), (std::vector<int>{0, 1, 4, 5, 6, 7}));
  window_->Dispatch(kCmdSelectNone);
  // Node 2 (1, 0, 0) stands under plate B: not pickable while it is hidden.
  window_->Dispatch(kCmdPickVertex);
  Click(At(1, 0, 0));
  EXPECT_TRUE(window_->selection().nodes.empty() || window_->selection().nodes[0] != 1);
  // Measure > Distance by two clicks.
  window_->Dispatch(kCmdMold);
  window_->Dispatch(kCmdDistance);
  window_->View()->RedrawView();
  PumpMessages();
  Click(At(-1, 0, 0.0175f));
  Click(At(0, 1, 0));
  EXPECT_NE(window_->PaneText(kPaneOutput).find("Distance: 1.414321"), std::string::npos)
      << window_->PaneText(kPaneOutput);
  EXPECT_NE(window_->PaneText(kPaneInput).find("Enter node #1:"), std::string::npos);
}

}  // namespace
}  // namespace kv
