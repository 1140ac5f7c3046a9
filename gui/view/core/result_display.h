#pragma once
// What the result display decides without a display: the limits and the
// normalised values of the current entry, the colour texture of the N contour
// steps, the legend's texts, and the stepping and playing of animations
// (time series and limit sweeps). The OpenGL layer draws from these.

#include <functional>
#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"

namespace kv {

// Item slots that receive the normalised values (first and second side).
inline constexpr int kNormalisedSlot = 6;
inline constexpr int kSecondNormalisedSlot = 7;

// Frames of a limit sweep chosen in the Results dialog, and the size of the
// block of frame lists.
inline constexpr int kSweepFrames = 32;

struct ResultDisplay {
  float minimum = 0.0f;        // display limits, in the entry's current units
  float maximum = 0.0f;
  int automatic_limits = 1;    // 1 while the limits follow the data
  int contours = 31;           // N: the scale has N + 1 colour steps
  int texture_contouring = 1;  // 1: facets coloured through the 1D texture
  int draw_contours = 0;       // "Draw contours" of the Contours dialog
  int frame_count = 1;         // frames of the animation
  int current_frame = 0;       // 0-based
  int lists_need_compiling = 1;
  int playback_stopped = 1;
  // The range the current limit sweep cuts its frames from (set by StepFrame
  // and PlayAnimation): frame k shows the scale up to
  // sweep_minimum + (sweep_maximum - sweep_minimum)(k + 1)/frame count.
  float sweep_minimum = 0.0f;
  float sweep_maximum = 0.0f;
};

// Which frames of a limit sweep are held compiled in the block of frame
// lists, so that a sweep played again replays them instead of rebuilding.
struct FrameListCache {
  bool compiled[kSweepFrames] = {};
  int entry = -1;           // the sweep the lists hold: its entry and range
  float minimum = 0.0f;
  float maximum = 0.0f;
  int frame_count = 0;
};

// How sweep frame `frame` (0-based) is drawn.
enum FrameListUse : int {
  kDrawFrameDirectly = 0,  // no list for it (frames beyond the block): drawn each time
  kCompileFrameList = 1,   // compiled into its list now (and marked), then replayed
  kReplayFrameList = 2,    // its list holds it
};
// Decides, and marks a list compiled when it is to be compiled now. The
// lists hold the frames of one sweep: the current entry of `set` with the
// sweep range and frame count of `display`; another sweep forgets them first.
int UseFrameList(FrameListCache& cache, int frame, const ResultSet& set, const ResultDisplay& display);
// Every list must be compiled again (the picture's inputs changed).
void ForgetFrameLists(FrameListCache& cache);

// Value slot that a location kind is ranged and normalised by: 3 (the
// vector length) for element vectors, else 0.
int ValueSlot(int location);

// Recomputes the limits (with automatic limits) and the normalised values of
// the current entry of `set`; nothing while the current entry is -1.
//   1. automatic: the range of every defined item: nodal and other kinds by
//      their value, element kinds only over elements whose `visible` flag is
//      set (two-sided: both sides), element vectors by their length; with no
//      defined item both limits are 0;
//   2. every defined item gets (value - minimum) / (maximum - minimum) in its
//      normalised slot(s), or 0.5 when |maximum - minimum| <= 1e-6;
//   3. an undefined item gets -1 (2 when the quantity code is 0, time).
void UpdateCurrentFrame(ResultDisplay& display, ResultSet& set, const MeshModel& mesh);

// The message of the Limits dialog when an edit holds no number.
inline constexpr const char* kLimitsNotNumbers = "Min and Max must be numbers.";

// The Limits dialog's OK: with `automatic` checked, automatic limits on;
// otherwise the limits read from the two edit texts (a number each, blanks
// around it allowed, finite and within the range of a float) with automatic
// limits off. Returns true when applied; false with `message` set to
// kLimitsNotNumbers when an edit holds anything else, `display` unchanged.
// The caller normalises the current entry afterwards (UpdateCurrentFrame).
bool ApplyLimits(ResultDisplay& display, bool automatic, const std::string& min_text, const std::string& max_text,
                 std::string* message);

// The colour texture of N steps: N + 1 RGBA texels (4 bytes each), texel i the
// colour map at i / N, alpha 255. N below 1 is taken as 1.
std::vector<unsigned char> BuildColourTexture(int contours);

// Texture coordinate of a normalised value: t, or 1 - t for an entry whose
// colours are inverted (values outside 0..1 stay outside).
float ColourTextureCoordinate(float normalised, bool invert);

// The n + 2 values of the legend scale, n = min(N, 16), from the minimum to
// the maximum in equal steps: minimum + (maximum - minimum) i / (n + 1).
std::vector<double> LegendValues(const ResultDisplay& display);

// A legend value as printed: v < 0 "%.3e"; below 10 "%.4f"; below 100
// "%.3f"; below 1000 "%.2f"; below 10000 "%.1f"; below 100000 "%.0f";
// else "%.3e" (exponents as the C library prints them).
std::string FormatLegendValue(double value);

// The legend title: the short label of the current entry, empty for none.
std::string LegendTitle(const ResultSet& set);

// True when the entry is one frame of a time series (quantity code not 0).
bool IsSeriesEntry(const ResultEntry& entry);

// Indices of every entry of the series of entry `index` (same quantity name,
// first 59 characters compared), in result-set order. Empty for a bad index.
std::vector<int> SeriesOf(const ResultSet& set, int index);

// The Results dialog's choice of entry `index`: it becomes current, the frame
// count is 1 for a series entry and 32 (a limit sweep) otherwise, the frame 0.
// Returns false (nothing changed) for an index outside the set.
bool ChooseResultEntry(ResultDisplay& display, ResultSet& set, int index);

// One step of the animation, `direction` +1 (Next) or -1 (Previous).
//   series: the next (previous) entry of the series becomes current and is
//   normalised; nothing at the end (start) of the series;
//   limit sweep: the frame advances cyclically and the display maximum becomes
//   minimum + (full maximum - minimum)(frame + 1)/frame count, where the full
//   range is the data's range with automatic limits, else the display limits.
// Returns true when something changed.
bool StepFrame(ResultDisplay& display, ResultSet& set, const MeshModel& mesh, int direction);

// Draws one frame; `frame` is the 0-based sweep frame (or the position in
// the series). Called by PlayAnimation after the state of that frame is set.
using DrawFrame = std::function<void(int frame)>;

// Plays the animation of the current entry: every entry of its series in
// order, or the frames of the limit sweep from the display limits at the
// start; `draw` is called once per frame (it draws and keeps the window
// responsive) and the loop ends early when `display.playback_stopped` is set
// meanwhile (StopAnimation). Automatic limits are on again afterwards, and
// the frame lists are marked compiled. Returns the number of frames drawn.
int PlayAnimation(ResultDisplay& display, ResultSet& set, const MeshModel& mesh, const DrawFrame& draw);

// Sets the stopped flag; a running PlayAnimation ends after its current frame.
void StopAnimation(ResultDisplay& display);

}  // namespace kv

namespace kv {

// The piece of the iso-line at `level` across one triangle: the points where
// the linearly interpolated value of the corners equals the level. Corners
// `p` (3 x 3 floats, m) with values `v`. Writes the two end points to `a` and
// `b` and returns true when the line crosses the triangle; false when the
// level lies outside the corner values or every corner is on one side.
bool IsoSegment(const float p[3][3], const float v[3], float level, float a[3], float b[3]);

}  // namespace kv
