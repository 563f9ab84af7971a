#include "hushgate-gui/core/screens/ZoneVC.h"

#include <algorithm>
#include <utility>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/resources.h"
#include "hushgate-gui/core/models/pref_lists.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "hushgate-gui/core/models/zone_keys.h"
#include "platform/dispatch.h"
#include "statics/Preference.h"
#include "statics/contracts/city_list.h"
#include "statics/contracts/names.h"
#include "statics/statics.h"

namespace gui {

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The group's cities that are blocked singly.
const Json& singleCities(const Json& pref, const ZoneKeys& keys, const std::string& group) {
  return prefArray(prefObject(pref, keys.cities), group.c_str());
}

// The keyboard's height from the show notification; 0 when it is not given.
double keyboardHeight(const UserInfo& userInfo) {
  if (!userInfo.is_object()) return 0;
  const auto frame = userInfo.find(kKeyboardFrameEndUserInfoKey);
  if (frame == userInfo.end() || !frame->is_object()) return 0;
  const auto height = frame->find("height");
  return height != frame->end() && height->is_number() ? height->get<double>() : 0;
}

}  // namespace

ZoneVC::ZoneVC() = default;

ZoneVC::ZoneVC(std::vector<CityGroup> cityData) : givenCityData_(std::move(cityData)) {}

ZoneVC::~ZoneVC() {
  removeObservers();
}

std::string ZoneVC::sceneIdentifier() const {
  return forMobile ? "sb.mobilezones" : "sb.zones";
}

void ZoneVC::viewDidLoad() {
  checkAllPermitted_ = true;
  cityGroups_ = givenCityData_
                    ? *givenCityData_
                    : loadCityGroups(pathForResource(kCityListResourceName, kCityListResourceType));
  filteredCityGroups_ = cityGroups_;
  updateCheckAllButton();
}

void ZoneVC::viewWillAppear() {
  // Shown twice without being hidden in between: still one set of observers.
  removeObservers();
  NotificationCenter& center = NotificationCenter::defaultCenter();
  notificationObservers_.push_back(
      center.addObserverForName(kKeyboardWillShowNotification, [this](const UserInfo& userInfo) {
        if (view_ != nullptr) view_->setTableBottom(keyboardHeight(userInfo));
      }));
  notificationObservers_.push_back(
      center.addObserverForName(kKeyboardWillHideNotification, [this](const UserInfo&) {
        if (view_ != nullptr) view_->setTableBottom(0);
      }));
  notificationObservers_.push_back(center.addObserverForName(
      kGroupBlockingChangedNotification,
      [this](const UserInfo& userInfo) { onGroupBlockingChanged(userInfo); }));
  // Another process changed the document: the switches show it.
  notificationObservers_.push_back(
      center.addObserverForName(kPreferenceReloadedNotification, [this](const UserInfo&) {
        if (view_ != nullptr) view_->reloadData();
        updateCheckAllButton();
      }));
}

void ZoneVC::viewDidDisappear() {
  removeObservers();
}

void ZoneVC::removeObservers() {
  for (const ObserverToken token : notificationObservers_) {
    NotificationCenter::defaultCenter().removeObserver(token);
  }
  notificationObservers_.clear();
}

size_t ZoneVC::numberOfSectionsInTableView() const {
  return filteredCityGroups_.size();
}

std::string ZoneVC::titleForHeaderInSection(size_t section) const {
  return section < filteredCityGroups_.size() ? filteredCityGroups_[section].name : std::string();
}

size_t ZoneVC::numberOfRowsInSection(size_t section) const {
  return section < filteredCityGroups_.size() ? filteredCityGroups_[section].allCityKeys.size() + 1
                                              : 0;
}

ZoneVC::Cell ZoneVC::cellForRowAtIndexPath(size_t section, size_t row) const {
  if (section >= filteredCityGroups_.size()) return ZoneCityCell{};
  const CityGroup& group = filteredCityGroups_[section];
  const Json& pref = Preference::sharedInstance().pref();
  const ZoneKeys& keys = zoneKeys(forMobile);
  const bool groupBlocked = containsString(prefArray(pref, keys.groups), group.group);
  if (row == 0) return ZoneProvinceCell{forMobile, group.group, groupBlocked};
  if (row > group.allCityKeys.size()) return ZoneCityCell{};
  const std::string& cityKey = group.allCityKeys[row - 1];
  ZoneCityCell cell;
  cell.forMobile = forMobile;
  cell.groupKey = group.group;
  cell.cityKey = cityKey;
  cell.label = cityKey + " " + group.cityName(cityKey);
  cell.switchOn = containsString(singleCities(pref, keys, group.group), cityKey);
  cell.switchEnabled = !groupBlocked;
  return cell;
}

bool ZoneVC::isAllGroupsChecked() const {
  const Json& groups = prefArray(Preference::sharedInstance().pref(), zoneKeys(forMobile).groups);
  return std::all_of(cityGroups_.begin(), cityGroups_.end(),
                     [&](const CityGroup& group) { return containsString(groups, group.group); });
}

void ZoneVC::updateCheckAllButton() {
  if (view_ == nullptr) return;
  view_->setCheckAllTitle(isAllGroupsChecked() ? localizedString("uncheck-all")
                                               : localizedString("check-all"));
}

