// A plain 8-bit RGBA raster, rows top to bottom, straight (not premultiplied)
// alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes: R, G, B, A

  RgbaImage(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 4) {}
  uint8_t* at(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
};
