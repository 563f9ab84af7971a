#include "platform/url_opener.h"

#include <cctype>
#include <chrono>
#include <vector>

#include "platform/paths.h"
#include "spawn.h"

namespace platform {

namespace {

constexpr std::chrono::seconds kDesktopQueryTimeout(5);

bool isSchemeCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

bool isValidBundleIdentifier(std::string_view identifier) {
  if (identifier.empty() || identifier.front() == '.') return false;
  for (char c : identifier) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') {
      return false;
    }
  }
  return true;
}

// The device's handler for the scheme, or "".
std::string deviceHandler(const std::string& scheme) {
  const std::string path = urlHandlersDirectory() + "/" + scheme;
  return internal::isExecutableFile(path) ? path : "";
}

// xdg-open, when the desktop names a default handler for the scheme; or "".
std::string desktopOpener(const std::string& scheme) {
  const std::string open = internal::findExecutable("xdg-open");
  const std::string mime = internal::findExecutable("xdg-mime");
  if (open.empty() || mime.empty()) return "";
  const std::optional<std::string> handler = internal::runForOutput(
      {mime, "query", "default", "x-scheme-handler/" + scheme}, kDesktopQueryTimeout);
  if (!handler) return "";
  for (char c : *handler) {
    if (!std::isspace(static_cast<unsigned char>(c))) return open;
  }
  return "";
}

}  // namespace

std::optional<std::string> urlScheme(std::string_view url) {
  const size_t colon = url.find(':');
  if (colon == 0 || colon == std::string_view::npos) return std::nullopt;
  if (!std::isalpha(static_cast<unsigned char>(url.front()))) return std::nullopt;
  std::string scheme;
  for (char c : url.substr(0, colon)) {
    if (!isSchemeCharacter(c)) return std::nullopt;
    scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return scheme;
}

std::string urlHandlersDirectory() {
  return devicePath("/Library/URLHandlers");
}

std::string launchersDirectory() {
  return devicePath("/Library/Launchers");
}

bool openURL(std::string_view url) {
  const std::optional<std::string> scheme = urlScheme(url);
  if (!scheme) return false;
  const std::string text(url);
  if (const std::string handler = deviceHandler(*scheme); !handler.empty()) {
    return internal::spawnDetached({handler, text});
  }
  if (const std::string opener = desktopOpener(*scheme); !opener.empty()) {
    return internal::spawnDetached({opener, text});
  }
  return false;
}

bool canOpenURL(std::string_view url) {
  const std::optional<std::string> scheme = urlScheme(url);
  if (!scheme) return false;
  return !deviceHandler(*scheme).empty() || !desktopOpener(*scheme).empty();
}

bool openApplicationWithBundleID(std::string_view bundleIdentifier) {
  if (!isValidBundleIdentifier(bundleIdentifier)) return false;
  const std::string launcher = launchersDirectory() + "/" + std::string(bundleIdentifier);
  if (!internal::isExecutableFile(launcher)) return false;
  return internal::spawnDetached({launcher});
}

}  // namespace platform