void ZoneVC::onGroupBlockingChanged(const UserInfo& userInfo) {
  std::string groupKey;
  bool enabled = false;
  if (userInfo.is_object()) {
    groupKey = jsonString(userInfo.value(kGroupBlockingGroupKey, Json()));
    const auto flag = userInfo.find(kGroupBlockingEnabledKey);
    enabled = flag != userInfo.end() && flag->is_boolean() && flag->get<bool>();
  }
  const ZoneKeys& keys = zoneKeys(forMobile);
  const auto group = std::find_if(cityGroups_.begin(), cityGroups_.end(),
                                  [&](const CityGroup& g) { return g.group == groupKey; });
  (void)changePref([&](Json& pref) {
    if (group == cityGroups_.end()) return;
    if (enabled) {
      Json& flattened = arrayCreatingIfAbsent(pref, keys.flattened);
      for (const std::string& city : group->allCityKeys) appendUnlessPresent(flattened, city);
    } else if (Json* flattened = arrayOrNull(pref, keys.flattened)) {
      const Json& singles = singleCities(pref, keys, group->group);
      for (const std::string& city : group->allCityKeys) {
        if (!containsString(singles, city)) removeString(*flattened, city);
      }
    }
  });
  updateCheckAllButton();
  settle(/*onlyIfPermitted=*/true);
}

size_t ZoneVC::provincesCheckAllChanges() const {
  const Json& groups = prefArray(Preference::sharedInstance().pref(), zoneKeys(forMobile).groups);
  if (isAllGroupsChecked()) return groups.size();
  return std::count_if(
      filteredCityGroups_.begin(), filteredCityGroups_.end(),
      [&](const CityGroup& group) { return !containsString(groups, group.group); });
}

void ZoneVC::onCheckAllTapped() {
  const size_t changes = provincesCheckAllChanges();
  if (changes <= 1) {
    onCheckAll();
    return;
  }
  const bool unchecking = isAllGroupsChecked();
  AlertUtil::showQuery(unchecking ? localizedCountString("uncheck-all-question-fmt", changes)
                                  : localizedCountString("check-all-question-fmt", changes),
                       std::nullopt, unchecking, [this, alive = lifetime_.token()] {
                         if (!alive.expired()) onCheckAll();
                       });
}

std::optional<std::string> ZoneVC::emptyResultText() const {
  if (!searching_ || !filteredCityGroups_.empty()) return std::nullopt;
  return localizedString("zone-search-no-results");
}

void ZoneVC::onCheckAll() {
  const ZoneKeys& keys = zoneKeys(forMobile);
  // Decided on the document as it is on disk, as the change is made there.
  bool allChecked = isAllGroupsChecked();
  (void)changePref([&](Json& pref) {
    const Json& current = prefArray(pref, keys.groups);
    allChecked = std::all_of(cityGroups_.begin(), cityGroups_.end(), [&](const CityGroup& group) {
      return containsString(current, group.group);
    });
    if (allChecked) {
      if (Json* flattened = arrayOrNull(pref, keys.flattened)) {
        for (const CityGroup& group : cityGroups_) {
          const Json& singles = singleCities(pref, keys, group.group);
          for (const std::string& city : group.allCityKeys) {
            if (!containsString(singles, city)) removeString(*flattened, city);
          }
        }
      }
      if (Json* groups = arrayOrNull(pref, keys.groups)) groups->clear();
    } else {
      Json& flattened = arrayCreatingIfAbsent(pref, keys.flattened);
      Json& groups = arrayCreatingIfAbsent(pref, keys.groups);
      for (const CityGroup& group : filteredCityGroups_) {
        appendUnlessPresent(groups, group.group);
        for (const std::string& city : group.allCityKeys) appendUnlessPresent(flattened, city);
      }
    }
  });
  if (view_ != nullptr) view_->setVisibleProvinceSwitchesOn(!allChecked);
  updateCheckAllButton();
  settle(/*onlyIfPermitted=*/false);
}

void ZoneVC::settle(bool onlyIfPermitted) {
  if (view_ != nullptr) {
    view_->setUserInteractionEnabled(false);
    view_->setCheckAllEnabled(false);
  }
  platform::afterOnMainQueue(kZoneSettlingSeconds,
                             [this, alive = lifetime_.token(), onlyIfPermitted] {
                               if (alive.expired() || view_ == nullptr) return;
                               view_->reloadData();
                               view_->setUserInteractionEnabled(true);
                               if (!onlyIfPermitted || checkAllPermitted_) {
                                 view_->setCheckAllEnabled(true);
                               }
                             });
}

void ZoneVC::searchBarTextDidChange(const std::string& text) {
  searching_ = !trimming(text).empty();
  if (!searching_) {
    filteredCityGroups_ = cityGroups_;
    checkAllPermitted_ = true;
    if (view_ != nullptr) view_->setCheckAllEnabled(true);
  } else {
    checkAllPermitted_ = false;
    if (view_ != nullptr) view_->setCheckAllEnabled(false);
    filteredCityGroups_.clear();
    const std::string latin = latinQuery(text);
    if (!latin.empty() && placeSearch_ == nullptr) placeSearch_ = std::make_unique<PlaceSearch>();
    const auto found = [&](const std::string& name) {
      return contains(name, text) || (!latin.empty() && placeSearch_->matches(name, latin));
    };
    for (const CityGroup& group : cityGroups_) {
      if (found(group.name)) {
        filteredCityGroups_.push_back(group);
        continue;
      }
      CityGroup reduced = group;
      std::erase_if(reduced.allCityKeys, [&](const std::string& city) {
        return !contains(city, text) && !found(group.cityName(city));
      });
      if (!reduced.allCityKeys.empty()) filteredCityGroups_.push_back(std::move(reduced));
    }
  }
  if (view_ != nullptr) view_->reloadData();
}

void ZoneVC::searchBarSearchButtonClicked() {
  if (view_ != nullptr) view_->resignSearchFirstResponder();
}

}  // namespace gui
