// Results on the model, on a display (run under xvfb-run): the example plate
// with the result file of a real run, the colours of the pressure and
// melt-front entries read back from the pixels, the legend, frame stepping,
// pictures, animations checked by ffprobe, and projects saved and reopened.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include "gui/platform/platform.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/frame/main_window.h"
#include "gui/view/core/colour_map.h"
#include "gui/view/gl/graphics_view.h"

namespace kv {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "results_view_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    SetDefaultGlFormat();
    return new QApplication(argc, argv);
  }();
  return *app;
}

namespace fs = std::filesystem;

// The example job run once by the solver in a scratch directory.
const std::string& PlateJobDir() {
  static const std::string dir = [] {
    const fs::path d = fs::path(::testing::TempDir()) / ("kv_results_view_" + std::to_string(::getpid()));
    fs::create_directories(d);
    for (const auto& f : fs::directory_iterator(fs::path(KV_SOURCE_DIR) / "examples/plate"))
      fs::copy_file(f.path(), d / f.path().filename(), fs::copy_options::overwrite_existing);
    const std::string command = "cd '" + d.string() + "' && '" + KV_BIN_DIR + "/fluxar' plate >/dev/null 2>&1";
    const int rc = std::system(command.c_str());
    (void)rc;  // fluxar ends with status 1 after a run; the result file is checked below
    return d.string();
  }();
  return dir;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Probe(const std::string& path) {
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=codec_name,width,height,nb_read_frames -of csv=p=0 '" + path + "' 2>&1";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) text += buffer.data();
    pclose(pipe);
  }
  return text;
}

class ResultsViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    window_ = std::make_unique<MainWindow>();
    window_->resize(1000, 720);
    window_->show();
    PumpMessages();
    job_ = PlateJobDir();
    ASSERT_TRUE(fs::exists(job_ + "/plate.f2D")) << "the solver wrote no result file";
    ASSERT_EQ(window_->ImportMesh(job_ + "/plate.m2D", 1), 1);
    ASSERT_EQ(window_->ReadResultsFile(job_ + "/plate.f2D"), 1);
    window_->SetStandardViewNow(kViewFront);
    window_->Dispatch(kCmdShade);
  }
  void TearDown() override {
    window_.reset();
    PumpMessages();
  }

  void Capture() { ASSERT_TRUE(window_->View()->CaptureRgba(&w_, &h_, &rgba_)); }

  Rgb Pixel(int px, int py) const {
    const size_t i = (static_cast<size_t>(py) * static_cast<size_t>(w_) + static_cast<size_t>(px)) * 4;
    return {rgba_[i] / 255.0f, rgba_[i + 1] / 255.0f, rgba_[i + 2] / 255.0f};
  }

  // Colour-scale value read back under model point (x, y, 0) of the front view.
  float ValueAt(float x, float y) const {
    const ViewState& v = window_->view();
    const float sx = x + v.centre_shift[0] + v.pan[0];
    const float sy = y + v.centre_shift[1] + v.pan[1];
    const int px = static_cast<int>((sx / v.visible_width + 0.5f) * static_cast<float>(v.viewport_width));
    const int py = static_cast<int>((sy / v.visible_height + 0.5f) * static_cast<float>(v.viewport_height));
    if (px < 0 || py < 0 || px >= w_ || py >= h_) return -2.0f;
    return ValueOfColour(Pixel(px, py));
  }

  // Over the part triangles not covered by a runner: the value read back at
  // each centroid follows the mean normalised value of its nodes within the
  // colour steps; returns the centroid x of the triangles with the highest
  // and the lowest mean and the values read there.
  struct Extremes {
    float high_x = 0, low_x = 0, high_read = -1, low_read = -1;
  };
  Extremes CheckTriangles() {
    const MeshModel& m = window_->model();
    const ResultEntry& e = window_->results().entries[static_cast<size_t>(window_->results().current)];
    Extremes x;
    float high = -1.0f, low = 2.0f;
    int checked = 0;
    Capture();
    for (const Element& el : m.elements) {
      if (el.type != kTriangle) continue;
      float mean = 0.0f;
      bool defined = true;
      for (int k = 0; k < 3; ++k) {
        const ResultItem& item = e.items[static_cast<size_t>(el.nodes[k])];
        defined = defined && item.defined == 1;
        mean += item.values[kNormalisedSlot] / 3.0f;
      }
      if (!defined) continue;
      const float read = ValueAt(el.centroid[0], el.centroid[1]);
      if (read < 0.0f) continue;  // covered by a runner
      // The colour of the texture step of the mean (or of a neighbouring
      // step, for a mean on the edge between two).
      const int step = static_cast<int>(std::floor(mean * 32.0f));
      bool matched = false;
      for (int k = step - 1; k <= step + 1; ++k) matched = matched || std::fabs(read - StepValue(k)) < 1e-3f;
      EXPECT_TRUE(matched) << "triangle at " << el.centroid[0] << ", " << el.centroid[1] << ": mean " << mean
                           << ", read " << read;
      ++checked;
      if (mean > high) high = mean, x.high_x = el.centroid[0], x.high_read = read;
      if (mean < low) low = mean, x.low_x = el.centroid[0], x.low_read = read;
    }
    EXPECT_GT(checked, 100);
    return x;
  }

  // The value read back from the colour of texture step k of 32.
  static float StepValue(int k) {
    const Rgb c = ColourMap(static_cast<float>(std::clamp(k, 0, 31)) / 31.0f);
    auto byte = [](float v) { return std::round(v * 255.0f) / 255.0f; };
    return ValueOfColour({byte(c.r), byte(c.g), byte(c.b)});
  }

  // The node of the current entry with the largest value.
  int HighestNode() const {
    const ResultEntry& e = window_->results().entries[static_cast<size_t>(window_->results().current)];
    int best = -1;
    for (size_t i = 0; i < e.items.size(); ++i)
      if (e.items[i].defined == 1 && (best < 0 || e.items[i].values[0] > e.items[static_cast<size_t>(best)].values[0]))
        best = static_cast<int>(i);
    return best;
  }

  // Pixels of the foreground colour (black) in a box of the picture.
  int DarkPixels(int x0, int x1, int y0, int y1) const {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) {
        const Rgb c = Pixel(x, y);
        n += c.r < 0.2f && c.g < 0.2f && c.b < 0.2f;
      }
    return n;
  }

  std::unique_ptr<MainWindow> window_;
  std::string job_;
  int w_ = 0, h_ = 0;
  std::vector<unsigned char> rgba_;
};

