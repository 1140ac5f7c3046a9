#pragma once
// Mathematical constants of the geometry and physics formulas.
//
// kPi is the one value of pi. A few formulas are defined with pi (or pi^2)
// rounded to single precision; their results are compared against stored
// files and printed tables, so each of those formulas names its own constant
// and keeps that exact value.

namespace kv {

inline constexpr double kPi = 3.14159265358979323846;

// pi rounded to single precision, used for the beam lateral area and volume
// of the pre-processor's element sizes and mesh statistics.
inline constexpr double kBeamPi = 3.1415927;

// pi in single precision, used for the ram speed Q / (pi D^2 / 4).
inline constexpr float kRamSpeedPi = 3.1415927f;

// pi^2 in single precision, used for the slab cooling time
// h^2 / (pi^2 alpha) log10(16 (Tb - Tw) / (pi^2 (Te - Tw))).
inline constexpr double kCoolingTimePiSquared = 9.86960506439209;

// Degrees per radian, 180 / pi.
inline constexpr double kDegreesPerRadian = 180.0 / kPi;

// 180 / pi rounded to single precision, used for the angle between two facet
// normals that decides an outline edge and for the angles of the view
// settings.
inline constexpr float kSingleDegreesPerRadian = 57.2957763671875f;

// 180 / pi rounded to six digits, used for the angle the Measure command prints.
inline constexpr double kMeasuredDegreesPerRadian = 57.2958;

}  // namespace kv
