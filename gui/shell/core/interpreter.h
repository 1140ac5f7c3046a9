#pragma once
// The prompt-driven command interpreter's entry, as the frame sees it: the
// current command code and step, the Enter handling of the Command pane and
// RunCommand. The commands themselves are added with the interpreter module;
// until then the interpreter accepts every call and does nothing.

#include <string>

namespace kv {

struct InterpreterState {
  int command = 0;   // current command code, 0 none
  int step = 0;      // step within the command, 0 at its start
  int calls = 0;     // number of interpreter calls, for diagnostics
};

// The interpreter: runs the next step of the current command with the typed
// line (empty when a default is accepted).
void RunInterpreter(InterpreterState& state, const std::string& line);

// Starts an interpreted command: code := command, step := 0, interpreter
// called with an empty line.
void RunCommand(InterpreterState& state, int command);

// Longest command line taken from the Command pane (characters).
inline constexpr size_t kCommandLineLimit = 80;

// The Command pane's Enter: takes at most 80 characters of `text`; a text that
// is not empty is echoed to the Input pane; the step goes up by one and the
// interpreter is called with the text. Returns the text handed over.
std::string TakeCommandLine(InterpreterState& state, const std::string& text);

}  // namespace kv
