#include "platform/ui_alert.h"

#include <cstdio>

#include "class_registry.h"

namespace platform {

Class UIAlertAction::objcClass() {
  static const Class cls = internal::platformClass("UIAlertAction", NSObject::objcClass());
  return cls;
}

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(std::string title,
                                                              UIAlertActionStyle style,
                                                              Handler handler) {
  return std::make_shared<UIAlertAction>(std::move(title), style, std::move(handler));
}

UIAlertAction::UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler)
    : NSObject(objcClass()),
      title_(std::move(title)),
      style_(style),
      handler_(std::move(handler)) {}
UIAlertAction::~UIAlertAction() = default;

bool UIAlertAction::perform() {
  if (!enabled_ || !handler_) return false;
  handler_(this);
  return true;
}

Class UIAlertController::objcClass() {
  static const Class cls =
      internal::platformClass("UIAlertController", UIViewController::objcClass());
  return cls;
}

std::shared_ptr<UIAlertController> UIAlertController::alertControllerWithTitle(
    std::optional<std::string> title, std::optional<std::string> message,
    UIAlertControllerStyle preferredStyle) {
  return std::make_shared<UIAlertController>(std::move(title), std::move(message), preferredStyle);
}

UIAlertController::UIAlertController(std::optional<std::string> title,
                                     std::optional<std::string> message,
                                     UIAlertControllerStyle preferredStyle)
    : UIViewController(objcClass()),
      title_(std::move(title)),
      message_(std::move(message)),
      preferredStyle_(preferredStyle) {}
UIAlertController::~UIAlertController() = default;

void UIAlertController::addAction(std::shared_ptr<UIAlertAction> action) {
  if (action != nullptr) actions_.push_back(std::move(action));
}

void UIAlertController::addTextFieldWithConfigurationHandler(
    std::function<void(UITextField*)> handler) {
  if (preferredStyle_ != UIAlertControllerStyleAlert) {
    std::fprintf(stderr, "hushgate: text fields can only be added to an alert\n");
    return;
  }
  auto field = std::make_shared<UITextField>();
  textFields_.push_back(field);
  if (handler) handler(field.get());
}

}  // namespace platform
