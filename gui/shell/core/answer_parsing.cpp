#include "gui/shell/core/answer_parsing.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace kv {
namespace {

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

double LeadingReal(const std::string& piece) {
  const double v = std::strtod(piece.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

}  // namespace

int ParseIntegerAnswer(const std::string& text, int fallback) {
  if (text.empty()) return fallback;
  errno = 0;
  const long v = std::strtol(text.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return 0;
  return static_cast<int>(v);
}

double ParseRealAnswer(const std::string& text, double fallback) {
  if (text.empty()) return fallback;
  return LeadingReal(text);
}

void ParseTripleAnswer(const std::string& text, const double fallback[3], double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = fallback[i];
  const char sep = text.find(',') != std::string::npos ? ',' : ' ';
  const size_t first = text.find(sep);
  const size_t last = text.rfind(sep);
  if (first == std::string::npos || first == last) return;
  out[0] = LeadingReal(text.substr(0, first));
  out[1] = LeadingReal(text.substr(first + 1, last - first - 1));
  out[2] = LeadingReal(text.substr(last + 1));
}

bool ParseYesNoAnswer(const std::string& text, bool fallback) {
  if (text.empty()) return fallback;
  for (char c : text)
    if (std::tolower(static_cast<unsigned char>(c)) == 'n') return false;
  return true;
}

bool IsAllAnswer(const std::string& text) {
  const std::string t = Trim(text);
  if (t.size() != 3) return false;
  for (size_t i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(t[i])) != "all"[i]) return false;
  return true;
}

bool ParseNumberList(const std::string& text, std::vector<int>* numbers) {
  numbers->clear();
  const char* p = text.c_str();
  while (*p) {
    if (std::isspace(static_cast<unsigned char>(*p)) || *p == ',') {
      ++p;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (errno == ERANGE || v > INT_MAX) return false;
    numbers->push_back(static_cast<int>(v));
    p = end;
  }
  return !numbers->empty();
}

}  // namespace kv
