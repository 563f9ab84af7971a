#include "hushgate-gui/core/screens/ListEditorVC.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui/support/gui_test.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/list_text.h"
#include "platform/notify.h"
#include "statics/Preference.h"
#include "support/notification_marker.h"

namespace {

using namespace std::chrono_literals;
using gui::AlertActionStyle;
using gui::ListEditorVC;
using gui::localizedString;
using gui::RowActionStyle;

constexpr char kPrefFile[] = "/var/mobile/hushgate/hushgate-pref.json";

Json& pref() {
  return Preference::sharedInstance().pref();
}

Json entry(const std::string& shown, const std::string& expression,
           const std::string& comment = "") {
  return Json::array({shown, expression, comment});
}

// ---- The text rules

TEST(ListTextTest, WildcardRunsCollapseInThreeSinglePasses) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"1**2", "1*2"},    {"1*?2", "1*2"},   {"1?*2", "1*2"}, {"1***2", "1**2"}, {"1*??2", "1*?2"},
      {"1****2", "1**2"}, {"1*?*2", "1**2"}, {"??", "??"},    {"*", "*"},        {"", ""},
  };
  for (const auto& [input, collapsed] : cases) {
    EXPECT_EQ(gui::collapseWildcards(input), collapsed) << input;
  }
  EXPECT_FALSE(gui::hasWildcardRun("1*2?3"));
  EXPECT_TRUE(gui::hasWildcardRun("1?*"));
}

TEST(ListTextTest, WhiteSpaceOfEveryKindGoesAnywhere) {
  EXPECT_EQ(gui::removingWhitespace(" 1\t3\u30008\n\u00a0-0 ", /*alsoHyphens=*/true), "1380");
  EXPECT_EQ(gui::removingWhitespace("1 - 2"), "1-2");
  EXPECT_EQ(gui::normaliseKeywordInput(" \u3000推  销\n"), "推  销");
}

TEST(ListTextTest, TypingFilterCountsUtf16Units) {
  struct Case {
    std::string current;
    size_t location, length;
    std::string replacement;
    const char* allowed;
    bool trimmed;
    gui::TextEdit expected;
  };
  const char* numbers = "0123456789?* -";
  const std::vector<Case> cases{
      {"", 0, 0, "138*", numbers, false, {true, true}},
      {"1", 1, 0, "a", numbers, false, {false, false}},
      {"", 0, 0, "12a", numbers, false, {false, false}},
      {"1", 0, 1, "", numbers, false, {true, false}},
      {"", 0, 0, " - ", numbers, false, {true, true}},
      {"12", 3, 0, "3", numbers, false, {false, false}},  // past the end
      {"12", 1, 2, "", numbers, false, {false, false}},   // range past the end
      {"\U0001F600x", 2, 1, "", nullptr, true, {true, true}},
      {"\U0001F600x", 0, 3, "", nullptr, true, {true, false}},
      {"\U0001F600", 0, 2, "  ", nullptr, true, {true, false}},
      {"", 0, 0, "中", nullptr, true, {true, true}},
      {"", 0, 0, "\xff", nullptr, true, {false, false}},
  };
  for (const Case& c : cases) {
    const gui::TextEdit edit =
        gui::decideTextEdit(c.current, c.location, c.length, c.replacement, c.allowed, c.trimmed);
    EXPECT_EQ(edit.accepted, c.expected.accepted) << c.current << " + " << c.replacement;
    EXPECT_EQ(edit.okEnabled, c.expected.okEnabled) << c.current << " + " << c.replacement;
  }
}

// ---- The screens

struct ListView : ListEditorVC::View {
  void reloadData() override { ++reloads; }
  void deleteRow(size_t row) override { deletedRows.push_back(row); }
  void endEditing() override { ++editingEnded; }
  void setTrashEnabled(bool on) override { trash = on; }

  int reloads = 0;
  std::vector<size_t> deletedRows;
  int editingEnded = 0;
  std::optional<bool> trash;
};

// Counts deliveries of the preference-updated notification in this process.
// Deliveries run at once on the notification's watcher thread.
class UpdateCounter {
 public:
  UpdateCounter() {
    EXPECT_EQ(platform::notify_register_dispatch(kPreferenceUpdatedNotification, &token_, queue_,
                                                 [this](int) { ++count_; }),
              platform::NOTIFY_STATUS_OK);
  }
  ~UpdateCounter() { platform::notify_cancel(token_); }

