#include "gui/view/core/avi_writer.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/files/file_replacement.h"
#include "gui/view/core/dib_image.h"

namespace kv {
namespace {

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAviifKeyFrame = 0x10;

uint32_t FourCc(const char* s) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

// Writes a chunk header and returns the position of its size field.
size_t BeginChunk(std::vector<uint8_t>& out, const char* id) {
  PutLe32(out, FourCc(id));
  const size_t at = out.size();
  PutLe32(out, 0);
  return at;
}

// Closes a chunk or list begun at `size_at`: its size, then the pad byte.
void EndChunk(std::vector<uint8_t>& out, size_t size_at) {
  const uint32_t size = static_cast<uint32_t>(out.size() - size_at - 4);
  for (int i = 0; i < 4; ++i) out[size_at + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * i));
  if (size % 2) out.push_back(0);
}

size_t BeginList(std::vector<uint8_t>& out, const char* riff_or_list, const char* type) {
  const size_t at = BeginChunk(out, riff_or_list);
  PutLe32(out, FourCc(type));
  return at;
}

// libjpeg reports errors through error_exit; it jumps back here.
struct JpegError {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

// Compresses the rows; false when libjpeg failed. The state lives in
// `c`, `err` and `buffer` so that the jump skips no destructor.
bool CompressRows(jpeg_compress_struct& c, JpegError& err, unsigned char*& buffer, unsigned long& size,
                  const std::vector<uint8_t>& dib, int width, int height, int quality) {
  if (setjmp(err.jump)) return false;
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&c, TRUE);
  const size_t row_bytes = DibRowBytes(width);
  while (c.next_scanline < c.image_height) {
    // JPEG rows run top-down; the bitmap's bottom-up.
    const size_t row = static_cast<size_t>(height - 1) - c.next_scanline;
    JSAMPROW pointer = const_cast<JSAMPROW>(dib.data() + kDibHeaderBytes + row * row_bytes);
    jpeg_write_scanlines(&c, &pointer, 1);
  }
  jpeg_finish_compress(&c);
  return true;
}

void PutBitmapHeader(std::vector<uint8_t>& out, int width, int height, uint32_t compression, uint32_t image_bytes) {
  PutLe32(out, kDibHeaderBytes);
  PutLe32(out, static_cast<uint32_t>(width));
  PutLe32(out, static_cast<uint32_t>(height));
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, compression);
  PutLe32(out, image_bytes);
  for (int i = 0; i < 4; ++i) PutLe32(out, 0);
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& dib, int quality) {
  const int width = DibWidth(dib), height = DibHeight(dib);
  if (width <= 0 || height <= 0 || dib.size() < kDibHeaderBytes + DibRowBytes(width) * static_cast<size_t>(height))
    return {};
  jpeg_compress_struct c{};
  JpegError err{};
  c.err = jpeg_std_error(&err.base);
  err.base.error_exit = JpegErrorExit;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = CompressRows(c, err, buffer, size, dib, width, height, quality);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> jpeg;
  if (ok && buffer) jpeg.assign(buffer, buffer + size);
  std::free(buffer);
  return jpeg;
}

