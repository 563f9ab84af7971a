#include "hushgate/recents.h"

#include <gtest/gtest.h>

namespace {

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

TEST(BlockedRecentCallTest, MatchesStatusEightAgainstBlockedIds) {
  const std::vector<std::string> blocked = {"id-1", "id-2", "id-2"};
  const struct {
    const char* name;
    RecentCallFacts call;
    bool blocked;
  } cases[] = {
      {"no occurrences, own id blocked", {8, {}, "id-1"}, true},
      {"no occurrences, own id not blocked", {8, {}, "id-9"}, false},
      {"no occurrences, no id", {8, {}, std::nullopt}, false},
      {"status not 8", {1, {}, "id-1"}, false},
      {"status 0", {0, {"id-1"}, "id-1"}, false},
      {"status 9", {9, {"id-2"}, std::nullopt}, false},
      {"one occurrence blocked", {8, {"id-2"}, "other"}, true},
      {"one of several occurrences blocked", {8, {"id-7", std::nullopt, "id-1"}, "other"}, true},
      {"no occurrence blocked, own id ignored", {8, {"id-7", "id-8"}, "id-1"}, false},
      {"occurrences without ids, own id ignored", {8, {std::nullopt, std::nullopt}, "id-1"}, false},
      {"ids compare exactly", {8, {"ID-1", "id-1 "}, std::nullopt}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isBlockedRecentCall(c.call, blocked), c.blocked) << c.name;
  }
  EXPECT_FALSE(isBlockedRecentCall({8, {}, ""}, {}));
  EXPECT_FALSE(isBlockedRecentCall({8, {"id-1"}, "id-1"}, {}));
}

TEST(RecentsRowActionsTest, ActionsLookAsTheyShould) {
  const RecentsRowAction remove = deleteRowAction();
  EXPECT_EQ(remove.kind, RecentsRowActionKind::Delete);
  EXPECT_EQ(remove.style, 0);
  EXPECT_EQ(remove.title, "🗑");
  ASSERT_TRUE(remove.backgroundColor);
  EXPECT_EQ(*remove.backgroundColor, (Color{1.0f, 102 / 255.0f, 102 / 255.0f, 1.0f}));

  const RecentsRowAction add = addToBlacklistRowAction();
  EXPECT_EQ(add.kind, RecentsRowActionKind::AddToBlacklist);
  EXPECT_EQ(add.style, 1);
  EXPECT_EQ(add.title, "🚫");
  EXPECT_EQ(add.backgroundColor, std::nullopt);
}

TEST(RecentsRowActionsTest, AddActionOnlyForUnmarkedRecentsCells) {
  const std::vector<RecentsRowAction> both = {addToBlacklistRowAction(), deleteRowAction()};
  const std::vector<RecentsRowAction> deleteOnly = {deleteRowAction()};
  const struct {
    const char* name;
    RecentsCellFacts cell;
    const std::vector<RecentsRowAction>& actions;
  } cases[] = {
      {"plain recents cell", {"MPRecentsTableViewCell", true, false}, both},
      {"hidden icon view", {"MPRecentsTableViewCell", false, false}, both},
      {"marked as blocked", {"MPRecentsTableViewCell", true, true}, deleteOnly},
      {"block icon set but hidden", {"MPRecentsTableViewCell", false, true}, both},
      {"other cell class", {"UITableViewCell", true, false}, deleteOnly},
      {"subclass name", {"MPRecentsTableViewCellX", true, false}, deleteOnly},
      {"no cell", {"", false, false}, deleteOnly},
  };
  for (const auto& c : cases) EXPECT_EQ(recentsRowActions(c.cell), c.actions) << c.name;
}

}  // namespace
