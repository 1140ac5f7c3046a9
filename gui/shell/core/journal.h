#pragma once
// The command journal: every text the interpreter receives, as lines of a
// plain text file that can be replayed without a person at the keyboard.
//
// Format: a line naming a menu path ("Measure > Distance") starts that
// command; each following line is one text handed to the interpreter, as if
// typed in the Command pane and confirmed with Enter (an empty line accepts
// the prompt's default); lines starting with '#' are comments. Picks are
// written as the text the pick hands over ("12" for node 12, "0.01, 0, 0"
// for a vector), and selections as the numbers they resolve to ("all",
// "3 4 7" for elements or nodes, "faces 5 6" for faces).

#include <string>
#include <vector>

#include "gui/shell/core/interpreter.h"

namespace kv {

// The journal line that starts command `code`: its menu path with " > "
// between the levels and without mnemonic marks ("Mesh > Create > Node").
// Commands started from dialogs have their own paths ("Simulation >
// Boundary Conditions > Inlet", "Properties > View > Assign"). Empty for a
// code without a path.
std::string JournalCommandLine(int code);

// The command code a journal line starts (blanks around '>' and case do not
// matter); 0 when the line names no command.
int JournalCommandCode(const std::string& line);

// Collects the lines of a journal as the interpreter receives them.
struct Journal {
  std::vector<std::string> lines;
};

// Text of the journal file: a comment line naming the program, then the
// lines, each ended by a line feed.
std::string JournalText(const Journal& journal);

// Writes the journal text to `path` through a temporary file in the same
// directory renamed over the target when complete. Returns 1, or 0 when the
// file cannot be written (the target is then as it was).
int WriteJournalFile(const Journal& journal, const std::string& path);

// Replays journal `text` (read from `file`, named in messages) through
// RunCommand and the Command pane's Enter, after ending the command that
// runs (if any). Returns 1 when every line was
// used; 0 when a line could not be, with `error` as "FILE:LINE: reason"; the
// lines before it have run then.
int ReplayJournal(CommandContext& ctx, const std::string& text, const std::string& file, std::string* error);

// Reads `path` and replays it. Returns 1 done, 0 a bad line, -1 the file
// cannot be read; `error` says why.
int ReplayJournalFile(CommandContext& ctx, const std::string& path, std::string* error);

}  // namespace kv
