// Writes an RGBA raster as a PNG file: colour type 6 (RGBA), 8 bits per
// channel, no interlacing, filter type 0 on every row, zlib-compressed.
#pragma once

#include <optional>
#include <string>

#include "rgba_image.h"

// The PNG file bytes, or nullopt when the image is empty or compression fails.
[[nodiscard]] std::optional<std::string> encodePNG(const RgbaImage& image);
