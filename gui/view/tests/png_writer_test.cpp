// The PNG writer: pixels read back from OpenGL (RGBA, bottom-up) come out as
// an RGB PNG, top-down, that libpng reads back identically.
#include "gui/view/core/png_writer.h"

#include <png.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace kv {
namespace {

std::string TempPath(const char* name) { return std::string(::testing::TempDir()) + name; }

TEST(PngWriter, RoundTripFlipsRowsAndDropsAlpha) {
  const int w = 3, h = 2;
  std::vector<unsigned char> rgba;
  // Bottom row red, green, blue; top row white, black, grey; alpha varies.
  const unsigned char bottom[] = {255, 0, 0, 1, 0, 255, 0, 2, 0, 0, 255, 3};
  const unsigned char top[] = {255, 255, 255, 4, 0, 0, 0, 5, 128, 128, 128, 6};
  rgba.insert(rgba.end(), bottom, bottom + 12);
  rgba.insert(rgba.end(), top, top + 12);
  const std::string path = TempPath("kv_png_roundtrip.png");
  ASSERT_EQ(WritePngFile(path, w, h, rgba), 1);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);  // stored as RGB
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  // First row of the file is the top row of the picture.
  const unsigned char expected[] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  ASSERT_EQ(rgb.size(), sizeof expected);
  for (size_t i = 0; i < rgb.size(); ++i) EXPECT_EQ(rgb[i], expected[i]) << i;
  std::remove(path.c_str());
}

TEST(PngWriter, RefusesEmptyImagesAndUnwritablePaths) {
  std::vector<unsigned char> one(4, 0);
  EXPECT_EQ(WritePngFile(TempPath("kv_png_empty.png"), 0, 1, one), 0);
  EXPECT_EQ(WritePngFile(TempPath("kv_png_short.png"), 2, 2, one), 0);  // fewer pixels than the size
  EXPECT_EQ(WritePngFile("/nonexistent-dir/x.png", 1, 1, one), -1);
}

}  // namespace
}  // namespace kv
