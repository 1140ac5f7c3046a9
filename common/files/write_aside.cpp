#include "common/files/write_aside.h"

#include <filesystem>
#include <system_error>

namespace kv {

std::string AsideName(const std::string& target) {
  const std::filesystem::path p(target);
  return (p.parent_path() / (".partial-" + p.filename().string())).string();
}

int ReplaceWithAside(const std::string& aside, const std::string& target) {
  std::error_code ec;
  std::filesystem::rename(aside, target, ec);
  if (ec) {
    DropAside(aside);
    return 0;
  }
  return 1;
}

void DropAside(const std::string& aside) {
  std::error_code ignored;
  std::filesystem::remove(aside, ignored);
}

AsideFile::~AsideFile() {
  if (file) {
    std::fclose(file);
    DropAside(aside);
  }
}

int OpenAside(AsideFile& file, const std::string& target, const char* mode) {
  file.target = target;
  file.aside = AsideName(target);
  file.file = std::fopen(file.aside.c_str(), mode);
  return file.file ? 1 : 0;
}

int CommitAside(AsideFile& file) {
  if (!file.file) return 0;
  std::FILE* f = file.file;
  file.file = nullptr;
  const bool written = std::fflush(f) == 0 && std::ferror(f) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    DropAside(file.aside);
    return 0;
  }
  return ReplaceWithAside(file.aside, file.target);
}

}  // namespace kv