  bool waitForOne() {
    for (auto waited = 0ms; waited < 5s; waited += 10ms) {
      if (count_ > 0) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  // Whether nothing posted so far was delivered: true once a marker posted
  // now has come and the count is still zero.
  bool quiet() {
    testing_support::NotificationMarker marker(queue_);
    if (!marker.post()) return false;
    for (auto waited = 0ms; waited < 5s && !marker.seen(); waited += 10ms) {
      std::this_thread::sleep_for(10ms);
    }
    return marker.seen() && count_ == 0;
  }
  void reset() { count_ = 0; }

 private:
  struct ImmediateQueue : platform::DispatchQueue {
    void async(platform::Task task) override { task(); }
    void after(std::chrono::nanoseconds, platform::Task task) override { task(); }
  };
  ImmediateQueue queue_;
  int token_ = 0;
  std::atomic<int> count_{0};
};

class ListEditorTest : public gui_testing::GuiTest {
 protected:
  // The store as the test set it up is what is on disk: every change of the
  // screens is made to the document on disk.
  static void persist() {
    if (pref() != Preference::load()) Preference::sharedInstance().saveOnly();
  }

  template <class Screen>
  ListEditorVC& open() {
    persist();
    screen_ = std::make_unique<Screen>();
    screen_->setView(&view_);
    screen_->viewDidLoad();
    return *screen_;
  }

  // The add dialog as a user fills it: the first field typed (or pasted) in
  // one edit, the comment typed, then "ok" tapped. Returns whether the
  // first field took the text and "ok" could be tapped.
  bool add(const std::string& input, const std::string& comment = "") {
    persist();
    screen_->onAdd();
    const bool typed = presenter_.type(0, input);
    if (!comment.empty()) presenter_.type(1, comment);
    return typed && presenter_.tap(localizedString("ok"));
  }

  const Json& list(const char* key) { return prefArray(pref(), key); }
  Json savedDocument() const { return Json::parse(root_.read(kPrefFile)); }
  // Titles of the information alerts shown after the dialogs.
  std::vector<std::string> infoTitles() const {
    std::vector<std::string> titles;
    for (const auto& alert : presenter_.alerts) {
      if (alert->textFields.empty()) titles.push_back(alert->title.value_or(""));
    }
    return titles;
  }

  ListView view_;
  std::unique_ptr<ListEditorVC> screen_;
};

// The allow-list takes the blacklist's grammar into its own list.
TEST_F(ListEditorTest, PatternListsNormaliseRefuseAndBuildExpressions) {
  struct Case {
    std::string input;
    Json stored;          // the entry added, or null
    std::string refusal;  // the alert shown, or ""
  };
  const std::vector<Case> cases{
      {"1 3 8-0000*", entry("1380000*", "^1380000\\d*$"), ""},
      {"1**2", entry("1*2", "^1\\d*2$"), ""},
      {"1?*3", entry("1*3", "^1\\d*3$"), ""},
      {"*", entry("*", "^\\d*$"), ""},
      {"0755-8888 ??", entry("07558888??", "^07558888\\d\\d$"), ""},
      {"1***2", nullptr, "format-not-supported"},
      {"1*??2", nullptr, "format-not-supported"},
      {" - ", nullptr, ""},
  };
  struct Family {
    const char* key;
    std::function<void()> open;
  };
  const Family families[] = {{"blacklist", [this] { open<gui::BlacklistVC>(); }},
                             {"allowlist", [this] { open<gui::AllowlistVC>(); }}};
  for (const auto& [key, openEditor] : families)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(key) + " " + c.input);
      pref().erase("blacklist");
      pref().erase("allowlist");
      openEditor();
      const size_t alertsBefore = presenter_.alerts.size();
      ASSERT_TRUE(add(c.input));
      if (c.stored.is_null()) {
        EXPECT_TRUE(list(key).empty());
        EXPECT_FALSE(pref().contains(key));
      } else {
        EXPECT_EQ(list(key), Json::array({c.stored}));
        EXPECT_EQ(savedDocument()[key], Json::array({c.stored}));
        EXPECT_FALSE(pref().contains(std::string(key) == "blacklist" ? "allowlist" : "blacklist"));
        EXPECT_EQ(view_.trash, true);
      }
      if (c.refusal.empty()) {
        EXPECT_EQ(presenter_.alerts.size(), alertsBefore + 1) << "only the dialog was shown";
      } else {
        ASSERT_EQ(presenter_.alerts.size(), alertsBefore + 2);
        const gui::Alert& info = *presenter_.alerts.back();
        EXPECT_EQ(info.title, localizedString(c.refusal));
        EXPECT_FALSE(info.message.has_value());
      }
    }
}

