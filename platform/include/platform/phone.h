// The Phone application's recent-calls list: the recent-call objects, the
// list's cell, and the methods of its controller "MPRecentsTableViewController"
// (a host class that the mobilephone host registers; its methods are called
// through the runtime, so hooks on them take part).
//
// How the tweak reaches these: a hook receives the controller as id self and
// the table view and index path as plain pointers; it asks the controller for
// a row's recent call (recentCallAtTableViewIndex: through objc_msgSend), and
// turns a cell into the list's own type with
//   object_getClass(cell) == objc_getClass("MPRecentsTableViewCell")
//   auto* recents = dynamic_cast<MPRecentsTableViewCell*>(cell);
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime.h"
#include "platform/ui_table.h"
#include "platform/ui_view.h"

namespace platform {

// The key of an occurrence's unique id in CHRecentCall callOccurrences.
inline constexpr char kCHCallOccurrenceUniqueIdKey[] = "kCHCallOccurrenceUniqueIdKey";

// A call of the recent-calls list. Plain data: the host fills it.
class CHRecentCall : public NSObject {
 public:
  static Class objcClass();  // "CHRecentCall"
  explicit CHRecentCall(Class cls = objcClass());
  ~CHRecentCall() override;

  NSInteger callStatus = 0;  // 8: a call that was not answered
  // One dictionary per occurrence of the call (a row may stand for several
  // calls); kCHCallOccurrenceUniqueIdKey holds the occurrence's unique id.
  std::vector<std::map<std::string, std::string>> callOccurrences;
  std::string uniqueId;
  std::optional<std::string> callerId;  // the caller's number, when known
};

// The cell of the recent-calls list.
class MPRecentsTableViewCell : public UITableViewCell {
 public:
  static Class objcClass();  // "MPRecentsTableViewCell", a UITableViewCell
  explicit MPRecentsTableViewCell(Class cls = objcClass());
  ~MPRecentsTableViewCell() override;

  // The call-type icon and the caller's label; the cell owns both views.
  UIImageView* callTypeIconView() const { return callTypeIconView_.get(); }
  UILabel* callerLabelLabel() const { return callerLabelLabel_.get(); }

 private:
  std::shared_ptr<UIImageView> callTypeIconView_;
  std::shared_ptr<UILabel> callerLabelLabel_;
};

inline constexpr char kMobilePhoneApplicationClassName[] = "MobilePhoneApplication";
inline constexpr char kRecentsTableViewControllerClassName[] = "MPRecentsTableViewController";

// MPRecentsTableViewController recentCallAtTableViewIndex:: the recent call
// of a row; nil for a row that does not exist. Its other methods:
// tableView:cellForRowAtIndexPath: (TableViewCellForRowIMP),
// tableView:commitEditingStyle:forRowAtIndexPath: (TableViewCommitEditingIMP),
// presentViewController:animated:completion: (PresentViewControllerIMP); it
// does not implement tableView:editActionsForRowAtIndexPath:
// (TableViewEditActionsIMP), so its rows offer the default actions.
using RecentCallAtTableViewIndexIMP = std::shared_ptr<CHRecentCall> (*)(id self, SEL _cmd,
                                                                        NSInteger index);
inline constexpr char kRecentCallAtTableViewIndexSelector[] = "recentCallAtTableViewIndex:";
inline constexpr char kPresentViewControllerSelector[] =
    "presentViewController:animated:completion:";

}  // namespace platform
