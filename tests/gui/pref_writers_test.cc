// The settings window's writers of the preference document: each change is a
// read-modify-write of the document on disk, so a change made by another
// process meanwhile (the URL handler) is kept; the window reads the document
// again when it is announced and shows it; an unreadable document is kept
// aside and the user told where; a failed save is said, not hidden.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gui/support/gui_test.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/url_command.h"
#include "hushgate-gui/core/screens/ListEditorVC.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "statics/Preference.h"
#include "statics/format.h"
#include "statics/json_document.h"

namespace {

namespace fs = std::filesystem;
using gui::RootVC;

constexpr char kMainPrefPath[] = "/var/mobile/hushgate/hushgate-pref.json";

struct ListView : gui::ListEditorVC::View {
  void reloadData() override { ++reloads; }
  void deleteRow(size_t) override { ++deletes; }
  int reloads = 0;
  int deletes = 0;
};

struct RootView : RootVC::View {
  void setLabelText(RootVC::Label label, const std::string& text) override { labels[label] = text; }
  void setSwitchOn(RootVC::Switch which, bool on) override { switches[which] = on; }
  std::map<RootVC::Label, std::string> labels;
  std::map<RootVC::Switch, bool> switches;
};

bool listsNumber(const Json& pref, const std::string& number) {
  for (const Json& entry : prefArray(pref, kBlacklistKey)) {
    if (entry.is_array() && !entry.empty() && entry[0] == number) return true;
  }
  return false;
}

class PrefWritersTest : public gui_testing::GuiTest {
 public:
  ~PrefWritersTest() override {
    editor_.reset();
    screen_.reset();
  }

  // The main screen, loaded, with the editor of the blacklist open.
  void openWindow() {
    root_.write("/resources/cities.json", "[]");
    detector_ = std::make_unique<MobileRegionDetector>(root_.at("/var/mobile/hushgate"));
    RootVC::Environment environment;
    environment.citiesPath = root_.at("/resources/cities.json");
    environment.regionDetector = detector_.get();
    environment.backgroundQueue = &background_;
    screen_ = std::make_unique<RootVC>(environment);
    screen_->setView(&rootView_);
    screen_->viewDidLoad();
    background_.runAll();
    mainQueue().runReady();
    editor_ = std::make_unique<gui::BlacklistVC>();
    editor_->setView(&listView_);
    editor_->viewDidLoad();
  }

  // What another process does: its own store, its own change, announced.
  void changeElsewhere(const std::function<void(Json&)>& change) {
    auto other = Preference::makeForTesting();
    const Result<Preference::Update> done = other->update(change);
    ASSERT_TRUE(done) << done.error();
    ASSERT_TRUE(done->announced);
  }

  // What the front end does when the announcement comes.
  void deliverAnnouncement() { screen_->preferenceChangedElsewhere(); }

  // Adds through the editor's dialog, as the user does.
  void addThroughEditor(const std::string& number) {
    editor_->onAdd();
    ASSERT_TRUE(presenter_.type(0, number));
    ASSERT_TRUE(presenter_.tap(gui::localizedString("ok")));
  }

  Json onDisk() const { return parseJsonDocument(root_.read(kMainPrefPath)).value_or(Json()); }

