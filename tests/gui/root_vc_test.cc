// The main settings screen on its model: load order and the repair of old
// documents, the history list and its notifications, the switches, the rows
// and the number lookup, with the real city list and number database of the
// build where the result depends on them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "gui/support/notify_waiter.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/city_lookup.h"
#include "hushgate-gui/core/models/donation.h"
#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate-gui/core/models/pref_upgrade.h"
#include "hushgate-gui/core/screens/HistoryVC.h"
#include "hushgate-gui/core/screens/OpenSourceVC.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/core/screens/ZoneVC.h"
#include "platform/bundle.h"
#include "platform/notify.h"
#include "statics/MobileRegionDetector.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/format.h"
#include "statics/json_document.h"
#include "support/notification_marker.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using gui::RootVC;
using gui_testing::NotifyWaiter;
using Label = RootVC::Label;
using Switch = RootVC::Switch;

constexpr char kPhonedataDir[] = HUSHGATE_PHONEDATA_DIR;
constexpr char kHistoryPath[] =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
    "hushgate-history.txt";
constexpr char kMainPrefPath[] = "/var/mobile/hushgate/hushgate-pref.json";
constexpr char kMPPrefPath[] =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
    "hushgate-pref.json";
constexpr char kDataDir[] = "/var/mobile/hushgate";
constexpr char kPreferenceUpdated[] = "com.tevrin.hushgate.preference-updated";
constexpr char kHistoryAddedByTweak[] = "com.tevrin.hushgate.mp-block-history-added";

std::string countText(const char* formatKey, int count) {
  return gui::localizedCountString(formatKey, count);
}

std::string text(const char* key) {
  return gui::localizedString(key);
}

Json parsed(const std::string& bytes) {
  return parseJsonDocument(bytes).value_or(Json());
}

std::string historyLine(const std::string& uniqueId) {
  return Json{{"u", uniqueId}, {"p", "1380013" + uniqueId}, {"d", 1700000000}, {"r", 4}, {"rd", ""}}
             .dump() +
         "\n";
}

class RecordingView : public RootVC::View {
 public:
  void setLabelText(Label label, const std::string& text) override { labels[label] = text; }
  void setSwitchOn(Switch which, bool on) override { switches[which] = on; }
  void deselectSelectedRow() override { ++deselections; }

  std::map<Label, std::string> labels;
  std::map<Switch, bool> switches;
  int deselections = 0;
};

class RootVCTest : public gui_testing::GuiTest {
 protected:
  ~RootVCTest() override {
    // The screen goes first: its registrations refer to the main queue.
    screen_.reset();
  }

  std::string realCitiesPath() const { return std::string(kPhonedataDir) + "/cities.json"; }

  // Writes a city list of its own under the device root; returns its path.
  std::string writeCities(const Json& groups) {
    root_.write("/resources/cities.json", groups.dump());
    return root_.at("/resources/cities.json");
  }

  // Puts the build's number database where the application looks for it.
  void installDatabase() {
    const std::optional<std::string> database = findDatabaseFile(kPhonedataDir);
    ASSERT_TRUE(database.has_value()) << "no phone-*.dat in " << kPhonedataDir;
    fs::create_directories(root_.at(kDataDir));
    fs::copy_file(*database, fs::path(root_.at(kDataDir)) / fs::path(*database).filename());
  }

  // Makes the screen; the region detector reads the data folder as it is now.
  RootVC& makeScreen(std::string citiesPath) {
    screen_.reset();
    detector_ = std::make_unique<MobileRegionDetector>(root_.at(kDataDir));
    RootVC::Environment environment;
    environment.citiesPath = std::move(citiesPath);
    environment.regionDetector = detector_.get();
    environment.backgroundQueue = &background_;
    screen_ = std::make_unique<RootVC>(environment);
    screen_->setView(&view_);
    return *screen_;
  }

  // Runs the history read and hands its result back on the main queue.
  void finishHistoryLoad() {
    background_.runAll();
    mainQueue().runReady();
  }

  // Makes the screen, loads it and lets the first history load finish.
  RootVC& loadScreen(std::string citiesPath = {}) {
    RootVC& screen = makeScreen(citiesPath.empty() ? realCitiesPath() : std::move(citiesPath));
    screen.viewDidLoad();
    finishHistoryLoad();
    return screen;
  }

  Json mainDocumentOnDisk() const { return parsed(root_.read(kMainPrefPath)); }

  // Types into the open lookup dialog and taps "ok".
  void lookUp(const std::string& input) {
    screen_->didSelectRow("cell.mobiletest");
    ASSERT_NE(presenter_.openAlert(), nullptr);
    ASSERT_TRUE(presenter_.type(0, input));
    ASSERT_TRUE(presenter_.tap(text("ok")));
  }

  // The message of a lookup result: the format filled with the time it
  // shows, the place and the code. Returns the time in milliseconds.
  double expectLookupMessage(const std::string& message, const std::string& place,
                             const std::string& code) {
    const std::string format = text("mobile-query-location-fmt");
    const std::string lead = format.substr(0, format.find('%'));
    EXPECT_EQ(message.substr(0, lead.size()), lead) << message;
    if (message.size() < lead.size()) return -1;
    const double milliseconds = std::strtod(message.c_str() + lead.size(), nullptr);
    EXPECT_EQ(message, stringWithFormat(format, milliseconds, place, code));
    return milliseconds;
  }

  gui_testing::ManualQueue background_;
  RecordingView view_;
  std::unique_ptr<MobileRegionDetector> detector_;
  std::unique_ptr<RootVC> screen_;
};

// ---- First start and the repair of old documents

