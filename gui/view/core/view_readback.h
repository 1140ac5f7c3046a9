#pragma once
// Measurements read off the picture of the view: the pixels that differ from
// the background (projected area), the result value under a window point and
// the sum of value times pixel area over the view. The picture comes from the
// OpenGL layer; everything here is plain arithmetic on it.

#include <vector>

#include "gui/view/core/camera.h"

namespace kv {

// The picture of the view as the measurements read it.
struct ViewPicture {
  int width = 0;               // pixels, a multiple of 4
  int height = 0;              // pixels
  std::vector<float> rgb;      // 3 channels 0..1 per pixel, rows bottom-up
  float background[3] = {1, 1, 1};  // the clear colour as the framebuffer holds it
  double pixel_area = 0.0;     // model units^2 (m^2) one pixel covers
};

// Area in model units^2 that one pixel of `view` covers: the visible width
// times the visible height over the window's pixel count (0 for an empty
// window). Needs the view's projection computed.
double ViewPixelArea(const ViewState& view);

// A framebuffer channel as read back: `value` rounded to 8 bits, over 255.
float FramebufferChannel(float value);

// Number of pixels whose colour differs from the background in any channel.
long CountModelPixels(const ViewPicture& picture);

// Colour-scale value at window point (x, y), y downwards from the top row:
// the pixel's colour read back to t through the inverse of the colour map
// (ValueOfScaleColour; 1 - t for an entry with inverted colours), then
// minimum + (maximum - minimum) t.
// Returns false (value untouched) outside the picture or when the pixel
// carries no colour of the scale.
bool ValueAtWindowPoint(const ViewPicture& picture, int x, int y, float minimum, float maximum, bool invert,
                        double* value);

// Sum over every pixel that is not background and carries a colour of the
// scale of its value (as ValueAtWindowPoint) times the pixel area.
double ValueTimesArea(const ViewPicture& picture, float minimum, float maximum, bool invert);

}  // namespace kv
