#pragma once
// Colours (0xRRGGBB) of the curves of `curvex`, in curve order; the ninth
// curve starts again with the first. Fixed so that the saved pictures can be
// checked pixel by pixel.

#include <cstddef>

namespace kv {

inline constexpr unsigned kCurveColours[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd,
                                             0xff7f0e, 0x8c564b, 0xe377c2, 0x17becf};
inline constexpr size_t kCurveColourCount = sizeof kCurveColours / sizeof kCurveColours[0];

}  // namespace kv
