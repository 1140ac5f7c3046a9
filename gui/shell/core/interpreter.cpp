#include "gui/shell/core/interpreter.h"

#include "common/output/pane_output.h"

namespace kv {

void RunInterpreter(InterpreterState& state, const std::string& /*line*/) {
  // No interpreted command is part of this build yet: the call is accepted
  // and counted, and the command stays where it is.
  ++state.calls;
}

void RunCommand(InterpreterState& state, int command) {
  state.command = command;
  state.step = 0;
  RunInterpreter(state, std::string());
}

std::string TakeCommandLine(InterpreterState& state, const std::string& text) {
  const std::string line = text.substr(0, kCommandLineLimit);
  if (!line.empty()) AppendInput(line);
  ++state.step;
  RunInterpreter(state, line);
  return line;
}

}  // namespace kv