TEST_F(RootVCTest, FirstStartRepairsTheDefaultDocumentAndShowsItsCounts) {
  root_.write("/var/mobile/hushgate.log", "");
  ASSERT_FALSE(root_.exists(kMainPrefPath));
  RootVC& screen = loadScreen();

  const Json saved = mainDocumentOnDisk();
  ASSERT_TRUE(saved.is_object()) << root_.read(kMainPrefPath);
  EXPECT_EQ(saved.value("version", ""), platform::mainBundleShortVersion());
  EXPECT_EQ(saved["blocked-cities-flattened"], Json::array());
  EXPECT_EQ(saved["mobile-blocked-cities-flattened"], Json::array());
  EXPECT_EQ(saved["keywords"].size(), 8u);
  EXPECT_NE(root_.read("/var/mobile/hushgate.log")
                .find(" == no version found in pref file, try to fix bugs for 1.3.0\n"),
            std::string::npos);

  screen.viewDidAppear();
  EXPECT_EQ(screen.labelText(Label::citiesBlockedCount), text("no-config"));
  EXPECT_EQ(screen.labelText(Label::mobileCitiesBlockedCount), text("no-config"));
  EXPECT_EQ(screen.labelText(Label::blackListCountLabel), text("no-config"));
  EXPECT_EQ(screen.labelText(Label::ignoredPrefixCount), countText("record-count-fmt", 1));
  EXPECT_EQ(screen.labelText(Label::blackKeywordsCount), countText("record-count-fmt", 8));
  EXPECT_NE(countText("record-count-fmt", 1), countText("record-count-fmt", 8));
  EXPECT_EQ(screen.labelText(Label::historyCount), text("no-records"));

  // The default documents: screening off, the other three switches on.
  EXPECT_EQ(screen.labelText(Label::statusLabel), text("disabled"));
  EXPECT_FALSE(screen.switchOn(Switch::enableSwitch));
  EXPECT_TRUE(screen.switchOn(Switch::MPSwitch));
  EXPECT_TRUE(screen.switchOn(Switch::blockingUnknownSwitch));
  EXPECT_TRUE(screen.switchOn(Switch::contactBypassSwitch));
  EXPECT_EQ(view_.switches[Switch::enableSwitch], false);
  EXPECT_EQ(view_.switches[Switch::MPSwitch], true);
  EXPECT_EQ(view_.labels[Label::blackKeywordsCount], countText("record-count-fmt", 8));

  // The next start finds "version": the repair ran once.
  screen_.reset();
  Preference::resetSharedInstanceForTesting();
  loadScreen();
  const std::string log = root_.read("/var/mobile/hushgate.log");
  const size_t first = log.find("== no version found");
  EXPECT_EQ(log.find("== no version found", first + 1), std::string::npos) << log;
}

TEST_F(RootVCTest, RepairRebuildsBothFlattenedListsFromGroupsAndCities) {
  const std::string cities = writeCities(parsed(R"([
      {"group": "g1", "name": "G1", "cities": {"0101": "a", "0102": "b", "0103": "c"}},
      {"group": "g2", "name": "G2", "cities": {"0201": "d"}}])"));
  root_.write(kMainPrefPath, R"({
      "enabled": true,
      "blocked-groups": ["g1", "no-such-group"],
      "blocked-cities": {"g1": ["0102"]},
      "blocked-cities-flattened": ["0999"],
      "mobile-blocked-groups": ["g2"],
      "mobile-blocked-cities": {"g1": ["0103", "0103"], "x": ["0201"]}})");
  RootVC& screen = loadScreen(cities);

  const Json saved = mainDocumentOnDisk();
  EXPECT_EQ(saved["blocked-cities-flattened"], Json({"0101", "0102", "0103"}));
  EXPECT_EQ(saved["mobile-blocked-cities-flattened"], Json({"0201", "0103"}));
  EXPECT_TRUE(saved.contains("version"));
  EXPECT_EQ(saved["blocked-groups"], Json({"g1", "no-such-group"}));

  screen.viewDidAppear();
  EXPECT_EQ(screen.labelText(Label::citiesBlockedCount), countText("city-block-count-fmt", 3));
  EXPECT_EQ(screen.labelText(Label::mobileCitiesBlockedCount),
            countText("city-block-count-fmt", 2));
  EXPECT_EQ(screen.labelText(Label::statusLabel), text("enabled"));
}

TEST_F(RootVCTest, DocumentWithVersionIsNeitherRepairedNorWritten) {
  const std::string bytes =
      R"({"version":"1.3.0","blocked-groups":["zhixiashi"],"blocked-cities-flattened":["0999"]})";
  root_.write(kMainPrefPath, bytes);
  RootVC& screen = loadScreen();
  EXPECT_EQ(root_.read(kMainPrefPath), bytes);
  screen.viewDidAppear();
  EXPECT_EQ(screen.labelText(Label::citiesBlockedCount), countText("city-block-count-fmt", 1));
}

TEST_F(RootVCTest, RepairWithoutCityListKeepsOnlySingleCities) {
  root_.write(kMainPrefPath,
              R"({"blocked-groups":["zhixiashi"],"blocked-cities":{"zhixiashi":["010"]}})");
  RootVC& screen = loadScreen(root_.at("/no-such/cities.json"));
  EXPECT_TRUE(screen.cityGroups().empty());
  EXPECT_EQ(mainDocumentOnDisk()["blocked-cities-flattened"], Json({"010"}));
}