bool BuildAvi(const std::vector<std::vector<uint8_t>>& frames, const AviOptions& options,
              std::vector<uint8_t>& out, std::string& message) {
  out.clear();
  if (frames.empty()) {
    message = "no frame to write";
    return false;
  }
  const int width = DibWidth(frames[0]), height = DibHeight(frames[0]);
  const uint32_t image_bytes = static_cast<uint32_t>(DibRowBytes(width) * static_cast<size_t>(std::max(height, 0)));
  const bool mjpeg = options.compression == kAviMotionJpeg;
  const int fps = std::max(1, options.frames_per_second);

  // The frame data first, so that every header field is known.
  std::vector<std::vector<uint8_t>> data;
  size_t largest = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    const std::vector<uint8_t>& f = frames[i];
    if (width <= 0 || height <= 0 || DibWidth(f) != width || DibHeight(f) != height ||
        f.size() < kDibHeaderBytes + image_bytes) {
      message = "frame " + std::to_string(i + 1) + " is not a " + std::to_string(width) + " x " +
                std::to_string(height) + " picture";
      return false;
    }
    if (mjpeg) {
      data.push_back(EncodeJpeg(f, options.jpeg_quality));
      if (data.back().empty()) {
        message = "frame " + std::to_string(i + 1) + " could not be compressed";
        return false;
      }
    } else {
      data.emplace_back(f.begin() + kDibHeaderBytes, f.begin() + kDibHeaderBytes + image_bytes);
    }
    largest = std::max(largest, data.back().size());
  }
  const uint32_t frame_count = static_cast<uint32_t>(frames.size());
  const uint32_t suggested = 10 * image_bytes;
  const char* chunk_id = mjpeg ? "00dc" : "00db";

  const size_t riff = BeginList(out, "RIFF", "AVI ");
  const size_t hdrl = BeginList(out, "LIST", "hdrl");
  const size_t avih = BeginChunk(out, "avih");
  PutLe32(out, 1000000u / static_cast<uint32_t>(fps));                // microseconds per frame
  PutLe32(out, static_cast<uint32_t>(largest) * static_cast<uint32_t>(fps));  // maximum bytes per second
  PutLe32(out, 0);                                                     // padding granularity
  PutLe32(out, kAvifHasIndex);
  PutLe32(out, frame_count);
  PutLe32(out, 0);  // initial frames
  PutLe32(out, 1);  // streams
  PutLe32(out, suggested);
  PutLe32(out, static_cast<uint32_t>(width));
  PutLe32(out, static_cast<uint32_t>(height));
  for (int i = 0; i < 4; ++i) PutLe32(out, 0);
  EndChunk(out, avih);

  const size_t strl = BeginList(out, "LIST", "strl");
  const size_t strh = BeginChunk(out, "strh");
  PutLe32(out, FourCc("vids"));
  PutLe32(out, mjpeg ? FourCc("MJPG") : 0);
  PutLe32(out, 0);   // flags
  PutLe16(out, 0);   // priority
  PutLe16(out, 0);   // language
  PutLe32(out, 0);   // initial frames
  PutLe32(out, 1);   // scale
  PutLe32(out, static_cast<uint32_t>(fps));  // rate: frames per second = rate / scale
  PutLe32(out, 0);   // start
  PutLe32(out, frame_count);
  PutLe32(out, suggested);
  PutLe32(out, 0xFFFFFFFFu);  // default quality
  PutLe32(out, 0);            // sample size: varies
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, static_cast<uint32_t>(width));
  PutLe16(out, static_cast<uint32_t>(height));
  EndChunk(out, strh);
  const size_t strf = BeginChunk(out, "strf");
  PutBitmapHeader(out, width, height, mjpeg ? FourCc("MJPG") : 0, mjpeg ? static_cast<uint32_t>(largest) : image_bytes);
  EndChunk(out, strf);
  EndChunk(out, strl);
  EndChunk(out, hdrl);

  const size_t movi = BeginList(out, "LIST", "movi");
  const size_t movi_id = movi + 4;  // index offsets count from the 'movi' identifier
  std::vector<uint32_t> offsets;
  for (const std::vector<uint8_t>& d : data) {
    offsets.push_back(static_cast<uint32_t>(out.size() - movi_id));
    const size_t chunk = BeginChunk(out, chunk_id);
    out.insert(out.end(), d.begin(), d.end());
    EndChunk(out, chunk);
  }
  EndChunk(out, movi);

  const size_t idx1 = BeginChunk(out, "idx1");
  for (size_t i = 0; i < data.size(); ++i) {
    PutLe32(out, FourCc(chunk_id));
    PutLe32(out, kAviifKeyFrame);
    PutLe32(out, offsets[i]);
    PutLe32(out, static_cast<uint32_t>(data[i].size()));
  }
  EndChunk(out, idx1);
  EndChunk(out, riff);
  return true;
}

int WriteAviFile(const std::string& path, const std::vector<std::vector<uint8_t>>& frames,
                 const AviOptions& options, std::string& message) {
  std::vector<uint8_t> bytes;
  if (!BuildAvi(frames, options, bytes, message)) return 0;
  FileReplacement out(path);
  if (!out.file() || std::fwrite(bytes.data(), 1, bytes.size(), out.file()) != bytes.size() || !out.Commit()) {
    message = path + ": cannot be written";
    return -1;
  }
  return 1;
}

}  // namespace kv
