// What the settings application's screens ask of the user interface, as
// plain models and one presenter interface, so that every screen's logic runs
// and is tested without a toolkit. The front end (Qt) implements Presenter and
// binds widgets to the models; tests use a recording presenter.
//
// Everything here runs on the main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// ---- Alerts

enum class AlertStyle { ActionSheet = 0, Alert = 1 };
enum class AlertActionStyle { Default = 0, Cancel = 1, Destructive = 2 };
enum class KeyboardType { Default, NumberPad, NumbersAndPunctuation };

// A button of an alert. Tapping it closes the alert first, then runs the
// handler (if any); a disabled button cannot be tapped.
struct AlertAction {
  std::string title;
  AlertActionStyle style = AlertActionStyle::Default;
  std::function<void()> handler;
  bool enabled = true;
};

// A text field of an alert. The front end keeps text current as the user
// types. shouldChange, when set, is the field's delegate: it is asked before
// every edit with the current text, the replaced range (in UTF-16 units, as
// the platform counts) and the replacement, and the edit is made only when it
// answers true.
struct AlertTextField {
  std::string text;
  std::string placeholder;
  KeyboardType keyboard = KeyboardType::Default;
  std::function<bool(const std::string& current, size_t location, size_t length,
                     const std::string& replacement)>
      shouldChange;
};

// A message shown with its own paragraph style ("attributedMessage").
struct AttributedMessage {
  std::string text;
  bool leftAligned = true;
  double systemFontSize = 14;
};

struct Alert {
  std::optional<std::string> title;
  std::optional<std::string> message;
  // Replaces message when set.
  std::optional<AttributedMessage> attributedMessage;
  AlertStyle style = AlertStyle::Alert;
  std::vector<std::shared_ptr<AlertTextField>> textFields;  // in order
  std::vector<std::shared_ptr<AlertAction>> actions;        // button order
};

// ---- Progress overlay

enum class HudIndicator { Indeterminate, Pie };

// The overlay shown over the root screen: dark style, an indicator, a text
// and, for the pie, a progress from 0 to 1.
struct Hud {
  HudIndicator indicator = HudIndicator::Indeterminate;
  std::optional<std::string> text;
  float progress = 0;
};

// ---- Screens

// A screen of the navigation stack, named by its storyboard scene identifier
// ("sb.zones", "sb.blacklist", ...). The concrete screen models (ZoneVC,
// BlacklistVC, HistoryVC, ...) derive from it; the front end finds out which
// one it got with dynamic_cast and binds its widgets to it.
class Screen {
 public:
  virtual ~Screen() = default;
  virtual std::string sceneIdentifier() const = 0;
};

// ---- The presenter

class Presenter {
 public:
  virtual ~Presenter() = default;

  // presentViewController:animated:completion: on the key window's root view
  // controller, animated, no completion.
  virtual void presentAlert(std::shared_ptr<Alert> alert) = 0;

  // The overlay: shown without animation over the root screen's view,
  // changed in place, dismissed without animation.
  virtual void showHud(const Hud& hud) = 0;
  virtual void updateHud(const Hud& hud) = 0;
  virtual void hideHud() = 0;

  // The navigation stack: push a screen with animation; pop the top one.
  virtual void pushScreen(std::shared_ptr<Screen> screen) = 0;
  virtual void popScreen(bool animated) = 0;

  // Other applications and the system.
  virtual void openApplication(const std::string& bundleIdentifier) = 0;  // LSApplicationWorkspace
  virtual bool canOpenURL(const std::string& url) = 0;
  virtual void openURL(const std::string& url) = 0;
  virtual void setPasteboardString(const std::string& text) = 0;  // UIPasteboard generalPasteboard
  virtual void suspend() = 0;    // "suspend": back to the home screen
  virtual void terminate() = 0;  // "terminateWithSuccess"

  // Asks the user for a file to write (kSave, suggestedName proposed) or to
  // read (kOpen), without blocking; done gets its path, and is not called
  // when the user cancels. The default chooses nothing.
  enum class FileChoice { kSave, kOpen };
  virtual void chooseFile(FileChoice /*choice*/, const std::string& /*suggestedName*/,
                          std::function<void(const std::string& path)> /*done*/) {}
};

// The process's presenter (set by the front end or a test before any screen
// runs; nullptr unsets it); returns the one it replaces. Without one,
// presenter() gives a stand-in that shows nothing and answers no.
Presenter* setPresenter(Presenter* presenter);
Presenter& presenter();

// Installs a presenter as the process's while it lives, then puts back the
// one it replaced (so scopes nest).
class ScopedPresenter {
 public:
  explicit ScopedPresenter(Presenter& presenter) : previous_(setPresenter(&presenter)) {}
  ~ScopedPresenter() { setPresenter(previous_); }
  ScopedPresenter(const ScopedPresenter&) = delete;
  ScopedPresenter& operator=(const ScopedPresenter&) = delete;

 private:
  Presenter* previous_;
};

}  // namespace gui
