#include "platform/phone.h"

#include "class_registry.h"

namespace platform {

Class CHRecentCall::objcClass() {
  static const Class cls = internal::platformClass("CHRecentCall", NSObject::objcClass());
  return cls;
}

CHRecentCall::CHRecentCall(Class cls) : NSObject(cls) {}
CHRecentCall::~CHRecentCall() = default;

Class MPRecentsTableViewCell::objcClass() {
  static const Class cls =
      internal::platformClass("MPRecentsTableViewCell", UITableViewCell::objcClass());
  return cls;
}

MPRecentsTableViewCell::MPRecentsTableViewCell(Class cls)
    : UITableViewCell(cls),
      callTypeIconView_(std::make_shared<UIImageView>()),
      callerLabelLabel_(std::make_shared<UILabel>()) {}
MPRecentsTableViewCell::~MPRecentsTableViewCell() = default;

}  // namespace platform
