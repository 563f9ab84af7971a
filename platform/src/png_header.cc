#include "png_header.h"

namespace platform::internal {

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
constexpr uint32_t kIhdrLength = 13;
constexpr uint32_t kMaxDimension = 0x7fffffff;

uint32_t bigEndian32(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

// CRC-32 as the PNG format defines it (ISO 3309, reflected, 0xEDB88320).
uint32_t crc32(std::string_view bytes) {
  uint32_t crc = 0xffffffffu;
  for (char byte : bytes) {
    crc ^= static_cast<unsigned char>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

// The bit depths allowed for each colour type.
bool isValidFormat(unsigned bitDepth, unsigned colourType) {
  switch (colourType) {
    case 0:  // grey
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3:  // palette
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2:  // RGB
    case 4:  // grey and alpha
    case 6:  // RGBA
      return bitDepth == 8 || bitDepth == 16;
    default:
      return false;
  }
}

}  // namespace

std::optional<PngSize> readPngSize(std::string_view bytes) {
  // signature, length, "IHDR", 13 bytes of data, CRC
  constexpr size_t kHeaderEnd = 8 + 4 + 4 + kIhdrLength + 4;
  if (bytes.size() < kHeaderEnd || bytes.substr(0, kSignature.size()) != kSignature) {
    return std::nullopt;
  }
  if (bigEndian32(bytes, 8) != kIhdrLength || bytes.substr(12, 4) != "IHDR") return std::nullopt;
  if (crc32(bytes.substr(12, 4 + kIhdrLength)) != bigEndian32(bytes, 16 + kIhdrLength)) {
    return std::nullopt;
  }
  const std::string_view data = bytes.substr(16, kIhdrLength);
  const PngSize size{bigEndian32(data, 0), bigEndian32(data, 4)};
  if (size.width == 0 || size.height == 0 || size.width > kMaxDimension ||
      size.height > kMaxDimension) {
    return std::nullopt;
  }
  const auto byteAt = [&data](size_t i) { return static_cast<unsigned char>(data[i]); };
  if (!isValidFormat(byteAt(8), byteAt(9)) || byteAt(10) != 0 || byteAt(11) != 0 ||
      byteAt(12) > 1) {
    return std::nullopt;
  }
  return size;
}

}  // namespace platform::internal
