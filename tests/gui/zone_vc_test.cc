#include "hushgate-gui/core/screens/ZoneVC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/pref_lists.h"
#include "statics/Preference.h"

namespace {

using gui::CityGroup;
using gui::makeCityGroup;
using gui::prefObject;
using gui::ZoneCityCell;
using gui::ZoneProvinceCell;
using gui::ZoneVC;

constexpr char kPrefFile[] = "/var/mobile/hushgate/hushgate-pref.json";

// hebei's keys are given out of order; "035" is shorter than "0310" yet sorts
// after it.
std::vector<CityGroup> smallCities() {
  return {
      makeCityGroup("hebei", "河北", {{"0311", "石家庄"}, {"035", "旧区号"}, {"0310", "邯郸"}}),
      makeCityGroup("zhixiashi", "直辖市", {{"010", "北京"}, {"021", "上海"}}),
      makeCityGroup("guangdong", "广东", {{"020", "广州"}, {"0755", "深圳"}, {"0756", "珠海"}}),
  };
}

// Records what the screen asks of its view.
struct ZoneView : ZoneVC::View {
  void reloadData() override { ++reloads; }
  void setUserInteractionEnabled(bool on) override { interaction = on; }
  void setCheckAllTitle(const std::string& title) override { checkAllTitle = title; }
  void setCheckAllEnabled(bool on) override { checkAllEnabled = on; }
  void setTableBottom(double height) override { bottoms.push_back(height); }
  void setVisibleProvinceSwitchesOn(bool on) override { provinceSwitches.push_back(on); }
  void resignSearchFirstResponder() override { ++resigns; }

  int reloads = 0;
  bool interaction = true;
  std::string checkAllTitle;
  bool checkAllEnabled = true;
  std::vector<double> bottoms;
  std::vector<bool> provinceSwitches;
  int resigns = 0;
};

Json& pref() {
  return Preference::sharedInstance().pref();
}

// doc[key] without inserting it; null when absent or doc is no object.
Json get(const Json& doc, const std::string& key) {
  return doc.is_object() && doc.contains(key) ? doc.at(key) : Json();
}

std::vector<std::string> strings(const Json& list) {
  std::vector<std::string> result;
  if (!list.is_array()) return result;
  for (const Json& element : list)
    result.push_back(element.is_string() ? element.get<std::string>() : "?");
  return result;
}

std::vector<std::string> sorted(std::vector<std::string> list) {
  std::sort(list.begin(), list.end());
  return list;
}

class ZoneVCTest : public gui_testing::GuiTest {
 protected:
  // Opens the screen as the main screen does: forMobile, load, appear.
  ZoneVC& open(bool forMobile = false, std::vector<CityGroup> cities = smallCities()) {
    // The store as the test set it up is what is on disk: every change of
    // the screen is made to the document on disk.
    if (pref() != Preference::load()) Preference::sharedInstance().saveOnly();
    screen_ = std::make_unique<ZoneVC>(std::move(cities));
    screen_->forMobile = forMobile;
    screen_->setView(&view_);
    screen_->viewDidLoad();
    screen_->viewWillAppear();
    return *screen_;
  }

  ZoneProvinceCell province(size_t section) {
    return std::get<ZoneProvinceCell>(screen_->cellForRowAtIndexPath(section, 0));
  }
  ZoneCityCell city(size_t section, size_t row) {
    return std::get<ZoneCityCell>(screen_->cellForRowAtIndexPath(section, row));
  }
  // The document as last written, or null when it was never written.
  Json savedDocument() const {
    if (!root_.exists(kPrefFile)) return nullptr;
    return Json::parse(root_.read(kPrefFile));
  }
  void settle() { mainQueue().advanceBy(gui::kZoneSettlingSeconds); }

