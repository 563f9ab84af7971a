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

// The call statuses that the screening reads; the telephony layer sends
// others too.
enum TUCallStatus : int {
  kTUCallStatusActive = 1,
  kTUCallStatusRinging = 4,  // an incoming call that rings
  kTUCallStatusDisconnected = 6,
};

struct TUHandle {
  std::string value;
};

// A call. Identity is the object: events about one call carry the same TUCall.
class TUCall {
 public:
  int status = 0;  // a TUCallStatus, or another status the telephony layer sends
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
// kTUCallStatusDisconnected event); without a host the call's status becomes
// kTUCallStatusDisconnected.
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
