#include "platform/uikit.h"

namespace platform {

void UIKitRegisterClasses() {
  UIImage::objcClass();
  UIView::objcClass();
  UIImageView::objcClass();
  UILabel::objcClass();
  UITextField::objcClass();
  UIViewController::objcClass();
  UIAlertController::objcClass();
  UIAlertAction::objcClass();
  NSIndexPath::objcClass();
  UITableViewCell::objcClass();
  UITableView::objcClass();
  UITableViewRowAction::objcClass();
}

}  // namespace platform
