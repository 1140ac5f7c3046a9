#pragma once
// Safe replacement of a user's file: the new content is written to a scratch
// file in the same directory and renamed over the target only when the write
// is complete, so a failed write (full disk, writer error, read-only
// directory) never leaves a truncated file where a good one was.

#include <cstdio>
#include <string>

namespace kv {

class FileReplacement {
 public:
  // Creates the scratch file beside `target` (".<name>.XXXXXX", mode as the
  // target's when it exists, else 0666 less the umask). file() is null when
  // it cannot be created.
  explicit FileReplacement(const std::string& target);
  // Removes the scratch file unless Commit succeeded.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // The open scratch file for binary writing, or nullptr.
  std::FILE* file() const { return file_; }
  const std::string& scratch_path() const { return scratch_; }

  // Flushes and closes the scratch file and renames it over the target.
  // Returns false (target untouched, scratch removed) when any step failed
  // or a write error is pending on the stream.
  bool Commit();

 private:
  std::string target_;
  std::string scratch_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace kv
