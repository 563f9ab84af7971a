#include "platform/ui_application.h"

#include "platform/url_opener.h"

namespace platform {

UIApplication& UIApplication::sharedApplication() {
  static UIApplication* const application = new UIApplication();  // never destroyed
  return *application;
}

bool UIApplication::openURL(const std::string& url) {
  URLOpener opener;
  {
    std::lock_guard lock(mutex_);
    opener = opener_;
  }
  return opener ? opener(url) : platform::openURL(url);
}

bool UIApplication::canOpenURL(const std::string& url) const {
  return platform::canOpenURL(url);
}

void UIApplication::setURLOpener(URLOpener opener) {
  std::lock_guard lock(mutex_);
  opener_ = std::move(opener);
}

}  // namespace platform
