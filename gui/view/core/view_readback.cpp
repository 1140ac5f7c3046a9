#include "gui/view/core/view_readback.h"

#include <cmath>

#include "gui/view/core/colour_map.h"

namespace kv {
namespace {

size_t PixelCount(const ViewPicture& p) {
  if (p.width <= 0 || p.height <= 0) return 0;
  const size_t count = static_cast<size_t>(p.width) * static_cast<size_t>(p.height);
  return p.rgb.size() >= count * 3 ? count : 0;
}

bool IsBackground(const ViewPicture& p, size_t pixel) {
  const float* c = &p.rgb[pixel * 3];
  return c[0] == p.background[0] && c[1] == p.background[1] && c[2] == p.background[2];
}

// Normalised value of pixel `pixel`, or -1 when it carries no scale colour.
float ScaleValueOf(const ViewPicture& p, size_t pixel, bool invert) {
  const float* c = &p.rgb[pixel * 3];
  const float t = ValueOfScaleColour(Rgb{c[0], c[1], c[2]});
  if (t < 0.0f) return -1.0f;
  return invert ? 1.0f - t : t;
}

}  // namespace

double ViewPixelArea(const ViewState& view) {
  if (view.viewport_width <= 0 || view.viewport_height <= 0) return 0.0;
  return static_cast<double>(view.visible_width) * static_cast<double>(view.visible_height) /
         (static_cast<double>(view.viewport_width) * static_cast<double>(view.viewport_height));
}

float FramebufferChannel(float value) {
  const float clamped = std::fmin(1.0f, std::fmax(0.0f, value));
  return static_cast<float>(std::lround(clamped * 255.0f)) / 255.0f;
}

long CountModelPixels(const ViewPicture& picture) {
  const size_t count = PixelCount(picture);
  long covered = 0;
  for (size_t i = 0; i < count; ++i)
    if (!IsBackground(picture, i)) ++covered;
  return covered;
}

bool ValueAtWindowPoint(const ViewPicture& picture, int x, int y, float minimum, float maximum, bool invert,
                        double* value) {
  if (PixelCount(picture) == 0 || x < 0 || y < 0 || x >= picture.width || y >= picture.height) return false;
  // Rows are stored bottom-up; window row y (from the top) is row H - 1 - y.
  const size_t pixel = static_cast<size_t>(picture.height - 1 - y) * static_cast<size_t>(picture.width) +
                       static_cast<size_t>(x);
  const float t = ScaleValueOf(picture, pixel, invert);
  if (t < 0.0f) return false;
  *value = static_cast<double>(minimum) + (static_cast<double>(maximum) - minimum) * t;
  return true;
}

double ValueTimesArea(const ViewPicture& picture, float minimum, float maximum, bool invert) {
  const size_t count = PixelCount(picture);
  double sum = 0.0;
  for (size_t i = 0; i < count; ++i) {
    if (IsBackground(picture, i)) continue;
    const float t = ScaleValueOf(picture, i, invert);
    if (t < 0.0f) continue;  // edges, text and grey facets carry no value
    sum += (static_cast<double>(minimum) + (static_cast<double>(maximum) - minimum) * t) * picture.pixel_area;
  }
  return sum;
}

}  // namespace kv
