#include "hushgate-gui/core/screens/AppDelegate.h"

#include "hushgate-gui/core/models/url_command.h"

namespace gui {

bool AppDelegate::didFinishLaunchingWithOptions(const nlohmann::json& /*launchOptions*/) {
  return true;
}

bool AppDelegate::openURL(std::string_view url, const nlohmann::json& /*options*/) {
  runURLCommand(url);
  return true;
}

}  // namespace gui