TEST_F(ResultsViewTest, PressureAndMeltFrontColoursLegendAndFrames) {
  // Pressure at the end of filling: red at the inlet (the runner's end),
  // falling along the plate towards its far end.
  ASSERT_EQ(window_->ShowResultEntry("Pressure", -1), 1);
  EXPECT_TRUE(window_->state().view.show_results);
  EXPECT_TRUE(window_->Action(kCmdShowResults)->isChecked());
  const Extremes pressure = CheckTriangles();
  const int inlet = HighestNode();
  ASSERT_GE(inlet, 0);
  // The runner that starts at the inlet, a little way along it.
  const MeshModel& m = window_->model();
  int other = -1;
  for (const Element& el : m.elements)
    if (el.type == kBeam && (el.nodes[0] == inlet || el.nodes[1] == inlet)) other = el.nodes[0] + el.nodes[1] - inlet;
  ASSERT_GE(other, 0) << "the inlet is the end of a runner";
  const Node& a = m.nodes[static_cast<size_t>(inlet)];
  const Node& b = m.nodes[static_cast<size_t>(other)];
  EXPECT_GT(ValueAt(a.x + 0.2f * (b.x - a.x), a.y + 0.2f * (b.y - a.y)), 0.85f);
  // Along the plate the pressure falls away from the inlet (how far down the
  // scale the far end lies depends on the run; the runner spans the rest).
  EXPECT_LT(pressure.low_read, pressure.high_read);
  EXPECT_LT(pressure.high_x, pressure.low_x);
  // The melt front arrives last at the far end: red there, blue at the inlet side.
  ASSERT_EQ(window_->ShowResultEntry("Melt-front advancement"), 1);
  EXPECT_EQ(window_->result_display().frame_count, 32);  // a time entry: a limit sweep
  const Extremes front = CheckTriangles();
  EXPECT_GT(front.high_read, 0.85f);
  EXPECT_LT(front.low_read, 0.15f);
  EXPECT_GT(front.high_x, front.low_x);
  EXPECT_NEAR(front.high_x, pressure.low_x, 0.01f);

  // The legend: blue at the foot of the bar and red at its top, a title and
  // values in the foreground colour; none of it with the legend off.
  Capture();
  const int bar_x = 28, foot = h_ / 2 - 170, top = h_ / 2 + 170;
  EXPECT_NEAR(ValueOfColour(Pixel(bar_x, foot)), 0.0f, 0.02f);
  EXPECT_NEAR(ValueOfColour(Pixel(bar_x, top)), 1.0f, 0.02f);
  EXPECT_NEAR(ValueOfColour(Pixel(bar_x, h_ / 2)), 0.5f, 0.1f);
  const int title = DarkPixels(8, 400, h_ / 2 + 218, h_ / 2 + 250);
  const int values = DarkPixels(38, 110, foot - 10, top + 10);
  EXPECT_GT(title, 40);
  EXPECT_GT(values, 100);
  window_->Dispatch(kCmdLegend);
  Capture();
  EXPECT_EQ(DarkPixels(8, 400, h_ / 2 + 218, h_ / 2 + 250), 0);
  EXPECT_EQ(DarkPixels(38, 110, foot - 10, top + 10), 0);
  window_->Dispatch(kCmdLegend);

  // Stepping the pressure series with Next and Previous.
  ASSERT_EQ(window_->ShowResultEntry("Pressure", 0), 1);
  const int first = window_->results().current;
  window_->Dispatch(kCmdNext);
  const int second = window_->results().current;
  EXPECT_GT(second, first);
  EXPECT_EQ(window_->results().entries[static_cast<size_t>(second)].name, "Pressure");
  window_->Dispatch(kCmdPrevious);
  EXPECT_EQ(window_->results().current, first);
  window_->Dispatch(kCmdPrevious);  // the start of the series: nothing
  EXPECT_EQ(window_->results().current, first);
  // The arrow keys of the view step the same way.
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(window_->View(), &right);
  EXPECT_EQ(window_->results().current, second);
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QApplication::sendEvent(window_->View(), &left);
  EXPECT_EQ(window_->results().current, first);
}

