// The pixel size of a PNG file, read from its header.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::internal {

struct PngSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// The size in the IHDR chunk of PNG file bytes. nullopt unless the bytes
// begin with the PNG signature followed by a complete IHDR chunk of 13 bytes
// whose CRC matches, whose width and height are 1 to 2^31-1, and whose bit
// depth, colour type, compression, filter and interlace method are ones the
// format defines.
[[nodiscard]] std::optional<PngSize> readPngSize(std::string_view bytes);

}  // namespace platform::internal
