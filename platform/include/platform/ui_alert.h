// UIKit stand-ins for alerts: an alert controller with its actions and text
// fields. Main thread only.
//
// A handler that needs the alert (to read its text fields) should capture a
// weak reference or the text field itself: an alert that owns an action whose
// handler owns the alert is never freed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime.h"
#include "platform/ui_view.h"

namespace platform {

// UIAlertControllerStyle
enum UIAlertControllerStyle : NSInteger {
  UIAlertControllerStyleActionSheet = 0,
  UIAlertControllerStyleAlert = 1,
};

// UIAlertActionStyle
enum UIAlertActionStyle : NSInteger {
  UIAlertActionStyleDefault = 0,
  UIAlertActionStyleCancel = 1,
  UIAlertActionStyleDestructive = 2,
};

class UIAlertAction : public NSObject {
 public:
  using Handler = std::function<void(UIAlertAction* action)>;

  static Class objcClass();  // "UIAlertAction"
  // actionWithTitle:style:handler:. handler may be empty.
  static std::shared_ptr<UIAlertAction> actionWithTitle(std::string title, UIAlertActionStyle style,
                                                        Handler handler);

  UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler);
  ~UIAlertAction() override;

  const std::string& title() const { return title_; }
  UIAlertActionStyle style() const { return style_; }
  const Handler& handler() const { return handler_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

  // What a tap on the button does: runs the handler when the action is
  // enabled and has one. Returns whether it ran.
  bool perform();

 private:
  std::string title_;
  UIAlertActionStyle style_;
  Handler handler_;
  bool enabled_ = true;
};

class UIAlertController : public UIViewController {
 public:
  static Class objcClass();  // "UIAlertController", a UIViewController
  // alertControllerWithTitle:message:preferredStyle:
  static std::shared_ptr<UIAlertController> alertControllerWithTitle(
      std::optional<std::string> title, std::optional<std::string> message,
      UIAlertControllerStyle preferredStyle);

  UIAlertController(std::optional<std::string> title, std::optional<std::string> message,
                    UIAlertControllerStyle preferredStyle);
  ~UIAlertController() override;

  const std::optional<std::string>& title() const { return title_; }
  const std::optional<std::string>& message() const { return message_; }
  UIAlertControllerStyle preferredStyle() const { return preferredStyle_; }

  // addAction:. A null action is ignored.
  void addAction(std::shared_ptr<UIAlertAction> action);
  const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }

  // addTextFieldWithConfigurationHandler:: adds a text field, then lets the
  // handler (may be empty) set it up. Only alerts have text fields: on an
  // action sheet this is reported on stderr and nothing is added.
  void addTextFieldWithConfigurationHandler(std::function<void(UITextField* textField)> handler);
  const std::vector<std::shared_ptr<UITextField>>& textFields() const { return textFields_; }

 private:
  std::optional<std::string> title_;
  std::optional<std::string> message_;
  UIAlertControllerStyle preferredStyle_;
  std::vector<std::shared_ptr<UIAlertAction>> actions_;
  std::vector<std::shared_ptr<UITextField>> textFields_;
};

}  // namespace platform
