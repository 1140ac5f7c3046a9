// Captures without a display: packed bitmaps, BMP files, and the AVI layout
// (headers, chunks, the idx1 index) in both compression modes, checked by
// walking the RIFF tree and by ffprobe.
#include "gui/view/core/avi_writer.h"
#include "gui/view/core/dib_image.h"

#include <jpeglib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <gtest/gtest.h>

namespace kv {
namespace {

std::string TempPath(const std::string& name) {
  return std::string(::testing::TempDir()) + "kv_capture_" + std::to_string(::getpid()) + "_" + name;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// RGBA read-back rows (bottom-up) of a w x h picture whose pixel (x, y) is
// (x * 40, y * 60, frame * 30).
std::vector<unsigned char> Picture(int w, int h, int frame) {
  std::vector<unsigned char> rgba;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      rgba.push_back(static_cast<unsigned char>(x * 40));
      rgba.push_back(static_cast<unsigned char>(y * 60));
      rgba.push_back(static_cast<unsigned char>(frame * 30));
      rgba.push_back(255);
    }
  return rgba;
}

TEST(Dib, HeaderAndPaddedBgrRowsBottomUp) {
  const std::vector<uint8_t> dib = PackDib(3, 2, Picture(3, 2, 1));
  ASSERT_EQ(dib.size(), 40u + 2 * 12u);  // 9 bytes of pixels padded to 12 per row
  EXPECT_EQ(GetLe32(dib.data()), 40u);
  EXPECT_EQ(DibWidth(dib), 3);
  EXPECT_EQ(DibHeight(dib), 2);
  EXPECT_EQ(dib[12] | dib[13] << 8, 1);
  EXPECT_EQ(dib[14] | dib[15] << 8, 24);
  EXPECT_EQ(GetLe32(dib.data() + 16), 0u);
  EXPECT_EQ(GetLe32(dib.data() + 20), 24u);
  // Row 0 (bottom), pixel 1: blue 30, green 0, red 40; then the pad.
  EXPECT_EQ(dib[40 + 3], 30);
  EXPECT_EQ(dib[40 + 4], 0);
  EXPECT_EQ(dib[40 + 5], 40);
  EXPECT_EQ(dib[40 + 9], 0);
  EXPECT_EQ(dib[40 + 12 + 1], 60);  // row 1, green
  EXPECT_TRUE(PackDib(0, 2, {}).empty());
  EXPECT_TRUE(PackDib(2, 2, std::vector<unsigned char>(8)).empty());
}

TEST(Bmp, FileHeaderAndReplacement) {
  const std::vector<uint8_t> dib = PackDib(4, 2, Picture(4, 2, 0));
  const std::string path = TempPath("a.bmp");
  { std::ofstream(path) << "an earlier file"; }
  ASSERT_EQ(WriteBmpFile(path, dib), 1);
  const std::vector<uint8_t> bmp = FileBytes(path);
  ASSERT_EQ(bmp.size(), 14u + 40u + 24u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(GetLe32(bmp.data() + 2), bmp.size());
  EXPECT_EQ(GetLe32(bmp.data() + 6), 0u);
  EXPECT_EQ(GetLe32(bmp.data() + 10), 54u);
  EXPECT_TRUE(std::equal(dib.begin(), dib.end(), bmp.begin() + 14));
  EXPECT_EQ(WriteBmpFile(path, {}), 0);
  EXPECT_EQ(WriteBmpFile("/proc/kv.bmp", dib), -1);
  EXPECT_EQ(FileBytes(path), bmp);
  std::remove(path.c_str());
}

// A RIFF chunk found while walking the file.
struct Chunk {
  std::string id;      // four characters; lists carry "LIST:type"
  size_t data = 0;     // offset of the chunk's data
  uint32_t size = 0;
};

// Walks the chunks of [begin, end), descending into RIFF and LIST; false when
// a chunk runs past its parent.
bool Walk(const std::vector<uint8_t>& b, size_t begin, size_t end, std::vector<Chunk>& out) {
  size_t at = begin;
  while (at + 8 <= end) {
    Chunk c;
    c.id.assign(reinterpret_cast<const char*>(b.data() + at), 4);
    c.size = GetLe32(b.data() + at + 4);
    c.data = at + 8;
    if (c.data + c.size > end) return false;
    if (c.id == "RIFF" || c.id == "LIST") {
      c.id += ":" + std::string(reinterpret_cast<const char*>(b.data() + c.data), 4);
      out.push_back(c);
      if (!Walk(b, c.data + 4, c.data + c.size, out)) return false;
    } else {
      out.push_back(c);
    }
    at = c.data + c.size + (c.size & 1);
  }
  return at == end;
}

void CheckAviLayout(const std::vector<uint8_t>& b, int frames, int w, int h, const char* chunk_id, bool mjpeg) {
  std::vector<Chunk> chunks;
  ASSERT_TRUE(Walk(b, 0, b.size(), chunks));
  std::map<std::string, Chunk> first;
  int frame_chunks = 0;
  for (const Chunk& c : chunks) {
    if (!first.count(c.id)) first[c.id] = c;
    frame_chunks += c.id == chunk_id;
  }
  ASSERT_EQ(chunks[0].id, "RIFF:AVI ");
  EXPECT_EQ(chunks[0].size + 8, b.size());
  EXPECT_EQ(frame_chunks, frames);
  const Chunk avih = first.at("avih"), strh = first.at("strh"), strf = first.at("strf");
  ASSERT_EQ(avih.size, 56u);
  EXPECT_EQ(GetLe32(b.data() + avih.data), 250000u);  // 4 frames per second
  EXPECT_EQ(GetLe32(b.data() + avih.data + 12), 0x10u);
  EXPECT_EQ(GetLe32(b.data() + avih.data + 16), static_cast<uint32_t>(frames));
  EXPECT_EQ(GetLe32(b.data() + avih.data + 24), 1u);
  EXPECT_EQ(GetLe32(b.data() + avih.data + 32), static_cast<uint32_t>(w));
  EXPECT_EQ(GetLe32(b.data() + avih.data + 36), static_cast<uint32_t>(h));
  ASSERT_EQ(strh.size, 56u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + strh.data), 4), "vids");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + strh.data + 4), 4),
            mjpeg ? std::string("MJPG") : std::string(4, '\0'));
  EXPECT_EQ(GetLe32(b.data() + strh.data + 20), 1u);  // scale
  EXPECT_EQ(GetLe32(b.data() + strh.data + 24), 4u);  // rate
  EXPECT_EQ(GetLe32(b.data() + strh.data + 32), static_cast<uint32_t>(frames));
  EXPECT_EQ(GetLe32(b.data() + strh.data + 36), 10u * DibRowBytes(w) * static_cast<uint32_t>(h));
  ASSERT_EQ(strf.size, 40u);
  EXPECT_EQ(GetLe32(b.data() + strf.data + 4), static_cast<uint32_t>(w));
  EXPECT_EQ(GetLe32(b.data() + strf.data + 16), mjpeg ? 0x47504A4Du : 0u);
  // The index: one key-frame record per frame, offsets from the 'movi'
  // identifier to the chunk, lengths equal to the chunk sizes.
  const Chunk movi = first.at("LIST:movi"), idx1 = first.at("idx1");
  ASSERT_EQ(idx1.size, 16u * static_cast<uint32_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const uint8_t* rec = b.data() + idx1.data + 16 * static_cast<size_t>(i);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec), 4), chunk_id);
    EXPECT_EQ(GetLe32(rec + 4), 0x10u);
    const size_t chunk = movi.data + GetLe32(rec + 8);
    ASSERT_LT(chunk + 8, b.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + chunk), 4), chunk_id) << i;
    EXPECT_EQ(GetLe32(b.data() + chunk + 4), GetLe32(rec + 12)) << i;
    if (mjpeg) {
      EXPECT_EQ(b[chunk + 8], 0xFF);  // JPEG start-of-image marker
      EXPECT_EQ(b[chunk + 9], 0xD8);
    }
  }
}

