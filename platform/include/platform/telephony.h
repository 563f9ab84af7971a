// Telephony stand-ins of the home-screen process: call objects, the call
// center that hangs calls up, and the notification that carries a call event.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TUHandle {
  std::string value;
};

// A call. Identity is the object: events about one call carry the same TUCall.
class TUCall {
 public:
  // 1 active, 4 ringing (incoming), 6 ended; others as the telephony layer sends them.
  int status = 0;
  bool isIncoming = false;
  std::optional<TUHandle> handle;
  std::optional<std::string> contactIdentifier;
  std::optional<std::string> localizedLabel;
  bool isBlocked = false;
  std::optional<std::string> sourceIdentifier;
  std::optional<std::string> displayName;
  std::optional<std::string> callerNameFromNetwork;
  std::string uniqueProxyIdentifier;
};

using TUCallRef = std::shared_ptr<TUCall>;

// The notification that the telephony layer hands to callEventHandler:.
struct NSNotification {
  std::string name;
  TUCallRef object;
};

// TUCallCenter sharedInstance / disconnectCall:. The host decides what a
// disconnect does (the springboard host ends the call and later delivers its
// status 6 event); without a host the call's status becomes 6.
class TUCallCenter {
 public:
  static TUCallCenter& sharedInstance();

  void disconnectCall(const TUCallRef& call);
  void setDisconnectHandler(std::function<void(const TUCallRef&)> handler);

 private:
  std::mutex mutex_;
  std::function<void(const TUCallRef&)> handler_;
};

}  // namespace platform
