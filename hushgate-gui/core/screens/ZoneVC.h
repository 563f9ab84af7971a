// The region blocking editor ("sb.zones" for landline area codes,
// "sb.mobilezones" for mobile number regions): a table with one section per
// group of the city list, a province row that blocks the whole group and one
// row per city, a search field and a check-all button.
//
// The editor's product is the flattened list of its rule set: every blocked
// city key once, whether blocked singly or through its group. Every operation
// keeps flattened == union(cities of the listed groups, single cities),
// changing the list incrementally.
//
// Main thread only. The front end implements View and calls the callbacks
// below; every "after 0.4 s" goes through the main queue.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "hushgate-gui/core/kit/lifetime_guard.h"
#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/core/models/city_groups.h"
#include "hushgate-gui/core/models/place_search.h"
#include "hushgate-gui/core/screens/ZoneCells.h"

namespace gui {

// The keyboard notifications the front end posts on the default centre. The
// user information of the show notification holds the keyboard's end frame:
// {"UIKeyboardFrameEndUserInfoKey": {"height": points, ...}}.
inline constexpr char kKeyboardWillShowNotification[] = "UIKeyboardWillShowNotification";
inline constexpr char kKeyboardWillHideNotification[] = "UIKeyboardWillHideNotification";
inline constexpr char kKeyboardFrameEndUserInfoKey[] = "UIKeyboardFrameEndUserInfoKey";

// How long the table ignores touches after a group change or a check-all.
inline constexpr double kZoneSettlingSeconds = 0.4;

class ZoneVC : public Screen {
 public:
  // What the front end shows. Every method has an empty default.
  class View {
   public:
    virtual ~View() = default;
    virtual void reloadData() {}
    // The table takes touches or ignores them.
    virtual void setUserInteractionEnabled(bool) {}
    // The check-all bar button.
    virtual void setCheckAllTitle(const std::string&) {}
    virtual void setCheckAllEnabled(bool) {}
    // Distance between the table's bottom and the screen's bottom (the
    // keyboard's height while it is shown, else 0).
    virtual void setTableBottom(double) {}
    // Turns the switch of every visible province cell to on, with animation;
    // the switches' own action does not run.
    virtual void setVisibleProvinceSwitchesOn(bool) {}
    // The search field gives up the keyboard.
    virtual void resignSearchFirstResponder() {}
  };

  using Cell = std::variant<ZoneProvinceCell, ZoneCityCell>;

  // The city list comes from the bundle resource "cities"/"json".
  ZoneVC();
  // The city list is given (parsed); it is used instead of the resource.
  explicit ZoneVC(std::vector<CityGroup> cityData);
  ~ZoneVC() override;
  ZoneVC(const ZoneVC&) = delete;
  ZoneVC& operator=(const ZoneVC&) = delete;

  std::string sceneIdentifier() const override;

  // Which rule set the screen edits; set by the opener before viewDidLoad.
  bool forMobile = false;

  // The view stays owned by the front end; nullptr detaches it.
  void setView(View* view) { view_ = view; }

  // Platform callbacks.
  void viewDidLoad();
  void viewWillAppear();
  void viewDidDisappear();

  // The table's data source; one section per shown group.
  size_t numberOfSectionsInTableView() const;
  std::string titleForHeaderInSection(size_t section) const;
  size_t numberOfRowsInSection(size_t section) const;  // cities + 1
  // Row 0 is the province cell, rows 1... the city cells, filled from the
  // current document. An index outside the table gives an empty city cell.
  Cell cellForRowAtIndexPath(size_t section, size_t row) const;

  // Whether every group of the city list is in the group list (true for an
  // empty city list).
  bool isAllGroupsChecked() const;
  // Titles the button "uncheck-all" or "check-all" by isAllGroupsChecked.
  void updateCheckAllButton();
  // The check-all button's action.
  void onCheckAll();

  // The search field: text as typed.
  void searchBarTextDidChange(const std::string& text);
  void searchBarSearchButtonClicked();
  // Besides the text as typed, a search in Latin letters finds places by
  // their pinyin and its initials ("shenzhen", "sz"; place_search.h).

  // The check-all button: when the change would block or unblock more than
  // one province, a question first (confirm runs onCheckAll); else
  // onCheckAll at once.
  void onCheckAllTapped();
  // The number of provinces that onCheckAll would change now.
  size_t provincesCheckAllChanges() const;

  // What the table shows instead of rows when a search finds nothing.
  std::optional<std::string> emptyResultText() const;

  // State, for the front end and tests.
  const std::vector<CityGroup>& cityGroups() const { return cityGroups_; }
  const std::vector<CityGroup>& filteredCityGroups() const { return filteredCityGroups_; }
  bool checkAllPermitted() const { return checkAllPermitted_; }

 private:
  void onGroupBlockingChanged(const UserInfo& userInfo);
  void removeObservers();
  // Touches off and check-all disabled now; 0.4 s later the table reloads,
  // takes touches again, and check-all is enabled (when onlyIfPermitted, only if
  // checkAllPermitted).
  void settle(bool onlyIfPermitted);

  std::optional<std::vector<CityGroup>> givenCityData_;
  std::vector<CityGroup> cityGroups_;
  std::vector<CityGroup> filteredCityGroups_;
  std::unique_ptr<PlaceSearch> placeSearch_;  // made on the first Latin search
  bool searching_ = false;
  bool checkAllPermitted_ = true;
  std::vector<ObserverToken> notificationObservers_;
  View* view_ = nullptr;
  LifetimeGuard lifetime_;
};

}  // namespace gui