TEST_F(RootVCTest, ValuesOfTheWrongTypeReadAsAbsent) {
  root_.write(kMainPrefPath, R"({
      "enabled": "yes",
      "block-unknown-enabled": 1,
      "blocked-groups": "zhixiashi",
      "blocked-cities": ["010"],
      "mobile-blocked-groups": [7, null, {"a": 1}],
      "mobile-blocked-cities": {"zhixiashi": "010", "x": [3]},
      "keywords": ["k", 1],
      "blacklist": "138"})");
  root_.write(kMPPrefPath, R"({"mp-injection-enabled":"true"})");
  RootVC& screen = loadScreen();
  screen.viewDidAppear();

  const Json saved = mainDocumentOnDisk();
  EXPECT_EQ(saved["blocked-cities-flattened"], Json::array());
  EXPECT_EQ(saved["mobile-blocked-cities-flattened"], Json::array());
  EXPECT_FALSE(screen.switchOn(Switch::enableSwitch));
  EXPECT_FALSE(screen.switchOn(Switch::blockingUnknownSwitch));
  EXPECT_FALSE(screen.switchOn(Switch::MPSwitch));
  EXPECT_EQ(screen.labelText(Label::blackListCountLabel), text("no-config"));
  EXPECT_EQ(screen.labelText(Label::blackKeywordsCount), countText("record-count-fmt", 2));
}

// ---- Versions

TEST_F(RootVCTest, VersionLabels) {
  RootVC& without = loadScreen();
  EXPECT_EQ(without.labelText(Label::phonedatVersionLabel), text("no-phonedata"));
  EXPECT_NE(text("no-phonedata"), "no-phonedata");
  EXPECT_EQ(without.labelText(Label::versionLabel), platform::mainBundleShortVersion());

  installDatabase();
  RootVC& with = loadScreen();
  ASSERT_FALSE(detector_->dbVersion().empty());
  EXPECT_EQ(with.labelText(Label::phonedatVersionLabel), detector_->dbVersion());
}

// ---- History

TEST_F(RootVCTest, HistoryFileIsReadNewestFirstSkippingBrokenLines) {
  root_.write(kHistoryPath, historyLine("a") + historyLine("b") + "{\"u\":\"torn\n\n" +
                                historyLine("c") + "[1,2]\n" + "\"text\"\n");
  RootVC& screen = makeScreen(realCitiesPath());
  screen.viewDidLoad();
  EXPECT_TRUE(screen.isLoadingHistory());
  EXPECT_EQ(screen.labelText(Label::historyCount), "loading...");
  EXPECT_EQ(view_.labels[Label::historyCount], "loading...");

  finishHistoryLoad();
  EXPECT_FALSE(screen.isLoadingHistory());
  const gui::HistoryList& history = *screen.history();
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].uniqueId, "c");
  EXPECT_EQ(history[1].uniqueId, "b");
  EXPECT_EQ(history[2].uniqueId, "a");
  EXPECT_EQ(history[0].number, "1380013c");
  EXPECT_EQ(screen.labelText(Label::historyCount), countText("record-count-fmt", 3));
}

TEST_F(RootVCTest, ALoadRequestedWhileOneRunsIsDropped) {
  root_.write(kHistoryPath, historyLine("a"));
  int added = 0;
  auto& center = gui::NotificationCenter::defaultCenter();
  const auto token = center.addObserverForName("mp-history-added", [&](const auto&) { ++added; });

  RootVC& screen = makeScreen(realCitiesPath());
  screen.viewDidLoad();
  ASSERT_EQ(background_.pendingCount(), 1u);
  screen.loadHistory();
  EXPECT_EQ(background_.pendingCount(), 1u);

  // The screening announces a record while the load runs: dropped as well.
  ASSERT_EQ(platform::notify_post(kHistoryAddedByTweak), platform::NOTIFY_STATUS_OK);
  ASSERT_TRUE(mainQueue().waitForTasks(1, 10s));
  mainQueue().runReady();
  EXPECT_EQ(background_.pendingCount(), 1u);

  finishHistoryLoad();
  EXPECT_EQ(background_.pendingCount(), 0u);
  EXPECT_EQ(mainQueue().pendingCount(), 0u);
  EXPECT_EQ(screen.history()->size(), 1u);
  EXPECT_EQ(added, 0);  // the load that ran was not the notification's
  center.removeObserver(token);
}

TEST_F(RootVCTest, TweakNotificationReloadsTheSameListAndAnnouncesIt) {
  root_.write(kHistoryPath, historyLine("a"));
  int added = 0;
  size_t sizeWhenAnnounced = 0;
  RootVC& screen = loadScreen();
  const std::shared_ptr<gui::HistoryList> list = screen.history();
  auto& center = gui::NotificationCenter::defaultCenter();
  const auto token = center.addObserverForName("mp-history-added", [&](const auto&) {
    ++added;
    sizeWhenAnnounced = list->size();
  });

  root_.write(kHistoryPath, historyLine("a") + historyLine("b"));
  ASSERT_EQ(platform::notify_post(kHistoryAddedByTweak), platform::NOTIFY_STATUS_OK);
  ASSERT_TRUE(mainQueue().waitForTasks(1, 10s));
  mainQueue().runReady();
  EXPECT_TRUE(screen.isLoadingHistory());
  EXPECT_EQ(added, 0);
  finishHistoryLoad();

  EXPECT_EQ(screen.history(), list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0].uniqueId, "b");
  EXPECT_EQ(added, 1);
  EXPECT_EQ(sizeWhenAnnounced, 2u);  // posted after the list was replaced
  EXPECT_EQ(screen.labelText(Label::historyCount), countText("record-count-fmt", 2));

  // A load of its own announces nothing.
  screen.loadHistory();
  finishHistoryLoad();
  EXPECT_EQ(added, 1);
  center.removeObserver(token);
}

