#include "gui/view/core/contour_bands.h"

#include <algorithm>

namespace kv {
namespace {

struct Corner {
  float p[3];
  float v;
};

// One Sutherland-Hodgman pass: keeps the part of polygon `in` where
// sign * (v - level) >= 0, with the crossing points interpolated linearly.
int KeepSide(const Corner* in, int count, float level, float sign, Corner* out) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const Corner& a = in[i];
    const Corner& b = in[(i + 1) % count];
    const float da = sign * (a.v - level), db = sign * (b.v - level);
    if (da >= 0.0f) out[n++] = a;
    if ((da >= 0.0f) != (db >= 0.0f)) {
      // The edge crosses the level: the point where the value equals it.
      const float s = da / (da - db);
      Corner c;
      for (int k = 0; k < 3; ++k) c.p[k] = a.p[k] + s * (b.p[k] - a.p[k]);
      c.v = level;
      out[n++] = c;
    }
  }
  return n;
}

}  // namespace

ContourBand ContourBandOf(int k, int contours) {
  const int n = std::max(1, contours);
  ContourBand band;
  band.low = static_cast<float>(k - 1) / static_cast<float>(n + 1) - kBandWidening;
  band.high = static_cast<float>(k) / static_cast<float>(n + 1) + kBandWidening;
  band.colour = static_cast<float>(k - 1) / static_cast<float>(n);
  return band;
}

bool FacetInBands(const float v[], int count) {
  bool all_below = true, all_above = true;
  for (int i = 0; i < count; ++i) {
    all_below = all_below && v[i] < 0.0f;
    all_above = all_above && v[i] > 1.0f;
  }
  return count > 0 && !all_below && !all_above;
}

int CutToBand(const float p[][3], const float v[], int count, float low, float high, float out[][3],
              float out_v[]) {
  if (count < 3 || count > 4) return 0;
  // Each pass adds at most one corner per level crossed: 4 + 2 + 2 fits.
  Corner a[kMaxBandCorners], b[kMaxBandCorners];
  for (int i = 0; i < count; ++i) {
    std::copy(p[i], p[i] + 3, a[i].p);
    a[i].v = v[i];
  }
  int n = KeepSide(a, count, low, 1.0f, b);   // v >= low
  n = KeepSide(b, n, high, -1.0f, a);          // v <= high
  if (n < 3) return 0;
  for (int i = 0; i < n; ++i) {
    if (out) std::copy(a[i].p, a[i].p + 3, out[i]);
    if (out_v) out_v[i] = a[i].v;
  }
  return n;
}

}  // namespace kv
