// UIKit stand-ins for table views: index paths, cells, the table view, and
// row actions (what a swipe over a row offers). The table's controller is a
// host object reached through the runtime, so hooks on its methods take part.
// Main thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime.h"
#include "platform/ui_graphics.h"
#include "platform/ui_view.h"

namespace platform {

class NSIndexPath : public NSObject {
 public:
  static Class objcClass();  // "NSIndexPath"
  static std::shared_ptr<NSIndexPath> indexPathForRow(NSInteger row, NSInteger section);

  NSIndexPath(NSInteger row, NSInteger section);
  ~NSIndexPath() override;

  NSInteger row() const { return row_; }
  NSInteger section() const { return section_; }

 private:
  NSInteger row_;
  NSInteger section_;
};

class UITableViewCell : public UIView {
 public:
  static Class objcClass();  // "UITableViewCell"
  explicit UITableViewCell(Class cls = objcClass());
  ~UITableViewCell() override;
};

// UITableViewCellEditingStyle
enum UITableViewCellEditingStyle : NSInteger {
  UITableViewCellEditingStyleNone = 0,
  UITableViewCellEditingStyleDelete = 1,
  UITableViewCellEditingStyleInsert = 2,
};

// UITableViewRowActionStyle
enum UITableViewRowActionStyle : NSInteger {
  UITableViewRowActionStyleDefault = 0,  // destructive: red by default
  UITableViewRowActionStyleDestructive = UITableViewRowActionStyleDefault,
  UITableViewRowActionStyleNormal = 1,
};

class UITableViewRowAction : public NSObject {
 public:
  // Runs when the user taps the action, with the action and the row's index
  // path (both valid for the call).
  using Handler = std::function<void(UITableViewRowAction* action, NSIndexPath* indexPath)>;

  static Class objcClass();  // "UITableViewRowAction"
  // rowActionWithStyle:title:handler:. title is UTF-8 text.
  static std::shared_ptr<UITableViewRowAction> rowActionWithStyle(UITableViewRowActionStyle style,
                                                                  std::string title,
                                                                  Handler handler);

  UITableViewRowAction(UITableViewRowActionStyle style, std::string title, Handler handler);
  ~UITableViewRowAction() override;

  UITableViewRowActionStyle style() const { return style_; }
  const std::string& title() const { return title_; }
  const Handler& handler() const { return handler_; }
  // nullopt: the style's own colour.
  const std::optional<UIColor>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<UIColor> color) { backgroundColor_ = color; }

  // What a tap does: runs the handler, if there is one.
  void perform(NSIndexPath* indexPath);

 private:
  UITableViewRowActionStyle style_;
  std::string title_;
  Handler handler_;
  std::optional<UIColor> backgroundColor_;
};

using RowActions = std::vector<std::shared_ptr<UITableViewRowAction>>;

class UITableView;

// The controller methods a table view calls, with their C++ signatures.
//
// tableView:cellForRowAtIndexPath: (the row's cell; nil for none)
using TableViewCellForRowIMP = std::shared_ptr<UITableViewCell> (*)(id self, SEL _cmd,
                                                                    UITableView* tableView,
                                                                    NSIndexPath* indexPath);
// tableView:editActionsForRowAtIndexPath: (type encoding "@@:@@"): the row's
// actions in order; an empty list means the default ones.
using TableViewEditActionsIMP = RowActions (*)(id self, SEL _cmd, UITableView* tableView,
                                               NSIndexPath* indexPath);
// tableView:commitEditingStyle:forRowAtIndexPath:
using TableViewCommitEditingIMP = void (*)(id self, SEL _cmd, UITableView* tableView,
                                           NSInteger editingStyle, NSIndexPath* indexPath);

inline constexpr char kCellForRowSelector[] = "tableView:cellForRowAtIndexPath:";
inline constexpr char kEditActionsSelector[] = "tableView:editActionsForRowAtIndexPath:";
inline constexpr char kCommitEditingSelector[] = "tableView:commitEditingStyle:forRowAtIndexPath:";

class UITableView : public UIView {
 public:
  static Class objcClass();  // "UITableView"
  explicit UITableView(Class cls = objcClass());
  ~UITableView() override;

  // The controller that draws the rows and handles editing (data source and
  // delegate in one). Held weakly, as the platform does.
  void setController(const std::shared_ptr<NSObject>& controller) { controller_ = controller; }
  std::shared_ptr<NSObject> controller() const { return controller_.lock(); }

  // cellForRowAtIndexPath:: the row's cell, drawn by the controller
  // (tableView:cellForRowAtIndexPath: through the runtime). nil without a
  // controller. Like the platform's table, the table keeps the cell of each
  // row it drew (its visible cells) until the row is drawn again or the
  // table is reloaded, so a plain pointer to it stays valid meanwhile.
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(NSIndexPath* indexPath);
  // reloadData: forgets the cells drawn so far.
  void reloadData() { visibleCells_.clear(); }

  // What a swipe over the row offers: the controller's
  // tableView:editActionsForRowAtIndexPath: when it responds to it and the
  // list is not empty; otherwise the default single action, "Delete" (style
  // default), which ends editing and commits the delete editing style
  // (tableView:commitEditingStyle:forRowAtIndexPath:) for its index path.
  RowActions editActionsForRowAtIndexPath(NSIndexPath* indexPath);

  bool isEditing() const { return editing_; }
  // setEditing:animated:. Also records whether the last change was animated.
  void setEditing(bool editing, bool animated);
  bool lastEditingChangeAnimated() const { return lastEditingChangeAnimated_; }

 private:
  std::weak_ptr<NSObject> controller_;
  std::map<std::pair<NSInteger, NSInteger>, std::shared_ptr<UITableViewCell>> visibleCells_;
  bool editing_ = false;
  bool lastEditingChangeAnimated_ = false;
};

}  // namespace platform
