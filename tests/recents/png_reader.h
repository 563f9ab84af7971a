// A small PNG reader for checking the embedded icons: verifies the signature,
// every chunk's CRC and the chunk order, inflates the image data and undoes
// the row filters. Only 8-bit RGBA without interlacing is decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct DecodedPng {
  uint32_t width = 0;
  uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
  std::vector<uint8_t> rgba;  // width * height * 4, rows top to bottom

  const uint8_t* pixel(uint32_t x, uint32_t y) const { return &rgba[(y * width + x) * 4]; }
};

// The image, or nullopt with error set.
std::optional<DecodedPng> decodePng(std::string_view file, std::string& error);
