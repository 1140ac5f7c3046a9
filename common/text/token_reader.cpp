#include "common/text/token_reader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

namespace kv {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

template <typename T>
bool ParseInteger(std::string_view token, T& value) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return false;
  T parsed{};
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), parsed);
  if (ec != std::errc() || end != token.data() + token.size()) return false;
  value = parsed;
  return true;
}

}  // namespace

int OpenTokenReader(TokenReader& reader, const std::string& path) {
  reader = TokenReader{};
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return -1;
  std::string text;
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, n);
  if (std::ferror(file.get())) return -1;
  reader.path = path;
  reader.text = std::move(text);
  return 1;
}

void SetTokenText(TokenReader& reader, std::string text) {
  reader = TokenReader{};
  reader.text = std::move(text);
}

bool NextToken(TokenReader& reader, std::string_view& token) {
  const std::string& t = reader.text;
  size_t p = reader.pos;
  while (p < t.size() && IsBlank(t[p])) {
    if (t[p] == '\n') ++reader.line;
    ++p;
  }
  if (p >= t.size()) {
    reader.pos = p;
    reader.last_begin = reader.last_end = p;
    token = {};
    return false;
  }
  size_t begin = p;
  while (p < t.size() && !IsBlank(t[p]) && p - begin < kMaxTokenLength) ++p;
  reader.pos = p;
  reader.last_begin = begin;
  reader.last_end = p;
  token = std::string_view(t).substr(begin, p - begin);
  return true;
}

std::string_view SkipToToken(TokenReader& reader, std::string_view keyword) {
  std::string_view token;
  while (NextToken(reader, token)) {
    if (token == keyword || token == "ENDF") return token;
  }
  return {};
}

bool ParseInt(std::string_view token, int& value) { return ParseInteger(token, value); }
bool ParseInt64(std::string_view token, int64_t& value) { return ParseInteger(token, value); }

bool ParseReal(std::string_view token, double& value) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return false;
  // Only decimal reals: refuse "nan", "inf" and hexadecimal forms up front.
  char first = token.front() == '-' ? (token.size() > 1 ? token[1] : '\0') : token.front();
  if (!((first >= '0' && first <= '9') || first == '.')) return false;
  double parsed = 0;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), parsed,
                                   std::chars_format::general);
  if (ec != std::errc() || end != token.data() + token.size()) return false;
  if (!std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool FitsFloat(double value) {
  return std::isfinite(value) && std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max());
}

std::string NotAFloatText(std::string_view text) {
  return "\"" + std::string(text) + "\" does not fit a 32-bit float (largest 3.4E+38)";
}

std::string_view LastToken(const TokenReader& reader) {
  if (reader.last_end > reader.text.size() || reader.last_begin > reader.last_end) return {};
  return std::string_view(reader.text).substr(reader.last_begin, reader.last_end - reader.last_begin);
}

bool ParseFloat(std::string_view token, float& value) {
  double d;
  if (!ParseReal(token, d)) return false;
  if (!FitsFloat(d)) return false;
  value = static_cast<float>(d);
  return true;
}

bool ReadInt(TokenReader& reader, int& value) {
  std::string_view token;
  return NextToken(reader, token) && ParseInt(token, value);
}

bool ReadInt64(TokenReader& reader, int64_t& value) {
  std::string_view token;
  return NextToken(reader, token) && ParseInt64(token, value);
}

bool ReadReal(TokenReader& reader, double& value) {
  std::string_view token;
  return NextToken(reader, token) && ParseReal(token, value);
}

bool ReadFloat(TokenReader& reader, float& value) {
  std::string_view token;
  return NextToken(reader, token) && ParseFloat(token, value);
}

std::string RestOfLine(TokenReader& reader) {
  const std::string& t = reader.text;
  size_t begin = reader.pos;
  size_t end = t.find('\n', begin);
  size_t next = end;
  if (end == std::string::npos) {
    end = t.size();
    next = t.size();
  } else {
    ++next;
    ++reader.line;
  }
  size_t stop = end;
  if (stop > begin && t[stop - 1] == '\r') --stop;
  reader.pos = next;
  return t.substr(begin, stop - begin);
}

void SkipRestOfLine(TokenReader& reader) {
  const std::string& t = reader.text;
  size_t end = t.find('\n', reader.pos);
  if (end == std::string::npos) {
    reader.pos = t.size();
  } else {
    reader.pos = end + 1;
    ++reader.line;
  }
}

bool NextLine(TokenReader& reader, std::string& line) {
  const std::string& t = reader.text;
  // After a token the reader stands inside a line: finish that line first,
  // unless only blanks are left before its end... which is the same thing.
  if (reader.pos > 0 && reader.pos <= t.size() && t[reader.pos - 1] != '\n') SkipRestOfLine(reader);
  if (reader.pos >= t.size()) return false;
  line = RestOfLine(reader);
  return true;
}

bool AtEnd(TokenReader& reader) {
  const std::string& t = reader.text;
  for (size_t p = reader.pos; p < t.size(); ++p)
    if (!IsBlank(t[p])) return false;
  return true;
}

std::string TrimLeading(std::string_view text, size_t limit) {
  size_t p = 0;
  while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
  text.remove_prefix(p);
  if (text.size() > limit) text = text.substr(0, limit);
  return std::string(text);
}

std::string Where(const TokenReader& reader) {
  std::string where = reader.path.empty() ? std::string("<text>") : reader.path;
  where += ":" + std::to_string(reader.line) + ": ";
  return where;
}

}  // namespace kv