TEST_F(ResultsViewTest, LimitSweepFramesAreCompiledOnceAndReplayed) {
  // The melt front animates as a sweep of 32 frames.
  ASSERT_EQ(window_->ShowResultEntry("Melt-front advancement"), 1);
  ASSERT_EQ(window_->result_display().frame_count, 32);
  GraphicsView* view = window_->View();
  const int before = view->CompiledSweepFrames();
  window_->Dispatch(kCmdPlay);
  EXPECT_EQ(view->CompiledSweepFrames(), before + 32);
  window_->Dispatch(kCmdPlay);  // played again: every frame from its list
  EXPECT_EQ(view->CompiledSweepFrames(), before + 32);
  // A frame replayed from its list is the frame drawn afresh.
  window_->Dispatch(kCmdNext);
  window_->Dispatch(kCmdNext);
  ASSERT_EQ(window_->result_display().current_frame, 1);
  EXPECT_EQ(view->CompiledSweepFrames(), before + 32);
  Capture();
  const std::vector<unsigned char> replayed = rgba_;
  view->Invalidate();
  Capture();
  EXPECT_TRUE(replayed == rgba_) << "the cached frame differs from the frame drawn afresh";
  // The second frame shows only the lowest sixteenth of the scale in colour:
  // the rest of the fill lies above its maximum, red.
  int red = 0;
  for (size_t i = 0; i + 3 < rgba_.size(); i += 4) red += rgba_[i] == 255 && rgba_[i + 1] == 0 && rgba_[i + 2] == 0;
  EXPECT_GT(red, 100);
  // A change of the picture's inputs compiles the frames again.
  window_->result_display().contours = 15;
  view->Invalidate();
  window_->Dispatch(kCmdPlay);
  EXPECT_EQ(view->CompiledSweepFrames(), before + 64);
  // More frames than the block holds: the further ones are drawn without lists.
  window_->result_display().frame_count = 40;
  view->Invalidate();
  window_->Dispatch(kCmdPlay);
  EXPECT_EQ(view->CompiledSweepFrames(), before + 96);
  window_->result_display().frame_count = 32;
}

