// The view on a screen scaled to twice the size (run under xvfb-run): the
// framebuffer has twice the window's pixels, and the model must fill it as on
// an unscaled screen, with picks landing where the mouse is.
//
// The scale factor is read once when the application starts, so the test runs
// this program again in a child process with the factor set.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "gui/platform/platform.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/frame/main_window.h"
#include "gui/view/core/picking.h"
#include "gui/view/gl/graphics_view.h"

namespace kv {
namespace {

constexpr char kChildFlag[] = "KV_SCALED_SCREEN_CHILD";

std::string ThisProgram() {
  char path[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

// True for pixels of the drawn model: neither the white background, nor the
// blue logo, nor the black lines of the triad and the outlines.
bool ModelPixel(const QColor& c) {
  const bool white = c.red() > 245 && c.green() > 245 && c.blue() > 245;
  const bool logo = c.blue() > c.red() + 60;
  const bool dark = c.red() < 60 && c.green() < 60 && c.blue() < 60;
  return !white && !logo && !dark;
}

void RunScaledChild() {
  static int argc = 1;
  static char name[] = "scaled_screen_view_test";
  static char* argv[] = {name, nullptr};
  SetDefaultGlFormat();
  QApplication app(argc, argv);
  MainWindow window;
  window.resize(1000, 720);
  window.show();
  PumpMessages();
  GraphicsView* view = window.View();
  ASSERT_DOUBLE_EQ(view->devicePixelRatioF(), 2.0);
  ASSERT_EQ(window.ImportMesh(std::string(KV_SOURCE_DIR) + "/examples/plate/plate.m2D", 1), 1);
  window.SetStandardViewNow(kViewFront);
  window.Dispatch(kCmdShade);
  view->RedrawView();
  PumpMessages();

  // The framebuffer shown on screen: twice the widget's pixels, and the
  // framed model's box centred in it (the framing centres the model's extent).
  const QImage image = view->grabFramebuffer();
  ASSERT_EQ(image.width(), 2 * view->width());
  EXPECT_EQ(window.view().viewport_width, image.width());
  EXPECT_EQ(window.view().viewport_height, image.height());
  int x0 = image.width(), x1 = -1, y0 = image.height(), y1 = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!ModelPixel(image.pixelColor(x, y))) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  ASSERT_GE(x1, 0) << "no model drawn";
  EXPECT_NEAR((x0 + x1) / 2.0, image.width() / 2.0, image.width() * 0.03);
  EXPECT_NEAR((y0 + y1) / 2.0, image.height() / 2.0, image.height() * 0.03);
  // The model's width fills the part of the window that the framing gives it
  // (more than a third of the picture, not a quarter-size copy in a corner).
  EXPECT_GT(x1 - x0, image.width() / 3);

  // Hovering a node at its place on screen (the mouse speaks window pixels)
  // finds that node.
  window.Dispatch(kCmdPickVertex);
  const Node& n = window.model().nodes[0];
  const float p[3] = {n.x, n.y, n.z};
  double w[3];
  ASSERT_TRUE(ProjectToWindow(view->Projection(), p, w));
  const QPointF logical(w[0] / 2.0, w[1] / 2.0);
  QMouseEvent move(QEvent::MouseMove, logical, view->mapToGlobal(logical), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  PumpMessages();
  EXPECT_EQ(window.selection().hovered_node, 0);
}

TEST(ScaledScreen, ViewFillsTheFramebufferAndPicksWhereTheMouseIs) {
  if (std::getenv(kChildFlag)) {
    RunScaledChild();
    return;
  }
  const std::string log = std::string(::testing::TempDir()) + "kv_scaled_screen.txt";
  const std::string command = std::string(kChildFlag) + "=1 QT_SCALE_FACTOR=2 ASAN_OPTIONS=detect_leaks=0 " +
                              ThisProgram() + " --gtest_filter=ScaledScreen.* >" + log + " 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
  std::remove(log.c_str());
}

}  // namespace
}  // namespace kv
