#include "common/results/result_title.h"

namespace kv {
namespace {

constexpr size_t kTitleIndent = 8;
constexpr size_t kHeaderFieldWidth = 8;

// Cuts `text` at its first double blank and drops trailing blanks.
std::string CutAtDoubleBlank(std::string_view text) {
  size_t cut = text.find("  ");
  if (cut != std::string_view::npos) text = text.substr(0, cut);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

bool ReadHeaderField(TokenReader& reader, int& value) {
  const std::string& t = reader.text;
  size_t p = reader.pos;
  while (p < t.size() && (t[p] == ' ' || t[p] == '\t')) ++p;
  const size_t begin = p;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
  const size_t digits_begin = p;
  while (p < t.size() && p - begin < kHeaderFieldWidth && t[p] >= '0' && t[p] <= '9') ++p;
  if (p == digits_begin) return false;
  int parsed = 0;
  if (!ParseInt(std::string_view(t).substr(begin, p - begin), parsed)) return false;
  reader.pos = p;
  value = parsed;
  return true;
}

void ParseTitleText(std::string_view text, std::string& name, std::string& unit) {
  name = CutAtDoubleBlank(text.substr(0, kTitleNameField));
  unit.clear();
  if (text.size() <= kTitleNameField) return;
  std::string_view rest = text.substr(kTitleNameField);
  size_t first = rest.find_first_not_of(" \t");
  if (first == std::string_view::npos) return;
  unit = CutAtDoubleBlank(rest.substr(first, kTitleUnitField));
}

void ParseTitleLine(std::string_view line, std::string& name, std::string& unit) {
  ParseTitleText(line.size() > kTitleIndent ? line.substr(kTitleIndent) : std::string_view(), name, unit);
}

}  // namespace kv
