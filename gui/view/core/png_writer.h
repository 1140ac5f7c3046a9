#pragma once
// PNG files of the 3D view, written with libpng.

#include <string>
#include <vector>

namespace kv {

// Writes an RGB PNG (bit depth 8, no interlace, default compression and
// filters) from RGBA pixels as OpenGL reads them back: `rgba` holds
// width x height pixels of 4 bytes, rows bottom-up; the alpha byte of each
// pixel is dropped and the rows are written top-down.
// Returns 1 on success, -1 when the file cannot be created, 0 when the
// image is empty or libpng fails. The picture goes to a scratch file renamed
// over `path` when complete, so a failed write leaves an earlier file intact.
int WritePngFile(const std::string& path, int width, int height, const std::vector<unsigned char>& rgba);

}  // namespace kv
