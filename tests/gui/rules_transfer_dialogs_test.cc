// The settings application's rules export and import dialogs, acted on as the
// user would through the recording presenter.
#include "hushgate-gui/core/screens/rules_transfer_dialogs.h"
#include "hushgate-gui/core/kit/localization.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "statics/Preference.h"
#include "statics/json_document.h"

namespace {

constexpr char kPrefFile[] = "/var/mobile/hushgate/hushgate-pref.json";
constexpr char kPhone[] = R"({"blacklist":[["139","^139$",""]],"keywords":["推销"]})";

std::string rulesFile(const std::string& members) {
  return "{\"format\": \"hushgate-rules\", \"version\": 1,\n" + members + "\n}";
}

class RulesTransferDialogsTest : public gui_testing::GuiTest {
 protected:
  RulesTransferDialogsTest() {
    root_.write(kPrefFile, kPhone);
    (void)Preference::sharedInstance().reload();
  }

  Json onDisk() const { return parseJsonDocument(root_.read(kPrefFile)).value_or(Json()); }
};

TEST_F(RulesTransferDialogsTest, PreviewShowsCountsAndMergesOnlyWhenConfirmed) {
  const std::string sixBad =
      "{\"pattern\": \"a\"},\n{\"pattern\": \"b\"},\n{\"pattern\": \"c\"},\n"
      "{\"pattern\": \"d\"},\n{\"pattern\": \"e\"},\n{\"pattern\": \"f\"}";
  struct Case {
    const char* name;
    std::string file;                // "" for none
    std::string tap;                 // the button tapped on the question, "" when none is expected
    std::vector<std::string> shown;  // texts in the first alert's title and message
    std::string last;                // text in the last alert's title
    Json blacklist;                  // on disk afterwards
  };
  const Json phoneList = Json::parse(R"([["139","^139$",""]])");
  const Json merged = Json::parse(R"([["139","^139$",""],["170*","^170\\d*$","ads"]])");
  const std::vector<Case> cases{
      {"confirmed",
       rulesFile("\"blacklist\": [\n{\"pattern\": \"139\"},\n{\"pattern\": \"12a\"},\n"
                 "{\"pattern\": \"170*\", \"comment\": \"ads\"}],\n\"keywords\": [\"推销\"]"),
       gui::alertConfirmTitle(),
       {"Import these rules?", "Blacklist: new 1, already listed 1",
        "Keywords: new 0, already listed 1", "Switches and values changed: 0",
        "Left out:", "line 4 (Blacklist): \"12a\" is not a number pattern"},
       "The rules were imported. Entries added: 1; switches",
       merged},
      {"cancelled",
       rulesFile("\"blacklist\": [{\"pattern\": \"170*\", \"comment\": \"ads\"}]"),
       gui::alertCancelTitle(),
       {"Blacklist: new 1, already listed 0"},
       "Import these rules?",
       phoneList},
      {"many left out",
       rulesFile("\"blacklist\": [\n" + sixBad + "]"),
       gui::alertCancelTitle(),
       {"line 3 (Blacklist)", "line 7 (Blacklist)", "and 1 more left out"},
       "Import these rules?",
       phoneList},
      {"refused",
       "{\"format\": \"other\", \"version\": 1}",
       "",
       {"cannot be imported: the file is not a rules file"},
       "cannot be imported",
       phoneList},
      {"missing", "", "", {"cannot be read."}, "cannot be read.", phoneList},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = presenter_.alerts.size();
    root_.write(kPrefFile, kPhone);
    (void)Preference::sharedInstance().reload();
    const std::string path = root_.at(c.file.empty() ? "/missing.json" : "/rules.json");
    if (!c.file.empty()) root_.write("/rules.json", c.file);
    gui::showImportPreview(path);
    ASSERT_EQ(presenter_.alerts.size(), before + 1);
    const gui::Alert& first = *presenter_.alerts.back();
    const std::string shown = first.title.value_or("") + "\n" + first.message.value_or("");
    for (const std::string& piece : c.shown)
      EXPECT_NE(shown.find(piece), std::string::npos) << shown;
    // A list the file leaves empty is not listed.
    EXPECT_EQ(shown.find("Allow-list:"), std::string::npos) << shown;
    if (!c.tap.empty()) {
      ASSERT_TRUE(presenter_.tap(c.tap));
    } else {
      ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));  // closes the information
    }
    EXPECT_NE(presenter_.alerts.back()->title.value_or("").find(c.last), std::string::npos)
        << presenter_.alerts.back()->title.value_or("");
    EXPECT_EQ(onDisk()["blacklist"], c.blacklist);
  }
}

// The reader's reasons are English: a Chinese window names the line and the
// list, and says in Chinese that the entry was left out.
TEST_F(RulesTransferDialogsTest, LeftOutEntriesAreToldInTheWindowsLanguage) {
  gui::setLanguage("zh_CN");
  root_.write(kPrefFile, kPhone);
  (void)Preference::sharedInstance().reload();
  root_.write("/rules.json", rulesFile("\"blacklist\": [\n{\"pattern\": \"12a\"}]"));
  gui::showImportPreview(root_.at("/rules.json"));
  ASSERT_NE(presenter_.openAlert(), nullptr);
  const std::string message = presenter_.openAlert()->message.value_or("");
  gui::setLanguage("en");
  EXPECT_NE(message.find("第 3 行（黑名单）：格式不符"), std::string::npos) << message;
  EXPECT_EQ(message.find("number pattern"), std::string::npos) << message;
}

TEST_F(RulesTransferDialogsTest, ExportSaysWhereTheRulesWentOrWhyNot) {
  const std::string path = root_.at("/rules.json");
  gui::exportRulesToFile(path);
  ASSERT_EQ(presenter_.alerts.size(), 1u);
  EXPECT_EQ(presenter_.alerts[0]->title, "The rules were saved in " + path + ".");
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));

  // What was written imports into the same phone as nothing new.
  gui::showImportPreview(path);
  const std::string preview = presenter_.alerts.back()->message.value_or("");
  EXPECT_NE(preview.find("Blacklist: new 0, already listed 1"), std::string::npos) << preview;
  EXPECT_NE(preview.find("Keywords: new 0, already listed 1"), std::string::npos) << preview;
  ASSERT_TRUE(presenter_.tap(gui::alertCancelTitle()));

  gui::exportRulesToFile(root_.at("/no/such/folder/rules.json"));
  EXPECT_NE(presenter_.alerts.back()->title.value_or("").find("The rules could not be saved in"),
            std::string::npos);
}

}  // namespace
