#include "gui/view/core/colour_map.h"

#include <algorithm>
#include <cmath>

namespace kv {
namespace {

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

std::vector<Rgb> MakeReverseTable() {
  std::vector<Rgb> table;
  table.reserve(kReverseColourCount);
  for (int i = 0; i <= 255; ++i) table.push_back({1.0f, i / 255.0f, 0.0f});         // red to yellow
  for (int i = 0; i <= 191; ++i) table.push_back({1.0f - i / 255.0f, 1.0f, 0.0f});  // yellow to green
  for (int i = 64; i <= 255; ++i) table.push_back({0.0f, 1.0f, i / 255.0f});        // green to cyan
  for (int i = 0; i <= 255; ++i) table.push_back({0.0f, 1.0f - i / 255.0f, 1.0f});  // cyan to blue
  return table;
}

}  // namespace

Rgb ColourMap(float t, bool invert) {
  if (invert) t = 1.0f - t;
  const float u = 17.0f * t / 3.0f;
  const float w = 17.0f * t / 4.0f;
  Rgb c;
  c.r = std::max(0.0f, std::min(Clamp01(u - 8.0f / 3.0f), 21.0f / 4.0f - w));
  c.g = std::max(0.0f, std::min(Clamp01(u - 2.0f / 3.0f), 15.0f / 4.0f - w));
  c.b = std::max(0.0f, std::min(Clamp01(w + 1.0f), 8.0f / 3.0f - u));
  return c;
}

const std::vector<Rgb>& ReverseColourTable() {
  static const std::vector<Rgb> table = MakeReverseTable();
  return table;
}

float ValueOfColour(const Rgb& colour) {
  const std::vector<Rgb>& table = ReverseColourTable();
  float best = 4.0f;
  int best_index = -1;
  for (int k = 0; k < static_cast<int>(table.size()); ++k) {
    const Rgb& e = table[static_cast<size_t>(k)];
    const float d = std::fabs(e.r - colour.r) + std::fabs(e.g - colour.g) + std::fabs(e.b - colour.b);
    if (d < best) {
      best = d;
      best_index = k;
    }
  }
  if (best_index < 0 || best >= 1.0f) return -1.0f;
  return 1.0f - static_cast<float>(best_index) / static_cast<float>(kReverseColourCount - 1);
}

float ValueOfScaleColour(const Rgb& c) {
  // Each ramp: the distance off it (the two fixed channels) and t along it
  // (the varying channel, clamped), from the map's formulas with u = 17t/3.
  struct Ramp {
    float distance, t;
  };
  const Ramp ramps[4] = {
      {std::fabs(c.r) + std::fabs(c.b - 1.0f), (2.0f + 3.0f * Clamp01(c.g)) / 17.0f},   // (0, g, 1)
      {std::fabs(c.r) + std::fabs(c.g - 1.0f), (8.0f - 3.0f * Clamp01(c.b)) / 17.0f},   // (0, 1, b)
      {std::fabs(c.g - 1.0f) + std::fabs(c.b), (8.0f + 3.0f * Clamp01(c.r)) / 17.0f},   // (r, 1, 0)
      {std::fabs(c.r - 1.0f) + std::fabs(c.b), (15.0f - 4.0f * Clamp01(c.g)) / 17.0f},  // (1, g, 0)
  };
  int best = 0;
  for (int k = 1; k < 4; ++k)
    if (ramps[k].distance < ramps[best].distance) best = k;
  if (ramps[best].distance >= 1.0f) return -1.0f;
  // The flat ends: every value up to 2/17 shows blue, every value from 15/17 red.
  if (best == 0 && c.g <= 0.0f) return 1.0f / 17.0f;
  if (best == 3 && c.g <= 0.0f) return 16.0f / 17.0f;
  return ramps[best].t;
}

}  // namespace kv
