#pragma once
// How the command interpreter reads the answers typed in the Command pane,
// chosen from a choice menu or handed over by a pick. The same rules hold for
// every prompt.

#include <string>
#include <vector>

namespace kv {

// Integer: an empty text gives `fallback`, otherwise the leading integer of
// the text (non-numeric text, or a number beyond the int range, gives 0).
int ParseIntegerAnswer(const std::string& text, int fallback);

// Real: an empty text gives `fallback`, otherwise the leading number (0 when
// there is none or when it is not finite).
double ParseRealAnswer(const std::string& text, double fallback);

// Triple "x, y, z": `fallback` unless the text holds two separators. The first
// separator is the first comma (with no comma, the first blank), the second
// the last comma (or the last blank); the three pieces are read as reals.
void ParseTripleAnswer(const std::string& text, const double fallback[3], double out[3]);

// Yes/no: an empty text gives `fallback`; otherwise yes unless the text,
// lower-cased, contains the letter n.
bool ParseYesNoAnswer(const std::string& text, bool fallback);

// True when the text is "all" in any case (surrounding blanks ignored).
bool IsAllAnswer(const std::string& text);

// A list of 1-based numbers separated by blanks or commas ("3 4, 7"): true
// and the numbers in `numbers` when the text holds at least one number and
// nothing else.
bool ParseNumberList(const std::string& text, std::vector<int>* numbers);

}  // namespace kv
