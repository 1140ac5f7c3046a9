#include "gui/view/core/result_display.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/text/number_format.h"
#include "common/text/token_reader.h"
#include "gui/view/core/colour_map.h"

namespace kv {
namespace {

// Range below which a result counts as constant: every item shows the middle colour.
constexpr float kFlatRange = 1e-6f;

// Quantity names compare over the name field's width.
constexpr size_t kSeriesNameWidth = 60;

// True when the element of item `index` is shown (element kinds only).
bool ElementVisible(const MeshModel& mesh, size_t index) {
  return index < mesh.elements.size() && mesh.elements[index].visible != 0;
}

// Widens [minimum, maximum] by every defined value of the entry that counts.
void ComputeRange(const ResultEntry& entry, const MeshModel& mesh, float& minimum, float& maximum) {
  minimum = 1e30f;
  maximum = -1e30f;
  bool any = false;
  const int slot = ValueSlot(entry.location);
  const bool element_kind = entry.location == kElementResult || entry.location == kTwoSidedResult;
  for (size_t i = 0; i < entry.items.size(); ++i) {
    const ResultItem& item = entry.items[i];
    if (item.defined != 1) continue;
    if (element_kind && !ElementVisible(mesh, i)) continue;
    const int sides = entry.location == kTwoSidedResult ? 2 : 1;
    for (int s = 0; s < sides; ++s) {
      const float v = item.values[slot + s];
      minimum = std::min(minimum, v);
      maximum = std::max(maximum, v);
      any = true;
    }
  }
  if (!any) minimum = maximum = 0.0f;
}

void Normalise(ResultEntry& entry, float minimum, float maximum) {
  const float range = maximum - minimum;
  const bool flat = std::fabs(range) <= kFlatRange;
  const float undefined = entry.quantity_code != kQuantityTime ? -1.0f : 2.0f;
  const int slot = ValueSlot(entry.location);
  const int sides = entry.location == kTwoSidedResult ? 2 : 1;
  for (ResultItem& item : entry.items) {
    for (int s = 0; s < sides; ++s) {
      float& out = item.values[kNormalisedSlot + s];
      if (item.defined != 1) out = undefined;
      else out = flat ? 0.5f : (item.values[slot + s] - minimum) / range;
    }
  }
}

bool SameSeries(const ResultEntry& a, const ResultEntry& b) {
  return std::strncmp(a.name.c_str(), b.name.c_str(), kSeriesNameWidth) == 0;
}

ResultEntry* CurrentEntry(ResultSet& set) {
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) return nullptr;
  return &set.entries[static_cast<size_t>(set.current)];
}

// The sweep maximum of frame `frame` of `count` over [minimum, maximum].
float SweepMaximum(float minimum, float maximum, int frame, int count) {
  return minimum + (maximum - minimum) * static_cast<float>(frame + 1) / static_cast<float>(count);
}

// A limit typed in the Limits dialog: the text, blanks around it aside, one
// finite number that a float holds (the strict token parser, locale-free).
bool ParseLimit(const std::string& text, float* value) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const size_t last = text.find_last_not_of(" \t");
  return ParseFloat(std::string_view(text).substr(first, last - first + 1), *value);
}

}  // namespace

bool ApplyLimits(ResultDisplay& display, bool automatic, const std::string& min_text, const std::string& max_text,
                 std::string* message) {
  if (automatic) {
    display.automatic_limits = 1;
    return true;
  }
  float minimum = 0.0f, maximum = 0.0f;
  if (!ParseLimit(min_text, &minimum) || !ParseLimit(max_text, &maximum)) {
    if (message) *message = kLimitsNotNumbers;
    return false;
  }
  display.automatic_limits = 0;
  display.minimum = minimum;
  display.maximum = maximum;
  return true;
}

int ValueSlot(int location) { return location == kElementVectorResult ? 3 : 0; }

void UpdateCurrentFrame(ResultDisplay& display, ResultSet& set, const MeshModel& mesh) {
  ResultEntry* entry = CurrentEntry(set);
  if (!entry) return;
  if (display.automatic_limits) ComputeRange(*entry, mesh, display.minimum, display.maximum);
  bool any_defined = false;
  for (const ResultItem& item : entry->items) any_defined = any_defined || item.defined == 1;
  if (!any_defined) display.minimum = display.maximum = 0.0f;
  Normalise(*entry, display.minimum, display.maximum);
}

std::vector<unsigned char> BuildColourTexture(int contours) {
  const int n = std::max(1, contours);
  std::vector<unsigned char> texels;
  texels.reserve(static_cast<size_t>(n + 1) * 4);
  for (int i = 0; i <= n; ++i) {
    const Rgb c = ColourMap(static_cast<float>(i) / static_cast<float>(n));
    texels.push_back(static_cast<unsigned char>(std::lround(c.r * 255.0f)));
    texels.push_back(static_cast<unsigned char>(std::lround(c.g * 255.0f)));
    texels.push_back(static_cast<unsigned char>(std::lround(c.b * 255.0f)));
    texels.push_back(255);
  }
  return texels;
}

float ColourTextureCoordinate(float normalised, bool invert) { return invert ? 1.0f - normalised : normalised; }

std::vector<double> LegendValues(const ResultDisplay& display) {
  const int n = std::min(display.contours, 16);
  std::vector<double> values;
  const double minimum = display.minimum, maximum = display.maximum;
  for (int i = 0; i < n + 2; ++i) values.push_back(minimum + (maximum - minimum) * i / (n + 1));
  return values;
}

std::string FormatLegendValue(double v) {
  if (v < 0) return Format("%.3e", v);
  if (v < 10) return Format("%.4f", v);
  if (v < 100) return Format("%.3f", v);
  if (v < 1000) return Format("%.2f", v);
  if (v < 10000) return Format("%.1f", v);
  if (v < 100000) return Format("%.0f", v);
  return Format("%.3e", v);
}