TEST_F(ResultsViewTest, BandsWithoutTheTextureShowTheSameSteps) {
  // The facets cut into flat bands give every triangle the colour of its
  // step, as the texture does; the pressure still falls from the inlet side.
  window_->result_display().texture_contouring = 0;
  ASSERT_EQ(window_->ShowResultEntry("Pressure", -1), 1);
  const Extremes pressure = CheckTriangles();
  EXPECT_LT(pressure.low_read, pressure.high_read);
  EXPECT_LT(pressure.high_x, pressure.low_x);
  ASSERT_EQ(window_->ShowResultEntry("Melt-front advancement"), 1);
  const Extremes front = CheckTriangles();
  EXPECT_GT(front.high_read, 0.85f);
  EXPECT_LT(front.low_read, 0.15f);
  // Eight contours: coarser steps, still the colour of each step.
  window_->result_display().contours = 7;
  window_->View()->Invalidate();
  Capture();
  const MeshModel& m = window_->model();
  const ResultEntry& e = window_->results().entries[static_cast<size_t>(window_->results().current)];
  int checked = 0;
  for (const Element& el : m.elements) {
    if (el.type != kTriangle) continue;
    float mean = 0.0f;
    for (int k = 0; k < 3; ++k) mean += e.items[static_cast<size_t>(el.nodes[k])].values[kNormalisedSlot] / 3.0f;
    const float read = ValueAt(el.centroid[0], el.centroid[1]);
    if (read < 0.0f) continue;
    const int band = static_cast<int>(std::floor(mean * 8.0f));  // band k + 1 shows the map at k / 7
    bool matched = false;
    for (int k = band - 1; k <= band + 1; ++k) {
      const Rgb c = ColourMap(static_cast<float>(std::clamp(k, 0, 7)) / 7.0f);
      auto byte = [](float v) { return std::round(v * 255.0f) / 255.0f; };
      matched = matched || std::fabs(read - ValueOfColour({byte(c.r), byte(c.g), byte(c.b)})) < 1e-3f;
    }
    EXPECT_TRUE(matched) << "mean " << mean << ", read " << read;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

// The last line of the Output pane read as "<prefix>%lf"; NaN when it is not.
double LastOutputNumber(MainWindow& window, const std::string& prefix) {
  const std::string text = window.PaneText(kPaneOutput);
  const size_t start = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
  const std::string line = text.substr(start == std::string::npos ? 0 : start + 1);
  if (line.compare(0, prefix.size(), prefix) != 0) return std::nan("");
  return std::atof(line.c_str() + prefix.size());
}

TEST_F(ResultsViewTest, QueriesReadValuesAndAreasOffTheView) {
  // The plate alone (runners hidden), facing the viewer: 60 x 40 mm.
  window_->state().view.categories.runners = false;
  window_->View()->Invalidate();
  window_->Dispatch(kCmdShowModel);
  RunCommand(window_->commands(), 12);
  const double plate_area = 0.06 * 0.04;
  EXPECT_NEAR(LastOutputNumber(*window_, "Projected Area: "), plate_area, 0.03 * plate_area);

  // Pressure at the end of filling: the value under a point is the pressure
  // there within one of the 32 contour steps.
  ASSERT_EQ(window_->ShowResultEntry("Pressure", -1), 1);
  const MeshModel& m = window_->model();
  const ResultEntry& e = window_->results().entries[static_cast<size_t>(window_->results().current)];
  const ResultDisplay& d = window_->result_display();
  const double step = (d.maximum - d.minimum) / 32.0;
  ASSERT_GT(step, 0.0);
  RunCommand(window_->commands(), 5);
  EXPECT_EQ(window_->commands().state->expected, kExpectScreenPoint);
  const ViewState& v = window_->view();
  int probed = 0;
  double exact_integral = 0.0;
  for (const Element& el : m.elements) {
    if (el.type != kTriangle) continue;
    double corners[3];
    for (int k = 0; k < 3; ++k) corners[k] = e.items[static_cast<size_t>(el.nodes[k])].values[0];
    const double mean = (corners[0] + corners[1] + corners[2]) / 3.0;
    const Node& a = m.nodes[static_cast<size_t>(el.nodes[0])];
    const Node& b = m.nodes[static_cast<size_t>(el.nodes[1])];
    const Node& c = m.nodes[static_cast<size_t>(el.nodes[2])];
    exact_integral += mean * 0.5 * std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
    if (++probed % 9 != 0) continue;  // a sample of the triangles across the plate
    // The window pixel (y downwards) under the centroid.
    const float sx = el.centroid[0] + v.centre_shift[0] + v.pan[0];
    const float sy = el.centroid[1] + v.centre_shift[1] + v.pan[1];
    const int x = static_cast<int>((sx / v.visible_width + 0.5f) * static_cast<float>(v.viewport_width));
    const int y = v.viewport_height - 1 -
                  static_cast<int>((sy / v.visible_height + 0.5f) * static_cast<float>(v.viewport_height));
    window_->View()->on_pick_click(x, y);
    const double read = LastOutputNumber(*window_, "Value: ");
    ASSERT_FALSE(std::isnan(read)) << window_->PaneText(kPaneOutput);
    // Inside the flat red and blue ends of the scale the colour says only
    // that the value lies in the top or bottom eighth.
    const double slack = (mean > d.maximum - 4 * step || mean < d.minimum + 4 * step) ? 4 * step : 1.5 * step;
    EXPECT_NEAR(read, mean, slack) << "triangle at " << el.centroid[0] << ", " << el.centroid[1];
  }
  EXPECT_EQ(window_->commands().state->command, 5);  // loops until a right click
  window_->View()->on_right_press();
  EXPECT_EQ(window_->commands().state->command, 0);

  // Value times area: the pressure integrated over the plate, within the
  // contour steps (a small share of the range times the area).
  RunCommand(window_->commands(), 6);
  const double integral = LastOutputNumber(*window_, "Value x area: ");
  EXPECT_NEAR(integral, exact_integral, 2.0 * step * plate_area) << "exact " << exact_integral;
  window_->state().view.categories.runners = true;
}

TEST_F(ResultsViewTest, PicturesAndAnimationsOfTheResults) {
  ASSERT_EQ(window_->ShowResultEntry("Pressure", -1), 1);
  const std::string dir = PlateJobDir();
  ASSERT_EQ(window_->SaveImage(dir + "/view.png", 1), 1);
  ASSERT_EQ(window_->SaveImage(dir + "/view.bmp", 2), 1);
  const std::vector<uint8_t> png = FileBytes(dir + "/view.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  const std::vector<uint8_t> bmp = FileBytes(dir + "/view.bmp");
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  Capture();
  EXPECT_EQ(bmp[18] | bmp[19] << 8, w_);
  EXPECT_EQ(bmp[22] | bmp[23] << 8, h_);

  // One frame per entry of the pressure series, in both compression modes.
  const size_t series = SeriesOf(window_->results(), window_->results().current).size();
  ASSERT_GT(series, 1u);
  for (int mode : {0, 1}) {
    const std::string path = dir + (mode ? "/mjpeg.avi" : "/raw.avi");
    ASSERT_EQ(window_->SaveAnimation(path, mode), 1);
    EXPECT_EQ(Probe(path), std::string(mode ? "mjpeg," : "rawvideo,") + std::to_string(w_) + "," +
                               std::to_string(h_) + "," + std::to_string(series) + "\n");
  }
}

TEST_F(ResultsViewTest, ProjectSavedAndReopenedAndDamagedProjectsRefused) {
  ASSERT_EQ(window_->ShowResultEntry("Pressure", -1), 1);
  const std::string path = PlateJobDir() + "/plate.sim";
  ASSERT_EQ(window_->SaveProject(path, true), 1);
  EXPECT_FALSE(window_->state().data_modified);
  const size_t entries = window_->results().entries.size();
  const size_t nodes = window_->model().nodes.size();
  window_->NewModel();
  ASSERT_EQ(window_->OpenProject(path, true), 1);
  EXPECT_EQ(window_->results().entries.size(), entries);
  EXPECT_EQ(window_->model().nodes.size(), nodes);
  EXPECT_EQ(window_->state().project_path, path);
  const std::string again = PlateJobDir() + "/again.sim";
  ASSERT_EQ(window_->SaveProject(again, true), 1);
  EXPECT_EQ(FileBytes(again), FileBytes(path));
  // A truncated copy is refused and the open project stays.
  std::vector<uint8_t> cut = FileBytes(path);
  cut.resize(cut.size() / 2);
  const std::string damaged = PlateJobDir() + "/damaged.sim";
  std::ofstream(damaged, std::ios::binary).write(reinterpret_cast<const char*>(cut.data()),
                                                 static_cast<std::streamsize>(cut.size()));
  EXPECT_EQ(window_->OpenProject(damaged, true), 0);
  EXPECT_EQ(window_->results().entries.size(), entries);
  EXPECT_EQ(window_->model().nodes.size(), nodes);
  EXPECT_NE(window_->PaneText(kPaneOutput).find("damaged.sim"), std::string::npos);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

// Runs kavitron with `arguments`; returns its exit status and its standard output.
int RunKavitron(const std::string& arguments, std::string& out) {
  // Mesa's JIT code leaks at exit in the sanitizer build; the view code's
  // leak check runs in the test process instead.
  const std::string command = "ASAN_OPTIONS=detect_leaks=0 " + std::string(KV_BIN_DIR) + "/kavitron " + arguments;
  out.clear();
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BatchResults, PictureAnimationAndProjectOfTheExampleRun) {
  const std::string dir = PlateJobDir();
  const std::string png = dir + "/batch.png", avi = dir + "/batch.avi", sim = dir + "/batch.sim";
  std::string out;
  ASSERT_EQ(RunKavitron("--results " + dir + "/plate.f2D --entry Pressure --frame last --view front --render shade "
                        "--screenshot " + png + " --avi " + avi + " --save " + sim + " " + dir + "/plate.m2D 2>&1",
                        out),
            0)
      << out;
  // The pane lines reach standard output.
  EXPECT_NE(out.find("Reading file: " + dir + "/plate.f2D"), std::string::npos) << out;
  EXPECT_NE(out.find("Elapsed time: "), std::string::npos);
  // The picture carries the colour scale's red and blue.
  QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  int red = 0, blue = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      red += c.red() > 240 && c.green() < 30 && c.blue() < 30;
      blue += c.blue() > 240 && c.red() < 30 && c.green() < 30;
    }
  EXPECT_GT(red, 100);
  EXPECT_GT(blue, 100);
  EXPECT_NE(Probe(avi).find("mjpeg," + std::to_string(image.width()) + "," + std::to_string(image.height())),
            std::string::npos);
  // The project opens as MODEL with its results: the melt front of the run.
  ASSERT_EQ(RunKavitron("--entry \"Melt-front advancement\" --screenshot " + png + " " + sim + " 2>&1", out), 0)
      << out;
  EXPECT_NE(out.find("Reading file: " + sim), std::string::npos);
  // Failures end with a non-zero status.
  EXPECT_NE(RunKavitron("--entry Nothing --screenshot " + png + " " + sim + " 2>&1", out), 0);
  EXPECT_NE(out.find("no result entry"), std::string::npos) << out;
  EXPECT_NE(RunKavitron("--entry Pressure --frame 99 --screenshot " + png + " " + sim + " 2>&1", out), 0);
  EXPECT_NE(RunKavitron("--results /nonexistent.f2D --screenshot " + png + " " + dir + "/plate.m2D 2>&1", out), 0);
  EXPECT_NE(RunKavitron("--save " + dir + "/no-dir/x.sim " + sim + " 2>&1", out), 0);
  EXPECT_NE(out.find("Unable to save file."), std::string::npos) << out;
  std::ofstream(dir + "/junk.sim") << "not a project";
  EXPECT_NE(RunKavitron("--screenshot " + png + " " + dir + "/junk.sim 2>&1", out), 0);
  EXPECT_NE(out.find("Unable to open file."), std::string::npos) << out;
}

}  // namespace
}  // namespace kv
