#include "platform/ui_table.h"

#include "class_registry.h"

namespace platform {

namespace {

constexpr char kDefaultDeleteTitle[] = "Delete";

// The platform's own swipe action: leave editing, then commit the delete.
std::shared_ptr<UITableViewRowAction> defaultDeleteAction(UITableView* tableView) {
  std::weak_ptr<UITableView> weakTable = weakRef(tableView);
  return UITableViewRowAction::rowActionWithStyle(
      UITableViewRowActionStyleDefault, kDefaultDeleteTitle,
      [weakTable](UITableViewRowAction*, NSIndexPath* indexPath) {
        std::shared_ptr<UITableView> table = weakTable.lock();
        if (table == nullptr) return;
        table->setEditing(false, true);
        std::shared_ptr<NSObject> controller = table->controller();
        const SEL commit = sel_registerName(kCommitEditingSelector);
        if (controller == nullptr || !class_respondsToSelector(controller->isa(), commit)) return;
        objc_msgSend<void, UITableView*, NSInteger, NSIndexPath*>(
            controller.get(), commit, table.get(), UITableViewCellEditingStyleDelete, indexPath);
      });
}

}  // namespace

Class NSIndexPath::objcClass() {
  static const Class cls = internal::platformClass("NSIndexPath", NSObject::objcClass());
  return cls;
}

std::shared_ptr<NSIndexPath> NSIndexPath::indexPathForRow(NSInteger row, NSInteger section) {
  return std::make_shared<NSIndexPath>(row, section);
}

NSIndexPath::NSIndexPath(NSInteger row, NSInteger section)
    : NSObject(objcClass()), row_(row), section_(section) {}
NSIndexPath::~NSIndexPath() = default;

Class UITableViewCell::objcClass() {
  static const Class cls = internal::platformClass("UITableViewCell", UIView::objcClass());
  return cls;
}

UITableViewCell::UITableViewCell(Class cls) : UIView(cls) {}
UITableViewCell::~UITableViewCell() = default;

Class UITableViewRowAction::objcClass() {
  static const Class cls = internal::platformClass("UITableViewRowAction", NSObject::objcClass());
  return cls;
}

std::shared_ptr<UITableViewRowAction> UITableViewRowAction::rowActionWithStyle(
    UITableViewRowActionStyle style, std::string title, Handler handler) {
  return std::make_shared<UITableViewRowAction>(style, std::move(title), std::move(handler));
}

UITableViewRowAction::UITableViewRowAction(UITableViewRowActionStyle style, std::string title,
                                           Handler handler)
    : NSObject(objcClass()),
      style_(style),
      title_(std::move(title)),
      handler_(std::move(handler)) {}
UITableViewRowAction::~UITableViewRowAction() = default;

void UITableViewRowAction::perform(NSIndexPath* indexPath) {
  if (handler_) handler_(this, indexPath);
}

Class UITableView::objcClass() {
  static const Class cls = internal::platformClass("UITableView", UIView::objcClass());
  return cls;
}

UITableView::UITableView(Class cls) : UIView(cls) {}
UITableView::~UITableView() = default;

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(NSIndexPath* indexPath) {
  std::shared_ptr<NSObject> controller = controller_.lock();
  std::shared_ptr<UITableViewCell> cell =
      objc_msgSend<std::shared_ptr<UITableViewCell>, UITableView*, NSIndexPath*>(
          controller.get(), sel_registerName(kCellForRowSelector), this, indexPath);
  if (indexPath != nullptr) visibleCells_[{indexPath->section(), indexPath->row()}] = cell;
  return cell;
}

RowActions UITableView::editActionsForRowAtIndexPath(NSIndexPath* indexPath) {
  std::shared_ptr<NSObject> controller = controller_.lock();
  const SEL editActions = sel_registerName(kEditActionsSelector);
  if (controller != nullptr && class_respondsToSelector(controller->isa(), editActions)) {
    RowActions actions = objc_msgSend<RowActions, UITableView*, NSIndexPath*>(
        controller.get(), editActions, this, indexPath);
    if (!actions.empty()) return actions;
  }
  return {defaultDeleteAction(this)};
}

void UITableView::setEditing(bool editing, bool animated) {
  editing_ = editing;
  lastEditingChangeAnimated_ = animated;
}

}  // namespace platform
