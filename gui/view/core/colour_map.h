#pragma once
// The colour scale of the result display: normalised values 0..1 to colours
// running blue (0), cyan, green, yellow, red (1), and the reverse table that
// reads a value back from a pixel colour (the interactive value query).

#include <vector>

namespace kv {

struct Rgb {
  float r = 0, g = 0, b = 0;  // 0..1
};

// Colour of the normalised value `t` (0..1; values outside give the end
// colours or black). With `invert` set, 1 - t is mapped instead.
// With u = 17t/3:
//   red   = max(0, min(clamp01(u - 8/3), 21/4 - 17t/4))
//   green = max(0, min(clamp01(u - 2/3), 15/4 - 17t/4))
//   blue  = max(0, min(clamp01(17t/4 + 1), 8/3 - u))
Rgb ColourMap(float t, bool invert = false);

// Number of colours of the reverse table.
inline constexpr int kReverseColourCount = 896;

// The reverse table, in four runs from red to blue: (1, i/255, 0) for
// i = 0..255; (1 - i/255, 1, 0) for i = 0..191; (0, 1, i/255) for
// i = 64..255; (0, 1 - i/255, 1) for i = 0..255. Entry k stands for the
// normalised value 1 - k/895.
const std::vector<Rgb>& ReverseColourTable();

// Normalised value (0..1) of a pixel colour (channels 0..1): the table entry
// with the smallest sum of absolute channel differences (the first one on a
// tie) when that sum is below 1; -1 when the colour is no result colour.
float ValueOfColour(const Rgb& colour);

// Normalised value (0..1) of a pixel colour read as the inverse of ColourMap
// itself, for the value queries: the colour is projected onto the nearest of
// the map's four ramps (blue-cyan, cyan-green, green-yellow, yellow-red; the
// smallest sum of absolute differences of the two fixed channels, the first
// ramp on a tie) and the ramp's channel gives t. The map is flat below 2/17
// (blue) and above 15/17 (red); those colours give the middle of their runs,
// 1/17 and 16/17. -1 when the sum is 1 or more (grey, black, white: no result
// colour). Unlike the table above, this follows the map's uneven ramps.
float ValueOfScaleColour(const Rgb& colour);

}  // namespace kv
