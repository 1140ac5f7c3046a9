#pragma once
// The pre-processor's Output and Input panes, as seen from code without a
// toolkit.
//
// Mesh algorithms, readers and commands report progress and results as lines
// ("Reading file: %s", "Number of nodes merged: %d"). They call AppendOutput and
// AppendInput; the frame of kavitron installs a sink that puts the lines into
// its panes, batch tools install one that prints them, and tests install
// PaneCapture to read them back.

#include <functional>
#include <string>
#include <vector>

namespace kv {

// Receives one line (without line end) for a pane.
using PaneSink = std::function<void(const std::string& line)>;

// Installs the sinks; an empty function restores the default, which writes
// the line and a line feed to standard output.
void SetOutputSink(PaneSink sink);
void SetInputSink(PaneSink sink);

// Adds one line to the Output pane or to the Input pane.
void AppendOutput(const std::string& line);
void AppendInput(const std::string& line);

// Collects every line sent to either pane while it lives and restores the
// sinks that were installed before. For tests and batch tools.
class PaneCapture {
 public:
  PaneCapture();
  ~PaneCapture();
  PaneCapture(const PaneCapture&) = delete;
  PaneCapture& operator=(const PaneCapture&) = delete;

  std::vector<std::string> output;  // lines of the Output pane, in order
  std::vector<std::string> input;   // lines of the Input pane, in order

  // True when some Output line equals `line` exactly.
  bool HasOutput(const std::string& line) const;

 private:
  PaneSink saved_output_;
  PaneSink saved_input_;
};

}  // namespace kv
