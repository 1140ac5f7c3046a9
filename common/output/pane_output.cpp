#include "common/output/pane_output.h"

#include <algorithm>
#include <cstdio>

namespace kv {
namespace {

PaneSink& OutputSink() {
  static PaneSink sink;
  return sink;
}

PaneSink& InputSink() {
  static PaneSink sink;
  return sink;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

void SetOutputSink(PaneSink sink) { OutputSink() = std::move(sink); }
void SetInputSink(PaneSink sink) { InputSink() = std::move(sink); }

void AppendOutput(const std::string& line) {
  if (OutputSink()) OutputSink()(line);
  else PrintLine(line);
}

void AppendInput(const std::string& line) {
  if (InputSink()) InputSink()(line);
  else PrintLine(line);
}

PaneCapture::PaneCapture() : saved_output_(OutputSink()), saved_input_(InputSink()) {
  OutputSink() = [this](const std::string& line) { output.push_back(line); };
  InputSink() = [this](const std::string& line) { input.push_back(line); };
}

PaneCapture::~PaneCapture() {
  OutputSink() = std::move(saved_output_);
  InputSink() = std::move(saved_input_);
}

bool PaneCapture::HasOutput(const std::string& line) const {
  return std::find(output.begin(), output.end(), line) != output.end();
}

}  // namespace kv
