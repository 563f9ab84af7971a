#include "png_encoder.h"

#include <zlib.h>

#include <cstring>

namespace {

void appendUint32(std::string& out, uint32_t value) {
  out += char(value >> 24);
  out += char(value >> 16);
  out += char(value >> 8);
  out += char(value);
}

// Length, type, data and the CRC over type and data.
void appendChunk(std::string& out, const char type[4], const std::string& data) {
  appendUint32(out, uint32_t(data.size()));
  const size_t typeAt = out.size();
  out.append(type, 4);
  out += data;
  const auto* covered = reinterpret_cast<const Bytef*>(out.data() + typeAt);
  appendUint32(out, uint32_t(crc32(0L, covered, uInt(4 + data.size()))));
}

}  // namespace

std::optional<std::string> encodePNG(const RgbaImage& image) {
  if (image.width <= 0 || image.height <= 0) return std::nullopt;

  // Each row: filter byte 0 (none), then the row's pixels.
  const size_t rowBytes = size_t(image.width) * 4;
  std::string raw;
  raw.reserve((rowBytes + 1) * size_t(image.height));
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(&image.pixels[y * rowBytes]), rowBytes);
  }

  uLongf compressedSize = compressBound(uLong(raw.size()));
  std::string compressed(compressedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize,
                reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return std::nullopt;
  }
  compressed.resize(compressedSize);

  std::string header;
  appendUint32(header, uint32_t(image.width));
  appendUint32(header, uint32_t(image.height));
  header += char(8);  // bit depth
  header += char(6);  // colour type: RGBA
  header += char(0);  // compression: deflate
  header += char(0);  // filter method 0
  header += char(0);  // no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", compressed);
  appendChunk(png, "IEND", {});
  return png;
}
