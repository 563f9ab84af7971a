#include "png_reader.h"

#include <zlib.h>

#include <cstdlib>

namespace {

uint32_t readUint32(std::string_view bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
         uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return pb <= pc ? uint8_t(b) : uint8_t(c);
}

// Undoes the filters of the inflated rows (filter byte + width * 4 bytes each).
bool unfilter(const std::vector<uint8_t>& raw, DecodedPng& png, std::string& error) {
  const size_t stride = size_t(png.width) * 4;
  png.rgba.assign(stride * png.height, 0);
  for (size_t y = 0; y < png.height; ++y) {
    const uint8_t filter = raw[y * (stride + 1)];
    const uint8_t* in = &raw[y * (stride + 1) + 1];
    uint8_t* out = &png.rgba[y * stride];
    const uint8_t* up = y > 0 ? &png.rgba[(y - 1) * stride] : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= 4 ? out[i - 4] : 0;
      const int b = up ? up[i] : 0;
      const int c = up && i >= 4 ? up[i - 4] : 0;
      switch (filter) {
        case 0:
          out[i] = in[i];
          break;
        case 1:
          out[i] = uint8_t(in[i] + a);
          break;
        case 2:
          out[i] = uint8_t(in[i] + b);
          break;
        case 3:
          out[i] = uint8_t(in[i] + (a + b) / 2);
          break;
        case 4:
          out[i] = uint8_t(in[i] + paeth(a, b, c));
          break;
        default:
          error = "unknown filter type " + std::to_string(filter);
          return false;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<DecodedPng> decodePng(std::string_view file, std::string& error) {
  static constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
  if (file.substr(0, 8) != kSignature) {
    error = "no PNG signature";
    return std::nullopt;
  }
  DecodedPng png;
  std::string idat;
  bool sawHeader = false, sawEnd = false;
  for (size_t at = 8; at < file.size() && !sawEnd;) {
    if (file.size() - at < 12) {
      error = "truncated chunk";
      return std::nullopt;
    }
    const uint32_t length = readUint32(file, at);
    if (length > file.size() - at - 12) {
      error = "chunk longer than the file";
      return std::nullopt;
    }
    const std::string_view type = file.substr(at + 4, 4);
    const std::string_view data = file.substr(at + 8, length);
    const uint32_t crc = readUint32(file, at + 8 + length);
    if (crc != crc32(0L, reinterpret_cast<const Bytef*>(file.data() + at + 4), length + 4)) {
      error = "bad CRC in " + std::string(type);
      return std::nullopt;
    }
    if (!sawHeader && type != "IHDR") {
      error = "first chunk is not IHDR";
      return std::nullopt;
    }
    if (type == "IHDR") {
      if (length != 13) {
        error = "bad IHDR length";
        return std::nullopt;
      }
      sawHeader = true;
      png.width = readUint32(data, 0);
      png.height = readUint32(data, 4);
      png.bitDepth = uint8_t(data[8]);
      png.colorType = uint8_t(data[9]);
      if (data[10] != 0 || data[11] != 0 || data[12] != 0) {
        error = "unsupported compression, filter method or interlace";
        return std::nullopt;
      }
    } else if (type == "IDAT") {
      idat.append(data);
    } else if (type == "IEND") {
      sawEnd = true;
      if (at + 12 != file.size()) {
        error = "bytes after IEND";
        return std::nullopt;
      }
    }
    at += 12 + length;
  }
  if (!sawEnd) {
    error = "no IEND";
    return std::nullopt;
  }
  if (png.bitDepth != 8 || png.colorType != 6 || png.width == 0 || png.height == 0 ||
      png.width > 4096 || png.height > 4096) {
    error = "not a small 8-bit RGBA image";
    return std::nullopt;
  }

  const size_t expected = (size_t(png.width) * 4 + 1) * png.height;
  std::vector<uint8_t> raw(expected + 1);  // one spare byte shows excess data
  uLongf rawSize = uLongf(raw.size());
  const int status = uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()),
                                uLong(idat.size()));
  if (status != Z_OK || rawSize != expected) {
    error = "image data does not inflate to the image size";
    return std::nullopt;
  }
  if (!unfilter(raw, png, error)) return std::nullopt;
  return png;
}
