#include "plotview/app/chart_window.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <functional>

#include "plotview/core/plot_reader.h"

namespace kv {

// The chart view with wheel zoom about the cursor, rubber-band zoom, a right
// click to zoom back out, and the value under the cursor.
class PlotChartView : public QChartView {
 public:
  explicit PlotChartView(QChart* chart) : QChartView(chart) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
  }

  std::function<void(const QPointF& value, bool inside)> on_cursor;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    const double factor = event->angleDelta().y() > 0 ? 1.25 : 0.8;
    const QRectF area = chart()->plotArea();
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (!area.contains(at)) return;
    // Keep the point under the cursor where it is.
    const QRectF zoomed(at.x() - (at.x() - area.left()) / factor, at.y() - (at.y() - area.top()) / factor,
                        area.width() / factor, area.height() / factor);
    chart()->zoomIn(zoomed);
    event->accept();
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    QChartView::mouseMoveEvent(event);
    if (!on_cursor || chart()->series().isEmpty()) return;
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    on_cursor(chart()->mapToValue(at, chart()->series().first()), chart()->plotArea().contains(at));
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    chart()->zoomReset();
    event->accept();
  }
};

namespace {

// Adds a labelled line edit to row `row` of `grid`.
QLineEdit* AddBox(QGridLayout* grid, int row, int column, const char* label, const char* name) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMaximumWidth(110);
  grid->addWidget(new QLabel(QString::fromLatin1(label)), row, column);
  grid->addWidget(edit, row, column + 1);
  return edit;
}

}  // namespace

