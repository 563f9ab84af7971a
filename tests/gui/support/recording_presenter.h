// A presenter for tests: records everything the screens ask of the user
// interface and lets the test act as the user on the alerts it was shown.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/ui.h"

namespace gui_testing {

class RecordingPresenter : public gui::Presenter {
 public:
  enum class HudCall { Show, Update, Hide };
  struct HudEvent {
    HudCall call;
    gui::Hud hud;  // the overlay shown or updated (empty for Hide)
  };

  // ---- gui::Presenter
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
  // Records the request; answers with chosenFile unless it is empty (the
  // user cancelled).
  void chooseFile(FileChoice choice, const std::string& suggestedName,
                  std::function<void(const std::string& path)> done) override;
  void suspend() override;
  void terminate() override;

  // ---- What was asked, in order
  std::vector<std::shared_ptr<gui::Alert>> alerts;  // every alert presented
  std::vector<HudEvent> hudEvents;
  std::optional<gui::Hud> hud;  // the overlay on screen now
  std::vector<std::shared_ptr<gui::Screen>> pushedScreens;
  std::vector<bool> pops;  // one per popScreen, its animated flag
  std::vector<std::string> openedApplications;
  std::vector<std::string> canOpenURLQueries;
  std::vector<std::string> openedURLs;
  std::vector<std::string> pasteboardStrings;
  std::vector<std::pair<FileChoice, std::string>> fileChoices;  // and the suggested name
  std::string chosenFile;
  int suspendCount = 0;
  int terminateCount = 0;

  // canOpenURL answers true for these URLs.
  std::set<std::string> openableURLs;

  // ---- Acting as the user

  // The last alert presented that is still open (no button tapped), or null.
  std::shared_ptr<gui::Alert> openAlert() const;
  // How many alerts are open.
  size_t openAlertCount() const;
  // The button titles of an alert, in order.
  static std::vector<std::string> actionTitles(const gui::Alert& alert);

  // Taps the button with this title on the open alert: the alert closes, then
  // the button's handler runs. False (nothing happens) when no alert is open,
  // it has no such button or the button is disabled.
  bool tap(const std::string& title);

  // Edits text field `field` of the open alert as the keyboard would: the
  // field's delegate (shouldChange) is asked first, with the range counted in
  // UTF-16 units; the edit is made only when it answers true (or there is no
  // delegate). Returns whether the edit was made.
  bool replaceText(size_t field, size_t location, size_t length, const std::string& replacement);
  // Types (or pastes) text at the end of the field: one edit.
  bool type(size_t field, const std::string& text);
  // Types text one character at a time; returns how many characters were
  // accepted.
  size_t typeEachCharacter(size_t field, const std::string& text);

 private:
  std::set<const gui::Alert*> closed_;
};

}  // namespace gui_testing
