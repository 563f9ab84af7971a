#include "platform/telephony.h"

namespace platform {

TUCallCenter& TUCallCenter::sharedInstance() {
  static TUCallCenter* const center = new TUCallCenter();  // never destroyed
  return *center;
}

void TUCallCenter::disconnectCall(const TUCallRef& call) {
  if (!call) return;
  std::function<void(const TUCallRef&)> handler;
  {
    std::lock_guard lock(mutex_);
    handler = handler_;
  }
  if (handler) {
    handler(call);
  } else {
    call->status = kTUCallStatusDisconnected;
  }
}

void TUCallCenter::setDisconnectHandler(std::function<void(const TUCallRef&)> handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

}  // namespace platform
