// The running process's bundle information and the application containers of
// Launch Services.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where an application's home directory is: the shared user folder
// (<root>/var/mobile), as for the home screen, or its own data container, as
// for a sandboxed application such as the Phone application.
enum class HomeDirectory { kUserFolder, kDataContainer };

// NSBundle mainBundle bundleIdentifier. Empty until the host sets it; a host
// sets it once at start, before it loads any injected library, together with
// where its home directory is.
std::string mainBundleIdentifier();
void setMainBundleIdentifier(std::string identifier,
                             HomeDirectory home = HomeDirectory::kUserFolder);

// The main bundle's "CFBundleShortVersionString": the project version unless a
// host or a test sets another.
std::string mainBundleShortVersion();
void setMainBundleShortVersion(std::string version);

// The data container of the application with this bundle identifier:
// <root>/var/mobile/Containers/Data/Application/<identifier>.
std::string dataContainerPathForIdentifier(std::string_view bundleIdentifier);

// NSHomeDirectory(): the data container of the running application when it
// runs in one (HomeDirectory::kDataContainer), otherwise <root>/var/mobile.
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