TEST(Avi, UncompressedLayoutAndIndex) {
  std::vector<std::vector<uint8_t>> frames;
  for (int f = 0; f < 3; ++f) frames.push_back(PackDib(5, 3, Picture(5, 3, f)));
  std::vector<uint8_t> avi;
  std::string message;
  ASSERT_TRUE(BuildAvi(frames, AviOptions{}, avi, message)) << message;
  CheckAviLayout(avi, 3, 5, 3, "00db", false);
  // The frame data is the bitmap's rows as they are.
  std::vector<Chunk> chunks;
  ASSERT_TRUE(Walk(avi, 0, avi.size(), chunks));
  int seen = 0;
  for (const Chunk& c : chunks) {
    if (c.id != "00db") continue;
    ASSERT_EQ(c.size, 48u);
    EXPECT_TRUE(std::equal(frames[static_cast<size_t>(seen)].begin() + 40, frames[static_cast<size_t>(seen)].end(),
                           avi.begin() + static_cast<std::ptrdiff_t>(c.data)));
    ++seen;
  }
  EXPECT_EQ(seen, 3);
  // Frames of another size and empty lists are refused.
  frames.push_back(PackDib(4, 3, Picture(4, 3, 0)));
  EXPECT_FALSE(BuildAvi(frames, AviOptions{}, avi, message));
  EXPECT_FALSE(BuildAvi({}, AviOptions{}, avi, message));
}

