// The application delegate: the application has no launch work of its own
// (the main screen loads itself), and opening a URL runs its URL command.
#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

namespace gui {

class AppDelegate {
 public:
  // application:didFinishLaunchingWithOptions:: always true.
  bool didFinishLaunchingWithOptions(const nlohmann::json& launchOptions);
  // application:openURL:options:: runs the URL's command (url_command.h);
  // always true, whatever the URL.
  bool openURL(std::string_view url, const nlohmann::json& options);

  // The remaining application events do nothing.
  void applicationWillResignActive() {}
  void applicationDidEnterBackground() {}
  void applicationWillEnterForeground() {}
  void applicationDidBecomeActive() {}
  void applicationWillTerminate() {}
};

}  // namespace gui
