// UIKit stand-in for the application object: opening URLs, and the launch
// message of the hosts' application classes.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/runtime.h"

namespace platform {

// applicationDidFinishLaunching: of a host's application class ("SpringBoard",
// "MobilePhoneApplication"); the argument is the application object itself.
using ApplicationDidFinishLaunchingIMP = void (*)(id self, SEL _cmd, id application);
inline constexpr char kApplicationDidFinishLaunchingSelector[] = "applicationDidFinishLaunching:";

class UIApplication {
 public:
  using URLOpener = std::function<bool(const std::string& url)>;

  static UIApplication& sharedApplication();

  // openURL:options:completionHandler: without options and completion: hands
  // the URL to the URL opener in force, by default the platform's
  // (platform::openURL). Returns whether a handler was started.
  bool openURL(const std::string& url);
  // canOpenURL:
  bool canOpenURL(const std::string& url) const;

  // For a host: what openURL does in this process (it may look at the URL
  // and pass it on to platform::openURL). An empty opener restores the
  // platform's. The opener is called without any lock held.
  void setURLOpener(URLOpener opener);

 private:
  UIApplication() = default;
  mutable std::mutex mutex_;
  URLOpener opener_;
};

}  // namespace platform
