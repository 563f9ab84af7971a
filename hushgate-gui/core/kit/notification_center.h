// The in-process notification centre (NSNotificationCenter defaultCenter):
// observers registered for a name run synchronously, on the posting thread,
// in registration order. Used for the settings application's in-process
// notifications (statics/contracts/names.h). Main thread only.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

namespace gui {

using ObserverToken = int;
using UserInfo = nlohmann::json;  // an object, or null for none

class NotificationCenter {
 public:
  static NotificationCenter& defaultCenter();

  ObserverToken addObserverForName(const std::string& name,
                                   std::function<void(const UserInfo& userInfo)> block);
  // Stops an observer; an observer removed while a post runs is not called
  // afterwards.
  void removeObserver(ObserverToken token);
  void postNotificationName(const std::string& name, const UserInfo& userInfo = nullptr);
  // How many observers are registered for name (for tests).
  size_t observerCount(const std::string& name) const;
};

}  // namespace gui
