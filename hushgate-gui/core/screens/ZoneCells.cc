#include "hushgate-gui/core/screens/ZoneCells.h"

#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/pref_lists.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "hushgate-gui/core/models/zone_keys.h"
#include "statics/Preference.h"

namespace gui {

void ZoneProvinceCell::onSwitchChanged(bool on) {
  switchOn = on;
  const ZoneKeys& keys = zoneKeys(forMobile);
  // The group list is only the editor's record of the choice: the screening
  // reads the flattened list, which the region screen changes (and
  // announces) when it hears of this.
  (void)changePref(
      [&](Json& pref) {
        if (on) {
          appendUnlessPresent(arrayCreatingIfAbsent(pref, keys.groups), group);
        } else if (Json* groups = arrayOrNull(pref, keys.groups)) {
          removeString(*groups, group);
        }
      },
      Preference::Announce::kQuiet);
  NotificationCenter::defaultCenter().postNotificationName(
      kGroupBlockingChangedNotification,
      UserInfo{{kGroupBlockingGroupKey, group}, {kGroupBlockingEnabledKey, on}});
}

void ZoneCityCell::onSwitchChanged(bool on) {
  switchOn = on;
  const ZoneKeys& keys = zoneKeys(forMobile);
  (void)changePref([&](Json& pref) {
    if (on) {
      Json& singles = objectCreatingIfAbsent(pref, keys.cities);
      appendUnlessPresent(arrayCreatingIfAbsent(singles, groupKey), cityKey);
      appendUnlessPresent(arrayCreatingIfAbsent(pref, keys.flattened), cityKey);
    } else {
      if (Json* singles = objectOrNull(pref, keys.cities)) {
        if (Json* cities = arrayOrNull(*singles, groupKey)) removeString(*cities, cityKey);
      }
      if (Json* flattened = arrayOrNull(pref, keys.flattened)) removeString(*flattened, cityKey);
    }
  });
}

}  // namespace gui
