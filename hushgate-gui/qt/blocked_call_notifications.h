// The settings window's desktop notifications of blocked calls: the main
// screen's history list, each time it was reloaded for new records
// (kMPHistoryAddedNotification), goes to a BlockNotifier that shows its news
// through the desktop's notification service. "Open history" brings the
// window up with the history viewer on top.
#pragma once

#include <memory>

#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/block_notifications.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/desktop_notifications.h"

class QWidget;

namespace gui_qt {

class NavigationWindow;

class BlockedCallNotifications {
 public:
  // Records of the history dated before startedAt are old (whole seconds
  // since 1970, a record's "d").
  BlockedCallNotifications(NavigationWindow& window, std::shared_ptr<gui::RootVC> root,
                           int64_t startedAt, QDBusConnection bus = QDBusConnection::sessionBus());
  ~BlockedCallNotifications();
  BlockedCallNotifications(const BlockedCallNotifications&) = delete;
  BlockedCallNotifications& operator=(const BlockedCallNotifications&) = delete;

  DesktopNotifications& sink() { return sink_; }

 private:
  void openHistory();

  NavigationWindow& window_;
  std::shared_ptr<gui::RootVC> root_;
  DesktopNotifications sink_;
  gui::BlockNotifier notifier_;
  bool hasPlaces_ = false;
  gui::ObserverToken historyAdded_ = 0;
};

}  // namespace gui_qt
