#include "gui/view/core/dib_image.h"

#include <cstdio>

#include "common/files/file_replacement.h"

namespace kv {

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetLe32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

size_t DibRowBytes(int width) { return (static_cast<size_t>(width) * 3 + 3) / 4 * 4; }

std::vector<uint8_t> PackDib(int width, int height, const std::vector<unsigned char>& rgba) {
  std::vector<uint8_t> dib;
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return dib;
  const size_t row = DibRowBytes(width);
  const size_t image = row * static_cast<size_t>(height);
  dib.reserve(kDibHeaderBytes + image);
  PutLe32(dib, kDibHeaderBytes);
  PutLe32(dib, static_cast<uint32_t>(width));
  PutLe32(dib, static_cast<uint32_t>(height));  // positive: rows bottom-up
  PutLe16(dib, 1);                              // planes
  PutLe16(dib, 24);                             // bits per pixel
  PutLe32(dib, 0);                              // no compression
  PutLe32(dib, static_cast<uint32_t>(image));
  for (int i = 0; i < 4; ++i) PutLe32(dib, 0);  // resolution and palette
  for (int y = 0; y < height; ++y) {
    const unsigned char* src = rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
    for (int x = 0; x < width; ++x, src += 4) {
      dib.push_back(src[2]);
      dib.push_back(src[1]);
      dib.push_back(src[0]);
    }
    dib.resize(dib.size() + row - static_cast<size_t>(width) * 3, 0);
  }
  return dib;
}

int DibWidth(const std::vector<uint8_t>& dib) {
  return dib.size() >= kDibHeaderBytes ? static_cast<int>(GetLe32(dib.data() + 4)) : 0;
}

int DibHeight(const std::vector<uint8_t>& dib) {
  return dib.size() >= kDibHeaderBytes ? static_cast<int>(GetLe32(dib.data() + 8)) : 0;
}

std::vector<uint8_t> BmpFileBytes(const std::vector<uint8_t>& dib) {
  std::vector<uint8_t> file;
  file.reserve(kBmpFileHeaderBytes + dib.size());
  file.push_back('B');
  file.push_back('M');
  PutLe32(file, static_cast<uint32_t>(kBmpFileHeaderBytes + dib.size()));
  PutLe16(file, 0);
  PutLe16(file, 0);
  PutLe32(file, kBmpFileHeaderBytes + kDibHeaderBytes);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

int WriteBmpFile(const std::string& path, const std::vector<uint8_t>& dib) {
  if (dib.size() <= kDibHeaderBytes) return 0;
  const std::vector<uint8_t> bytes = BmpFileBytes(dib);
  FileReplacement out(path);
  if (!out.file()) return -1;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.file()) != bytes.size()) return -1;
  return out.Commit() ? 1 : -1;
}

}  // namespace kv
