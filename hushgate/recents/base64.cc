#include "hushgate/recents/base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kNotBase64 = -1;

constexpr std::array<int8_t, 256> makeDecodeTable() {
  std::array<int8_t, 256> table{};
  table.fill(kNotBase64);
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = int8_t(i);
  return table;
}

constexpr std::array<int8_t, 256> kDecodeTable = makeDecodeTable();

}  // namespace

std::string encodeBase64(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t group = uint32_t(uint8_t(bytes[i])) << 16 |
                           uint32_t(uint8_t(bytes[i + 1])) << 8 | uint32_t(uint8_t(bytes[i + 2]));
    text += kAlphabet[group >> 18];
    text += kAlphabet[(group >> 12) & 63];
    text += kAlphabet[(group >> 6) & 63];
    text += kAlphabet[group & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t group = uint32_t(uint8_t(bytes[i])) << 16;
    if (rest == 2) group |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    text += kAlphabet[group >> 18];
    text += kAlphabet[(group >> 12) & 63];
    text += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

std::optional<std::string> decodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') ++padding;
  if (text.size() >= 2 && text[text.size() - 2] == '=') ++padding;
  if (padding == 1 && text.back() != '=') return std::nullopt;

  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  const size_t significant = text.size() - padding;
  uint32_t group = 0;
  for (size_t i = 0; i < significant; ++i) {
    const int8_t value = kDecodeTable[static_cast<unsigned char>(text[i])];
    if (value == kNotBase64) return std::nullopt;
    group = group << 6 | uint32_t(value);
    if (i % 4 == 3) {
      bytes += char(group >> 16);
      bytes += char(group >> 8);
      bytes += char(group);
      group = 0;
    }
  }
  if (padding == 1) {  // 18 bits: two bytes and two unused bits
    bytes += char(group >> 10);
    bytes += char(group >> 2);
  } else if (padding == 2) {  // 12 bits: one byte and four unused bits
    bytes += char(group >> 4);
  }
  return bytes;
}
