// The main screen's table and the scene titles: every label and switch of the
// screen has exactly one row, every row the screen acts on is there, and
// every caption exists in both languages.
#include "hushgate-gui/core/screens/screen_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "hushgate-gui/core/kit/localization.h"

namespace {

TEST(ScreenTextsTest, EveryLabelAndSwitchHasExactlyOneRow) {
  std::map<gui::RootVC::Label, int> labels;
  std::map<gui::RootVC::Switch, int> switches;
  std::set<std::string> identifiers;
  for (const auto& section : gui::rootSections()) {
    EXPECT_FALSE(section.rows.empty()) << section.titleKey;
    for (const auto& row : section.rows) {
      EXPECT_TRUE(identifiers.insert(row.cellIdentifier).second) << row.cellIdentifier;
      if (row.label) ++labels[*row.label];
      if (row.toggle) ++switches[*row.toggle];
      // A switch row is not tapped, so it opens nothing.
      EXPECT_FALSE(row.toggle && row.opensScreen) << row.cellIdentifier;
    }
  }
  EXPECT_EQ(labels.size(), gui::RootVC::kLabelCount);
  for (const auto& [label, count] : labels) EXPECT_EQ(count, 1);
  EXPECT_EQ(switches.size(), gui::RootVC::kSwitchCount);
  for (const auto& [which, count] : switches) EXPECT_EQ(count, 1);

  for (const char* acted : {"cell.zone", "cell.mobilezone", "cell.blacklist", "cell.ignored-prefix",
                            "cell.keywords", "cell.donationlist", "cell.donation",
                            "cell.mobiletest", "cell.eula", "cell.opensource", "cell.history"}) {
    EXPECT_TRUE(identifiers.count(acted)) << acted;
  }
}

TEST(ScreenTextsTest, EveryCaptionIsInBothTables) {
  std::set<std::string> keys;
  for (const auto& section : gui::rootSections()) {
    keys.insert(section.titleKey);
    for (const auto& row : section.rows) keys.insert(row.captionKey);
  }
  for (const char* language : {"zh_CN", "en"}) {
    const auto& table = gui::localizationTable(language);
    for (const auto& key : keys) EXPECT_TRUE(table.count(key)) << language << " " << key;
  }
}

TEST(ScreenTextsTest, SceneTitlesAreLocalised) {
  gui::setLanguage("zh_CN");
  std::set<std::string> titles;
  for (const char* scene :
       {"sb.root", "sb.zones", "sb.mobilezones", "sb.blacklist", "sb.ignored-prefix",
        "sb.blackkeywords", "sb.history", "sb.opensource"}) {
    const std::string title = gui::sceneTitle(scene);
    EXPECT_NE(title, scene);
    EXPECT_NE(title.rfind("title-", 0), 0u) << scene << " has no text";
    titles.insert(title);
  }
  // Every scene has its own title; the two region editors share a screen.
  EXPECT_EQ(titles.size(), 8u);
  EXPECT_EQ(gui::sceneTitle("sb.unknown"), "sb.unknown");
}

}  // namespace