  gui_testing::ManualQueue background_;
  std::unique_ptr<MobileRegionDetector> detector_;
  RootView rootView_;
  ListView listView_;
  std::unique_ptr<RootVC> screen_;
  std::unique_ptr<gui::ListEditorVC> editor_;
};

TEST_F(PrefWritersTest, AChangeFromElsewhereIsKeptAndShown) {
  openWindow();
  const int reloadsBefore = listView_.reloads;
  changeElsewhere([](Json& pref) {
    pref[kBlacklistKey].push_back(Json::array({"999", "^999$", "x"}));
    pref[kEnabledKey] = true;
  });
  deliverAnnouncement();
  // The window shows it: the count, the switch, the open editor's list.
  EXPECT_EQ(rootView_.labels[RootVC::Label::blackListCountLabel],
            stringWithFormat(gui::localizedString("record-count-fmt"), 1));
  EXPECT_TRUE(rootView_.switches[RootVC::Switch::enableSwitch]);
  EXPECT_GT(listView_.reloads, reloadsBefore);
  EXPECT_EQ(editor_->numberOfRowsInSection(), 1u);

  // The window's next change keeps it.
  addThroughEditor("888");
  EXPECT_TRUE(listsNumber(onDisk(), "999"));
  EXPECT_TRUE(listsNumber(onDisk(), "888"));
}

TEST_F(PrefWritersTest, NoWriterOfTheWindowWritesBackAStaleDocument) {
  openWindow();
  addThroughEditor("111");
  addThroughEditor("222");
  // Each of these is made by another process while the window has not yet
  // heard of it; each window change after it must keep it.
  struct Case {
    const char* name;
    std::string numberElsewhere;
    std::function<void(PrefWritersTest&)> windowChange;
  } cases[] = {
      {"an add", "301", [](PrefWritersTest& t) { t.addThroughEditor("401"); }},
      {"a delete", "302",
       [](PrefWritersTest& t) {
         t.editor_->editActionsForRowAtIndexPath(0).back().handler();  // deletes "111"
       }},
      {"a switch", "303",
       [](PrefWritersTest& t) { t.screen_->onSwitchChanged(RootVC::Switch::enableSwitch, true); }},
      {"a URL command", "304",
       [](PrefWritersTest&) { gui::runURLCommand("hushgate://add_to_blacklist/?number=404"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    changeElsewhere([&](Json& pref) {
      pref[kBlacklistKey].push_back(Json::array({c.numberElsewhere, "^$", ""}));
    });
    c.windowChange(*this);
    EXPECT_TRUE(listsNumber(onDisk(), c.numberElsewhere));
    mainQueue().runAll();
  }
  const Json last = onDisk();
  EXPECT_FALSE(listsNumber(last, "111"));
  for (const char* number : {"222", "301", "302", "303", "304", "401", "404"}) {
    EXPECT_TRUE(listsNumber(last, number)) << number;
  }
  EXPECT_TRUE(prefBool(last, kEnabledKey));
}

TEST_F(PrefWritersTest, AnUnreadableDocumentIsKeptAsideAndTheUserTold) {
  const std::string broken = R"({"blacklist":[["1","^1$","cut)";
  root_.write(kMainPrefPath, broken);
  openWindow();  // the repair of a document without a version writes
  std::string kept;
  for (const auto& entry : fs::directory_iterator(root_.at("/var/mobile/hushgate"))) {
    const std::string name = entry.path().filename().string();
    if (name.find(".unreadable-") != std::string::npos) kept = entry.path().string();
  }
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(fs::file_size(kept), broken.size());
  ASSERT_FALSE(presenter_.alerts.empty());
  const auto alert = presenter_.alerts.back();
  EXPECT_EQ(alert->title.value_or(""),
            stringWithFormat(gui::localizedString("pref-set-aside-fmt"), kept));
  EXPECT_TRUE(parseJsonDocument(root_.read(kMainPrefPath)).has_value());
}

TEST_F(PrefWritersTest, AFailedSaveIsSaidAndTheSwitchShowsWhatIsSaved) {
  openWindow();
  fs::remove(root_.at(kMainPrefPath));
  fs::create_directories(root_.at(kMainPrefPath));
  screen_->onSwitchChanged(RootVC::Switch::enableSwitch, true);
  ASSERT_FALSE(presenter_.alerts.empty());
  const auto alert = presenter_.alerts.back();
  EXPECT_EQ(alert->title.value_or("").rfind(
                stringWithFormat(gui::localizedString("pref-save-failed-fmt"), ""), 0),
            0u);
  EXPECT_FALSE(rootView_.switches[RootVC::Switch::enableSwitch]);
}

TEST_F(PrefWritersTest, ASaveTheScreeningMayNotHaveHeardOfIsSaid) {
  openWindow();
  // A folder where the notification's file belongs: the post reaches no one.
  const std::string name = root_.at("/run/notify/com.tevrin.hushgate.preference-updated");
  fs::remove(name);
  fs::create_directories(name + "/x");
  screen_->onSwitchChanged(RootVC::Switch::blockingUnknownSwitch, false);
  ASSERT_FALSE(presenter_.alerts.empty());
  const auto alert = presenter_.alerts.back();
  EXPECT_EQ(alert->title.value_or(""), gui::localizedString("pref-not-announced"));
  EXPECT_FALSE(prefBool(onDisk(), kBlockUnknownEnabledKey));
}

}  // namespace
