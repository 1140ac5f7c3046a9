#pragma once
// The one token reader of the suite.
//
// Every text format of the suite (native mesh files, tcode analysis files, the
// databases, result files and the outside mesh formats) is read as a stream of
// white-space separated tokens; keywords are recognised, everything else is
// skipped, and some records take "the rest of the line" or "the next line".
// The whole file is read into memory once, which makes the reader fast on large
// meshes and lets it tell the line number of every token for error messages.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// Longest token in characters; a longer run of non-blank characters is returned
// in pieces of this length (as a "%510s" scan would).
inline constexpr size_t kMaxTokenLength = 510;

struct TokenReader {
  std::string path;   // for messages; empty when reading from memory
  std::string text;   // the whole content
  size_t pos = 0;     // next character to read
  int line = 1;       // 1-based line number of `pos`
  size_t last_begin = 0, last_end = 0;  // the last token returned, for messages
};

// Loads the file at `path`. Returns 1, or -1 when it cannot be opened or read;
// `reader` is then left empty.
int OpenTokenReader(TokenReader& reader, const std::string& path);

// Reads from a string instead of a file (tests, in-memory data).
void SetTokenText(TokenReader& reader, std::string text);

// The next white-space separated token; false at end of text. The view stays
// valid while `reader` lives and its text is not replaced.
bool NextToken(TokenReader& reader, std::string_view& token);

// Advances to the token equal to `keyword`, or to one of "ENDF" and the
// keyword. Returns the token found, or an empty view at end of text.
std::string_view SkipToToken(TokenReader& reader, std::string_view keyword);

// The next token as a number. False at end of text or when the token is not a
// number of that kind (the token is consumed either way).
//   ReadInt: optional sign and decimal digits, in range of int.
//   ReadReal/ReadFloat: decimal real with optional exponent of any width
//   ("1.0E+000", "1e-6", "-.5"); NaN, infinities and values beyond the type's
//   range are refused.
bool ReadInt(TokenReader& reader, int& value);
bool ReadInt64(TokenReader& reader, int64_t& value);
bool ReadReal(TokenReader& reader, double& value);
bool ReadFloat(TokenReader& reader, float& value);

// True when `value` is finite and within the range of a 32-bit float, so that
// storing it in a float field keeps a number (no infinity, no NaN).
bool FitsFloat(double value);

// The words of a message about `text`, a number that a 32-bit float field
// cannot hold: "\"1.0E+40\" does not fit a 32-bit float (largest 3.4E+38)".
std::string NotAFloatText(std::string_view text);

// The last token NextToken returned (empty before the first and after a
// read at the end of the text), for messages that name the value a reader
// refused.
std::string_view LastToken(const TokenReader& reader);

// Strict parsers of one token, with the rules above.
bool ParseInt(std::string_view token, int& value);
bool ParseInt64(std::string_view token, int64_t& value);
bool ParseReal(std::string_view token, double& value);
bool ParseFloat(std::string_view token, float& value);

// The rest of the current line without its line end (and without a carriage
// return before it); the reader moves to the start of the next line.
std::string RestOfLine(TokenReader& reader);

// Moves to the start of the next line.
void SkipRestOfLine(TokenReader& reader);

// The whole next line: when the reader stands at the end of a line (after a
// token), the rest of that line is skipped first. False at end of text.
bool NextLine(TokenReader& reader, std::string& line);

// True when only white space is left.
bool AtEnd(TokenReader& reader);

// Drops leading blanks and tabs; keeps at most `limit` characters.
std::string TrimLeading(std::string_view text, size_t limit = std::string::npos);

// "file:line: " prefix for messages about the current position.
std::string Where(const TokenReader& reader);

}  // namespace kv