TEST_F(ListEditorTest, ASecondEqualPatternIsADuplicateWhateverItsComment) {
  open<gui::BlacklistVC>();
  ASSERT_TRUE(add("138*", "  first \n"));
  EXPECT_EQ(list("blacklist"), Json::array({entry("138*", "^138\\d*$", "first")}));
  ASSERT_TRUE(add("138*"));
  ASSERT_TRUE(add("13 8*", "other"));
  ASSERT_TRUE(add("138**", "collapsed"));
  EXPECT_EQ(infoTitles(), std::vector<std::string>(3, localizedString("duplicated-entry")));
  EXPECT_EQ(list("blacklist").size(), 1u);
  ASSERT_TRUE(add("138"));
  EXPECT_EQ(list("blacklist").size(), 2u);
  EXPECT_EQ(screen_->numberOfRowsInSection(), 2u);
  EXPECT_EQ(screen_->cellForRowAtIndexPath(0).text, "138*");
  EXPECT_EQ(screen_->cellForRowAtIndexPath(0).detail, "first");
}

TEST_F(ListEditorTest, PrefixesKeepQuestionMarksAndNeedOneMoreDigit) {
  pref().erase("ignored-prefixes");
  open<gui::IgnoredPrefixVC>();
  EXPECT_EQ(view_.trash, false);
  ASSERT_TRUE(add("12583?", "和多号"));
  ASSERT_TRUE(add("1 2 5"));
  EXPECT_EQ(list("ignored-prefixes"),
            Json::array({entry("12583?", "^12583\\d\\d+", "和多号"), entry("125", "^125\\d+")}));
  ASSERT_TRUE(add("125 "));
  EXPECT_EQ(infoTitles(), std::vector<std::string>{localizedString("duplicated-entry")});
  EXPECT_FALSE(add("12*")) << "a star is no prefix character";
  EXPECT_FALSE(add("12-3"));
}

TEST_F(ListEditorTest, KeywordsAreTrimmedAtTheEndsOnly) {
  open<gui::KeywordsVC>();
  const size_t before = list("keywords").size();
  ASSERT_TRUE(add(" 快递  外卖 "));
  EXPECT_EQ(list("keywords").back(), "快递  外卖");
  ASSERT_TRUE(add("快递  外卖"));
  EXPECT_EQ(infoTitles(), std::vector<std::string>{localizedString("duplicated-entry")});
  ASSERT_TRUE(add("Ad"));
  ASSERT_TRUE(add("ad"));
  EXPECT_EQ(list("keywords").size(), before + 3) << "keywords compare case-sensitively";
  EXPECT_EQ(screen_->cellForRowAtIndexPath(before).text, "快递  外卖");
  EXPECT_FALSE(screen_->cellForRowAtIndexPath(before).detail.has_value());
}

TEST_F(ListEditorTest, OkFollowsTheTypedText) {
  struct Case {
    const char* family;
    std::vector<std::string> keystrokes;  // typed one after another
    std::string fieldText;                // what the field holds then
    bool okEnabled;
  };
  const std::vector<Case> cases{
      {"blacklist", {"1", "a", "3"}, "13", true},
      {"blacklist", {"12a"}, "", false},  // pasted digits and a letter: refused whole
      {"blacklist", {" ", "-", " "}, " - ", true},
      {"prefix", {"1", "*", "x", "?"}, "1?", true},
      {"prefix", {"12x"}, "", false},
      {"keywords", {" ", " ", "\u3000"}, "  \u3000", false},
      {"keywords", {" ", "骚", "扰"}, " 骚扰", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.family) + " " + c.fieldText);
    if (std::string(c.family) == "blacklist") {
      open<gui::BlacklistVC>();
    } else if (std::string(c.family) == "prefix") {
      open<gui::IgnoredPrefixVC>();
    } else {
      open<gui::KeywordsVC>();
    }
    screen_->onAdd();
    for (const std::string& keystroke : c.keystrokes) presenter_.type(0, keystroke);
    EXPECT_EQ(presenter_.openAlert()->textFields[0]->text, c.fieldText);
    ASSERT_TRUE(screen_->alertAction());
    EXPECT_EQ(screen_->alertAction()->enabled, c.okEnabled);
    ASSERT_TRUE(presenter_.tap(localizedString("cancel")));
  }
}

