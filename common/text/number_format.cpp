#include "common/text/number_format.h"

#include <cstdarg>
#include <vector>

namespace kv {

void WidenExponent(std::string& text) {
  // Find the exponent marker: the last 'e' or 'E' followed by a sign.
  size_t mark = std::string::npos;
  for (size_t i = text.size(); i-- > 0;) {
    if ((text[i] == 'e' || text[i] == 'E') && i + 1 < text.size() &&
        (text[i + 1] == '+' || text[i + 1] == '-')) {
      mark = i;
      break;
    }
  }
  if (mark == std::string::npos) return;
  size_t digits_begin = mark + 2;
  size_t digits_end = digits_begin;
  while (digits_end < text.size() && text[digits_end] >= '0' && text[digits_end] <= '9') ++digits_end;
  size_t digits = digits_end - digits_begin;
  if (digits == 0 || digits >= 3) return;
  size_t add = 3 - digits;
  text.insert(digits_begin, add, '0');
  // Keep a right-aligned field at its width: drop leading blanks we no longer need.
  size_t blanks = 0;
  while (blanks < text.size() && blanks < add && text[blanks] == ' ') ++blanks;
  text.erase(0, blanks);
}

std::string FormatExponent(double value, const char* format) {
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, format, value);
  if (n < 0) return std::string();
  std::string text(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
  WidenExponent(text);
  return text;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (n > 0) {
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    text.assign(buffer.data(), static_cast<size_t>(n));
  }
  va_end(args);
  return text;
}

}  // namespace kv
