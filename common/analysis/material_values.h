#pragma once
// The values of the polymer records (codes 1000 to 1999) and of the screw
// records (codes 4100 to 4999), read into their records. Shared by the
// database readers and the solver's material-file reader, so that one code
// means the same field everywhere.

#include <string>

#include "common/analysis/analysis_settings.h"
#include "common/text/token_reader.h"

namespace kv {

// What a record reader did with one record.
enum RecordRead : int {
  kRecordDamaged = -1,  // values missing or not numbers (error set)
  kRecordUnknown = 0,   // not a code of this record; nothing was read
  kRecordStored = 1,    // values read into the record
};

// Reads the values of polymer record `code` after its head line:
//   1000 melt density, 1001 solid density, 1004 the 13 Tait coefficients,
//   1109 specific heat, 1200 conductivity, 1210/1211 melt temperature range,
//   1220/1221 mold temperature range, 1250 no-flow temperature, 1260 ejection
//   temperature, 1313 the 7 Cross-WLF constants, 1999 the trade name line.
RecordRead ReadPolymerRecord(TokenReader& reader, int code, MaterialRecord& material,
                             std::string& error);

// Reads the values of screw record `code`: 4100 maximum stroke, 4101 diameter,
// 4102 maximum rate, 4200 maximum hydraulic pressure, 4201 pressure ratio,
// 4999 the commercial name line.
RecordRead ReadScrewRecord(TokenReader& reader, int code, ScrewRecord& screw,
                           std::string& error);

}  // namespace kv