TEST_F(ListEditorTest, DeletingTheTextDisablesOkAgain) {
  open<gui::BlacklistVC>();
  screen_->onAdd();
  ASSERT_TRUE(presenter_.type(0, "1"));
  EXPECT_TRUE(screen_->alertAction()->enabled);
  ASSERT_TRUE(presenter_.replaceText(0, 0, 1, ""));
  EXPECT_FALSE(screen_->alertAction()->enabled);
  EXPECT_FALSE(presenter_.tap(localizedString("ok")));
  ASSERT_TRUE(presenter_.tap(localizedString("cancel")));
  presenter_.alerts.clear();  // the front end lets the closed dialog go
  EXPECT_FALSE(screen_->alertAction()) << "the dialog's ok lapses with the dialog";
}

TEST_F(ListEditorTest, AddDialogsOfTheFamily) {
  struct Case {
    std::function<std::unique_ptr<ListEditorVC>()> make;
    std::string scene, title, message;
    bool attributed;
    std::vector<std::string> placeholders;
    gui::KeyboardType keyboard;
  };
  const std::vector<Case> cases{
      {[] { return std::make_unique<gui::BlacklistVC>(); },
       "sb.blacklist",
       "add-blacklist",
       "blacklist-example",
       true,
       {"enter-number", "comment-optional"},
       gui::KeyboardType::NumbersAndPunctuation},
      {[] { return std::make_unique<gui::AllowlistVC>(); },
       "sb.allowlist",
       "add-allowlist",
       "allowlist-example",
       true,
       {"enter-number", "comment-optional"},
       gui::KeyboardType::NumbersAndPunctuation},
      {[] { return std::make_unique<gui::IgnoredPrefixVC>(); },
       "sb.ignored-prefix",
       "add-prefix-title",
       "add-prefix-content",
       false,
       {"", "comment-optional"},
       gui::KeyboardType::NumbersAndPunctuation},
      {[] { return std::make_unique<gui::KeywordsVC>(); },
       "sb.blackkeywords",
       "add-keyword-title",
       "add-keyword-content",
       false,
       {"enter-keyword-prompt"},
       gui::KeyboardType::Default},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scene);
    const std::unique_ptr<ListEditorVC> screen = c.make();
    EXPECT_EQ(screen->sceneIdentifier(), c.scene);
    screen->onAdd();
    const gui::Alert& alert = *presenter_.openAlert();
    EXPECT_EQ(alert.style, gui::AlertStyle::Alert);
    EXPECT_EQ(alert.title, localizedString(c.title));
    if (c.attributed) {
      EXPECT_FALSE(alert.message.has_value());
      ASSERT_TRUE(alert.attributedMessage.has_value());
      EXPECT_EQ(alert.attributedMessage->text, localizedString(c.message));
      EXPECT_TRUE(alert.attributedMessage->leftAligned);
      EXPECT_EQ(alert.attributedMessage->systemFontSize, 14);
    } else {
      EXPECT_EQ(alert.message, localizedString(c.message));
      EXPECT_FALSE(alert.attributedMessage.has_value());
    }
    ASSERT_EQ(alert.textFields.size(), c.placeholders.size());
    for (size_t i = 0; i < c.placeholders.size(); ++i) {
      EXPECT_EQ(alert.textFields[i]->placeholder,
                c.placeholders[i].empty() ? "" : localizedString(c.placeholders[i]));
    }
    EXPECT_EQ(alert.textFields[0]->keyboard, c.keyboard);
    EXPECT_TRUE(alert.textFields[0]->shouldChange);
    if (alert.textFields.size() > 1) {
      EXPECT_FALSE(alert.textFields[1]->shouldChange);
    }
    ASSERT_EQ(alert.actions.size(), 2u);
    EXPECT_EQ(alert.actions[0]->title, localizedString("cancel"));
    EXPECT_EQ(alert.actions[0]->style, AlertActionStyle::Cancel);
    EXPECT_EQ(alert.actions[1]->title, localizedString("ok"));
    EXPECT_EQ(alert.actions[1]->style, AlertActionStyle::Default);
    EXPECT_FALSE(alert.actions[1]->enabled);
    EXPECT_EQ(screen->alertAction(), alert.actions[1]);
    ASSERT_TRUE(presenter_.tap(localizedString("cancel")));
  }
}