  ZoneView view_;
  std::unique_ptr<ZoneVC> screen_;
};

TEST_F(ZoneVCTest, CityRowsFollowTheCharactersOfTheirKeys) {
  ZoneVC& screen = open();
  ASSERT_EQ(screen.numberOfSectionsInTableView(), 3u);
  EXPECT_EQ(screen.titleForHeaderInSection(0), "河北");
  EXPECT_EQ(screen.numberOfRowsInSection(0), 4u);
  EXPECT_EQ(screen.cityGroups()[0].allCityKeys, (std::vector<std::string>{"0310", "0311", "035"}));
  const std::vector<std::string> labels{city(0, 1).label, city(0, 2).label, city(0, 3).label};
  EXPECT_EQ(labels, (std::vector<std::string>{"0310 邯郸", "0311 石家庄", "035 旧区号"}));
  EXPECT_EQ(std::string(ZoneProvinceCell::kReuseIdentifier), "cell.province");
  EXPECT_EQ(std::string(ZoneCityCell::kReuseIdentifier), "cell.city");
  EXPECT_EQ(screen.sceneIdentifier(), "sb.zones");
}

TEST_F(ZoneVCTest, SwitchingAGroupOnAddsEachOfItsCitiesOnceAndOffKeepsTheSingleOnes) {
  open();
  city(0, 2).onSwitchChanged(true);  // 0311 singly
  EXPECT_EQ(strings(get(get(pref(), "blocked-cities"), "hebei")),
            (std::vector<std::string>{"0311"}));

  province(0).onSwitchChanged(true);
  EXPECT_EQ(strings(get(pref(), "blocked-groups")), (std::vector<std::string>{"hebei"}));
  EXPECT_EQ(strings(get(pref(), "blocked-cities-flattened")),
            (std::vector<std::string>{"0311", "0310", "035"}));
  EXPECT_EQ(strings(savedDocument()["blocked-cities-flattened"]).size(), 3u);
  settle();
  EXPECT_TRUE(province(0).switchOn);
  EXPECT_FALSE(city(0, 1).switchEnabled);
  EXPECT_TRUE(city(0, 2).switchOn) << "a single city survives its group";

  province(0).onSwitchChanged(false);
  EXPECT_EQ(strings(get(pref(), "blocked-groups")), std::vector<std::string>{});
  EXPECT_EQ(strings(get(pref(), "blocked-cities-flattened")), (std::vector<std::string>{"0311"}));
  EXPECT_EQ(strings(savedDocument()["blocked-cities-flattened"]),
            (std::vector<std::string>{"0311"}));
  settle();
  EXPECT_TRUE(city(0, 1).switchEnabled);
}

TEST_F(ZoneVCTest, ACityGoesIntoItsSingleListAndTheFlattenedListAndOutOfBoth) {
  open(/*forMobile=*/true);
  const int reloads = view_.reloads;
  city(2, 2).onSwitchChanged(true);  // 0755
  EXPECT_EQ(strings(get(get(pref(), "mobile-blocked-cities"), "guangdong")),
            (std::vector<std::string>{"0755"}));
  EXPECT_EQ(strings(savedDocument()["mobile-blocked-cities-flattened"]),
            (std::vector<std::string>{"0755"}));
  EXPECT_TRUE(city(2, 2).switchOn);

  city(2, 2).onSwitchChanged(false);
  EXPECT_EQ(savedDocument()["mobile-blocked-cities"], (Json{{"guangdong", Json::array()}}))
      << "an emptied single list stays as an empty list";
  EXPECT_EQ(savedDocument()["mobile-blocked-cities-flattened"], Json::array());
  EXPECT_EQ(view_.reloads, reloads) << "a city switch does not reload the table";
  EXPECT_EQ(mainQueue().pendingCount(), 0u);
}

TEST_F(ZoneVCTest, AGroupChangeSettlesForFourTenthsOfASecond) {
  open();
  province(1).onSwitchChanged(true);
  EXPECT_FALSE(view_.interaction);
  EXPECT_FALSE(view_.checkAllEnabled);
  EXPECT_EQ(mainQueue().pendingDelays(), std::vector<double>{0.4});
  const int reloads = view_.reloads;

  mainQueue().advanceBy(0.39);
  EXPECT_FALSE(view_.interaction);
  EXPECT_EQ(view_.reloads, reloads);
  mainQueue().advanceBy(0.01);
  EXPECT_TRUE(view_.interaction);
  EXPECT_TRUE(view_.checkAllEnabled);
  EXPECT_EQ(view_.reloads, reloads + 1);
}

TEST_F(ZoneVCTest, WhileFilteringTheSettlingLeavesCheckAllDisabled) {
  ZoneVC& screen = open();
  screen.searchBarTextDidChange("广");
  EXPECT_FALSE(screen.checkAllPermitted());
  province(0).onSwitchChanged(true);
  settle();
  EXPECT_TRUE(view_.interaction);
  EXPECT_FALSE(view_.checkAllEnabled);

  screen.searchBarTextDidChange("");
  EXPECT_TRUE(view_.checkAllEnabled);
  EXPECT_TRUE(screen.checkAllPermitted());
}

TEST_F(ZoneVCTest, TheScreenListensOnlyWhileShown) {
  ZoneVC& screen = open();
  screen.viewDidDisappear();
  EXPECT_EQ(
      gui::NotificationCenter::defaultCenter().observerCount(kGroupBlockingChangedNotification),
      0u);
  province(0).onSwitchChanged(true);
  EXPECT_EQ(strings(get(pref(), "blocked-groups")), (std::vector<std::string>{"hebei"}));
  EXPECT_FALSE(pref().contains("blocked-cities-flattened"));
  EXPECT_EQ(strings(get(savedDocument(), "blocked-groups")), (std::vector<std::string>{"hebei"}));
  EXPECT_FALSE(savedDocument().contains("blocked-cities-flattened"))
      << "the cell itself changes only the group list";
  gui::NotificationCenter::defaultCenter().postNotificationName(gui::kKeyboardWillShowNotification,
                                                                nullptr);
  EXPECT_TRUE(view_.bottoms.empty());

  screen.viewWillAppear();
  screen.viewWillAppear();
  EXPECT_EQ(
      gui::NotificationCenter::defaultCenter().observerCount(kGroupBlockingChangedNotification),
      1u);
  screen_.reset();
  EXPECT_EQ(
      gui::NotificationCenter::defaultCenter().observerCount(kGroupBlockingChangedNotification), 0u)
      << "a destroyed screen leaves no observer behind";
}

TEST_F(ZoneVCTest, KeyboardMovesTheTableBottom) {
  ZoneVC& screen = open();
  gui::NotificationCenter& center = gui::NotificationCenter::defaultCenter();
  center.postNotificationName(gui::kKeyboardWillShowNotification,
                              {{gui::kKeyboardFrameEndUserInfoKey, {{"height", 291.5}}}});
  center.postNotificationName(gui::kKeyboardWillHideNotification, nullptr);
  center.postNotificationName(gui::kKeyboardWillShowNotification, {{"unexpected", true}});
  EXPECT_EQ(view_.bottoms, (std::vector<double>{291.5, 0, 0}));
  screen.searchBarSearchButtonClicked();
  EXPECT_EQ(view_.resigns, 1);
}

TEST_F(ZoneVCTest, AnUnknownGroupChangesNoListButStillSavesAndSettles) {
  open();
  gui::NotificationCenter::defaultCenter().postNotificationName(
      kGroupBlockingChangedNotification, {{"group", "nowhere"}, {"enabled", true}});
  EXPECT_FALSE(pref().contains("blocked-cities-flattened"));
  EXPECT_FALSE(root_.exists(kPrefFile)) << "nothing changed, so nothing was written";
  EXPECT_EQ(mainQueue().pendingCount(), 1u);
}

TEST_F(ZoneVCTest, UncheckAllKeepsEverySingleCity) {
  ZoneVC& screen = open();
  city(0, 1).onSwitchChanged(true);  // 0310
  city(2, 3).onSwitchChanged(true);  // 0756
  screen.onCheckAll();
  ASSERT_TRUE(screen.isAllGroupsChecked());
  EXPECT_EQ(view_.checkAllTitle, gui::localizedString("uncheck-all"));
  settle();

  screen.onCheckAll();
  EXPECT_EQ(view_.provinceSwitches, (std::vector<bool>{true, false}));
  EXPECT_EQ(get(pref(), "blocked-groups"), Json::array());
  EXPECT_EQ(get(pref(), "blocked-cities"),
            (Json{{"hebei", Json::array({"0310"})}, {"guangdong", Json::array({"0756"})}}));
  EXPECT_EQ(sorted(strings(savedDocument()["blocked-cities-flattened"])),
            (std::vector<std::string>{"0310", "0756"}));
  EXPECT_EQ(view_.checkAllTitle, gui::localizedString("check-all"));
  EXPECT_FALSE(view_.interaction);
  EXPECT_FALSE(view_.checkAllEnabled);
  EXPECT_EQ(mainQueue().pendingDelays(), std::vector<double>{0.4});
  settle();
  EXPECT_TRUE(view_.interaction);
  EXPECT_TRUE(view_.checkAllEnabled);
}

TEST_F(ZoneVCTest, CheckAllAddsTheMissingGroupsWithoutRepeatingAKey) {
  ZoneVC& screen = open();
  province(1).onSwitchChanged(true);  // zhixiashi
  city(2, 1).onSwitchChanged(true);   // 020
  settle();
  EXPECT_FALSE(screen.isAllGroupsChecked());
  EXPECT_EQ(view_.checkAllTitle, gui::localizedString("check-all"));

  screen.onCheckAll();
  EXPECT_EQ(strings(get(pref(), "blocked-groups")),
            (std::vector<std::string>{"zhixiashi", "hebei", "guangdong"}));
  EXPECT_EQ(strings(savedDocument()["blocked-cities-flattened"]),
            (std::vector<std::string>{"010", "021", "020", "0310", "0311", "035", "0755", "0756"}));
  EXPECT_EQ(view_.provinceSwitches, std::vector<bool>{true});
  EXPECT_EQ(view_.checkAllTitle, gui::localizedString("uncheck-all"));
}

TEST_F(ZoneVCTest, AnEmptyCityListCountsAsAllChecked) {
  ZoneVC& screen = open(false, {});
  EXPECT_TRUE(screen.isAllGroupsChecked());
  EXPECT_EQ(view_.checkAllTitle, gui::localizedString("uncheck-all"));
  EXPECT_EQ(screen.numberOfSectionsInTableView(), 0u);
  screen.onCheckAll();
  EXPECT_FALSE(pref().contains("blocked-groups"));
}

TEST_F(ZoneVCTest, WithGroupsAndNoGroupListNotAllAreChecked) {
  EXPECT_FALSE(open().isAllGroupsChecked());
  EXPECT_EQ(view_.checkAllTitle, gui::localizedString("check-all"));
}

TEST_F(ZoneVCTest, Search) {
  struct Case {
    std::string text;
    // group -> shown city keys
    std::vector<std::pair<std::string, std::vector<std::string>>> shown;
  };
  const std::vector<Case> cases{
      {"广东", {{"guangdong", {"020", "0755", "0756"}}}},
      {"075", {{"guangdong", {"0755", "0756"}}}},
      {"1", {{"hebei", {"0310", "0311"}}, {"zhixiashi", {"010", "021"}}}},
      {"州", {{"guangdong", {"020"}}}},
      {" 075", {}},  // only the emptiness test trims
      // Latin letters also find a place by its pinyin or its initials, in any case.
      {"shenzhen", {{"guangdong", {"0755"}}}},
      {"Shen Zhen", {{"guangdong", {"0755"}}}},
      {"shen'zhen", {{"guangdong", {"0755"}}}},
      {"Shen’Zhen", {{"guangdong", {"0755"}}}},
      {"SHEN-ZHEN", {{"guangdong", {"0755"}}}},
      {"shen.zhen", {}},
      {"sz", {{"guangdong", {"0755"}}}},
      {"guang", {{"guangdong", {"020", "0755", "0756"}}}},
      {"zhou", {{"guangdong", {"020"}}}},
      {"hd", {{"hebei", {"0310"}}}},
      {"xyz", {}},
      {"   ",
       {{"hebei", {"0310", "0311", "035"}},
        {"zhixiashi", {"010", "021"}},
        {"guangdong", {"020", "0755", "0756"}}}},
  };
  ZoneVC& screen = open();
  for (const Case& c : cases) {
    const int reloads = view_.reloads;
    screen.searchBarTextDidChange(c.text);
    std::vector<std::pair<std::string, std::vector<std::string>>> shown;
    for (const CityGroup& group : screen.filteredCityGroups()) {
      shown.emplace_back(group.group, group.allCityKeys);
    }
    EXPECT_EQ(shown, c.shown) << "search '" << c.text << "'";
    EXPECT_EQ(view_.reloads, reloads + 1);
    EXPECT_EQ(screen.checkAllPermitted(), c.text == "   ");
    EXPECT_EQ(view_.checkAllEnabled, c.text == "   ");
    EXPECT_EQ(screen.numberOfSectionsInTableView(), c.shown.size());
    EXPECT_EQ(screen.emptyResultText().has_value(), c.shown.empty()) << c.text;
  }
  EXPECT_EQ(screen.cityGroups().size(), 3u);
}

TEST_F(ZoneVCTest, CheckAllAsksFirstWhenMoreThanOneProvinceWouldChange) {
  struct Case {
    std::vector<std::string> blockedGroups;
    bool asks;
  };
  const Case cases[] = {
      {{}, true},                                   // three to block
      {{"hebei", "zhixiashi"}, false},              // one left to block
      {{"hebei", "zhixiashi", "guangdong"}, true},  // three to unblock
  };
  for (const Case& c : cases) {
    pref()["blocked-groups"] = c.blockedGroups;
    ZoneVC& screen = open();
    const Json before = pref();
    screen.onCheckAllTapped();
    const std::string what = ::testing::PrintToString(c.blockedGroups);
    if (!c.asks) {
      EXPECT_EQ(presenter_.openAlertCount(), 0u) << what;
      EXPECT_NE(pref(), before) << what;
      settle();
      continue;
    }
    ASSERT_EQ(presenter_.openAlertCount(), 1u) << what;
    EXPECT_EQ(pref(), before) << "nothing changes before the answer: " << what;
    ASSERT_TRUE(presenter_.tap(gui::alertCancelTitle()));
    EXPECT_EQ(pref(), before) << what;
    screen.onCheckAllTapped();
    ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
    EXPECT_NE(pref(), before) << what;
    EXPECT_EQ(screen.isAllGroupsChecked(), c.blockedGroups.empty()) << what;
    settle();
  }
}

TEST_F(ZoneVCTest, EachRuleSetKeepsToItsOwnKeys) {
  const Json sentinels{
      {"blocked-groups", Json::array({"l"})},
      {"blocked-cities", {{"l", Json::array({"0999"})}}},
      {"blocked-cities-flattened", Json::array({"0999"})},
      {"mobile-blocked-groups", Json::array({"m"})},
      {"mobile-blocked-cities", {{"m", Json::array({"0888"})}}},
      {"mobile-blocked-cities-flattened", Json::array({"0888"})},
      {"enabled", true},
  };
  const std::vector<std::string> landline{"blocked-groups", "blocked-cities",
                                          "blocked-cities-flattened"};
  const std::vector<std::string> mobile{"mobile-blocked-groups", "mobile-blocked-cities",
                                        "mobile-blocked-cities-flattened"};
  for (const bool forMobile : {false, true}) {
    SCOPED_TRACE(forMobile ? "mobile" : "landline");
    pref() = sentinels;
    ZoneVC& screen = open(forMobile);
    province(0).onSwitchChanged(true);
    city(1, 1).onSwitchChanged(true);
    city(1, 1).onSwitchChanged(false);
    screen.onCheckAll();
    screen.onCheckAll();
    screen.viewDidDisappear();

    Json expected = sentinels;
    Json saved = savedDocument();
    const std::vector<std::string>& edited = forMobile ? mobile : landline;
    EXPECT_EQ(get(saved[edited[1]], "zhixiashi"), Json::array()) << "the edited set changed";
    for (const std::string& key : edited) {
      expected.erase(key);
      saved.erase(key);
    }
    saved.erase("version");
    EXPECT_EQ(saved, expected);
  }
}

TEST_F(ZoneVCTest, ValuesOfTheWrongTypeAreReplacedOnWrite) {
  pref()["blocked-groups"] = "hebei";
  pref()["blocked-cities"] = Json::array({1, 2});
  pref()["blocked-cities-flattened"] = Json{{"a", 1}};
  ZoneVC& screen = open();
  EXPECT_FALSE(province(0).switchOn);
  EXPECT_FALSE(city(0, 1).switchOn);
  EXPECT_FALSE(screen.isAllGroupsChecked());

  city(0, 1).onSwitchChanged(true);
  EXPECT_EQ(savedDocument()["blocked-cities"], (Json{{"hebei", Json::array({"0310"})}}));
  EXPECT_EQ(savedDocument()["blocked-cities-flattened"], Json::array({"0310"}));

  pref()["blocked-cities"]["zhixiashi"] = "010";
  EXPECT_FALSE(city(1, 1).switchOn);
  city(1, 1).onSwitchChanged(true);
  EXPECT_EQ(get(get(pref(), "blocked-cities"), "zhixiashi"), Json::array({"010"}));

  province(2).onSwitchChanged(true);
  EXPECT_EQ(savedDocument()["blocked-groups"], Json::array({"guangdong"}));

  // User information of another shape: no group, or "enabled" read as off.
  gui::NotificationCenter& center = gui::NotificationCenter::defaultCenter();
  center.postNotificationName(kGroupBlockingChangedNotification, Json::array({"guangdong", true}));
  center.postNotificationName(kGroupBlockingChangedNotification, {{"group", 5}, {"enabled", true}});
  EXPECT_EQ(sorted(strings(get(pref(), "blocked-cities-flattened"))),
            (std::vector<std::string>{"010", "020", "0310", "0755", "0756"}));
  center.postNotificationName(kGroupBlockingChangedNotification,
                              {{"group", "guangdong"}, {"enabled", "yes"}});
  EXPECT_EQ(sorted(strings(get(pref(), "blocked-cities-flattened"))),
            (std::vector<std::string>{"010", "0310"}));
}

TEST_F(ZoneVCTest, ASettlingTaskOutlivingItsScreenDoesNothing) {
  open();
  province(0).onSwitchChanged(true);
  const int reloads = view_.reloads;
  screen_.reset();
  EXPECT_EQ(mainQueue().runAll(), 1u);
  EXPECT_EQ(view_.reloads, reloads);
}

// Sets HUSHGATE_RESOURCES for one test.
class ScopedResources {
 public:
  explicit ScopedResources(const std::string& folder) {
    if (const char* old = std::getenv("HUSHGATE_RESOURCES")) previous_ = old;
    setenv("HUSHGATE_RESOURCES", folder.c_str(), 1);
  }
  ~ScopedResources() {
    if (previous_) {
      setenv("HUSHGATE_RESOURCES", previous_->c_str(), 1);
    } else {
      unsetenv("HUSHGATE_RESOURCES");
    }
  }

