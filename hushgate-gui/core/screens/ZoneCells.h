// The two cell models of the region table. The table fills them from the
// preference document (ZoneVC::cellForRowAtIndexPath); the front end shows
// them and calls onSwitchChanged when the user flips a switch.
#pragma once

#include <string>

#include "statics/contracts/names.h"

namespace gui {

// A province cell posts kGroupBlockingChangedNotification when its switch
// changes, with the user information kGroupBlockingGroupKey (the group
// identifier) and kGroupBlockingEnabledKey (the new state). The region screen
// persists the change while it is shown.

// Row 0 of a section: blocks or unblocks the whole group. Its label keeps the
// text of the cell's design.
struct ZoneProvinceCell {
  static constexpr char kReuseIdentifier[] = "cell.province";

  bool forMobile = false;
  std::string group;
  bool switchOn = false;

  // Records the group in the group list or takes it out, then posts
  // kGroupBlockingChangedNotification. Saves nothing.
  void onSwitchChanged(bool on);
};

// Rows 1...: blocks or unblocks one city singly.
struct ZoneCityCell {
  static constexpr char kReuseIdentifier[] = "cell.city";

  bool forMobile = false;
  std::string groupKey;
  std::string cityKey;
  std::string label;          // "<city key> <city name>"
  bool switchOn = false;      // the city is blocked singly
  bool switchEnabled = true;  // false while the whole group is blocked

  // Adds the city to (or removes it from) the group's single-city list and
  // the flattened list, then saves. The table is not reloaded.
  void onSwitchChanged(bool on);
};

}  // namespace gui
