#include "platform/bundle.h"

#include <mutex>

#include "platform/paths.h"
#include "platform/version.h"

namespace platform {

namespace {

constexpr std::string_view kPhoneApplication = "com.apple.mobilephone";

struct MainBundle {
  std::mutex mutex;
  std::string identifier;
  std::string shortVersion = HUSHGATE_VERSION;
};

MainBundle& mainBundle() {
  static MainBundle bundle;
  return bundle;
}

}  // namespace

std::string mainBundleIdentifier() {
  std::lock_guard lock(mainBundle().mutex);
  return mainBundle().identifier;
}

void setMainBundleIdentifier(std::string identifier) {
  std::lock_guard lock(mainBundle().mutex);
  mainBundle().identifier = std::move(identifier);
}

std::string mainBundleShortVersion() {
  std::lock_guard lock(mainBundle().mutex);
  return mainBundle().shortVersion;
}

void setMainBundleShortVersion(std::string version) {
  std::lock_guard lock(mainBundle().mutex);
  mainBundle().shortVersion = std::move(version);
}

std::string dataContainerPathForIdentifier(std::string_view bundleIdentifier) {
  return devicePath("/var/mobile/Containers/Data/Application/" + std::string(bundleIdentifier));
}

std::string NSHomeDirectory() {
  if (mainBundleIdentifier() == kPhoneApplication) {
    return dataContainerPathForIdentifier(kPhoneApplication);
  }
  return devicePath("/var/mobile");
}

std::optional<LSBundleProxy> LSBundleProxy::bundleProxyForIdentifier(std::string_view identifier) {
  if (identifier.empty() || identifier.find('/') != std::string_view::npos || identifier == "." ||
      identifier == "..") {
    return std::nullopt;
  }
  return LSBundleProxy(std::string(identifier));
}

std::string LSBundleProxy::dataContainerURL() const {
  return dataContainerPathForIdentifier(identifier_);
}

}  // namespace platform
