#include "common/files/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace kv {
namespace {

// Mode of a new file: 0666 less the process umask.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

FileReplacement::FileReplacement(const std::string& target) : target_(target) {
  const size_t slash = target.find_last_of('/');
  const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return;
  std::string pattern = dir + "." + name + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemp(buffer.data());
  if (fd < 0) return;
  scratch_ = buffer.data();
  struct stat old {};
  const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  if (fchmod(fd, mode) != 0) { /* the scratch keeps mode 0600; the write still succeeds */ }
  file_ = fdopen(fd, "wb");
  if (!file_) {
    close(fd);
    unlink(scratch_.c_str());
    scratch_.clear();
  }
}

FileReplacement::~FileReplacement() {
  if (file_) std::fclose(file_);
  if (!committed_ && !scratch_.empty()) unlink(scratch_.c_str());
}

bool FileReplacement::Commit() {
  if (!file_ || committed_) return false;
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  ok = fsync(fileno(file_)) == 0 && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok) ok = std::rename(scratch_.c_str(), target_.c_str()) == 0;
  committed_ = ok;
  return ok;
}

}  // namespace kv
