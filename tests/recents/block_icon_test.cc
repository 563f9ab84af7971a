#include "hushgate/recents/block_icon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "hushgate/recents/base64.h"
#include "png_reader.h"

namespace {

bool isOpaqueRed(const uint8_t* p) {
  return p[3] == 255 && p[0] >= 200 && p[1] <= 80 && p[2] <= 80;
}

struct IconCase {
  std::string_view base64;
  uint32_t pixels;
};

class EmbeddedIconTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(EmbeddedIconTest, IsAnRgbaPngOfARedProhibitionSign) {
  const auto [base64, pixels] = GetParam();
  const std::optional<std::string> file = decodeBase64(base64);
  ASSERT_TRUE(file) << "the embedded text is not Base64";
  std::string error;
  const std::optional<DecodedPng> png = decodePng(*file, error);
  ASSERT_TRUE(png) << error;
  EXPECT_EQ(png->width, pixels);
  EXPECT_EQ(png->height, pixels);
  EXPECT_EQ(png->bitDepth, 8);
  EXPECT_EQ(png->colorType, 6);  // RGBA

  const uint32_t last = pixels - 1;
  for (const auto& [x, y] : {std::pair{0u, 0u}, {last, 0u}, {0u, last}, {last, last}}) {
    EXPECT_EQ(png->pixel(x, y)[3], 0) << "corner " << x << "," << y << " is not transparent";
  }
  // The bar crosses the centre; the ring passes the middle of each edge.
  const uint32_t mid = pixels / 2;
  for (const auto& [x, y] :
       {std::pair{mid, mid}, {mid - 1, mid - 1}, {mid, pixels / 10}, {pixels / 10, mid}}) {
    EXPECT_TRUE(isOpaqueRed(png->pixel(x, y))) << "pixel " << x << "," << y << " is not red";
  }
  // Inside the ring, away from the bar (towards the top right and the bottom
  // left), the icon is see-through.
  const uint32_t off = pixels / 5;
  EXPECT_EQ(png->pixel(mid + off, mid - off)[3], 0);
  EXPECT_EQ(png->pixel(mid - off, mid + off)[3], 0);
  // The edges are smoothed: some pixels are partly transparent.
  size_t partial = 0;
  for (size_t i = 3; i < png->rgba.size(); i += 4)
    partial += png->rgba[i] > 0 && png->rgba[i] < 255;
  EXPECT_GT(partial, 0u);
}

INSTANTIATE_TEST_SUITE_P(BothSizes, EmbeddedIconTest,
                         ::testing::Values(IconCase{kBlockIcon48PNGBase64, 48},
                                           IconCase{kBlockIcon32PNGBase64, 32}),
                         [](const auto& info) { return std::to_string(info.param.pixels) + "px"; });

TEST(BlockIconTest, ScaleChoosesTheIcon) {
  const struct {
    double scale;
    int pixels;
  } cases[] = {
      {1, 32},
      {2, 32},
      {2.0001, 48},
      {3, 48},
      {0, 32},
      {-3, 32},
      {std::numeric_limits<double>::quiet_NaN(), 32},
      {std::numeric_limits<double>::infinity(), 48},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(blockIconPixelsForScale(c.scale), c.pixels) << "scale " << c.scale;
    std::string error;
    const std::optional<DecodedPng> png = decodePng(blockIconPNGForScale(c.scale), error);
    ASSERT_TRUE(png) << "scale " << c.scale << ": " << error;
    EXPECT_EQ(png->width, uint32_t(c.pixels)) << "scale " << c.scale;
  }
}

}  // namespace
