// The curvex window on a display (run under xvfb-run): series, axes, legend
// and limit boxes of a loaded plot; limit boxes, wheel and rubber-band zoom
// and the value under the cursor.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "common/plot/plot_data.h"
#include "plotview/app/chart_window.h"
#include "plotview/core/plot_reader.h"

namespace kv {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "chart_window_view_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The viscosity plot as curvex reads it from the file (texts in UTF-8).
PlotData Viscosity() {
  const float wlf[7] = {0.252f, 30800, 4.76e10f, 373.15f, 0, 25.7f, 61.06f};
  double t[4];
  ViscosityPlotTemperatures(453.15, 553.15, t);
  PlotData plot;
  std::string error;
  EXPECT_EQ(ParsePlotData(FormatPlotData(BuildViscosityPlot(wlf, t)), plot, error), 1) << error;
  return plot;
}

struct Shown {
  QApplication& app = App();  // before any widget
  ChartWindow window;
  QChartView* view = nullptr;
  Shown() {
    window.resize(800, 600);
    window.show();
    view = window.findChild<QChartView*>(QStringLiteral("MSChart1"));
  }
  QAbstractAxis* Axis(Qt::Orientation o) { return view->chart()->axes(o).value(0); }
  QLineEdit* Box(const char* name) { return window.findChild<QLineEdit*>(QString::fromLatin1(name)); }
  void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
};

TEST(ChartWindowView, LoadedPlotShowsSeriesAxesLegendAndLimits) {
  Shown s;
  ASSERT_NE(s.view, nullptr);
  EXPECT_EQ(s.window.windowTitle(), QStringLiteral("Plot XY"));
  s.window.ShowPlot(Viscosity());
  s.Settle();
  EXPECT_EQ(s.window.windowTitle(), QStringLiteral("Rheology"));
  const auto series = s.view->chart()->series();
  ASSERT_EQ(series.size(), 4);
  EXPECT_EQ(series[0]->name(), QString::fromUtf8("T = 180 (\xC2\xBA" "C)"));
  EXPECT_EQ(static_cast<QLineSeries*>(series[3])->count(), 50);
  auto* x = qobject_cast<QLogValueAxis*>(s.Axis(Qt::Horizontal));
  auto* y = qobject_cast<QLogValueAxis*>(s.Axis(Qt::Vertical));
  ASSERT_TRUE(x && y);
  EXPECT_EQ(x->base(), 10);
  EXPECT_EQ(x->titleText(), QStringLiteral("Shear rate (1/s)"));
  EXPECT_EQ(y->titleText(), QStringLiteral("Viscosity (Pa.s)"));
  EXPECT_TRUE(s.view->chart()->legend()->isVisible());
  EXPECT_EQ(s.Box("txtminx")->text(), QStringLiteral("1"));
  EXPECT_EQ(s.Box("txtmaxx")->text(), QStringLiteral("100000"));
  EXPECT_EQ(s.Box("txtdivy")->text(), QStringLiteral("1"));

  // A linear plot with one unlabelled curve: value axes, no legend.
  ResultSet set;
  for (int i = 0; i < 4; ++i) {
    ResultEntry e;
    e.name = "Clamp force";
    e.unit = "N";
    e.location = kGlobalResult;
    e.label_kind = 1;
    e.variable_name[0] = "Time";
    e.variable_unit[0] = "s";
    e.variable_value[0] = i * 0.5f;
    e.items.resize(1);
    e.items[0].values[0] = i * 10.0f;
    set.entries.push_back(e);
  }
  set.current = 0;
  PlotData scalar;
  std::string error;
  ASSERT_EQ(BuildScalarTimePlot(set, scalar, error), 1);
  s.window.ShowPlot(scalar);
  s.Settle();
  EXPECT_NE(qobject_cast<QValueAxis*>(s.Axis(Qt::Horizontal)), nullptr);
  EXPECT_EQ(s.view->chart()->series().size(), 1);
  EXPECT_FALSE(s.view->chart()->legend()->isVisible());
  EXPECT_EQ(s.Box("txtmaxy")->text(), QStringLiteral("30"));
}

TEST(ChartWindowView, LimitBoxesWheelAndRubberBandZoomAndCursorValue) {
  Shown s;
  PlotData plot;
  plot.title = "XY plot";
  plot.scale = kPlotLinear;
  plot.curves.push_back({"", {0, 10}, {0, 100}});
  s.window.ShowPlot(plot);
  s.Settle();
  auto* x = qobject_cast<QValueAxis*>(s.Axis(Qt::Horizontal));
  ASSERT_NE(x, nullptr);
  EXPECT_DOUBLE_EQ(x->max(), 10);

  // Typing a value fixes that end of the axis; an emptied box leaves it.
  QLineEdit* maxx = s.Box("txtmaxx");
  maxx->clear();
  QTest::keyClicks(maxx, "20");
  EXPECT_DOUBLE_EQ(x->max(), 20);
  maxx->selectAll();
  QTest::keyClick(maxx, Qt::Key_Backspace);
  EXPECT_DOUBLE_EQ(x->max(), 20);
  QTest::keyClicks(maxx, "abc");
  EXPECT_DOUBLE_EQ(x->max(), 20);

  // The wheel zooms in about the cursor.
  QWidget* viewport = s.view->viewport();
  const QRectF area = s.view->chart()->plotArea();
  const QPoint centre = s.view->mapFromScene(s.view->chart()->mapToScene(area.center()));
  QWheelEvent wheel(centre, viewport->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &wheel);
  EXPECT_NEAR(x->max() - x->min(), 20 / 1.25, 1e-6);
  EXPECT_NEAR((x->max() + x->min()) / 2, 10, 0.2);

  // A dragged rectangle zooms to it.
  const double before = x->max() - x->min();
  const QPoint a = centre - QPoint(60, 40), b = centre + QPoint(60, 40);
  QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, a);
  QTest::mouseMove(viewport, b);
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, b);
  EXPECT_LT(x->max() - x->min(), before * 0.8);

  // The value under the cursor.
  QMouseEvent move(QEvent::MouseMove, QPointF(centre), viewport->mapToGlobal(QPointF(centre)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &move);
  EXPECT_TRUE(s.window.findChild<QLabel*>(QStringLiteral("cursorValue"))->text().startsWith(QStringLiteral("x = ")));
}

}  // namespace
}  // namespace kv
