#include "statics/contracts/blacklist_url.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr char kPhone[] = "com.apple.mobilephone";

TEST(UrlEncodeTest, KeepsOnlyUnreservedCharacters) {
  const struct {
    std::string_view text;
    std::string_view encoded;
  } cases[] = {
      {"", ""},
      {"a b&c", "a%20b%26c"},
      {"+8613800138000", "%2B8613800138000"},
      {"13800138000", "13800138000"},
      {"AZaz09-._~", "AZaz09-._~"},
      {"!*'();:@&=+$,/?%#[]", "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
      {"\"<>\\^`{|} ", "%22%3C%3E%5C%5E%60%7B%7C%7D%20"},
      {"\t\n\r", "%09%0A%0D"},
      {"快递", "%E5%BF%AB%E9%80%92"},
      {"骚扰 电话", "%E9%AA%9A%E6%89%B0%20%E7%94%B5%E8%AF%9D"},
      {"😀", "%F0%9F%98%80"},
      {std::string_view("a\0b", 3), "a%00b"},
      // Ill-formed UTF-8 becomes U+FFFD, so the URL decodes to valid text.
      {"a\xff", "a%EF%BF%BD"},
      {"\xe5\xbf", "%EF%BF%BD"},
  };
  for (const auto& c : cases) EXPECT_EQ(urlEncode(c.text), c.encoded) << c.text;
}

TEST(AddToBlacklistURLTest, EncodesNumberAndTrimmedLabel) {
  const struct {
    std::string_view callerId, label, url;
  } cases[] = {
      {"+8613800138000", "a b&c",
       "hushgate://add_to_blacklist/"
       "?from=com.apple.mobilephone&number=%2B8613800138000&label=a%20b%"
       "26c"},
      {"10086", "  快递 \n",
       "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=10086&label=%E5%BF%AB%E9%80%"
       "92"},
      {"10086", "\u3000骚扰\u3000",  // ideographic spaces are white space too
       "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=10086&label=%E9%AA%9A%E6%89%"
       "B0"},
      {"", "", "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=&label="},
      {"", " \t\r\n ", "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=&label="},
      {"400 800", "x",
       "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=400%20800&label=x"},
      // Placeholders in the input are data, not format.
      {"%@", "%d",
       "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=%25%40&label=%25d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(addToBlacklistURL(c.callerId, c.label), c.url) << c.callerId << " / " << c.label;
  }
}

struct ParseCase {
  const char* url;
  bool carries;
  AddToBlacklistRequest request;
};

TEST(AddToBlacklistURLTest, QueryItemsByName) {
  const ParseCase cases[] = {
      {"hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=138*&label=Spam",
       true,
       {"138*", "Spam", kPhone}},
      {"hushgate://add_to_blacklist/?number=%2B8613800138000&label=%E9%AA%9A%E6%89%B0",
       true,
       {"+8613800138000", "骚扰", ""}},
      {"hushgate://add_to_blacklist/?number=+86138", true, {"+86138", "", ""}},  // "+" stays
      {"hushgate://add_to_blacklist/?number=1&number=2&label=a&label=b", true, {"2", "b", ""}},
      {"hushgate://add_to_blacklist/?number=1&label&from", true, {"1", "", ""}},
      {"hushgate://add_to_blacklist/?number=1&from=x&from=", true, {"1", "", ""}},
      {"hushgate://add_to_blacklist/?number=1&other=2&&=3", true, {"1", "", ""}},
      {"hushgate://add_to_blacklist/?number=1#number=2", true, {"1", "", ""}},
      {"hushgate://add_to_blacklist?number=7", true, {"7", "", ""}},
      {"other://add_to_blacklist/?number=5", true, {"5", "", ""}},  // scheme not examined
      {"//add_to_blacklist/?number=5", true, {"5", "", ""}},
      {"hushgate://add%5Fto_blacklist/?number=5", true, {"5", "", ""}},
      {"hushgate://add_to_blacklist/?number=1%00%0A", true, {std::string("1\0\n", 3), "", ""}},
      // Nothing to do.
      {"hushgate://add_to_blacklist/", false, {}},
      {"hushgate://add_to_blacklist/?label=x&from=y", false, {}},
      {"hushgate://add_to_blacklist/?number=", false, {}},
      {"hushgate://add_to_blacklist/?number", false, {}},
      {"hushgate://add_to_blacklist/?number=1&number=", false, {}},
      {"hushgate://add_to_blacklist/?number=%FF", false, {}},  // not UTF-8
      {"hushgate://ADD_TO_BLACKLIST/?number=1", false, {}},
      {"hushgate://add_to_blacklist.x/?number=1", false, {}},
      {"hushgate://other/?number=1", false, {}},
      {"hushgate:add_to_blacklist?number=1", false, {}},
      {"add_to_blacklist/?number=1", false, {}},
      // Not URLs.
      {"hushgate://add_to_blacklist/?number=1 2", false, {}},
      {"hushgate://add_to_blacklist/?number=%G1", false, {}},
      {"hushgate://add_to_blacklist/?number=1%", false, {}},
      {"hushgate://add_to_blacklist/?number=\xE4\xB8\xAD", false, {}},
      {"hushgate://add_to_blacklist:port/?number=1", false, {}},
      {"1hushgate://add_to_blacklist/?number=1", false, {}},
      {"", false, {}},
  };
  for (const ParseCase& c : cases) {
    const std::optional<AddToBlacklistRequest> request = parseAddToBlacklistURL(c.url);
    ASSERT_EQ(request.has_value(), c.carries) << c.url;
    if (!request) continue;
    EXPECT_EQ(request->number, c.request.number) << c.url;
    EXPECT_EQ(request->label, c.request.label) << c.url;
    EXPECT_EQ(request->from, c.request.from) << c.url;
  }
}

// What the Phone side builds, the settings application reads back.
TEST(AddToBlacklistURLTest, BuiltURLsParseBack) {
  const std::string_view numbers[] = {"+8613800138000", "10086", "1 2&3", "快递", "%@"};
  for (std::string_view number : numbers) {
    const std::optional<AddToBlacklistRequest> request =
        parseAddToBlacklistURL(addToBlacklistURL(number, " 标签 "));
    ASSERT_TRUE(request) << number;
    EXPECT_EQ(request->number, number);
    EXPECT_EQ(request->label, "标签");
    EXPECT_EQ(request->from, kPhone);
  }
}

}  // namespace