TEST_F(ListEditorTest, RowActionsOfTheFamily) {
  pref()["blacklist"] = Json::array({entry("1", "^1$")});
  open<gui::BlacklistVC>();
  std::vector<gui::RowAction> actions = screen_->editActionsForRowAtIndexPath(0);
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].title, localizedString("comment"));
  EXPECT_EQ(actions[0].style, RowActionStyle::Normal);
  EXPECT_EQ(actions[1].title, localizedString("delete"));
  EXPECT_EQ(actions[1].style, RowActionStyle::Destructive);
  EXPECT_EQ(open<gui::IgnoredPrefixVC>().editActionsForRowAtIndexPath(0).size(), 2u);
  actions = open<gui::KeywordsVC>().editActionsForRowAtIndexPath(0);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].title, localizedString("delete"));
  EXPECT_EQ(actions[0].style, RowActionStyle::Destructive);
}

TEST_F(ListEditorTest, ACommentEditWritesTheFileWithoutNotifying) {
  pref()["blacklist"] = Json::array({entry("1*", "^1\\d*$", "old"), entry("2", "^2$", "")});
  open<gui::BlacklistVC>();
  UpdateCounter updates;
  screen_->editActionsForRowAtIndexPath(0)[0].handler();
  EXPECT_EQ(view_.editingEnded, 1);
  const gui::Alert& alert = *presenter_.openAlert();
  EXPECT_EQ(alert.title, localizedString("edit-comment"));
  ASSERT_EQ(alert.textFields.size(), 1u);
  EXPECT_EQ(alert.textFields[0]->text, "old");
  EXPECT_EQ(alert.textFields[0]->placeholder, "");
  EXPECT_FALSE(alert.textFields[0]->shouldChange);
  EXPECT_EQ(gui_testing::RecordingPresenter::actionTitles(alert),
            (std::vector<std::string>{localizedString("cancel"), localizedString("ok")}));
  alert.textFields[0]->text = "  new note\n";
  const int reloads = view_.reloads;
  ASSERT_TRUE(presenter_.tap(localizedString("ok")));

  const Json expected = Json::array({entry("1*", "^1\\d*$", "new note"), entry("2", "^2$", "")});
  EXPECT_EQ(list("blacklist"), expected);
  EXPECT_EQ(savedDocument()["blacklist"], expected);
  EXPECT_EQ(view_.reloads, reloads + 1);
  EXPECT_TRUE(updates.quiet()) << "a comment changes no blocking decision";

  screen_->editActionsForRowAtIndexPath(1)[0].handler();
  ASSERT_TRUE(presenter_.tap(localizedString("cancel")));
  EXPECT_EQ(list("blacklist"), expected);
}

TEST_F(ListEditorTest, AddAndDeleteNotifyTheScreening) {
  pref().erase("blacklist");
  open<gui::BlacklistVC>();
  {
    UpdateCounter updates;
    ASSERT_TRUE(add("10086"));
    EXPECT_TRUE(updates.waitForOne());
  }
  UpdateCounter updates;
  screen_->editActionsForRowAtIndexPath(0)[1].handler();
  EXPECT_TRUE(updates.waitForOne());
  EXPECT_EQ(view_.deletedRows, std::vector<size_t>{0});
  EXPECT_EQ(view_.editingEnded, 1);
  EXPECT_EQ(view_.trash, false) << "the last row is gone";
  EXPECT_EQ(savedDocument()["blacklist"], Json::array());
}

TEST_F(ListEditorTest, DeletingKeepsTrashWhileRowsRemain) {
  open<gui::KeywordsVC>();
  const Json before = list("keywords");
  ASSERT_GE(before.size(), 2u);
  EXPECT_EQ(view_.trash, true);
  screen_->editActionsForRowAtIndexPath(1)[0].handler();
  Json expected = before;
  expected.erase(1);
  EXPECT_EQ(savedDocument()["keywords"], expected);
  EXPECT_EQ(view_.trash, true);
  EXPECT_EQ(view_.deletedRows, std::vector<size_t>{1});
}

