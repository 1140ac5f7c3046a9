#pragma once
// Writing a file aside: the content goes to a temporary file in the target's
// directory, which is renamed over the target only when it is complete, so a
// failed write (full disk, size limit, a crash) never leaves a truncated file
// where a good one was. The rename stays within one directory and so within
// one file system, where it replaces the target in one step.

#include <cstdio>
#include <string>

namespace kv {

// The temporary name beside `target`: same directory, ".partial-" and the
// file name of the target in front ("/a/b.f2D" -> "/a/.partial-b.f2D").
std::string AsideName(const std::string& target);

// Renames `aside` over `target`. Returns 1, or 0 when the rename fails; the
// aside file is then removed and the target is untouched.
int ReplaceWithAside(const std::string& aside, const std::string& target);

// Removes `aside` after a failed write (no error when it does not exist).
void DropAside(const std::string& aside);

// A stream written aside. Open it, write through `file`, then CommitAside;
// an AsideFile destroyed without a commit removes its temporary file.
struct AsideFile {
  std::string target;      // the file to replace
  std::string aside;       // the temporary file beside it
  std::FILE* file = nullptr;

  AsideFile() = default;
  AsideFile(const AsideFile&) = delete;
  AsideFile& operator=(const AsideFile&) = delete;
  ~AsideFile();
};

// Opens the aside file of `target` with the fopen `mode` ("w" or "wb").
// Returns 1, or 0 when it cannot be created (the target is untouched).
int OpenAside(AsideFile& file, const std::string& target, const char* mode);

// Flushes and closes the stream and, when every write and the close
// succeeded, renames it over the target. Returns 1, or 0 with the temporary
// removed and the target as it was.
int CommitAside(AsideFile& file);

}  // namespace kv
