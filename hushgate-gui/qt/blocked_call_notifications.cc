#include "hushgate-gui/qt/blocked_call_notifications.h"

#include "hushgate-gui/core/models/city_lookup.h"
#include "hushgate-gui/core/screens/HistoryVC.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_text.h"
#include "statics/contracts/names.h"

namespace gui_qt {

BlockedCallNotifications::BlockedCallNotifications(NavigationWindow& window,
                                                   std::shared_ptr<gui::RootVC> root,
                                                   int64_t startedAt, QDBusConnection bus)
    : window_(window),
      root_(std::move(root)),
      sink_(std::move(bus)),
      notifier_({.sink = &sink_,
                 .places = {},
                 .openHistory = [this] { openHistory(); },
                 .startedAt = startedAt}) {
  QObject::connect(
      &sink_, &DesktopNotifications::actionInvoked, &sink_,
      [this](uint id, const QString& key) { notifier_.actionInvoked(id, toStdString(key)); });
  QObject::connect(&sink_, &DesktopNotifications::notificationClosed, &sink_,
                   [this](uint id) { notifier_.notificationClosed(id); });
  historyAdded_ = gui::NotificationCenter::defaultCenter().addObserverForName(
      kMPHistoryAddedNotification, [this](const gui::UserInfo&) {
        // The city list is loaded with the main screen.
        if (!hasPlaces_ && !root_->cityGroups().empty()) {
          notifier_.setPlaces(gui::cityNameLookup(root_->cityGroups()));
          hasPlaces_ = true;
        }
        notifier_.historyLoaded(*root_->history());
      });
}

BlockedCallNotifications::~BlockedCallNotifications() {
  gui::NotificationCenter::defaultCenter().removeObserver(historyAdded_);
}

void BlockedCallNotifications::openHistory() {
  window_.showNormal();
  window_.raise();
  window_.activateWindow();
  const ScreenWidget* top = window_.topScreen();
  if (top != nullptr && top->screen() != nullptr &&
      top->screen()->sceneIdentifier() == gui::HistoryVC::kSceneIdentifier) {
    return;
  }
  root_->didSelectRow("cell.history");
}

}  // namespace gui_qt
