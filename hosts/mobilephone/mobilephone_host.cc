#include "hosts/mobilephone/mobilephone_host.h"

#include <algorithm>
#include <utility>

#include "hosts/common/json_output.h"
#include "hosts/mobilephone/host_icon.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "platform/url_opener.h"

namespace mobilephone {

namespace {

using platform::Class;
using platform::id;
using platform::NSIndexPath;
using platform::SEL;

constexpr char kDeleteTitle[] = "Delete";
constexpr char kReplacedDeleteTitle[] = "🗑";

// The host's objects lead back to the host.
class ApplicationObject : public platform::NSObject {
 public:
  ApplicationObject(Class cls, MobilePhoneHost* host) : NSObject(cls), host(host) {}
  MobilePhoneHost* const host;
};

class RecentsController : public platform::UIViewController {
 public:
  RecentsController(Class cls, MobilePhoneHost* host) : UIViewController(cls), host(host) {}
  MobilePhoneHost* const host;
};

MobilePhoneHost& hostOf(id self) {
  return *static_cast<RecentsController*>(self)->host;
}

Class hostClass(const char* name, Class superclass) {
  if (Class cls = platform::objc_getClass(name)) return cls;
  return platform::objc_registerClass(name, superclass);
}

}  // namespace

MobilePhoneHost::MobilePhoneHost(std::FILE* out, std::vector<RecentsEntry> entries)
    : out_(out), entries_(std::move(entries)) {}

MobilePhoneHost::~MobilePhoneHost() {
  if (historyToken_ >= 0) platform::notify_cancel(historyToken_);
  platform::UIApplication::sharedApplication().setURLOpener(nullptr);
}

void MobilePhoneHost::registerClasses() {
  platform::UIKitRegisterClasses();
  platform::CHRecentCall::objcClass();
  platform::MPRecentsTableViewCell::objcClass();

  const Class application =
      hostClass(platform::kMobilePhoneApplicationClassName, platform::NSObject::objcClass());
  platform::class_addMethod(
      application, platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      &applicationDidFinishLaunching, "v@:@");

  const Class controller = hostClass(platform::kRecentsTableViewControllerClassName,
                                     platform::UIViewController::objcClass());
  platform::class_addMethod(
      controller, platform::sel_registerName(platform::kRecentCallAtTableViewIndexSelector),
      &recentCallAtTableViewIndex, "@@:q");
  platform::class_addMethod(controller, platform::sel_registerName(platform::kCellForRowSelector),
                            &cellForRow, "@@:@@");
  platform::class_addMethod(controller,
                            platform::sel_registerName(platform::kCommitEditingSelector),
                            &commitEditing, "v@:@q@");
  platform::class_addMethod(controller,
                            platform::sel_registerName(platform::kPresentViewControllerSelector),
                            &presentViewController, "v@:@B@?");

  icon_ = makeHostCallTypeIcon();
  application_ = std::make_shared<ApplicationObject>(application, this);
  controller_ = std::make_shared<RecentsController>(controller, this);
  tableView_ = std::make_shared<platform::UITableView>();
  tableView_->setController(controller_);
}

void MobilePhoneHost::finishLaunching() {
  platform::objc_msgSend<void, id>(
      application_.get(),
      platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      application_.get());
}

void MobilePhoneHost::applicationDidFinishLaunching(id, SEL, id) {
  // The recents list is drawn once the launch is over.
}

std::shared_ptr<platform::CHRecentCall> MobilePhoneHost::recentCallAtTableViewIndex(
    id self, SEL, platform::NSInteger index) {
  const MobilePhoneHost& host = hostOf(self);
  if (index < 0 || static_cast<size_t>(index) >= host.entries_.size()) return nullptr;
  return host.entries_[static_cast<size_t>(index)].call;
}

std::shared_ptr<platform::UITableViewCell> MobilePhoneHost::cellForRow(id self, SEL,
                                                                       platform::UITableView*,
                                                                       NSIndexPath* indexPath) {
  const MobilePhoneHost& host = hostOf(self);
  auto cell = std::make_shared<platform::MPRecentsTableViewCell>();
  cell->callTypeIconView()->setImage(host.icon_);
  cell->callTypeIconView()->setHidden(false);
  const platform::NSInteger row = indexPath == nullptr ? -1 : indexPath->row();
  if (row >= 0 && static_cast<size_t>(row) < host.entries_.size()) {
    cell->callerLabelLabel()->setText(host.entries_[static_cast<size_t>(row)].callerLabel);
  }
  return cell;
}

void MobilePhoneHost::commitEditing(id self, SEL, platform::UITableView*,
                                    platform::NSInteger editingStyle, NSIndexPath* indexPath) {
  MobilePhoneHost& host = hostOf(self);
  if (editingStyle != platform::UITableViewCellEditingStyleDelete || indexPath == nullptr) return;
  const platform::NSInteger row = indexPath->row();
  if (row < 0 || static_cast<size_t>(row) >= host.entries_.size()) return;
  host.entries_.erase(host.entries_.begin() + row);
  host.tableView_->reloadData();
}

void MobilePhoneHost::presentViewController(id self, SEL,
                                            platform::UIViewController* viewController, bool,
                                            platform::Block completion) {
  MobilePhoneHost& host = hostOf(self);
  host.presented_ = platform::retain(viewController);
  if (completion) completion();
  if (host.pendingLabel_) platform::mainQueue().async([&host] { host.confirmAlert(); });
}

bool MobilePhoneHost::isMarked(platform::UITableViewCell* cell) const {
  const auto* recents = dynamic_cast<platform::MPRecentsTableViewCell*>(cell);
  if (recents == nullptr) return false;
  const platform::UIImageView* icon = recents->callTypeIconView();
  return !icon->isHidden() && icon->image() != nullptr && icon->image() != icon_;
}

void MobilePhoneHost::printRows() {
  for (size_t row = 0; row < entries_.size(); ++row) {
    const auto indexPath = NSIndexPath::indexPathForRow(static_cast<platform::NSInteger>(row), 0);
    const std::shared_ptr<platform::UITableViewCell> cell =
        tableView_->cellForRowAtIndexPath(indexPath.get());
    nlohmann::ordered_json titles = nlohmann::ordered_json::array();
    for (const auto& action : tableView_->editActionsForRowAtIndexPath(indexPath.get())) {
      titles.push_back(action->title());
    }
    nlohmann::ordered_json line;
    line["row"] = row;
    line["marked"] = isMarked(cell.get());
    line["actions"] = std::move(titles);
    hosts::printJsonLine(out_, line);
  }
}

std::shared_ptr<platform::UITableViewRowAction> MobilePhoneHost::findAction(
    size_t row, const std::vector<std::string>& titles) {
  if (row >= entries_.size()) {
    fail("there is no row " + std::to_string(row) + " (the list has " +
         std::to_string(entries_.size()) + ")");
    return nullptr;
  }
  const auto indexPath = NSIndexPath::indexPathForRow(static_cast<platform::NSInteger>(row), 0);
  for (const auto& action : tableView_->editActionsForRowAtIndexPath(indexPath.get())) {
    if (std::find(titles.begin(), titles.end(), action->title()) != titles.end()) return action;
  }
  fail("row " + std::to_string(row) + " offers no \"" + titles.front() + "\" action");
  return nullptr;
}

bool MobilePhoneHost::deleteRow(size_t row) {
  const auto action = findAction(row, {kDeleteTitle, kReplacedDeleteTitle});
  if (action == nullptr) return false;
  const auto indexPath = NSIndexPath::indexPathForRow(static_cast<platform::NSInteger>(row), 0);
  tableView_->setEditing(true, true);  // the swipe
  action->perform(indexPath.get());
  printRows();
  return true;
}

bool MobilePhoneHost::addToBlacklist(size_t row, std::string label) {
  const auto action = findAction(row, {kAddToBlacklistTitle});
  if (action == nullptr) return false;
  platform::UIApplication::sharedApplication().setURLOpener([this](const std::string& url) {
    urlOpened_ = true;
    nlohmann::ordered_json line;
    line["url"] = url;
    hosts::printJsonLine(out_, line);
    return platform::openURL(url);
  });
  pendingLabel_ = std::move(label);
  const auto indexPath = NSIndexPath::indexPathForRow(static_cast<platform::NSInteger>(row), 0);
  tableView_->setEditing(true, true);  // the swipe
  action->perform(indexPath.get());
  platform::afterOnMainQueue(kAlertPatienceSeconds, [this] {
    if (pendingLabel_ && presented_ == nullptr) fail("the action presented no alert");
  });
  return true;
}

void MobilePhoneHost::confirmAlert() {
  if (!pendingLabel_) return;
  const auto alert = std::dynamic_pointer_cast<platform::UIAlertController>(presented_);
  if (alert == nullptr || alert->textFields().empty()) {
    fail("the presented controller is no alert with a text field");
    return;
  }
  alert->textFields().front()->setText(*pendingLabel_);
  const auto& actions = alert->actions();
  const auto ok = std::find_if(actions.begin(), actions.end(),
                               [](const auto& action) { return action->title() == kAlertOKTitle; });
  if (ok == actions.end()) {
    fail("the alert has no \"OK\" action");
    return;
  }
  (*ok)->perform();
  if (!urlOpened_) {
    fail("\"OK\" opened no URL");
    return;
  }
  pendingLabel_.reset();
}

void MobilePhoneHost::watchHistory() {
  // Deliveries of one post run in registration order: the injected library
  // registered during launch, so its reload runs before this report.
  if (platform::notify_register_dispatch(kMPBlockHistoryAddedNotification, &historyToken_,
                                         platform::mainQueue(), [this](int) { printRows(); }) !=
      platform::NOTIFY_STATUS_OK) {
    historyToken_ = -1;
    fail(std::string("cannot register for ") + kMPBlockHistoryAddedNotification);
  }
}

void MobilePhoneHost::fail(const std::string& message) {
  std::fprintf(stderr, "mobilephone: %s\n", message.c_str());
  failed_ = true;
  pendingLabel_.reset();
}

}  // namespace mobilephone
