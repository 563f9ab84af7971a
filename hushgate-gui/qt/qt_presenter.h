// The presenter of the windowed application: alerts as modal dialogs over
// the window (shown without blocking the event loop), the overlay, the
// navigation stack, the platform's opener for other applications and URLs,
// the clipboard, and suspending and ending the application.
#pragma once

#include "hushgate-gui/core/kit/ui.h"

namespace gui_qt {

class NavigationWindow;

class QtPresenter : public gui::Presenter {
 public:
  explicit QtPresenter(NavigationWindow* window) : window_(window) {}

  void presentAlert(std::shared_ptr<gui::Alert> alert) override;
  void showHud(const gui::Hud& hud) override;
  void updateHud(const gui::Hud& hud) override;
  void hideHud() override;
  void pushScreen(std::shared_ptr<gui::Screen> screen) override;
  void popScreen(bool animated) override;
  void openApplication(const std::string& bundleIdentifier) override;
  bool canOpenURL(const std::string& url) override;
  void openURL(const std::string& url) override;
  void setPasteboardString(const std::string& text) override;
  void suspend() override;
  void terminate() override;
  // A Qt file dialog over the window (Qt's own, not the desktop's, so that it
  // works on every platform), named "fileDialog".
  void chooseFile(FileChoice choice, const std::string& suggestedName,
                  std::function<void(const std::string& path)> done) override;

 private:
  NavigationWindow* window_;
};

}  // namespace gui_qt