TEST(Avi, MotionJpegFramesDecode) {
  std::vector<std::vector<uint8_t>> frames;
  for (int f = 0; f < 2; ++f) frames.push_back(PackDib(16, 8, Picture(16, 8, f * 4)));
  AviOptions options;
  options.compression = kAviMotionJpeg;
  std::vector<uint8_t> avi;
  std::string message;
  ASSERT_TRUE(BuildAvi(frames, options, avi, message)) << message;
  CheckAviLayout(avi, 2, 16, 8, "00dc", true);
  // A picture red in its top half and blue in its bottom half decodes with
  // red on its first (top) row: JPEG rows run top-down.
  std::vector<unsigned char> halves;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool top = y >= 8;  // read-back rows are bottom-up
      const unsigned char px[4] = {static_cast<unsigned char>(top ? 200 : 30), 30,
                                   static_cast<unsigned char>(top ? 30 : 200), 255};
      halves.insert(halves.end(), px, px + 4);
    }
  const std::vector<uint8_t> jpeg = EncodeJpeg(PackDib(16, 16, halves), 95);
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), jpeg.size());
  ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&d);
  EXPECT_EQ(d.output_width, 16u);
  EXPECT_EQ(d.output_height, 16u);
  std::vector<unsigned char> row(16 * 3);
  JSAMPROW p = row.data();
  jpeg_read_scanlines(&d, &p, 1);
  EXPECT_NEAR(row[0], 200, 12);
  EXPECT_NEAR(row[1], 30, 12);
  EXPECT_NEAR(row[2], 30, 12);
  jpeg_abort_decompress(&d);
  jpeg_destroy_decompress(&d);
}

// ffprobe's count of frames and the frame size of the first video stream.
std::string Probe(const std::string& path) {
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=codec_name,width,height,nb_read_frames -of csv=p=0 '" + path + "' 2>&1";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) text += buffer.data();
    pclose(pipe);
  }
  return text;
}

TEST(Avi, FfprobeReadsFrameCountAndSizeInBothModes) {
  ASSERT_EQ(std::system("command -v ffprobe >/dev/null"), 0) << "ffprobe (Debian ffmpeg) is needed: scripts/setup.sh";
  std::vector<std::vector<uint8_t>> frames;
  for (int f = 0; f < 6; ++f) frames.push_back(PackDib(64, 48, Picture(64, 48, f)));
  for (int mode : {kAviUncompressed, kAviMotionJpeg}) {
    const std::string path = TempPath(mode ? "mjpeg.avi" : "raw.avi");
    AviOptions options;
    options.compression = mode;
    std::string message;
    ASSERT_EQ(WriteAviFile(path, frames, options, message), 1) << message;
    EXPECT_EQ(Probe(path), std::string(mode ? "mjpeg" : "rawvideo") + ",64,48,6\n");
    std::remove(path.c_str());
  }
}

}  // namespace
}  // namespace kv
