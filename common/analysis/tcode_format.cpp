#include "common/analysis/tcode_format.h"

#include <cstdio>
#include <memory>

#include "common/analysis/analysis_settings.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string Damaged(const TokenReader& reader, int code, const char* what) {
  return Where(reader) + Format("%s of record %d", what, code);
}

}  // namespace

void AppendTcodeTitle(std::string& out, const std::string& title, const char* comment) {
  out += "---- Beginning of title\n";
  out += "TITL " + title + "\n";
  out += "FILE\n";
  out += comment;
  out += "\n";
}

void AppendTcodeHeader(std::string& out, const char* keyword, int records) {
  out += Format("%s %d %d Description of TCODE ....\n", keyword, 1, records);
}

void AppendTcodeRecord(std::string& out, int code, int count, const char* description) {
  out += Format("%d %d %s\n", code, count, description);
}

void AppendTcodeEnd(std::string& out) {
  out += "---- End of file\n";
  out += "ENDF\n";
}

int WriteTextFile(const std::string& path, const std::string& text) {
  std::FILE* raw = std::fopen(path.c_str(), "wb");
  if (!raw) return 0;
  std::unique_ptr<std::FILE, FileCloser> file(raw);
  bool ok = std::fwrite(text.data(), 1, text.size(), raw) == text.size();
  ok = std::fclose(file.release()) == 0 && ok;
  if (!ok) {
    std::remove(path.c_str());
    return 0;
  }
  return 1;
}

TcodeFind FindTcodeBlock(TokenReader& reader, std::string_view keyword, bool stop_at_endf,
                         int& first, int& records, std::string& error) {
  std::string_view token;
  // Step 1: pass over every token until the keyword (titles, comments, ENDF
  // of the databases).
  for (;;) {
    if (!NextToken(reader, token)) return kTcodeEnd;
    if (token == keyword) break;
    if (stop_at_endf && token == "ENDF") return kTcodeEnd;
  }
  // Step 2: the two header integers, the rest of the line is a description.
  if (!ReadInt(reader, first) || !ReadInt(reader, records)) {
    error = Where(reader) + Format("damaged %.*s header", static_cast<int>(keyword.size()),
                                   keyword.data());
    return kTcodeDamaged;
  }
  if (records < 0) {
    error = Where(reader) + Format("negative record count %d", records);
    return kTcodeDamaged;
  }
  SkipRestOfLine(reader);
  return kTcodeBlock;
}

bool ReadTcodeRecordHead(TokenReader& reader, int& code, int& count, std::string& error) {
  std::string_view token;
  if (!NextToken(reader, token)) {
    error = Where(reader) + "file ends before its last record";
    return false;
  }
  if (!ParseInt(token, code)) {
    error = Where(reader) + "record code expected, found \"" + std::string(token) + "\"";
    return false;
  }
  if (!ReadInt(reader, count)) {
    error = Damaged(reader, code, "damaged value count");
    return false;
  }
  if (count < 0) {
    error = Damaged(reader, code, "negative value count");
    return false;
  }
  SkipRestOfLine(reader);
  return true;
}

bool ReadTcodeName(TokenReader& reader, int code, std::string& name, std::string& error) {
  if (reader.pos >= reader.text.size()) {
    error = Damaged(reader, code, "missing name");
    return false;
  }
  name = TrimLeading(RestOfLine(reader), kMaterialNameLimit);
  return true;
}

bool ReadTcodeFloats(TokenReader& reader, int code, float* values, int n, std::string& error) {
  for (int i = 0; i < n; ++i) {
    std::string_view token;
    if (!NextToken(reader, token)) {
      error = Damaged(reader, code, "file ends inside the values");
      return false;
    }
    if (!ParseFloat(token, values[i])) {
      error = Where(reader) + "\"" + std::string(token) + "\" is not a number" +
              Format(" (value %d of record %d)", i + 1, code);
      return false;
    }
  }
  return true;
}

bool ReadTcodeInt(TokenReader& reader, int code, int& value, std::string& error) {
  std::string_view token;
  if (!NextToken(reader, token)) {
    error = Damaged(reader, code, "file ends inside the values");
    return false;
  }
  if (!ParseInt(token, value)) {
    error = Where(reader) + "\"" + std::string(token) + "\" is not an integer" +
            Format(" (record %d)", code);
    return false;
  }
  return true;
}

void SkipTcodeValues(TokenReader& reader, int count) {
  for (int i = 0; i < count && reader.pos < reader.text.size(); ++i) SkipRestOfLine(reader);
}

int ReadTcodeBlocks(TokenReader& reader, std::string_view keyword,
                    const std::function<bool(int code, int count)>& read_values,
                    std::string& error) {
  for (;;) {
    int first = 0, records = 0;
    TcodeFind found = FindTcodeBlock(reader, keyword, true, first, records, error);
    if (found == kTcodeEnd) return 1;
    if (found == kTcodeDamaged) return 0;
    for (int r = 0; r < records; ++r) {
      int code = 0, count = 0;
      if (!ReadTcodeRecordHead(reader, code, count, error)) return 0;
      if (!read_values(code, count)) return 0;
    }
  }
}

}  // namespace kv