 private:
  std::optional<std::string> previous_;
};

TEST_F(ZoneVCTest, TheCityListComesFromTheResource) {
  const std::string folder = root_.at("/resources");
  root_.write("/resources/cities.json",
              R"([{"group":"a","name":"A","cities":{"02":"two","01":"one","03":7}},)"
              R"( 5, {"name":"no id"}, {"group":"b","cities":[]}])");
  ScopedResources resources(folder);
  ZoneVC screen;
  screen.viewDidLoad();
  ASSERT_EQ(screen.numberOfSectionsInTableView(), 2u);
  EXPECT_EQ(screen.cityGroups()[0].allCityKeys, (std::vector<std::string>{"01", "02"}));
  EXPECT_EQ(screen.titleForHeaderInSection(1), "");
  EXPECT_EQ(screen.numberOfRowsInSection(1), 1u);

  root_.write("/resources/cities.json", "{not json");
  ZoneVC broken;
  broken.viewDidLoad();
  EXPECT_EQ(broken.numberOfSectionsInTableView(), 0u);
}

TEST_F(ZoneVCTest, TheBuiltCityListCanBeCheckedAndUncheckedWhole) {
  std::ifstream in(std::string(HUSHGATE_PHONEDATA_DIR) + "/cities.json");
  ASSERT_TRUE(in) << "the build makes cities.json";
  const Json file = Json::parse(in);
  ZoneVC& screen =
      open(false, gui::loadCityGroups(std::string(HUSHGATE_PHONEDATA_DIR) + "/cities.json"));
  ASSERT_EQ(screen.numberOfSectionsInTableView(), file.size());
  size_t cities = 0;
  for (size_t i = 0; i < file.size(); ++i) {
    const std::vector<std::string>& keys = screen.cityGroups()[i].allCityKeys;
    EXPECT_EQ(screen.cityGroups()[i].group, file[i]["group"]);
    EXPECT_EQ(keys.size(), file[i]["cities"].size());
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    cities += keys.size();
  }
  screen.onCheckAll();
  EXPECT_TRUE(screen.isAllGroupsChecked());
  const std::vector<std::string> flattened = strings(get(pref(), "blocked-cities-flattened"));
  EXPECT_EQ(flattened.size(), cities);
  EXPECT_EQ(std::set<std::string>(flattened.begin(), flattened.end()).size(), cities);
  settle();
  screen.onCheckAll();
  EXPECT_EQ(get(pref(), "blocked-cities-flattened"), Json::array());
}

// flattened == union(cities of the listed groups, single cities), each key
// once, after every step of a random sequence of what a user can do.
TEST_F(ZoneVCTest, FlattenedListStaysTheUnionOfGroupsAndSingleCities) {
  const std::vector<std::string> searches{"", "0", "75", "河北", "  ", "1", "州"};
  for (const bool forMobile : {false, true}) {
    pref() = Preference::defaultPref();
    ZoneVC& screen = open(forMobile);
    const char* groupsKey = forMobile ? "mobile-blocked-groups" : "blocked-groups";
    const char* citiesKey = forMobile ? "mobile-blocked-cities" : "blocked-cities";
    const char* flatKey =
        forMobile ? "mobile-blocked-cities-flattened" : "blocked-cities-flattened";
    std::mt19937 random(20240607);
    for (int step = 0; step < 200; ++step) {
      const size_t sections = screen.numberOfSectionsInTableView();
      switch (random() % 4) {
        case 0:
          if (sections > 0) {
            const ZoneProvinceCell cell = province(random() % sections);
            ZoneProvinceCell(cell).onSwitchChanged(!cell.switchOn);
          }
          break;
        case 1:
          if (sections > 0) {
            const size_t section = random() % sections;
            const size_t row = 1 + random() % (screen.numberOfRowsInSection(section) - 1);
            ZoneCityCell cell = city(section, row);
            if (cell.switchEnabled) cell.onSwitchChanged(!cell.switchOn);
          }
          break;
        case 2:
          if (view_.checkAllEnabled) screen.onCheckAll();
          break;
        default:
          screen.searchBarTextDidChange(searches[random() % searches.size()]);
      }
      mainQueue().runAll();

      std::set<std::string> expected;
      for (const std::string& group : strings(get(pref(), groupsKey))) {
        for (const CityGroup& g : screen.cityGroups()) {
          if (g.group == group) expected.insert(g.allCityKeys.begin(), g.allCityKeys.end());
        }
      }
      for (const auto& [group, list] : prefObject(pref(), citiesKey).items()) {
        const std::vector<std::string> singles = strings(list);
        EXPECT_EQ(std::set<std::string>(singles.begin(), singles.end()).size(), singles.size());
        expected.insert(singles.begin(), singles.end());
      }
      const std::vector<std::string> flattened = strings(get(pref(), flatKey));
      const std::vector<std::string> groups = strings(get(pref(), groupsKey));
      ASSERT_EQ(std::set<std::string>(flattened.begin(), flattened.end()), expected)
          << "step " << step;
      ASSERT_EQ(expected.size(), flattened.size()) << "a key twice at step " << step;
      ASSERT_EQ(std::set<std::string>(groups.begin(), groups.end()).size(), groups.size());
    }
  }
}

}  // namespace