TEST_F(RootVCTest, DeletionsByTheViewerShowOnTheNextAppearanceWithoutARead) {
  root_.write(kHistoryPath, historyLine("a") + historyLine("b") + historyLine("c"));
  RootVC& screen = loadScreen();
  screen.viewDidAppear();
  EXPECT_EQ(screen.labelText(Label::historyCount), countText("record-count-fmt", 3));

  // The viewer deletes from the shared list and rewrites the file.
  screen.history()->erase(screen.history()->begin());
  root_.write(kHistoryPath, historyLine("x"));
  screen.viewDidAppear();  // nothing announced yet: the label stays
  EXPECT_EQ(screen.labelText(Label::historyCount), countText("record-count-fmt", 3));

  gui::NotificationCenter::defaultCenter().postNotificationName("mp-history-deleted-by-user");
  EXPECT_TRUE(screen.refreshHistoryCountOnViewAppear());
  screen.viewDidAppear();
  EXPECT_FALSE(screen.refreshHistoryCountOnViewAppear());
  EXPECT_EQ(screen.labelText(Label::historyCount), countText("record-count-fmt", 2));
  EXPECT_EQ(background_.pendingCount(), 0u);

  screen.history()->clear();
  gui::NotificationCenter::defaultCenter().postNotificationName("mp-history-deleted-by-user");
  screen.viewDidAppear();
  EXPECT_EQ(screen.labelText(Label::historyCount), text("no-records"));
}

TEST_F(RootVCTest, AScreenGoneBeforeItsLoadEndsIsLeftAlone) {
  root_.write(kHistoryPath, historyLine("a"));
  RootVC& screen = makeScreen(realCitiesPath());
  screen.viewDidLoad();
  screen_.reset();
  background_.runAll();
  EXPECT_EQ(mainQueue().runReady(), 1u);  // the hand-back runs and does nothing
  EXPECT_EQ(gui::NotificationCenter::defaultCenter().observerCount("mp-history-deleted-by-user"),
            0u);
}

TEST_F(RootVCTest, HistoryRowOpensTheViewerOnlyWithRecordsAndNoLoadRunning) {
  root_.write(kHistoryPath, historyLine("a"));
  RootVC& screen = makeScreen(realCitiesPath());
  screen.viewDidLoad();

  screen.didSelectRow("cell.history");  // while loading
  EXPECT_TRUE(presenter_.pushedScreens.empty());
  EXPECT_EQ(view_.deselections, 1);

  finishHistoryLoad();
  screen.didSelectRow("cell.history");
  ASSERT_EQ(presenter_.pushedScreens.size(), 1u);
  EXPECT_EQ(presenter_.pushedScreens[0]->sceneIdentifier(), "sb.history");
  EXPECT_NE(dynamic_cast<gui::HistoryVC*>(presenter_.pushedScreens[0].get()), nullptr);
  EXPECT_EQ(view_.deselections, 1);

  root_.write(kHistoryPath, "");
  screen.loadHistory();
  finishHistoryLoad();
  screen.didSelectRow("cell.history");  // empty
  EXPECT_EQ(presenter_.pushedScreens.size(), 1u);
  EXPECT_EQ(view_.deselections, 2);
}

// ---- Switches

TEST_F(RootVCTest, MainSwitchSavesAndIsAnnouncedToOtherProcesses) {
  RootVC& screen = loadScreen();
  std::string error;
  auto waiter = NotifyWaiter::start(kPreferenceUpdated, 10, &error);
  ASSERT_NE(waiter, nullptr) << error;

  screen.onSwitchChanged(Switch::enableSwitch, true);
  EXPECT_EQ(waiter->exitStatus(), 0);
  EXPECT_EQ(mainDocumentOnDisk()["enabled"], true);
  EXPECT_EQ(screen.labelText(Label::statusLabel), text("enabled"));
  EXPECT_TRUE(presenter_.alerts.empty());

  screen.onSwitchChanged(Switch::enableSwitch, false);
  EXPECT_EQ(mainDocumentOnDisk()["enabled"], false);
  EXPECT_EQ(screen.labelText(Label::statusLabel), text("disabled"));
}

TEST_F(RootVCTest, PhoneSideSwitchWritesOnlyItsDocumentAndPostsNothing) {
  RootVC& screen = loadScreen();
  const std::string mainBefore = root_.read(kMainPrefPath);
  testing_support::PostCounter updates(kPreferenceUpdated);

  screen.onSwitchChanged(Switch::MPSwitch, false);
  const Json mp = parsed(root_.read(kMPPrefPath));
  EXPECT_EQ(mp["mp-injection-enabled"], false);
  EXPECT_EQ(mp.value("version", ""), platform::mainBundleShortVersion());
  EXPECT_EQ(root_.read(kMainPrefPath), mainBefore);
  EXPECT_FALSE(Preference::sharedInstance().pref().contains("mp-injection-enabled"));

  ASSERT_EQ(presenter_.alerts.size(), 1u);
  EXPECT_EQ(presenter_.alerts[0]->title, text("restart-mp-prompt"));
  EXPECT_FALSE(presenter_.alerts[0]->message.has_value());
  EXPECT_EQ(updates.postsSoFar(), 0);  // nothing was posted
  EXPECT_EQ(screen.labelText(Label::statusLabel), text("disabled"));
}

