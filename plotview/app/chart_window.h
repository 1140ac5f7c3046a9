#pragma once
// The window of `curvex`: one chart with a line series per curve, the axis
// limit boxes (txtminx, txtmaxx, txtminy, txtmaxy), the divisor boxes
// (txtdivx, txtdivy), Save, Copy and OK. The mouse wheel zooms about the
// cursor, a dragged rectangle zooms to it, a right click zooms back out, and
// the value under the cursor shows below the chart.

#include <QWidget>

#include "common/plot/plot_data.h"
#include "plotview/core/curve_colours.h"

class QChart;
class QLabel;
class QLineEdit;

namespace kv {

class PlotChartView;

class ChartWindow : public QWidget {
 public:
  ChartWindow();

  // Reads the plot file and shows it. Returns false with `error` set when
  // the file cannot be read; the window then keeps what it showed.
  bool LoadFile(const std::string& path, std::string& error);

  // Shows `plot` (titles and labels in UTF-8, as ReadPlotFile gives them):
  // one line series per curve, linear or base-10 logarithmic
  // axes by its scale, axis titles, legend with the curve labels, and the
  // smallest and largest x and y in the limit boxes.
  void ShowPlot(const PlotData& plot);

  // Saves the chart as PNG or SVG (by the extension of `path`, any case),
  // written aside and renamed over `path`. False with `error` set on failure.
  bool SaveChart(const std::string& path, std::string& error);

  // Puts a picture of the chart on the clipboard.
  void CopyChart();

 private:
  void ApplyLimit(int which, const QString& text);
  void RunSaveDialog();

  PlotChartView* view_ = nullptr;
  QLineEdit* limits_[4] = {};  // min x, max x, min y, max y
  QLabel* cursor_ = nullptr;
  bool logarithmic_ = false;
};

}  // namespace kv