ChartWindow::ChartWindow() {
  setWindowTitle(QStringLiteral("Plot XY"));
  setObjectName(QStringLiteral("frmPlot"));
  resize(760, 560);
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignRight);
  view_ = new PlotChartView(chart);
  view_->setObjectName(QStringLiteral("MSChart1"));
  cursor_ = new QLabel;
  cursor_->setObjectName(QStringLiteral("cursorValue"));
  view_->on_cursor = [this](const QPointF& v, bool inside) {
    cursor_->setText(inside ? QStringLiteral("x = %1   y = %2").arg(v.x(), 0, 'g', 6).arg(v.y(), 0, 'g', 6)
                            : QString());
  };

  auto* grid = new QGridLayout;
  const char* labels[4] = {"Minimum x:", "Maximum x:", "Minimum y:", "Maximum y:"};
  const char* names[4] = {"txtminx", "txtmaxx", "txtminy", "txtmaxy"};
  for (int i = 0; i < 4; ++i) {
    limits_[i] = AddBox(grid, i % 2, (i / 2) * 2, labels[i], names[i]);
    connect(limits_[i], &QLineEdit::textEdited, this, [this, i](const QString& text) { ApplyLimit(i, text); });
  }
  // The scale factors are 1; the divisor boxes show their reciprocals.
  QLineEdit* divx = AddBox(grid, 0, 4, "Divisor x:", "txtdivx");
  QLineEdit* divy = AddBox(grid, 1, 4, "Divisor y:", "txtdivy");
  for (QLineEdit* d : {divx, divy}) {
    d->setText(QStringLiteral("1"));
    d->setReadOnly(true);
  }

  auto* save = new QPushButton(QStringLiteral("Save..."));
  save->setObjectName(QStringLiteral("cmdSave"));
  connect(save, &QPushButton::clicked, this, [this] { RunSaveDialog(); });
  auto* copy = new QPushButton(QStringLiteral("Copy"));
  copy->setObjectName(QStringLiteral("cmdCopy"));
  connect(copy, &QPushButton::clicked, this, [this] { CopyChart(); });
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("cmdOK"));
  connect(ok, &QPushButton::clicked, this, [] { QApplication::quit(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cursor_, 1);
  buttons->addWidget(save);
  buttons->addWidget(copy);
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

bool ChartWindow::LoadFile(const std::string& path, std::string& error) {
  PlotData plot;
  if (ReadPlotFile(path, plot, error) != 1) return false;
  ShowPlot(plot);
  return true;
}

void ChartWindow::ShowPlot(const PlotData& plot) {
  QChart* chart = view_->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  setWindowTitle(QString::fromStdString(plot.title));
  logarithmic_ = plot.scale == kPlotLogarithmic;
  auto make_axis = [this](const std::string& title) -> QAbstractAxis* {
    QAbstractAxis* axis;
    if (logarithmic_) {
      auto* log = new QLogValueAxis;
      log->setBase(10);
      log->setLabelFormat(QStringLiteral("%g"));
      axis = log;
    } else {
      auto* value = new QValueAxis;
      value->setLabelFormat(QStringLiteral("%g"));
      axis = value;
    }
    axis->setTitleText(QString::fromStdString(title));
    return axis;
  };
  QAbstractAxis* x_axis = make_axis(plot.x_title);
  QAbstractAxis* y_axis = make_axis(plot.y_title);
  chart->addAxis(x_axis, Qt::AlignBottom);
  chart->addAxis(y_axis, Qt::AlignLeft);
  bool any_label = false;
  int index = 0;
  for (const PlotCurve& curve : plot.curves) {
    auto* series = new QLineSeries;
    series->setName(QString::fromStdString(curve.label));
    QPen pen(QColor::fromRgb(kCurveColours[index++ % kCurveColourCount]));
    pen.setWidthF(2.0);
    series->setPen(pen);
    for (size_t i = 0; i < curve.x.size(); ++i) {
      // A logarithmic axis cannot show zero or negative values.
      if (logarithmic_ && (curve.x[i] <= 0 || curve.y[i] <= 0)) continue;
      series->append(curve.x[i], curve.y[i]);
    }
    chart->addSeries(series);
    series->attachAxis(x_axis);
    series->attachAxis(y_axis);
    any_label = any_label || !curve.label.empty();
  }
  chart->legend()->setVisible(any_label);
  double limits[4];
  PlotLimits(plot, limits[0], limits[1], limits[2], limits[3]);
  for (int i = 0; i < 4; ++i) limits_[i]->setText(QString::number(limits[i], 'g', 7));
  if (!(logarithmic_ && (limits[0] <= 0 || limits[2] <= 0))) {
    x_axis->setRange(limits[0], limits[1] > limits[0] ? limits[1] : limits[0] + 1);
    y_axis->setRange(limits[2], limits[3] > limits[2] ? limits[3] : limits[2] + 1);
  }
}

void ChartWindow::ApplyLimit(int which, const QString& text) {
  // An empty or unreadable box leaves the axis as it is.
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || (logarithmic_ && value <= 0)) return;
  const auto axes = view_->chart()->axes(which < 2 ? Qt::Horizontal : Qt::Vertical);
  if (axes.isEmpty()) return;
  if (which % 2 == 0)
    axes.first()->setMin(value);
  else
    axes.first()->setMax(value);
}

bool ChartWindow::SaveChart(const std::string& path, std::string& error) {
  const QString file = QString::fromStdString(path);
  const QString suffix = QFileInfo(file).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    error = "Unknown picture type (use .png or .svg): " + path;
    return false;
  }
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    error = "Unable to write file: " + path;
    return false;
  }
  bool ok = true;
  if (suffix == QLatin1String("png")) {
    ok = view_->grab().toImage().save(&out, "PNG");
  } else {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(view_->size());
    svg.setViewBox(QRect(QPoint(0, 0), view_->size()));
    svg.setTitle(windowTitle());
    QPainter painter(&svg);
    view_->render(&painter);
    ok = painter.end();
  }
  if (!ok || !out.commit()) {
    error = "Unable to write file: " + path;
    return false;
  }
  return true;
}

void ChartWindow::CopyChart() { QApplication::clipboard()->setImage(view_->grab().toImage()); }

void ChartWindow::RunSaveDialog() {
  QString filter = QStringLiteral("PNG Files (*.png)");
  const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Save Chart"), QString(),
                                                    QStringLiteral("PNG Files (*.png);;SVG Files (*.svg)"), &filter);
  if (file.isEmpty()) return;
  QString path = file;
  if (QFileInfo(path).suffix().isEmpty())
    path += filter.contains(QLatin1String("svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
  std::string error;
  if (!SaveChart(path.toStdString(), error))
    QMessageBox::critical(this, QStringLiteral("curvex"), QString::fromStdString(error));
}

}  // namespace kv