TEST_F(RootVCTest, OtherSwitchesWriteTheirKeys) {
  struct Case {
    Switch sender;
    const char* key;
  };
  for (const Case& c : {Case{Switch::blockingUnknownSwitch, "block-unknown-enabled"},
                        Case{Switch::contactBypassSwitch, "bypass-contacts-enabled"},
                        Case{Switch::repeatedCallSwitch, "repeated-call-enabled"},
                        Case{Switch::quietHoursSwitch, "quiet-hours-enabled"},
                        Case{Switch::notifySwitch, "notify-blocked-calls"}}) {
    SCOPED_TRACE(c.key);
    RootVC& screen = loadScreen();
    screen.onSwitchChanged(c.sender, false);
    EXPECT_EQ(mainDocumentOnDisk()[c.key], false);
    EXPECT_FALSE(screen.switchOn(c.sender));
    screen.onSwitchChanged(c.sender, true);
    EXPECT_EQ(mainDocumentOnDisk()[c.key], true);
    EXPECT_FALSE(mainDocumentOnDisk().contains("enabled"));
  }
  EXPECT_TRUE(presenter_.alerts.empty());
}

// ---- Rows

TEST_F(RootVCTest, RowsPushTheirScreens) {
  struct Case {
    const char* cell;
    const char* scene;
    bool deselected;
  };
  const Case cases[] = {
      {"cell.zone", "sb.zones", false},
      {"cell.mobilezone", "sb.mobilezones", false},
      {"cell.blacklist", "sb.blacklist", false},
      {"cell.allowlist", "sb.allowlist", false},
      {"cell.ignored-prefix", "sb.ignored-prefix", false},
      {"cell.keywords", "sb.blackkeywords", false},
      {"cell.opensource", "sb.opensource", true},
  };
  RootVC& screen = loadScreen();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    const int deselections = view_.deselections;
    presenter_.pushedScreens.clear();
    screen.didSelectRow(c.cell);
    ASSERT_EQ(presenter_.pushedScreens.size(), 1u);
    EXPECT_EQ(presenter_.pushedScreens[0]->sceneIdentifier(), c.scene);
    EXPECT_EQ(view_.deselections - deselections, c.deselected ? 1 : 0);
  }
  EXPECT_TRUE(presenter_.alerts.empty());

  // The region editor for the rule set of its row.
  screen.didSelectRow("cell.zone");
  screen.didSelectRow("cell.mobilezone");
  auto* landline = dynamic_cast<gui::ZoneVC*>(presenter_.pushedScreens.at(1).get());
  auto* mobile = dynamic_cast<gui::ZoneVC*>(presenter_.pushedScreens.at(2).get());
  ASSERT_NE(landline, nullptr);
  ASSERT_NE(mobile, nullptr);
  EXPECT_FALSE(landline->forMobile);
  EXPECT_TRUE(mobile->forMobile);
}

TEST_F(RootVCTest, RowsWithoutScreens) {
  RootVC& screen = loadScreen();

  screen.didSelectRow("cell.eula");
  ASSERT_EQ(presenter_.alerts.size(), 1u);
  EXPECT_EQ(presenter_.alerts[0]->title, text("row-eula"));
  EXPECT_EQ(presenter_.alerts[0]->message, text("eula-content"));
  EXPECT_EQ(view_.deselections, 1);

  screen.didSelectRow("cell.donation");
  EXPECT_EQ(presenter_.pasteboardStrings.size(), 1u);
  ASSERT_EQ(presenter_.alerts.size(), 2u);
  EXPECT_EQ(presenter_.alerts[1]->title, text("donate-alipay-copied"));
  EXPECT_EQ(view_.deselections, 2);

  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  // The list is fetched from a server that refuses the connection.
  gui::setDonationServerForTesting("http://127.0.0.1:9");
  screen.didSelectRow("cell.donationlist");
  EXPECT_EQ(view_.deselections, 3);
  ASSERT_TRUE(presenter_.hud.has_value());
  EXPECT_EQ(presenter_.hud->text, gui::kDonationLoadingText);
  ASSERT_TRUE(mainQueue().waitForTasks(1, 20s));
  mainQueue().runReady();
  gui::setDonationServerForTesting("");
  EXPECT_FALSE(presenter_.hud.has_value());
  ASSERT_EQ(presenter_.alerts.size(), 3u);
  EXPECT_EQ(presenter_.alerts[2]->title, text("error-title"));

  screen.didSelectRow("cell.no-such-row");
  EXPECT_EQ(presenter_.alerts.size(), 3u);
  EXPECT_TRUE(presenter_.pushedScreens.empty());
  EXPECT_EQ(view_.deselections, 3);
}

TEST_F(RootVCTest, ExitSuspendsThenEndsTheApplication) {
  RootVC& screen = loadScreen();
  screen.onExit();
  EXPECT_EQ(presenter_.suspendCount, 1);
  EXPECT_EQ(presenter_.terminateCount, 0);
  EXPECT_EQ(mainQueue().pendingDelays(), std::vector<double>({0.3}));
  mainQueue().advanceBy(0.25);
  EXPECT_EQ(presenter_.terminateCount, 0);
  mainQueue().advanceBy(0.1);
  EXPECT_EQ(presenter_.terminateCount, 1);
}

// ---- Optional rules: the minutes, the window and the number tester

