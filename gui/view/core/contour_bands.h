#pragma once
// Colour bands of a nodal result drawn without the colour texture: the
// normalised scale is cut into N + 2 bands, and each facet contributes, per
// band, the part of itself whose linearly interpolated value lies in the band
// (a flat-coloured polygon). What the bands are and how a facet is cut is
// decided here; the OpenGL layer draws the polygons.

namespace kv {

// Widening of each band on both sides, so neighbouring bands leave no gap.
inline constexpr float kBandWidening = 1e-6f;

// Most corners a cut facet can have: a quadrangle cut by two levels.
inline constexpr int kMaxBandCorners = 8;

// Band k (0 .. N + 1) of N contours: normalised values from (k - 1)/(N + 1)
// to k/(N + 1), widened by kBandWidening on each side, coloured by the colour
// map at (k - 1)/N. N below 1 is taken as 1.
struct ContourBand {
  float low = 0.0f;
  float high = 0.0f;
  float colour = 0.0f;  // value handed to the colour map
};
ContourBand ContourBandOf(int k, int contours);

// True when a facet whose `count` corners carry the normalised values `v`
// (every corner defined) takes part in the bands: its values are neither all
// below 0 (the display minimum) nor all above 1 (the display maximum).
bool FacetInBands(const float v[], int count);

// Cuts the convex polygon of `count` corners `p` (3 or 4, m) with corner
// values `v` to the part where the linear interpolation of the values lies in
// [low, high]. Writes the corners of that part, in the same winding, to `out`
// with their values in `out_v` (either may be null); returns their number:
// 0 when nothing of the polygon lies in the range, else 3 .. count + 2.
int CutToBand(const float p[][3], const float v[], int count, float low, float high, float out[][3],
              float out_v[]);

}  // namespace kv
