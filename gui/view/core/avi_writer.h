#pragma once
// Our own RIFF/AVI writer for animations of the view: one video stream of
// 24-bit frames, either uncompressed (bottom-up BGR rows, chunks "00db") or
// Motion-JPEG (one JPEG per frame through libjpeg, chunks "00dc"), every frame
// a key frame, with the "idx1" index that players seek by.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

enum AviCompression : int { kAviUncompressed = 0, kAviMotionJpeg = 1 };

struct AviOptions {
  int compression = kAviUncompressed;
  int jpeg_quality = 90;        // 1..100, Motion-JPEG only
  int frames_per_second = 4;    // stream rate over scale 1
};

// One JPEG (baseline, 4:2:0) of a packed bitmap (dib_image.h); empty when
// libjpeg fails or the bitmap is empty.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& dib, int quality);

// The bytes of an AVI file of `frames` (packed bitmaps, all of the first
// frame's size; a frame of another size is refused). Layout:
//   RIFF 'AVI ' { LIST 'hdrl' { 'avih' (56 bytes), LIST 'strl' { 'strh'
//   (56 bytes: 'vids', handler 0 or 'MJPG', scale 1, rate fps, length, the
//   suggested buffer ten times the first frame's image size, frame rectangle)
//   'strf' (the 40-byte bitmap header; compression 0 or 'MJPG') } }
//   LIST 'movi' { one chunk per frame, padded to even length }
//   'idx1' { per frame: chunk id, key-frame flag 0x10, offset of the chunk
//   from the 'movi' identifier, data length } }
// Returns false with `message` set when there is no frame, the sizes differ
// or a frame cannot be encoded.
bool BuildAvi(const std::vector<std::vector<uint8_t>>& frames, const AviOptions& options,
              std::vector<uint8_t>& out, std::string& message);

// Writes the AVI file at `path` through a scratch file renamed over it when
// complete. Returns 1; 0 when the frames cannot be encoded; -1 when the file
// cannot be written (an earlier file stays as it was). `message` says why.
int WriteAviFile(const std::string& path, const std::vector<std::vector<uint8_t>>& frames,
                 const AviOptions& options, std::string& message);

}  // namespace kv