TEST_F(RootVCTest, RuleDialogsSaveWhatIsValidAndSayWhenNot) {
  struct Case {
    const char* cell;
    std::vector<std::string> fields;
    Json saved;  // members the document gains; null: refused
    Label label;
    std::string labelText;  // after the dialog
  };
  const std::vector<Case> cases{
      {"cell.repeated-call-minutes",
       {"10"},
       {{"repeated-call-minutes", 10}},
       Label::repeatedCallMinutesLabel,
       "10 minutes"},
      {"cell.repeated-call-minutes", {"0"}, nullptr, Label::repeatedCallMinutesLabel, "3 minutes"},
      {"cell.quiet-hours-window",
       {"22:00", "07:00", "12345"},
       {{"quiet-hours-start", "22:00"},
        {"quiet-hours-end", "07:00"},
        {"quiet-hours-days", {1, 2, 3, 4, 5}}},
       Label::quietHoursLabel,
       "22:00–07:00, Mon–Fri"},
      {"cell.quiet-hours-window",
       {"25:00", "07:00", "1"},
       nullptr,
       Label::quietHoursLabel,
       text("no-config")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell + (" " + c.fields[0]));
    Preference::sharedInstance().pref() = defaultPref();
    Preference::sharedInstance().saveOnly();
    RootVC& screen = loadScreen();
    screen.viewDidAppear();
    const Json before = mainDocumentOnDisk();
    screen.didSelectRow(c.cell);
    const auto form = presenter_.openAlert();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->textFields.size(), c.fields.size());
    for (size_t i = 0; i < c.fields.size(); ++i) form->textFields[i]->text = c.fields[i];
    ASSERT_TRUE(presenter_.tap(text("ok")));
    if (c.saved.is_null()) {
      EXPECT_EQ(mainDocumentOnDisk(), before);
      ASSERT_NE(presenter_.openAlert(), nullptr);
      EXPECT_EQ(presenter_.openAlert()->textFields.size(), 0u);
      ASSERT_TRUE(presenter_.tap(text("ok")));
    } else {
      Json expected = before;
      expected.update(c.saved);
      Json saved = mainDocumentOnDisk();
      saved.erase("version");
      expected.erase("version");
      EXPECT_EQ(saved, expected);
    }
    EXPECT_EQ(screen.labelText(c.label), c.labelText);
    EXPECT_EQ(view_.labels[c.label], c.labelText);
  }
}

TEST_F(RootVCTest, StoredValuesThatCannotScreenReadAsOff) {
  Preference::sharedInstance().pref() = {{"repeated-call-enabled", true},
                                         {"repeated-call-minutes", 90},
                                         {"quiet-hours-enabled", true},
                                         {"quiet-hours-start", 800}};
  Preference::sharedInstance().saveOnly();
  RootVC& screen = loadScreen();
  screen.viewDidAppear();
  EXPECT_TRUE(screen.switchOn(Switch::repeatedCallSwitch));
  EXPECT_EQ(screen.labelText(Label::repeatedCallMinutesLabel), text("setting-reads-as-off"));
  EXPECT_EQ(screen.labelText(Label::quietHoursLabel), text("setting-reads-as-off"));
  // The dialog offers the default instead of the value it cannot use.
  screen.didSelectRow("cell.repeated-call-minutes");
  ASSERT_NE(presenter_.openAlert(), nullptr);
  EXPECT_EQ(presenter_.openAlert()->textFields.at(0)->text, "3");
}

TEST_F(RootVCTest, TesterNamesTheRuleAndSavesNothing) {
  installDatabase();
  Preference::sharedInstance().pref() = {
      {"enabled", true},
      {"blacklist", Json::array({Json::array({"170*", blacklistExpression("170*"), ""})})},
      {"allowlist",
       Json::array({Json::array({"13800138000", blacklistExpression("13800138000"), ""})})},
      {"blocked-cities-flattened", {"0755"}},
      {"mobile-blocked-cities-flattened", {"020", "010"}},
      {"ignored-prefixes", Json::array({Json::array({"12583?", prefixExpression("12583?"), ""})})},
      {"keywords", {"推销"}}};
  Preference::sharedInstance().saveOnly();
  RootVC& screen = loadScreen();
  const std::string before = root_.read(kMainPrefPath);
  const auto verdict = [](bool blocked, const std::string& rule, const std::string& judged) {
    return text(blocked ? "tester-would-block" : "tester-would-pass") + "\n" + rule +
           "\nNumber judged: " + judged;
  };
  struct Case {
    std::string number, label;
    std::string title, message;
  };
  const std::vector<Case> cases{
      {"", "", text("tester-empty-number"), ""},
      {"138-abc", "", text("tester-not-a-number"), ""},
      {"1380013800*", "", text("tester-not-a-number"), ""},
      {"13800138000", "", "13800138000",
       verdict(false, "Rule: allow-list 13800138000", "13800138000")},
      {"125831 13800138000", "", "12583113800138000",
       verdict(false, "Rule: allow-list 13800138000 (prefix 12583? removed)", "13800138000")},
      {"15800001111", "", "15800001111", verdict(true, "Rule: blocked by 020 广州", "15800001111")},
      {"075512345678", "", "075512345678",
       verdict(true, "Rule: blocked by 0755 深圳", "075512345678")},
      {"+86 170 1234 5678", "", "+8617012345678",
       verdict(true, "Rule: blacklist 170*", "17012345678")},
      {"13912345678", "房产推销", "13912345678",
       verdict(true, "Rule: keyword 推销", "13912345678")},
      {"13912345678", "", "13912345678", verdict(false, text("tester-no-rule"), "13912345678")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    screen.didSelectRow("cell.tester");
    const auto form = presenter_.openAlert();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->title, text("tester-title"));
    ASSERT_EQ(form->textFields.size(), 2u);
    ASSERT_TRUE(presenter_.type(0, c.number) || c.number.empty());
    ASSERT_TRUE(presenter_.type(1, c.label) || c.label.empty());
    ASSERT_TRUE(presenter_.tap(text("ok")));
    const auto report = presenter_.openAlert();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->title, c.title);
    EXPECT_EQ(report->message.value_or(""), c.message);
    ASSERT_TRUE(presenter_.tap(text("ok")));
  }
  EXPECT_EQ(root_.read(kMainPrefPath), before);
}

