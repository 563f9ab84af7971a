// UIKit stand-ins for views and view controllers: only what the recents list
// and its alerts use. Like the platform's, these objects belong to the main
// thread and take no locks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/runtime.h"
#include "platform/ui_graphics.h"

namespace platform {

// A block without arguments (completion handlers).
using Block = std::function<void()>;

class UIView : public NSObject {
 public:
  static Class objcClass();  // "UIView"
  explicit UIView(Class cls = objcClass());
  ~UIView() override;

  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }

 private:
  bool hidden_ = false;
};

class UIImageView : public UIView {
 public:
  static Class objcClass();  // "UIImageView"
  explicit UIImageView(Class cls = objcClass());
  ~UIImageView() override;

  const std::shared_ptr<UIImage>& image() const { return image_; }
  void setImage(std::shared_ptr<UIImage> image) { image_ = std::move(image); }

 private:
  std::shared_ptr<UIImage> image_;
};

class UILabel : public UIView {
 public:
  static Class objcClass();  // "UILabel"
  explicit UILabel(Class cls = objcClass());
  ~UILabel() override;

  // UTF-8 text; nil reads as the empty text, as with the platform's labels.
  const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

class UITextField : public UIView {
 public:
  static Class objcClass();  // "UITextField"
  explicit UITextField(Class cls = objcClass());
  ~UITextField() override;

  const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

class UIViewController : public NSObject {
 public:
  static Class objcClass();  // "UIViewController"
  explicit UIViewController(Class cls = objcClass());
  ~UIViewController() override;
};

// presentViewController:animated:completion: of a view controller class; the
// host's controller implements it (the Phone application's recents list
// records the alert it is asked to present). completion may be empty.
using PresentViewControllerIMP = void (*)(id self, SEL _cmd, UIViewController* viewController,
                                          bool animated, Block completion);

}  // namespace platform
