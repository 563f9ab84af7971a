#include "hushgate/recents/recents.h"

#include <gtest/gtest.h>

namespace {

TEST(BlockedRecentCallTest, MatchesStatusEightAgainstBlockedIds) {
  const std::unordered_set<std::string> blocked = {"id-1", "id-2"};
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