// The rules go out to a file and come back in through the file the user
// chose; a cancelled choice does nothing.
TEST_F(RootVCTest, RulesExportAndImportGoThroughTheChosenFile) {
  Preference::sharedInstance().pref() = {
      {"blacklist", Json::array({Json::array({"170*", blacklistExpression("170*"), ""})})}};
  Preference::sharedInstance().saveOnly();
  RootVC& screen = loadScreen();
  EXPECT_TRUE(screen.switchOn(Switch::notifySwitch)) << "on while the key is absent";

  screen.didSelectRow("cell.export-rules");  // cancelled
  ASSERT_EQ(presenter_.fileChoices.size(), 1u);
  EXPECT_EQ(presenter_.fileChoices[0].first, gui::Presenter::FileChoice::kSave);
  EXPECT_EQ(presenter_.fileChoices[0].second, "hushgate-rules.json");
  EXPECT_TRUE(presenter_.alerts.empty());

  presenter_.chosenFile = root_.at("/rules.json");
  screen.didSelectRow("cell.export-rules");
  ASSERT_TRUE(fs::exists(presenter_.chosenFile));
  EXPECT_NE(root_.read("/rules.json").find("\"170*\""), std::string::npos);
  ASSERT_NE(presenter_.openAlert(), nullptr);
  ASSERT_TRUE(presenter_.tap(text("ok")));

  Preference::sharedInstance().pref() = Json::object();
  Preference::sharedInstance().saveOnly();
  screen.didSelectRow("cell.import-rules");
  EXPECT_EQ(presenter_.fileChoices.back().first, gui::Presenter::FileChoice::kOpen);
  ASSERT_NE(presenter_.openAlert(), nullptr);
  ASSERT_EQ(presenter_.openAlert()->actions.size(), 2u) << "a question: merge or not";
  ASSERT_TRUE(presenter_.tap(text("ok")));
  EXPECT_EQ(mainDocumentOnDisk()["blacklist"],
            Json::array({Json::array({"170*", blacklistExpression("170*"), ""})}));
  EXPECT_EQ(view_.deselections, 3);
}

// ---- Number lookup

TEST_F(RootVCTest, LookupDialog) {
  RootVC& screen = loadScreen();
  screen.didSelectRow("cell.mobiletest");
  EXPECT_EQ(view_.deselections, 1);
  const auto alert = presenter_.openAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->title, text("mobile-query-alert-title"));
  EXPECT_FALSE(alert->message.has_value());
  EXPECT_EQ(alert->style, gui::AlertStyle::Alert);
  ASSERT_EQ(alert->textFields.size(), 1u);
  EXPECT_EQ(alert->textFields[0]->placeholder, text("mobile-query-placeholer"));
  EXPECT_EQ(alert->textFields[0]->keyboard, gui::KeyboardType::NumberPad);
  ASSERT_EQ(alert->actions.size(), 2u);
  EXPECT_EQ(alert->actions[0]->title, text("cancel"));
  EXPECT_EQ(alert->actions[0]->style, gui::AlertActionStyle::Cancel);
  EXPECT_EQ(alert->actions[1]->title, text("ok"));
  EXPECT_EQ(alert->actions[1]->style, gui::AlertActionStyle::Default);

  ASSERT_TRUE(presenter_.type(0, "13800138000"));
  ASSERT_TRUE(presenter_.tap(text("cancel")));
  EXPECT_EQ(presenter_.alerts.size(), 1u);  // cancelling looks nothing up
}

TEST_F(RootVCTest, LookupPlacesFromTheRealListAndDatabase) {
  installDatabase();
  loadScreen();
  struct Case {
    const char* input;
    const char* number;
    const char* place;
    const char* code;
  };
  const Case cases[] = {
      {"13800138000", "13800138000", "北京", "010"},           // municipality: city alone
      {"158 0000 1111", "15800001111", "广东 - 广州", "020"},  // province - city
      {" 135\t1234\n5678\r\n", "13512345678", "重庆", "023"},
      {"139\u30001234\u00a05678", "13912345678", "江苏 - 常州", "0519"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    lookUp(c.input);
    const auto result = presenter_.openAlert();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->title, c.number);
    const double milliseconds = expectLookupMessage(result->message.value_or(""), c.place, c.code);
    EXPECT_GE(milliseconds, 0);
    EXPECT_LT(milliseconds, 10000);
    ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  }
}

TEST_F(RootVCTest, LookupOfUnknownNumbersAndCodes) {
  installDatabase();
  // A city list without the code the database gives for the number.
  const std::string cities =
      writeCities(parsed(R"([{"group": "g", "name": "G", "cities": {"0999": "x"}}])"));
  loadScreen(cities);
  lookUp("13800138000");
  auto result = presenter_.openAlert();
  ASSERT_NE(result, nullptr);
  expectLookupMessage(result->message.value_or(""), text("unknown"), "010");
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));

  lookUp("12345678901");  // no such number block: both texts unknown
  result = presenter_.openAlert();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->title, "12345678901");
  expectLookupMessage(result->message.value_or(""), text("unknown"), text("unknown"));
}

