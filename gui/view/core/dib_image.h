#pragma once
// Captured pictures of the view as packed device-independent bitmaps (a
// 40-byte bitmap header followed by blue-green-red rows, bottom-up, each row
// padded to 4 bytes), and BMP files made from them.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

inline constexpr size_t kDibHeaderBytes = 40;
inline constexpr size_t kBmpFileHeaderBytes = 14;

// Bytes of one pixel row of a 24-bit bitmap `width` pixels wide (padded to 4).
size_t DibRowBytes(int width);

// Packs RGBA pixels as OpenGL reads them back (width x height x 4 bytes,
// rows bottom-up) into a packed bitmap: header (width, height, 1 plane, 24
// bits, no compression, image size) and BGR rows bottom-up. Empty when the
// size is not positive or `rgba` is too short.
std::vector<uint8_t> PackDib(int width, int height, const std::vector<unsigned char>& rgba);

// Width and height stored in a packed bitmap's header (0 for a bad block).
int DibWidth(const std::vector<uint8_t>& dib);
int DibHeight(const std::vector<uint8_t>& dib);

// The bytes of a BMP file of a packed bitmap: "BM", file size, two zero
// reserved words, pixel offset 54, then the bitmap.
std::vector<uint8_t> BmpFileBytes(const std::vector<uint8_t>& dib);

// Writes the BMP file of `dib` at `path` through a scratch file renamed over
// it when complete. Returns 1, 0 for an empty bitmap, -1 when the file cannot
// be written (an earlier file stays as it was).
int WriteBmpFile(const std::string& path, const std::vector<uint8_t>& dib);

// Little-endian stores shared by the bitmap and video writers.
void PutLe16(std::vector<uint8_t>& out, uint32_t value);
void PutLe32(std::vector<uint8_t>& out, uint32_t value);
uint32_t GetLe32(const uint8_t* at);

}  // namespace kv
