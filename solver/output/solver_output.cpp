#include "solver/output/solver_output.h"

#include <cstdarg>
#include <vector>

namespace kv {
namespace {

std::string FormatArgs(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(n) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  return std::string(buffer.data(), static_cast<size_t>(n));
}

void Put(std::FILE* file, const std::string& text) {
  if (file) std::fwrite(text.data(), 1, text.size(), file);
}

}  // namespace

SolverOutput::~SolverOutput() { CloseSolverLog(*this); }

int OpenSolverLog(SolverOutput& out, const std::string& path) {
  CloseSolverLog(out);
  out.log = std::fopen(path.c_str(), "w");
  return out.log ? 1 : 0;
}

void CloseSolverLog(SolverOutput& out) {
  if (out.log) std::fclose(out.log);
  out.log = nullptr;
}

void Print(SolverOutput& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatArgs(format, args);
  va_end(args);
  PrintText(out, text);
}

void PrintConsole(SolverOutput& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatArgs(format, args);
  va_end(args);
  Put(out.console, text);
}

void PrintLog(SolverOutput& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatArgs(format, args);
  va_end(args);
  Put(out.log, text);
}

void PrintText(SolverOutput& out, const std::string& text) {
  Put(out.console, text);
  Put(out.log, text);
}

void FlushSolverOutput(SolverOutput& out) {
  if (out.console) std::fflush(out.console);
  if (out.log) std::fflush(out.log);
}

}  // namespace kv
