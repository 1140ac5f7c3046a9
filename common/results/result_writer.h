#pragma once
// Writers of the keyed blocks of the filling result file (job name + ".f2D").
//
// A block is a comment line, a header "KKKK%8d%8d%8d%8d" with the counts I
// (independent-variable lines), Q (quantities), C (components), E (entries),
// the I + Q title lines (8 blanks, name padded to 52 characters, unit), the I
// values of the independent variables ("        %f", the time in s) and the E
// entries. Only entities that have a value are listed.
//
// Every writer takes the open file, the time in s, and the field as a 0-based
// array of 32-bit floats with one value per node or per element; numbers in the
// file are 1-based. `has_value` marks the entities listed (non-zero: listed); an
// empty `has_value` lists every entity, otherwise it must be as long as the
// field. Reals in exponent form carry three exponent digits.
//
// Every writer returns 1, or -1 when the arguments do not fit together (arrays
// of different lengths) or the file reports a write error; nothing is written
// in the first case.
//
// The order in which the run driver calls them:
//   WriteResultFileBegin;
//   WritePressureTraceBlock, WriteClampForceBlock            (time 0)
//   at each output time: WriteMoltenCoreBlock, WriteAverageVelocityBlock,
//     WriteBulkTemperatureBlock, WriteShearRateBlock, WriteWallShearStressBlock,
//     WriteMeltPressureBlock, WriteClampCentroidBlock, WritePressureTraceBlock,
//     WriteClampForceBlock;
//   at the switch-over: WritePressureTraceBlock, WriteClampForceBlock;
//   at the end of filling: WritePressureTraceBlock, WriteClampForceBlock,
//     WriteMoltenCoreBlock, WriteAverageVelocityBlock, WriteBulkTemperatureBlock,
//     WriteShearRateBlock, WriteWallShearStressBlock, WriteTimeToCoolBlock,
//     WriteMeltPressureBlock, WriteClampCentroidBlock, WriteMeltFrontBlock;
//   WriteResultFileEnd.

#include <cstdint>
#include <cstdio>
#include <span>

namespace kv {

// "---- Beginning of file.\n". Returns 1, or -1 on a write error.
int WriteResultFileBegin(std::FILE* file);

// "ENDF\n". Returns 1, or -1 on a write error.
int WriteResultFileEnd(std::FILE* file);

// SCDT 1 1 1 1 "Pressure trace at entrance" [Pa]: the time (s) and the inlet
// pressure (Pa), entry "        %f".
int WritePressureTraceBlock(std::FILE* file, float time, float inlet_pressure);

// SCDT 1 2 1 1 "Clamp force" [N] and "Percentage total weight" [%]: the time
// (s), the clamp force (N) and the filled percentage (0..100), entry
// "        %f %f".
int WriteClampForceBlock(std::FILE* file, float time, float clamp_force, float filled_percentage);

// NDDT 1 1 1 E "Pressure" [Pa]: per node, entry "%8d %f".
int WriteMeltPressureBlock(std::FILE* file, float time, std::span<const float> pressure,
                           std::span<const uint8_t> has_value);

// NDDT 1 1 1 E "Bulk temperature" [K]: per node, entry "%8d %.12E".
int WriteBulkTemperatureBlock(std::FILE* file, float time, std::span<const float> temperature,
                              std::span<const uint8_t> has_value);

// NDDT 1 1 1 E "Representative shear rate" [1/s]: per node, entry "%8d %.12E".
int WriteShearRateBlock(std::FILE* file, float time, std::span<const float> shear_rate,
                        std::span<const uint8_t> has_value);

// NDDT 1 1 1 E "Wall shear stress" [Pa]: per node, entry "%8d %.12E".
int WriteWallShearStressBlock(std::FILE* file, float time, std::span<const float> stress,
                              std::span<const uint8_t> has_value);

// ELDT 1 1 1 E "Molten-core" (no unit): per element, the molten fraction
// 0..1 of the half gap (the complement of the frozen layer), entry "%8d %f".
int WriteMoltenCoreBlock(std::FILE* file, float time, std::span<const float> molten_core,
                         std::span<const uint8_t> has_value);

// VCDT 1 1 3 E "Average velocity" [m/s]: per element, the three components
// (m/s) of the average velocity, entry "%8d %f  %f  %f".
//   velocity_x, velocity_y, velocity_z: one value per element each.
int WriteAverageVelocityBlock(std::FILE* file, float time, std::span<const float> velocity_x,
                              std::span<const float> velocity_y, std::span<const float> velocity_z,
                              std::span<const uint8_t> has_value);

// HLDT 0 1 3 1 "Clamp force centroid" (no unit): the item line "%8d%8d%12d%8d%8d"
// with 1 2 1 0 3, then 8 blanks and six 12-character reals "%+.4E": the
// centroid (m) and the centroid plus 0.05 times the parting-plane normal.
// The time is not written (I = 0).
//   centroid: x, y, z in m; normal: the parting-plane normal (unit vector).
int WriteClampCentroidBlock(std::FILE* file, const float centroid[3], const float normal[3]);

// ELDT 0 1 1 E "Time to cool after filling" [s]: per element, entry
// "%8d %.12E". Static field (I = 0): no time.
int WriteTimeToCoolBlock(std::FILE* file, std::span<const float> time_to_cool,
                         std::span<const uint8_t> has_value);

// NDDT 0 1 1 E "Melt-front advancement" [s]: per node the fill time (s),
// entry "%8d %8f". Static field (I = 0): no time.
int WriteMeltFrontBlock(std::FILE* file, std::span<const float> fill_time,
                        std::span<const uint8_t> has_value);

}  // namespace kv