TEST_F(RootVCTest, LookupAcceptsElevenDigitsOnly) {
  struct Case {
    const char* input;
    bool accepted;
  };
  const Case cases[] = {
      {"1380013800", false},                    // 10
      {"138001380001", false},                  // 12
      {"", false},                              //
      {" \n ", false},                          // nothing left
      {"1380013800\n0", true},                  // the line end is removed
      {"1380013800😀", false},                   // 10 + a surrogate pair
      {"138001380😀", false},                    // eleven UTF-16 units, not digits
      {"１３８００１３８０００", true},         // eleven full-width digits
      {"１３８００１３８００\xEF\xBC", false},  // a cut full-width digit
      {"138-0013-80", false},                   // eleven characters, not digits
      {"1380013800x", false},
  };
  RootVC& screen = loadScreen();
  (void)screen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    lookUp(c.input);
    const auto result = presenter_.openAlert();
    ASSERT_NE(result, nullptr);
    if (c.accepted) {
      EXPECT_NE(result->title, text("invalid-mobile-format"));
      EXPECT_TRUE(result->message.has_value());
    } else {
      EXPECT_EQ(result->title, text("invalid-mobile-format"));
      EXPECT_FALSE(result->message.has_value());
    }
    ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
    EXPECT_EQ(presenter_.openAlertCount(), 0u);
  }
}

// ---- The pieces underneath

std::vector<gui::CityGroup> sampleGroups() {
  return {
      gui::makeCityGroup("zhixiashi", "直辖市", {{"010", "北京"}, {"021", "上海"}}),
      gui::makeCityGroup("g1", "Province", {{"0311", "A"}, {"0312", "B"}}),
      gui::makeCityGroup("g1", "Second g1", {{"0399", "Z"}}),
      gui::makeCityGroup("g2", "Other", {{"0311", "Shadowed"}}),
  };
}

TEST(RootVCCityLookupTest, FirstMatchInListOrderWins) {
  const auto groups = sampleGroups();
  struct Case {
    const char* code;
    std::optional<gui::CityInfo> info;
    const char* place;
  };
  const Case cases[] = {
      {"010", gui::CityInfo{"直辖市", true, "北京"}, "北京"},
      {"0311", gui::CityInfo{"Province", false, "A"}, "Province - A"},
      {"0399", gui::CityInfo{"Second g1", false, "Z"}, "Second g1 - Z"},
      {"0998", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const auto info = gui::findCityInfoWithCode(groups, c.code);
    EXPECT_EQ(info, c.info);
    if (info) {
      EXPECT_EQ(gui::placeText(*info), c.place);
    }
  }
  const gui::CityGroup* g1 = gui::findCitiesGroupByGroup(groups, "g1");
  ASSERT_NE(g1, nullptr);
  EXPECT_EQ(g1->name, "Province");
  EXPECT_EQ(gui::findCitiesGroupByGroup(groups, "G1"), nullptr);
  EXPECT_EQ(gui::findCitiesGroupByGroup({}, "g1"), nullptr);
}

TEST(RootVCRepairTest, FlattenedListsFollowTheRepairRule) {
  const auto groups = sampleGroups();
  struct Case {
    const char* doc;
    Json landline;
    Json mobile;
  };
  const Case cases[] = {
      // Whole groups first (each group's keys, no duplicate test between
      // groups), then single cities not yet listed.
      {R"({"blocked-groups":["g1","g2"],"blocked-cities":{"zhixiashi":["021","010"],"g1":["0312"]}})",
       {"0311", "0312", "0311", "021", "010"},
       Json::array()},
      {R"({"mobile-blocked-groups":["zhixiashi"],"mobile-blocked-cities":{"g1":["0399","010"]}})",
       Json::array(),
       {"010", "021", "0399"}},
      // Old flattened lists are replaced, not merged.
      {R"({"blocked-cities-flattened":["0777"],"mobile-blocked-cities-flattened":["0888"]})",
       Json::array(), Json::array()},
      {R"({"blocked-groups":[1,null,"nope"],"blocked-cities":{"g1":"0311","g2":[5,"0312"]}})",
       {"0312"},
       Json::array()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.doc);
    Json doc = parsed(c.doc);
    ASSERT_TRUE(gui::needsFlattenedListRepair(doc));
    gui::rebuildFlattenedCityLists(doc, groups);
    EXPECT_EQ(doc["blocked-cities-flattened"], c.landline);
    EXPECT_EQ(doc["mobile-blocked-cities-flattened"], c.mobile);
  }
  EXPECT_FALSE(gui::needsFlattenedListRepair(parsed(R"({"version":""})")));
  EXPECT_FALSE(gui::needsFlattenedListRepair(parsed("[1]")));
  Json array = parsed("[1]");
  gui::rebuildFlattenedCityLists(array, groups);  // not a document: left as it is
  EXPECT_EQ(array, parsed("[1]"));
}

TEST(RootVCHistoryTextTest, LinesToRecords) {
  struct Case {
    std::string text;
    std::vector<std::string> ids;  // newest first
  };
  const Case cases[] = {
      {"", {}},
      {"\n\n", {}},
      {historyLine("a"), {"a"}},
      {historyLine("a") + historyLine("b"), {"b", "a"}},
      {"{\"u\":\"a\"}\r\n{\"u\":\"b\"}", {"b", "a"}},  // no final line end
      {"{\"u\":\"a\"}\n{\"u\":", {"a"}},               // torn last line
      {"1\nnull\n[]\n{\"u\":\"a\"} {\"u\":\"b\"}\n{\"u\":\"c\"}\n", {"c"}},
      {"{\"u\":\"a\"}\n{\"u\":\"\xff\xfe\"}\n{\"u\":\"b\"}", {"b", "a"}},  // not UTF-8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const gui::HistoryList records = gui::parseHistoryText(c.text);
    std::vector<std::string> ids;
    for (const auto& record : records) ids.push_back(record.uniqueId);
    EXPECT_EQ(ids, c.ids);
  }
}

}  // namespace
