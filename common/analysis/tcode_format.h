#pragma once
// The tcode record grammar shared by the analysis files and the databases.
//
// A file is a title section, then blocks: a keyword ("PRMT", "MTRL", ...) with
// two integers (the first 1 or an entry marker, the second the number of
// records), then the records. A record is a line "code count description"
// followed by its value lines; names are one whole line. Everything outside a
// block (titles, comment lines beginning "----") is skipped word by word.
//
// Writing builds the text in a std::string; reading works on the shared
// TokenReader. Readers report damage (missing or non-numeric values, files
// cut short) with a message that names the file and line.

#include <functional>
#include <string>
#include <string_view>

#include "common/text/token_reader.h"

namespace kv {

// --- Writing -------------------------------------------------------------

// Appends the lines before the block: "---- Beginning of title", "TITL <title>",
// "FILE" and the comment line `comment`.
void AppendTcodeTitle(std::string& out, const std::string& title, const char* comment);

// Appends the block header "<keyword> 1 <records> Description of TCODE ....".
void AppendTcodeHeader(std::string& out, const char* keyword, int records);

// Appends the record line "<code> <count> <description>".
void AppendTcodeRecord(std::string& out, int code, int count, const char* description);

// Appends "---- End of file" and "ENDF".
void AppendTcodeEnd(std::string& out);

// Writes `text` to `path` in binary mode. Returns 1, or 0 when the file cannot
// be created or written (a partly written file is removed).
int WriteTextFile(const std::string& path, const std::string& text);

// --- Reading -------------------------------------------------------------

// Result of looking for the next block.
enum TcodeFind : int {
  kTcodeDamaged = -1,  // header integers missing or not numbers (error set)
  kTcodeEnd = 0,       // "ENDF" (when stop_at_endf) or end of text
  kTcodeBlock = 1,     // header read; the reader stands at the first record
};

// Advances to the next `keyword` token and reads the two header integers,
// skipping the rest of the header line.
//   stop_at_endf: true for the analysis files (a block search ends at "ENDF"),
//                 false for the databases (they are read to the end of text).
//   first, records: the two integers; `records` must not be negative.
TcodeFind FindTcodeBlock(TokenReader& reader, std::string_view keyword, bool stop_at_endf,
                         int& first, int& records, std::string& error);

// Reads a record line: code and count, then skips the description.
// Returns false (error set) when the file ends or a number is damaged, or the
// count is negative.
bool ReadTcodeRecordHead(TokenReader& reader, int& code, int& count, std::string& error);

// Reads the name line that follows a record head: leading blanks dropped,
// at most kMaterialNameLimit characters kept. False at end of text.
bool ReadTcodeName(TokenReader& reader, int code, std::string& name, std::string& error);

// Reads `n` reals (any exponent width) of record `code`. False with a message
// when the text ends or a value is not a finite number.
bool ReadTcodeFloats(TokenReader& reader, int code, float* values, int n, std::string& error);

// Reads one integer of record `code`.
bool ReadTcodeInt(TokenReader& reader, int code, int& value, std::string& error);

// Passes over the value lines of a record the reader does not use: one line
// per counted value (a record of another code is never read as values).
void SkipTcodeValues(TokenReader& reader, int count);

// Reads every block of `keyword` until "ENDF" or the end of text. For each
// record the head is read and `read_values(code, count)` reads its values;
// it returns true when it has read them, false when they are damaged (it has
// set `error`). Returns 1 when the file was read, 0 when it is damaged.
int ReadTcodeBlocks(TokenReader& reader, std::string_view keyword,
                    const std::function<bool(int code, int count)>& read_values,
                    std::string& error);

}  // namespace kv