std::string LegendTitle(const ResultSet& set) {
  if (set.current < 0 || set.current >= static_cast<int>(set.entries.size())) return std::string();
  return set.entries[static_cast<size_t>(set.current)].short_label;
}

bool IsSeriesEntry(const ResultEntry& entry) { return entry.quantity_code != kQuantityTime; }

std::vector<int> SeriesOf(const ResultSet& set, int index) {
  std::vector<int> series;
  if (index < 0 || index >= static_cast<int>(set.entries.size())) return series;
  const ResultEntry& chosen = set.entries[static_cast<size_t>(index)];
  for (size_t i = 0; i < set.entries.size(); ++i)
    if (SameSeries(set.entries[i], chosen)) series.push_back(static_cast<int>(i));
  return series;
}

bool ChooseResultEntry(ResultDisplay& display, ResultSet& set, int index) {
  if (index < 0 || index >= static_cast<int>(set.entries.size())) return false;
  set.current = index;
  display.frame_count = IsSeriesEntry(set.entries[static_cast<size_t>(index)]) ? 1 : kSweepFrames;
  display.current_frame = 0;
  display.lists_need_compiling = 1;
  return true;
}

bool StepFrame(ResultDisplay& display, ResultSet& set, const MeshModel& mesh, int direction) {
  ResultEntry* entry = CurrentEntry(set);
  if (!entry || (direction != 1 && direction != -1)) return false;
  if (IsSeriesEntry(*entry)) {
    const int count = static_cast<int>(set.entries.size());
    for (int i = set.current + direction; i >= 0 && i < count; i += direction) {
      if (SameSeries(set.entries[static_cast<size_t>(i)], *entry)) {
        set.current = i;
        UpdateCurrentFrame(display, set, mesh);
        return true;
      }
    }
    return false;
  }
  // Limit sweep: the full range, then the maximum of the new frame.
  if (display.automatic_limits) UpdateCurrentFrame(display, set, mesh);
  const float minimum = display.minimum, full_maximum = display.maximum;
  display.sweep_minimum = minimum;
  display.sweep_maximum = full_maximum;
  const int count = std::max(1, display.frame_count);
  display.current_frame = ((display.current_frame + direction) % count + count) % count;
  display.automatic_limits = 0;
  display.maximum = SweepMaximum(minimum, full_maximum, display.current_frame, count);
  UpdateCurrentFrame(display, set, mesh);
  display.automatic_limits = 1;
  return true;
}

int PlayAnimation(ResultDisplay& display, ResultSet& set, const MeshModel& mesh, const DrawFrame& draw) {
  if (!CurrentEntry(set)) return 0;
  display.playback_stopped = 0;
  int drawn = 0;
  if (IsSeriesEntry(*CurrentEntry(set))) {
    const std::vector<int> series = SeriesOf(set, set.current);
    display.frame_count = static_cast<int>(series.size());
    for (size_t k = 0; k < series.size() && !display.playback_stopped; ++k) {
      set.current = series[k];
      display.current_frame = static_cast<int>(k);
      UpdateCurrentFrame(display, set, mesh);
      draw(static_cast<int>(k));
      ++drawn;
    }
  } else {
    if (display.automatic_limits) UpdateCurrentFrame(display, set, mesh);
    const float minimum = display.minimum, maximum = display.maximum;
    display.sweep_minimum = minimum;
    display.sweep_maximum = maximum;
    const int count = std::max(1, display.frame_count);
    for (int k = 0; k < count && !display.playback_stopped; ++k) {
      display.automatic_limits = 0;
      display.minimum = minimum;
      display.maximum = SweepMaximum(minimum, maximum, k, count);
      display.current_frame = k;
      UpdateCurrentFrame(display, set, mesh);
      draw(k);
      display.automatic_limits = 1;
      ++drawn;
    }
  }
  display.playback_stopped = 1;
  display.lists_need_compiling = 0;
  return drawn;
}

void StopAnimation(ResultDisplay& display) { display.playback_stopped = 1; }

int UseFrameList(FrameListCache& cache, int frame, const ResultSet& set, const ResultDisplay& display) {
  if (frame < 0 || frame >= kSweepFrames) return kDrawFrameDirectly;
  if (cache.entry != set.current || cache.minimum != display.sweep_minimum ||
      cache.maximum != display.sweep_maximum || cache.frame_count != display.frame_count) {
    ForgetFrameLists(cache);
    cache.entry = set.current;
    cache.minimum = display.sweep_minimum;
    cache.maximum = display.sweep_maximum;
    cache.frame_count = display.frame_count;
  }
  if (cache.compiled[frame]) return kReplayFrameList;
  cache.compiled[frame] = true;
  return kCompileFrameList;
}

void ForgetFrameLists(FrameListCache& cache) {
  for (bool& c : cache.compiled) c = false;
  cache.entry = -1;
}

}  // namespace kv

namespace kv {

bool IsoSegment(const float p[3][3], const float v[3], float level, float a[3], float b[3]) {
  float* out[2] = {a, b};
  int found = 0;
  for (int i = 0; i < 3 && found < 2; ++i) {
    const int j = (i + 1) % 3;
    const float vi = v[i] - level, vj = v[j] - level;
    // An edge counts when its ends lie on different sides (one end on the
    // level counts with the side above, so a corner is not found twice).
    if ((vi < 0.0f) == (vj < 0.0f)) continue;
    const float s = vi / (vi - vj);
    for (int k = 0; k < 3; ++k) out[found][k] = p[i][k] + s * (p[j][k] - p[i][k]);
    ++found;
  }
  return found == 2;
}

}  // namespace kv
