#include "hushgate-gui/core/screens/RootVC.h"

#include <chrono>
#include <utility>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/kit/resources.h"
#include "hushgate-gui/core/models/donation.h"
#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate-gui/core/models/mobile_query.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "hushgate-gui/core/models/pref_upgrade.h"
#include "hushgate-gui/core/models/region_database.h"
#include "hushgate-gui/core/models/rule_text.h"
#include "hushgate-gui/core/screens/HistoryVC.h"
#include "hushgate-gui/core/screens/ListEditorVC.h"
#include "hushgate-gui/core/screens/OpenSourceVC.h"
#include "hushgate-gui/core/screens/ZoneVC.h"
#include "hushgate-gui/core/screens/number_tester.h"
#include "hushgate-gui/core/screens/rule_dialogs.h"
#include "hushgate-gui/core/screens/rules_transfer_dialogs.h"
#include "platform/bundle.h"
#include "platform/notify.h"
#include "statics/Log.h"
#include "statics/Preference.h"
#include "statics/contracts/city_list.h"
#include "statics/format.h"
#include "statics/history_file.h"

namespace gui {

namespace {

// Sets a boolean of a document held by the preference store, which keeps its
// documents as objects.
void setPrefBool(Json& doc, const char* key, bool value) {
  if (!doc.is_object()) doc = Json::object();
  doc[key] = value;
}

// The name the export proposes.
constexpr char kExportedRulesFileName[] = "hushgate-rules.json";

// A count label: the format takes one integer.
// "3 regions" or "3 条" (a count of cities), else a count of records.
std::string countText(bool cities, size_t count) {
  return cities ? localizedCountString("city-block-count-fmt", count)
                : localizedCountString("record-count-fmt", count);
}

}  // namespace

RootVC::RootVC() : RootVC(Environment{}) {}

RootVC::RootVC(Environment environment) : environment_(std::move(environment)) {}

RootVC::~RootVC() {
  if (historyAddedToken_) platform::notify_cancel(*historyAddedToken_);
  if (historyDeletedToken_)
    NotificationCenter::defaultCenter().removeObserver(*historyDeletedToken_);
}

void RootVC::setView(View* view) {
  view_ = view;
  if (view_ == nullptr) return;
  for (size_t i = 0; i < kLabelCount; ++i) view_->setLabelText(static_cast<Label>(i), labels_[i]);
  for (size_t i = 0; i < kSwitchCount; ++i)
    view_->setSwitchOn(static_cast<Switch>(i), switches_[i]);
}

const std::string& RootVC::labelText(Label label) const {
  return labels_[static_cast<size_t>(label)];
}

bool RootVC::switchOn(Switch which) const {
  return switches_[static_cast<size_t>(which)];
}

const MobileRegionDetector& RootVC::regionDetector() const {
  return environment_.regionDetector != nullptr ? *environment_.regionDetector
                                                : applicationRegionDetector();
}

platform::DispatchQueue& RootVC::backgroundQueue() const {
  return environment_.backgroundQueue != nullptr ? *environment_.backgroundQueue
                                                 : platform::globalQueue();
}

// ---- Load

void RootVC::viewDidLoad() {
  const std::string citiesPath = environment_.citiesPath.empty()
                                     ? pathForResource(kCityListResourceName, kCityListResourceType)
                                     : environment_.citiesPath;
  setCityGroups(loadCityGroups(citiesPath));

  history_->clear();
  loadHistory();

  int token = 0;
  const LifetimeGuard::Token alive = lifetime_.token();
  if (platform::notify_register_dispatch(kMPBlockHistoryAddedNotification, &token,
                                         platform::mainQueue(), [this, alive](int) {
                                           if (alive.expired()) return;
                                           loadHistory(/*announce=*/true);
                                         }) == platform::NOTIFY_STATUS_OK) {
    historyAddedToken_ = token;
  }
  historyDeletedToken_ = NotificationCenter::defaultCenter().addObserverForName(
      kMPHistoryDeletedByUserNotification,
      [this](const UserInfo&) { refreshHistoryCountOnViewAppear_ = true; });

  Preference& store = Preference::sharedInstance();
  if (needsFlattenedListRepair(store.pref())) {
    Log("== no version found in pref file, try to fix bugs for 1.3.0");
    (void)changePref([this](Json& pref) {
      // Another writer may have saved a repaired document meanwhile.
      if (needsFlattenedListRepair(pref)) rebuildFlattenedCityLists(pref, cityGroups_);
    });
  }

  setLabel(Label::versionLabel, platform::mainBundleShortVersion());
  // The application's own database is only opened for a lookup, off the
  // main queue; its version comes from the file's header.
  const std::string dbVersion = environment_.regionDetector != nullptr
                                    ? environment_.regionDetector->dbVersion()
                                    : applicationDatabaseVersion();
  if (environment_.regionDetector == nullptr) {
    backgroundQueue().async([] { applicationRegionDetector(); });
  }
  setLabel(Label::phonedatVersionLabel,
           dbVersion.empty() ? localizedString("no-phonedata") : dbVersion);
  updateSwitches();
}

void RootVC::updateSwitches() {
  const Json& pref = Preference::sharedInstance().pref();
  const Json& mpPref = Preference::sharedInstance().mpPref();
  setStatusLabel(prefBool(pref, kEnabledKey));
  setSwitch(Switch::enableSwitch, prefBool(pref, kEnabledKey));
  setSwitch(Switch::MPSwitch, prefBool(mpPref, kMPInjectionEnabledKey));
  setSwitch(Switch::blockingUnknownSwitch, prefBool(pref, kBlockUnknownEnabledKey));
  setSwitch(Switch::contactBypassSwitch, prefBool(pref, kBypassContactsEnabledKey));
  setSwitch(Switch::repeatedCallSwitch, prefBool(pref, kRepeatedCallEnabledKey));
  setSwitch(Switch::quietHoursSwitch, prefBool(pref, kQuietHoursEnabledKey));
  setSwitch(Switch::notifySwitch, notifyBlockedCalls(pref));
}

void RootVC::preferenceChangedElsewhere() {
  if (!Preference::sharedInstance().reload()) return;
  updateSwitches();
  updateCountLabels();
  NotificationCenter::defaultCenter().postNotificationName(kPreferenceReloadedNotification);
}

// ---- Appearance

void RootVC::viewDidAppear() {
  updateCountLabels();
  if (refreshHistoryCountOnViewAppear_) {
    refreshHistoryCountOnViewAppear_ = false;
    setHistoryCountFromList();
  }
}

void RootVC::updateCountLabels() {
  const Json& pref = Preference::sharedInstance().pref();
  struct Row {
    Label label;
    const char* key;
    bool cities;
  };
  const Row rows[] = {
      {Label::citiesBlockedCount, kBlockedCitiesFlattenedKey, true},
      {Label::mobileCitiesBlockedCount, kMobileBlockedCitiesFlattenedKey, true},
      {Label::blackListCountLabel, kBlacklistKey, false},
      {Label::allowlistCountLabel, kAllowlistKey, false},
      {Label::ignoredPrefixCount, kIgnoredPrefixesKey, false},
      {Label::blackKeywordsCount, kKeywordsKey, false},
  };
  for (const Row& row : rows) {
    const size_t count = prefArray(pref, row.key).size();
    setLabel(row.label, count > 0 ? countText(row.cities, count) : localizedString("no-config"));
  }
  updateOptionalRuleLabels();
}

void RootVC::updateOptionalRuleLabels() {
  const Json& pref = Preference::sharedInstance().pref();
  setLabel(Label::repeatedCallMinutesLabel, repeatedCallMinutesText(pref));
  setLabel(Label::quietHoursLabel, quietHoursText(pref));
}

void RootVC::setHistoryCountFromList() {
  setLabel(Label::historyCount,
           history_->empty() ? localizedString("no-records") : countText(false, history_->size()));
}

// ---- History

void RootVC::loadHistory() {
  loadHistory(/*announce=*/false);
}

void RootVC::loadHistory(bool announce) {
  if (isLoadingHistory_) return;
  isLoadingHistory_ = true;
  setLabel(Label::historyCount, "loading...");
  // The path is found here, on the main thread, with the device root in force
  // now; the background task only reads and parses.
  const std::string path = mpHistoryFilePathFromOutside();
  const LifetimeGuard::Token alive = lifetime_.token();
  backgroundQueue().async([this, alive, path, announce] {
    HistoryList records = readHistoryFile(path);
    platform::mainQueue().async([this, alive, announce, records = std::move(records)]() mutable {
      if (alive.expired()) return;
      finishHistoryLoad(std::move(records), announce);
    });
  });
}

void RootVC::finishHistoryLoad(HistoryList records, bool announce) {
  // The list object stays the same: the history viewer holds it.
  *history_ = std::move(records);
  isLoadingHistory_ = false;
  setHistoryCountFromList();
  if (announce)
    NotificationCenter::defaultCenter().postNotificationName(kMPHistoryAddedNotification);
}

// ---- Switches

void RootVC::onSwitchChanged(Switch sender, bool on) {
  const char* key = nullptr;
  switch (sender) {
    case Switch::enableSwitch:
      key = kEnabledKey;
      break;
    case Switch::blockingUnknownSwitch:
      key = kBlockUnknownEnabledKey;
      break;
    case Switch::contactBypassSwitch:
      key = kBypassContactsEnabledKey;
      break;
    case Switch::repeatedCallSwitch:
      key = kRepeatedCallEnabledKey;
      break;
    case Switch::quietHoursSwitch:
      key = kQuietHoursEnabledKey;
      break;
    case Switch::notifySwitch:
      key = kNotifyBlockedCallsKey;
      break;
    case Switch::MPSwitch:
      if (!changeMPPref([on](Json& mpPref) { setPrefBool(mpPref, kMPInjectionEnabledKey, on); })) {
        updateSwitches();  // back to what is saved
        return;
      }
      switches_[static_cast<size_t>(sender)] = on;
      AlertUtil::showInfo(localizedString("restart-mp-prompt"), std::nullopt);
      return;
    default:
      return;
  }
  if (!changePref([key, on](Json& pref) { setPrefBool(pref, key, on); })) {
    updateSwitches();  // back to what is saved
    return;
  }
  switches_[static_cast<size_t>(sender)] = on;
  if (sender == Switch::enableSwitch) setStatusLabel(on);
}

void RootVC::setStatusLabel(bool enabled) {
  setLabel(Label::statusLabel, enabled ? localizedString("enabled") : localizedString("disabled"));
}

// ---- Quitting

void RootVC::onExit() {
  presenter().suspend();
  platform::afterOnMainQueue(0.3, [] { presenter().terminate(); });
}

// ---- Rows

void RootVC::didSelectRow(const std::string& cellIdentifier) {
  if (cellIdentifier == "cell.zone") {
    pushScreen(std::make_shared<ZoneVC>());
  } else if (cellIdentifier == "cell.mobilezone") {
    auto zones = std::make_shared<ZoneVC>();
    zones->forMobile = true;
    pushScreen(zones);
  } else if (cellIdentifier == "cell.blacklist") {
    pushScreen(std::make_shared<BlacklistVC>());
  } else if (cellIdentifier == "cell.allowlist") {
    pushScreen(std::make_shared<AllowlistVC>());
  } else if (cellIdentifier == "cell.repeated-call-minutes") {
    const LifetimeGuard::Token alive = lifetime_.token();
    showRepeatedCallMinutesDialog([this, alive] {
      if (!alive.expired()) updateOptionalRuleLabels();
    });
    deselectRow();
  } else if (cellIdentifier == "cell.quiet-hours-window") {
    const LifetimeGuard::Token alive = lifetime_.token();
    showQuietHoursDialog([this, alive] {
      if (!alive.expired()) updateOptionalRuleLabels();
    });
    deselectRow();
  } else if (cellIdentifier == "cell.export-rules") {
    presenter().chooseFile(Presenter::FileChoice::kSave, kExportedRulesFileName,
                           [](const std::string& path) { exportRulesToFile(path); });
    deselectRow();
  } else if (cellIdentifier == "cell.import-rules") {
    presenter().chooseFile(Presenter::FileChoice::kOpen, "",
                           [](const std::string& path) { showImportPreview(path); });
    deselectRow();
  } else if (cellIdentifier == "cell.tester") {
    showNumberTester();
    deselectRow();
  } else if (cellIdentifier == "cell.ignored-prefix") {
    pushScreen(std::make_shared<IgnoredPrefixVC>());
  } else if (cellIdentifier == "cell.keywords") {
    pushScreen(std::make_shared<KeywordsVC>());
  } else if (cellIdentifier == "cell.donationlist") {
    showDonationList();
    deselectRow();
  } else if (cellIdentifier == "cell.donation") {
    donate();
    deselectRow();
  } else if (cellIdentifier == "cell.mobiletest") {
    showMobileQuery();
    deselectRow();
  } else if (cellIdentifier == "cell.eula") {
    // A short title and the paragraph as the text: a paragraph in a title
    // is set bold on one line as wide as it is long.
    AlertUtil::showInfo(localizedString("row-eula"), localizedString("eula-content"));
    deselectRow();
  } else if (cellIdentifier == "cell.opensource") {
    pushScreen(std::make_shared<OpenSourceVC>());
    deselectRow();
  } else if (cellIdentifier == "cell.history") {
    if (canOpenHistory()) {
      auto viewer = std::make_shared<HistoryVC>();
      viewer->setHistory(history_);
      viewer->setPlaceLookup(cityNameLookup(cityGroups_));
      pushScreen(viewer);
    } else {
      deselectRow();
    }
  }
}

void RootVC::donate() {
  gui::donate();
}

void RootVC::pushScreen(std::shared_ptr<Screen> screen) {
  presenter().pushScreen(std::move(screen));
}

void RootVC::deselectRow() {
  if (view_ != nullptr) view_->deselectSelectedRow();
}

// ---- Number lookup

void RootVC::showMobileQuery() {
  const LifetimeGuard::Token alive = lifetime_.token();
  AlertUtil::showForm(localizedString("mobile-query-alert-title"), std::nullopt,
                      {{localizedString("mobile-query-placeholer"), "", KeyboardType::NumberPad}},
                      [this, alive](const std::vector<std::string>& texts) {
                        if (!alive.expired()) lookUpMobileNumber(texts[0]);
                      });
}

void RootVC::showNumberTester() {
  const LifetimeGuard::Token alive = lifetime_.token();
  gui::showNumberTester([this, alive] {
    NumberTesterEnvironment environment;
    environment.moment = callMomentAt(std::chrono::system_clock::now());
    if (alive.expired()) return environment;
    environment.regionDetector = &regionDetector();
    environment.places = cityNameLookup(cityGroups_);
    environment.history = history_.get();
    return environment;
  });
}

void RootVC::lookUpMobileNumber(const std::string& input) {
  const std::optional<std::string> parsed = mobileNumberFromInput(input);
  if (!parsed) {
    AlertUtil::showInfo(localizedString("invalid-mobile-format"), std::nullopt);
    return;
  }
  const std::string& number = *parsed;

  const auto start = std::chrono::steady_clock::now();
  const std::string code = regionDetector().detectRegionCode(number);
  const auto end = std::chrono::steady_clock::now();
  const double milliseconds = std::chrono::duration<double>(end - start).count() * 1000.0;

  std::string place = localizedString("unknown");
  std::string codeText = code;
  if (code.empty()) {
    codeText = localizedString("unknown");
  } else if (const std::optional<CityInfo> info = findCityInfoWithCode(code)) {
    place = placeText(*info);
  }
  AlertUtil::showInfo(number, stringWithFormat(localizedString("mobile-query-location-fmt"),
                                               milliseconds, place, codeText));
}

// ---- City lookups

const CityGroup* RootVC::findCitiesGroupByGroup(const std::string& group) const {
  return gui::findCitiesGroupByGroup(cityGroups_, group);
}

std::optional<CityInfo> RootVC::findCityInfoWithCode(const std::string& code) const {
  return gui::findCityInfoWithCode(cityGroups_, code);
}

// ---- Labels and switches

void RootVC::setLabel(Label label, std::string text) {
  labels_[static_cast<size_t>(label)] = std::move(text);
  if (view_ != nullptr) view_->setLabelText(label, labels_[static_cast<size_t>(label)]);
}

void RootVC::setSwitch(Switch which, bool on) {
  switches_[static_cast<size_t>(which)] = on;
  if (view_ != nullptr) view_->setSwitchOn(which, on);
}

}  // namespace gui
