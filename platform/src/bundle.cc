#include "platform/bundle.h"

#include <mutex>

#include "platform/paths.h"
#include "platform/version.h"

namespace platform {

namespace {

struct MainBundle {
  std::mutex mutex;
  std::string identifier;
  bool inDataContainer = false;
  std::string shortVersion = HUSHGATE_VERSION;
};

MainBundle& mainBundle() {
  static MainBundle* const bundle = new MainBundle();  // never destroyed
  return *bundle;
}

}  // namespace

std::string mainBundleIdentifier() {
  std::lock_guard lock(mainBundle().mutex);
  return mainBundle().identifier;
}

void setMainBundleIdentifier(std::string identifier, HomeDirectory home) {
  std::lock_guard lock(mainBundle().mutex);
  mainBundle().identifier = std::move(identifier);
  mainBundle().inDataContainer = home == HomeDirectory::kDataContainer;
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
  std::unique_lock lock(mainBundle().mutex);
  if (mainBundle().inDataContainer) {
    const std::string identifier = mainBundle().identifier;
    lock.unlock();
    return dataContainerPathForIdentifier(identifier);
  }
  lock.unlock();
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
