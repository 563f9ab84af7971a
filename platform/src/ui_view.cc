#include "platform/ui_view.h"

#include "class_registry.h"

namespace platform {

Class UIView::objcClass() {
  static const Class cls = internal::platformClass("UIView", NSObject::objcClass());
  return cls;
}

UIView::UIView(Class cls) : NSObject(cls) {}
UIView::~UIView() = default;

Class UIImageView::objcClass() {
  static const Class cls = internal::platformClass("UIImageView", UIView::objcClass());
  return cls;
}

UIImageView::UIImageView(Class cls) : UIView(cls) {}
UIImageView::~UIImageView() = default;

Class UILabel::objcClass() {
  static const Class cls = internal::platformClass("UILabel", UIView::objcClass());
  return cls;
}

UILabel::UILabel(Class cls) : UIView(cls) {}
UILabel::~UILabel() = default;

Class UITextField::objcClass() {
  static const Class cls = internal::platformClass("UITextField", UIView::objcClass());
  return cls;
}

UITextField::UITextField(Class cls) : UIView(cls) {}
UITextField::~UITextField() = default;

Class UIViewController::objcClass() {
  static const Class cls = internal::platformClass("UIViewController", NSObject::objcClass());
  return cls;
}

UIViewController::UIViewController(Class cls) : NSObject(cls) {}
UIViewController::~UIViewController() = default;

}  // namespace platform
