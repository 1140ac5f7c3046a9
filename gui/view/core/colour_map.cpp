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

}  // namespace kv
