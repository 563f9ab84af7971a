// Where the settings application's desktop notifications go: the front end
// shows them (hushgate-gui/qt/desktop_notifications.h) and hands back the
// actions the user chose and the notifications that closed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gui {

// The buttons of a notification: action key and label, in order.
using NotificationActions = std::vector<std::pair<std::string, std::string>>;

class NotificationSink {
 public:
  virtual ~NotificationSink() = default;
  // Shows a notification, or updates the one of replacesId in place (0: a
  // new one). The id of the notification shown, or nullopt when none could
  // be shown; never throws.
  virtual std::optional<uint32_t> show(uint32_t replacesId, const std::string& title,
                                       const std::string& body,
                                       const NotificationActions& actions) = 0;
};

}  // namespace gui
