#include "block_icon_drawing.h"

#include <cmath>

namespace {

constexpr uint8_t kRed[3] = {0xE5, 0x2A, 0x2A};
constexpr int kSamplesPerAxis = 4;  // 16 samples per pixel for the edges

// Proportions of the icon's side.
constexpr double kMargin = 1.0 / 16;  // transparent border around the ring
constexpr double kStroke = 0.125;     // width of the ring and of the bar

// Whether the point (in pixel units, origin top left) lies on the sign.
bool onSign(double x, double y, double side) {
  const double centre = side / 2;
  const double outer = side / 2 - side * kMargin;
  const double stroke = side * kStroke;
  const double dx = x - centre;
  const double dy = y - centre;
  const double distance = std::hypot(dx, dy);
  if (distance > outer) return false;
  if (distance >= outer - stroke) return true;  // the ring
  // The bar: a band along the diagonal y = x, inside the ring.
  return std::fabs(dx - dy) / std::sqrt(2.0) <= stroke / 2;
}

}  // namespace

RgbaImage drawBlockIcon(int pixels) {
  RgbaImage image(pixels, pixels);
  const double side = pixels;
  for (int y = 0; y < pixels; ++y) {
    for (int x = 0; x < pixels; ++x) {
      int covered = 0;
      for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
        for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
          const double px = x + (sx + 0.5) / kSamplesPerAxis;
          const double py = y + (sy + 0.5) / kSamplesPerAxis;
          if (onSign(px, py, side)) ++covered;
        }
      }
      uint8_t* pixel = image.at(x, y);
      if (covered == 0) continue;  // fully transparent, colour 0
      pixel[0] = kRed[0];
      pixel[1] = kRed[1];
      pixel[2] = kRed[2];
      constexpr int kSamples = kSamplesPerAxis * kSamplesPerAxis;
      pixel[3] = uint8_t((covered * 255 + kSamples / 2) / kSamples);
    }
  }
  return image;
}
