#pragma once
// Reader of the cooling input of a filling run (job name + ".c2D"): the
// cycle-averaged mold temperature per element, written by a cooling analysis
// in the element-block grammar of the result file.
//
// The reader passes over tokens up to "ELDT" (a token "ENDF" ends the search),
// reads the four 8-column header integers I Q C E and skips the rest of the
// header line; the next line must hold, after leading blanks, the name
// "Cycle-averaged mold temperature" (padded to 52 characters). One real (not
// used) and E pairs "%d %f" (1-based element number, temperature in K) follow.
// Element blocks with another name are passed over.

#include <string>
#include <vector>

#include "common/text/token_reader.h"

namespace kv {

inline constexpr int kCoolingRead = 1;        // the block was read
inline constexpr int kCoolingAbsent = 0;      // no such block: nothing changed
inline constexpr int kCoolingUnreadable = -1; // the file cannot be opened: nothing changed
inline constexpr int kCoolingDamaged = -2;    // damaged block: nothing changed, message set

// Reads the block from `reader` into `wall_temperature`.
//   wall_temperature: one value per element (K), 0-based, already holding the
//                     default mold temperature; its size is the element count.
//                     Elements listed in the block get their value; the others
//                     keep theirs. On any result but kCoolingRead it is unchanged.
//   message: on kCoolingDamaged, "file:line: " and what is wrong.
// Element numbers outside 1..size, counts beyond the content, values that are
// not numbers and temperatures not above 0 K make the block damaged.
int ReadCoolingInput(TokenReader& reader, std::vector<float>& wall_temperature, std::string& message);

// The same for the file at `path`; kCoolingUnreadable when it cannot be opened.
int ReadCoolingInputFile(const std::string& path, std::vector<float>& wall_temperature,
                         std::string& message);

}  // namespace kv