TEST_F(ListEditorTest, ClearingAsksFirst) {
  open<gui::KeywordsVC>();
  const Json before = list("keywords");
  screen_->onTrash();
  const gui::Alert& question = *presenter_.openAlert();
  EXPECT_EQ(question.title, localizedString("del-all-keywords-prompt"));
  EXPECT_FALSE(question.message.has_value());
  ASSERT_EQ(question.actions.size(), 2u);
  EXPECT_EQ(question.actions[1]->title, gui::alertConfirmTitle());
  EXPECT_EQ(question.actions[1]->style, AlertActionStyle::Destructive);
  ASSERT_TRUE(presenter_.tap(gui::alertCancelTitle()));
  EXPECT_EQ(list("keywords"), before);
  EXPECT_FALSE(root_.exists(kPrefFile));

  screen_->onTrash();
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  EXPECT_EQ(savedDocument()["keywords"], Json::array());
  EXPECT_EQ(view_.trash, false);
}

TEST_F(ListEditorTest, ClearingAListThatWasNeverMadeLeavesItAbsentAndSaves) {
  pref().erase("blacklist");
  open<gui::BlacklistVC>();
  UpdateCounter updates;
  screen_->onTrash();
  EXPECT_EQ(presenter_.openAlert()->title, localizedString("del-all-blacklist-prompt"));
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  EXPECT_FALSE(pref().contains("blacklist"));
  // Nothing changed, so nothing was written or announced.
  EXPECT_FALSE(root_.exists(kPrefFile));
  EXPECT_TRUE(updates.quiet());
  EXPECT_EQ(view_.trash, false);
}

TEST_F(ListEditorTest, ListsOfAnotherShapeReadAsEmptyAndAreReplacedByAnAdd) {
  pref()["blacklist"] = "13800138000";
  open<gui::BlacklistVC>();
  EXPECT_EQ(view_.trash, false);
  EXPECT_EQ(screen_->numberOfRowsInSection(), 0u);
  ASSERT_TRUE(add("10086"));
  EXPECT_EQ(savedDocument()["blacklist"], Json::array({entry("10086", "^10086$")}));

  pref()["ignored-prefixes"] = Json::array({5, Json::array({"1"}), Json::array({7, "^7", 8})});
  open<gui::IgnoredPrefixVC>();
  ASSERT_EQ(screen_->numberOfRowsInSection(), 3u);
  EXPECT_EQ(screen_->cellForRowAtIndexPath(0).text, "");
  EXPECT_EQ(screen_->cellForRowAtIndexPath(1).text, "1");
  EXPECT_EQ(screen_->cellForRowAtIndexPath(1).detail, "");
  EXPECT_EQ(screen_->cellForRowAtIndexPath(2).text, "");
  EXPECT_EQ(screen_->cellForRowAtIndexPath(9).text, "");
  ASSERT_TRUE(add("1"));
  EXPECT_EQ(list("ignored-prefixes").size(), 3u) << "[\"1\"] already lists the prefix 1";

  // A comment edit of an entry too short gets the missing elements; one of
  // an entry that is no array changes nothing.
  screen_->editActionsForRowAtIndexPath(1)[0].handler();
  presenter_.openAlert()->textFields[0]->text = "c";
  ASSERT_TRUE(presenter_.tap(localizedString("ok")));
  EXPECT_EQ(list("ignored-prefixes")[1], Json::array({"1", "", "c"}));
  screen_->editActionsForRowAtIndexPath(0)[0].handler();
  ASSERT_TRUE(presenter_.tap(localizedString("ok")));
  EXPECT_EQ(list("ignored-prefixes")[0], 5);
}

TEST_F(ListEditorTest, ADialogOutlivingItsScreenDoesNothing) {
  pref().erase("blacklist");
  open<gui::BlacklistVC>();
  screen_->onAdd();
  ASSERT_TRUE(presenter_.type(0, "1"));
  screen_.reset();
  EXPECT_FALSE(presenter_.type(0, "2"));
  EXPECT_TRUE(presenter_.tap(localizedString("ok")));
  EXPECT_FALSE(pref().contains("blacklist"));
}

TEST_F(ListEditorTest, EveryRowShowsTheLiveDocument) {
  open<gui::BlacklistVC>();
  EXPECT_EQ(screen_->numberOfRowsInSection(), 0u);
  pref()["blacklist"] = Json::array({entry("110", "^110$", "note")});
  EXPECT_EQ(screen_->numberOfRowsInSection(), 1u);
  EXPECT_EQ(screen_->cellForRowAtIndexPath(0).detail, "note");
  EXPECT_EQ(std::string(gui::kListCellReuseIdentifier), "cell");
}

}  // namespace
