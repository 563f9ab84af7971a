#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/ui_graphics.h"

namespace {

using platform::CGSize;
using platform::UIImage;

void appendBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
}

// A PNG file head: the signature and one chunk, with its CRC computed by zlib.
std::string pngHead(uint32_t width, uint32_t height, uint8_t bitDepth = 8, uint8_t colourType = 6,
                    uint8_t interlace = 0, const std::string& type = "IHDR") {
  std::string data;
  appendBigEndian(data, width);
  appendBigEndian(data, height);
  data += static_cast<char>(bitDepth);
  data += static_cast<char>(colourType);
  data += '\0';  // compression
  data += '\0';  // filter
  data += static_cast<char>(interlace);
  std::string chunk = type + data;
  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendBigEndian(png, static_cast<uint32_t>(data.size()));
  png += chunk;
  appendBigEndian(png, static_cast<uint32_t>(
                           crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), chunk.size())));
  return png;
}

TEST(UIImageTest, SizeComesFromTheHeaderAndTheScale) {
  struct Case {
    std::string png;
    double scale;
    uint32_t pixelWidth, pixelHeight;
    double expectedScale;
    CGSize points;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {pngHead(32, 32), 2, 32, 32, 2, {16, 16}},
      {pngHead(48, 48), 3, 48, 48, 3, {16, 16}},
      {pngHead(30, 12, 16, 2, 1), 1, 30, 12, 1, {30, 12}},
      {pngHead(1, 1, 1, 0), 0, 1, 1, 1, {1, 1}},  // a scale of 0 counts as 1
      {pngHead(3, 5, 8, 3), -2, 3, 5, 1, {3, 5}},
      {pngHead(8, 8), nan, 8, 8, 1, {8, 8}},
      {pngHead(0x7fffffff, 2), 2, 0x7fffffff, 2, 2, {0x7fffffff / 2.0, 1}},
      // Whatever follows the header is not looked at.
      {pngHead(10, 20) + "IDAT...", 2, 10, 20, 2, {5, 10}},
  };
  for (const Case& c : cases) {
    const std::shared_ptr<UIImage> image = UIImage::imageWithData(c.png, c.scale);
    ASSERT_NE(image, nullptr) << c.pixelWidth << "x" << c.pixelHeight;
    EXPECT_EQ(image->pixelWidth(), c.pixelWidth);
    EXPECT_EQ(image->pixelHeight(), c.pixelHeight);
    EXPECT_EQ(image->scale(), c.expectedScale);
    EXPECT_EQ(image->size(), c.points);
  }
}

TEST(UIImageTest, BytesThatAreNotAPngGiveNoImage) {
  const std::string good = pngHead(16, 16);
  std::string badCrc = good;
  badCrc.back() ^= 1;
  std::string badSignature = good;
  badSignature[1] = 'Q';
  std::string longChunk = good;
  longChunk[11] = 14;  // the IHDR length byte
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"other format", "GIF89a\x10\x00\x10\x00"},
      {"signature only", good.substr(0, 8)},
      {"cut in the header", good.substr(0, good.size() - 1)},
      {"wrong CRC", badCrc},
      {"wrong signature", badSignature},
      {"wrong chunk length", longChunk},
      {"other first chunk", pngHead(16, 16, 8, 6, 0, "IDAT")},
      {"zero width", pngHead(0, 16)},
      {"zero height", pngHead(16, 0)},
      {"width too large", pngHead(0x80000000u, 16)},
      {"RGB at 4 bits", pngHead(16, 16, 4, 2)},
      {"palette at 16 bits", pngHead(16, 16, 16, 3)},
      {"unknown colour type", pngHead(16, 16, 8, 5)},
      {"unknown interlace", pngHead(16, 16, 8, 6, 2)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UIImage::imageWithData(c.bytes, 2), nullptr) << c.what;
  }
}

TEST(UIScreenTest, ScaleIsTwoUntilAHostSetsAUsableOne) {
  platform::UIScreen& screen = platform::UIScreen::mainScreen();
  EXPECT_EQ(screen.scale(), 2);
  screen.setScale(3);
  EXPECT_EQ(screen.scale(), 3);
  for (double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
    screen.setScale(bad);
    EXPECT_EQ(screen.scale(), 3) << bad;
  }
  screen.setScale(2);
}

}  // namespace
