// The running process's bundle information and the application containers of
// Launch Services.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// NSBundle mainBundle bundleIdentifier. Empty until the host sets it; a host
// sets it once at start, before it loads any injected library.
std::string mainBundleIdentifier();
void setMainBundleIdentifier(std::string identifier);

// The main bundle's "CFBundleShortVersionString": the project version unless a
// host or a test sets another.
std::string mainBundleShortVersion();
void setMainBundleShortVersion(std::string version);

// The data container of the application with this bundle identifier:
// <root>/var/mobile/Containers/Data/Application/<identifier>.
std::string dataContainerPathForIdentifier(std::string_view bundleIdentifier);

// NSHomeDirectory(): the data container of the running application when its
// bundle identifier is "com.apple.mobilephone", otherwise <root>/var/mobile.
std::string NSHomeDirectory();

// LSBundleProxy stand-in: bundleProxyForIdentifier: then dataContainerURL.
class LSBundleProxy {
 public:
  static std::optional<LSBundleProxy> bundleProxyForIdentifier(std::string_view identifier);

  const std::string& bundleIdentifier() const { return identifier_; }
  // The path of dataContainerURL.
  std::string dataContainerURL() const;

 private:
  explicit LSBundleProxy(std::string identifier) : identifier_(std::move(identifier)) {}
  std::string identifier_;
};

}  // namespace platform
