#include "hushgate-gui/core/models/pref_store.h"

#include <optional>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "statics/format.h"

namespace gui {

bool tellUserAboutUpdate(const Result<Preference::Update>& done) {
  if (!done) {
    AlertUtil::showInfo(stringWithFormat(localizedString("pref-save-failed-fmt"), done.error()),
                        std::nullopt);
    return false;
  }
  if (!done->setAsidePath.empty()) {
    AlertUtil::showInfo(stringWithFormat(localizedString("pref-set-aside-fmt"), done->setAsidePath),
                        std::nullopt);
  }
  if (!done->announced) AlertUtil::showInfo(localizedString("pref-not-announced"), std::nullopt);
  return true;
}

bool changePref(const std::function<void(Json&)>& change, Preference::Announce announce) {
  return tellUserAboutUpdate(Preference::sharedInstance().update(change, announce));
}

bool changeMPPref(const std::function<void(Json&)>& change) {
  return tellUserAboutUpdate(Preference::sharedInstance().updateMPPref(change));
}

}  // namespace gui
