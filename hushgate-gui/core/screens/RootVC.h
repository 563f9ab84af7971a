// The main settings screen, root of the navigation stack: the switches of
// the preference documents, the counts of every rule list, the minutes of
// the repeated-call allowance and the quiet-hours window, the entry points
// of the other screens, the mobile-number lookup, the number tester and
// quitting.
//
// It owns the in-memory list of blocked calls, read from the block history
// file on a background queue and reloaded when the screening announces a new
// record (kMPBlockHistoryAddedNotification); the history viewer
// shares that list. On load it also repairs main documents written before
// release 1.3.0 (those without kVersionKey).
//
// Everything here runs on the main thread, except the read of the history
// file. The screen never throws: documents and files of any shape are read
// as far as they make sense.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/lifetime_guard.h"
#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/core/models/city_groups.h"
#include "hushgate-gui/core/models/city_lookup.h"
#include "hushgate-gui/core/models/history_list.h"
#include "platform/dispatch.h"
#include "statics/MobileRegionDetector.h"

namespace gui {

class RootVC : public Screen {
 public:
  // The labels of the screen.
  enum class Label {
    statusLabel,               // on or off
    citiesBlockedCount,        // row "cell.zone"
    mobileCitiesBlockedCount,  // row "cell.mobilezone"
    blackListCountLabel,       // row "cell.blacklist"
    allowlistCountLabel,       // row "cell.allowlist"
    ignoredPrefixCount,        // row "cell.ignored-prefix"
    blackKeywordsCount,        // row "cell.keywords"
    historyCount,              // row "cell.history"
    versionLabel,              // the application's short version
    phonedatVersionLabel,      // the number-location database's version
    repeatedCallMinutesLabel,  // row "cell.repeated-call-minutes"
    quietHoursLabel,           // row "cell.quiet-hours-window"
  };
  static constexpr size_t kLabelCount = 12;

  // The switches, and what they write.
  enum class Switch {
    enableSwitch,           // main kEnabledKey
    MPSwitch,               // Phone-side kMPInjectionEnabledKey
    blockingUnknownSwitch,  // main kBlockUnknownEnabledKey
    contactBypassSwitch,    // main kBypassContactsEnabledKey
    repeatedCallSwitch,     // main kRepeatedCallEnabledKey
    quietHoursSwitch,       // main kQuietHoursEnabledKey
    notifySwitch,           // main kNotifyBlockedCallsKey (absent: on)
  };
  static constexpr size_t kSwitchCount = 7;

  // What the front end shows. Each call replaces what the widget showed.
  class View {
   public:
    virtual ~View() = default;
    virtual void setLabelText(Label /*label*/, const std::string& /*text*/) {}
    // Switch positions are set without animation.
    virtual void setSwitchOn(Switch /*which*/, bool /*on*/) {}
    // Deselects the row that was tapped (animated).
    virtual void deselectSelectedRow() {}
  };

  // What the screen works with. The defaults are the application's own:
  // the city list resource, the process's region detector and the global
  // queue for the history read.
  struct Environment {
    std::string citiesPath;                                // empty: resource "cities"/"json"
    const MobileRegionDetector* regionDetector = nullptr;  // nullptr: applicationRegionDetector()
    platform::DispatchQueue* backgroundQueue = nullptr;    // nullptr: platform::globalQueue()
  };

  RootVC();
  explicit RootVC(Environment environment);
  // Ends the screen's notification registrations.
  ~RootVC() override;

  RootVC(const RootVC&) = delete;
  RootVC& operator=(const RootVC&) = delete;

  // Not a storyboard scene of its own: the storyboard's first screen.
  std::string sceneIdentifier() const override { return "sb.root"; }

  // The front end's view; it is brought up to date at once. nullptr detaches.
  void setView(View* view);

  // ---- Platform callbacks

  // Once: loads the city list, starts the history load, registers for the
  // history notifications, repairs an old main document and fills the labels
  // and switches.
  void viewDidLoad();
  // Each time the screen becomes visible: recomputes the count labels, and
  // the history count when the history viewer deleted records.
  void viewDidAppear();
  // The value-changed action of the switches: writes the switch's
  // preference.
  void onSwitchChanged(Switch sender, bool on);
  // The exit control: suspends the application, then ends it 0.3 s later.
  void onExit();
  // A row tap, by the row's cell identifier ("cell.zone", "cell.history",
  // ...): pushes a screen, opens a dialog or does nothing, and deselects the
  // row where that belongs to the action.
  void didSelectRow(const std::string& cellIdentifier);

  // ---- Operations

  // Starts an asynchronous reload of the history list; dropped (not queued)
  // while one is running.
  void loadHistory();
  // kPreferenceUpdatedNotification, which the front end hears for the
  // screen: reads the documents again and, when another process changed
  // them, shows them and tells the open editors
  // (kPreferenceReloadedNotification).
  void preferenceChangedElsewhere();
  // The donation action of the row "cell.donation".
  void donate();

  // The first city group whose "group" is group, or nullptr.
  const CityGroup* findCitiesGroupByGroup(const std::string& group) const;
  // The city that code names, or nullopt.
  std::optional<CityInfo> findCityInfoWithCode(const std::string& code) const;

  // ---- Model state

  const std::vector<CityGroup>& cityGroups() const { return cityGroups_; }
  // Copied on assignment.
  void setCityGroups(std::vector<CityGroup> cityGroups) { cityGroups_ = std::move(cityGroups); }
  // The blocked-call records, newest first; the same list for the process.
  const std::shared_ptr<HistoryList>& history() const { return history_; }
  bool isLoadingHistory() const { return isLoadingHistory_; }
  // Whether the history row opens the viewer: loaded and not empty. The row
  // shows its disclosure mark only then.
  bool canOpenHistory() const { return !isLoadingHistory_ && !history_->empty(); }
  bool refreshHistoryCountOnViewAppear() const { return refreshHistoryCountOnViewAppear_; }
  const std::string& labelText(Label label) const;
  bool switchOn(Switch which) const;

 private:
  void loadHistory(bool announce);
  void finishHistoryLoad(HistoryList records, bool announce);
  void updateCountLabels();
  void updateSwitches();
  void setHistoryCountFromList();
  void setStatusLabel(bool enabled);
  void setLabel(Label label, std::string text);
  void setSwitch(Switch which, bool on);
  void deselectRow();
  void pushScreen(std::shared_ptr<Screen> screen);
  void showMobileQuery();
  void showNumberTester();
  void updateOptionalRuleLabels();
  void lookUpMobileNumber(const std::string& input);
  const MobileRegionDetector& regionDetector() const;
  platform::DispatchQueue& backgroundQueue() const;

  Environment environment_;
  View* view_ = nullptr;

  std::vector<CityGroup> cityGroups_;
  std::shared_ptr<HistoryList> history_ = std::make_shared<HistoryList>();
  bool isLoadingHistory_ = false;
  bool refreshHistoryCountOnViewAppear_ = false;

  std::array<std::string, kLabelCount> labels_;
  std::array<bool, kSwitchCount> switches_{};

  std::optional<int> historyAddedToken_;    // notify registration
  std::optional<int> historyDeletedToken_;  // NotificationCenter observer
  LifetimeGuard lifetime_;
};

}  // namespace gui
