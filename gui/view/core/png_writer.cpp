#include "gui/view/core/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "common/files/file_replacement.h"

namespace kv {
namespace {

// libpng reports errors by longjmp; the write state lives in this record so
// that nothing with a destructor is skipped by the jump.
struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWrite() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Writes the rows; returns false when libpng failed.
bool WriteRows(PngWrite& w, std::FILE* file, int width, int height, png_bytep* rows) {
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_init_io(w.png, file);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(w.png, w.info);
  // The fourth byte of every pixel is a filler to strip.
  png_set_filler(w.png, 0, PNG_FILLER_AFTER);
  png_write_image(w.png, rows);
  png_write_end(w.png, nullptr);
  return true;
}

}  // namespace

int WritePngFile(const std::string& path, int width, int height, const std::vector<unsigned char>& rgba) {
  if (width <= 0 || height <= 0 ||
      rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
    return 0;
  }
  FileReplacement file(path);
  if (!file.file()) return -1;
  PngWrite w;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (w.png) w.info = png_create_info_struct(w.png);
  bool ok = w.png && w.info;
  if (ok) {
    // Rows top-down: the read-back rows reversed.
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int r = 0; r < height; ++r) {
      rows[static_cast<size_t>(r)] =
          const_cast<png_bytep>(rgba.data() + static_cast<size_t>(height - 1 - r) * static_cast<size_t>(width) * 4);
    }
    ok = WriteRows(w, file.file(), width, height, rows.data());
  }
  // The scratch file replaces `path` only when libpng wrote all of it.
  return ok && file.Commit() ? 1 : 0;
}

}  // namespace kv
