#include "hushgate/recents/base64.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(Base64Test, KnownTexts) {
  // RFC 4648, section 10, and bytes that use "+" and "/".
  const struct {
    std::string_view bytes;
    std::string_view text;
  } cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string_view("\xfb\xff\xbf", 3), "+/+/"},
      {std::string_view("\0\0\0\0", 4), "AAAAAA=="},
      {"中文", "5Lit5paH"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(encodeBase64(c.bytes), c.text);
    EXPECT_EQ(decodeBase64(c.text), std::string(c.bytes)) << c.text;
  }
}

TEST(Base64Test, RefusesWhatIsNotBase64) {
  for (const std::string_view text : {
           "Zg",          // length not a multiple of four
           "Zg=",         // padding short
           "Z===",        // three padding characters
           "====",        // nothing but padding
           "Zg==Zg==",    // padding inside
           "Z=g=",        // padding not at the end
           "Zm9v\n",      // line break
           "Zm 9v",       // space
           "Zm9v Yg==",   // space between groups
           "Zm-_",        // URL-safe alphabet
           "Zm\xc3\xa9",  // not ASCII
       }) {
    EXPECT_EQ(decodeBase64(text), std::nullopt) << text;
  }
  EXPECT_EQ(decodeBase64(std::string_view("Zm\0v", 4)), std::nullopt);
}

TEST(Base64Test, UnusedTrailingBitsAreIgnored) {
  EXPECT_EQ(decodeBase64("Zh=="), "f");
  EXPECT_EQ(decodeBase64("Zm9="), "fo");
}

TEST(Base64Test, RoundTripsEveryLengthAndByte) {
  std::mt19937 random(7);
  for (size_t length = 0; length < 300; ++length) {
    std::string bytes(length, '\0');
    for (char& b : bytes) b = char(random());
    const std::string text = encodeBase64(bytes);
    EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(decodeBase64(text), bytes) << "length " << length;
  }
}

}  // namespace
