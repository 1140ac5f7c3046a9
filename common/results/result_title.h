#pragma once
// Pieces of the result-block grammar shared by the readers of result files
// and of the cooling input: the 8-column header integers and the title lines.

#include <string>
#include <string_view>

#include "common/text/token_reader.h"

namespace kv {

// Width of the name field of a title line, after its 8 leading blanks.
inline constexpr size_t kTitleNameField = 52;
// Longest unit taken from a title line.
inline constexpr size_t kTitleUnitField = 20;

// Reads one header integer written "%8d": blanks and tabs on the current line
// are skipped, then at most 8 characters of an optional sign and digits are
// taken (so "NDDT       1       1" and "NDDT 1 1" both read). False when no
// digit stands there; the reader never leaves the current line.
bool ReadHeaderField(TokenReader& reader, int& value);

// Splits the text of a title line that follows its 8 leading characters:
//   name: the first 52 characters, cut at the first double blank, trailing
//         blanks dropped;
//   unit: the text after those 52 characters with leading blanks dropped, at
//         most 20 characters, cut at the first double blank. A unit that is all
//         blanks is empty ("Molten-core" padded with blanks has no unit).
void ParseTitleText(std::string_view text, std::string& name, std::string& unit);

// The same for a whole title line: its first 8 characters are skipped.
void ParseTitleLine(std::string_view line, std::string& name, std::string& unit);

}  // namespace kv
