// The Phone application host: its classes in the runtime
// ("MobilePhoneApplication", "MPRecentsTableViewController" and the list's
// cell and recent-call classes), a recent-calls table drawn through the
// runtime so that injected hooks take part, and the user's gestures on it.
//
// A row is reported as one JSON line:
//   {"row": I, "marked": BOOL, "actions": [TITLE, ...]}
// "marked": the cell's call-type icon view is visible and shows an image
// other than the host's own icon. "actions": the titles of what a swipe over
// the row offers, in order.
#pragma once

#include "statics/contracts/names.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hosts/mobilephone/recents_list.h"
#include "platform/phone.h"
#include "platform/runtime.h"
#include "platform/uikit.h"

namespace mobilephone {

inline constexpr const char* kBundleIdentifier = kMobilePhoneBundleIdentifier;
inline constexpr char kAddToBlacklistTitle[] = "🚫";
inline constexpr char kAlertOKTitle[] = "OK";
// How long the add-to-blacklist action may take to present its alert.
inline constexpr double kAlertPatienceSeconds = 5;

class MobilePhoneHost {
 public:
  // Rows are the entries, in order; reports go to out. Make it on the main
  // thread.
  MobilePhoneHost(std::FILE* out, std::vector<RecentsEntry> entries);
  ~MobilePhoneHost();
  MobilePhoneHost(const MobilePhoneHost&) = delete;
  MobilePhoneHost& operator=(const MobilePhoneHost&) = delete;

  // Registers the classes and makes the application, controller and table.
  // Before injection.
  void registerClasses();
  // Sends applicationDidFinishLaunching: to the application object.
  void finishLaunching();

  // Draws every row and reports it.
  void printRows();

  // Runs the row's delete action (titled "Delete", or the delete action that
  // replaces it) as a swipe would, then reports the rows again. False, with a
  // message on stderr, when there is no such row or action.
  bool deleteRow(size_t row);

  // Runs the row's add-to-blacklist action. Once the alert it presents is
  // up, types label into its text field and taps "OK"; the URL the action
  // opens is reported as {"url": URL} and then handed to the platform's URL
  // opener. The work goes on in the main loop; done() tells when it is over.
  // False, with a message on stderr, when the row offers no such action.
  bool addToBlacklist(size_t row, std::string label);

  // Reports the rows again after each block history notification, once the
  // injected library (registered during launch) has reloaded.
  void watchHistory();

  // No gesture is under way.
  bool idle() const { return !pendingLabel_; }
  // Something went wrong (reported on stderr).
  bool failed() const { return failed_; }

  size_t rowCount() const { return entries_.size(); }

 private:
  // The host's own methods.
  static void applicationDidFinishLaunching(platform::id self, platform::SEL cmd,
                                            platform::id application);
  static std::shared_ptr<platform::CHRecentCall> recentCallAtTableViewIndex(
      platform::id self, platform::SEL cmd, platform::NSInteger index);
  static std::shared_ptr<platform::UITableViewCell> cellForRow(platform::id self, platform::SEL cmd,
                                                               platform::UITableView* tableView,
                                                               platform::NSIndexPath* indexPath);
  static void commitEditing(platform::id self, platform::SEL cmd, platform::UITableView* tableView,
                            platform::NSInteger editingStyle, platform::NSIndexPath* indexPath);
  static void presentViewController(platform::id self, platform::SEL cmd,
                                    platform::UIViewController* viewController, bool animated,
                                    platform::Block completion);

  bool isMarked(platform::UITableViewCell* cell) const;
  std::shared_ptr<platform::UITableViewRowAction> findAction(
      size_t row, const std::vector<std::string>& titles);
  void confirmAlert();
  void fail(const std::string& message);

  std::FILE* out_;
  std::vector<RecentsEntry> entries_;
  std::shared_ptr<platform::UIImage> icon_;
  std::shared_ptr<platform::NSObject> application_;
  std::shared_ptr<platform::UIViewController> controller_;
  std::shared_ptr<platform::UITableView> tableView_;
  std::shared_ptr<platform::UIViewController> presented_;
  std::optional<std::string> pendingLabel_;  // an add-to-blacklist gesture under way
  bool urlOpened_ = false;
  bool failed_ = false;
  int historyToken_ = -1;
};

}  // namespace mobilephone
