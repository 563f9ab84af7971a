// An injected library for the host tests that uses the hooks the way a tweak
// does, with trivial rules, so that the tests see the hosts' side of every
// path. It acts only in the two hosts.
//
// springboard: a ringing incoming call whose number begins with "170" is
// hung up and its later events are kept from the host; a record
// {"u","p","d","r":4,"rd":"probe"} is appended to the block history (unless
// the number begins with "1709") and "com.tevrin.hushgate.mp-block-history-added"
// is posted. The launch hook writes <root>/probe-launched.
//
// mobilephone: rows of calls with status 8 whose unique id is in the block
// history are marked with the probe's icon; rows offer ["🚫", "🗑"], marked
// rows only ["🗑"]. "🚫" presents (0.5 s later) an alert with one text field
// and "OK", which opens "hushgate://probe/?number=NUMBER&label=TEXT".
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/bundle.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "platform/phone.h"
#include "platform/springboard.h"
#include "platform/uikit.h"

namespace {

using namespace platform;

constexpr char kHistoryAdded[] = "com.tevrin.hushgate.mp-block-history-added";

std::string historyPath() {
  return LSBundleProxy::bundleProxyForIdentifier("com.apple.mobilephone")->dataContainerURL() +
         "/Documents/hushgate-history.txt";
}

// ---- springboard

ApplicationDidFinishLaunchingIMP originalSpringBoardLaunch = nullptr;
CallEventHandlerIMP originalCallEventHandler = nullptr;
TUCallRef blockedCall;

void springBoardLaunch(id self, SEL cmd, id application) {
  originalSpringBoardLaunch(self, cmd, application);
  std::ofstream(devicePath("/probe-launched")) << "springboard\n";
}

void appendRecord(std::string uniqueId, std::string number) {
  globalQueue().async([uniqueId, number] {
    std::filesystem::create_directories(std::filesystem::path(historyPath()).parent_path());
    std::ofstream(historyPath(), std::ios::app)
        << nlohmann::json{{"u", uniqueId}, {"p", number}, {"d", 0}, {"r", 4}, {"rd", "probe"}}
               .dump()
        << "\n";
    mainQueue().async([] { notify_post(kHistoryAdded); });
  });
}

void callEventHandler(id self, SEL cmd, NSNotification* notification) {
  const TUCallRef& call = notification->object;
  if (blockedCall != nullptr) {
    if (call != blockedCall) return originalCallEventHandler(self, cmd, notification);
    if (call->status == 6) blockedCall.reset();
    return;  // swallowed
  }
  const std::string number = call->handle ? call->handle->value : "";
  if (call->status == 4 && call->isIncoming && number.rfind("170", 0) == 0) {
    blockedCall = call;
    TUCallCenter::sharedInstance().disconnectCall(call);
    if (number.rfind("1709", 0) != 0) appendRecord(call->uniqueProxyIdentifier, number);
    return;
  }
  originalCallEventHandler(self, cmd, notification);
}

// ---- mobilephone

ApplicationDidFinishLaunchingIMP originalPhoneLaunch = nullptr;
TableViewCellForRowIMP originalCellForRow = nullptr;
std::shared_ptr<UIImage> probeIcon;
std::set<std::string> blockedIds;

void loadBlockedIds() {
  blockedIds.clear();
  std::ifstream in(historyPath());
  for (std::string line; std::getline(in, line);) {
    const auto record = nlohmann::json::parse(line, nullptr, false);
    if (record.is_object() && record.contains("u"))
      blockedIds.insert(record["u"].get<std::string>());
  }
}

void phoneLaunch(id self, SEL cmd, id application) {
  originalPhoneLaunch(self, cmd, application);
  probeIcon = std::make_shared<UIImage>(32, 32, UIScreen::mainScreen().scale());
  loadBlockedIds();
  int token = 0;
  notify_register_dispatch(kHistoryAdded, &token, mainQueue(), [](int) { loadBlockedIds(); });
}

std::shared_ptr<CHRecentCall> recentCall(id controller, NSIndexPath* indexPath) {
  return objc_msgSend<std::shared_ptr<CHRecentCall>, NSInteger>(
      controller, sel_registerName(kRecentCallAtTableViewIndexSelector), indexPath->row());
}

std::shared_ptr<UITableViewCell> cellForRow(id self, SEL cmd, UITableView* tableView,
                                            NSIndexPath* indexPath) {
  std::shared_ptr<UITableViewCell> cell = originalCellForRow(self, cmd, tableView, indexPath);
  const std::shared_ptr<CHRecentCall> call = recentCall(self, indexPath);
  auto* recents = dynamic_cast<MPRecentsTableViewCell*>(cell.get());
  if (recents != nullptr && call != nullptr && call->callStatus == 8 &&
      blockedIds.count(call->uniqueId) > 0) {
    recents->callTypeIconView()->setImage(probeIcon);
    recents->callTypeIconView()->setHidden(false);
  }
  return cell;
}

void presentAlert(id controller, const std::string& number, const std::string& label) {
  auto alert = UIAlertController::alertControllerWithTitle("Add Tag", std::nullopt,
                                                           UIAlertControllerStyleAlert);
  alert->addTextFieldWithConfigurationHandler(
      [label](UITextField* field) { field->setText(label); });
  std::weak_ptr<UIAlertController> weakAlert = alert;
  alert->addAction(UIAlertAction::actionWithTitle(
      "OK", UIAlertActionStyleDefault, [weakAlert, number](UIAlertAction*) {
        const auto shown = weakAlert.lock();
        UIApplication::sharedApplication().openURL("hushgate://probe/?number=" + number +
                                                   "&label=" + shown->textFields()[0]->text());
      }));
  objc_msgSend<void, UIViewController*, bool, Block>(
      controller, sel_registerName(kPresentViewControllerSelector), alert.get(), true, Block());
}

RowActions editActions(id self, SEL, UITableView* tableView, NSIndexPath*) {
  std::weak_ptr<NSObject> controller = weakRef(self);
  std::weak_ptr<UITableView> table = weakRef(tableView);
  RowActions actions = {UITableViewRowAction::rowActionWithStyle(
      UITableViewRowActionStyleDefault, "🗑",
      [controller, table](UITableViewRowAction*, NSIndexPath* path) {
        table.lock()->setEditing(false, false);
        objc_msgSend<void, UITableView*, NSInteger, NSIndexPath*>(
            controller.lock().get(), sel_registerName(kCommitEditingSelector), table.lock().get(),
            UITableViewCellEditingStyleDelete, path);
      })};
  return actions;
}

RowActions editActionsWithBlacklist(id self, SEL cmd, UITableView* tableView,
                                    NSIndexPath* indexPath) {
  RowActions actions = editActions(self, cmd, tableView, indexPath);
  const std::shared_ptr<UITableViewCell> drawn = tableView->cellForRowAtIndexPath(indexPath);
  auto* cell = dynamic_cast<MPRecentsTableViewCell*>(drawn.get());
  if (cell == nullptr ||
      (!cell->callTypeIconView()->isHidden() && cell->callTypeIconView()->image() == probeIcon)) {
    return actions;
  }
  const std::shared_ptr<CHRecentCall> call = recentCall(self, indexPath);
  const std::string number = call->callerId.value_or("");
  const std::string label = cell->callerLabelLabel()->text();
  std::weak_ptr<NSObject> controller = weakRef(self);
  std::weak_ptr<UITableView> table = weakRef(tableView);
  actions.insert(actions.begin(),
                 UITableViewRowAction::rowActionWithStyle(
                     UITableViewRowActionStyleNormal, "🚫",
                     [controller, table, number, label](UITableViewRowAction*, NSIndexPath*) {
                       afterOnMainQueue(0.5, [controller, number, label] {
                         if (auto shown = controller.lock())
                           presentAlert(shown.get(), number, label);
                       });
                       table.lock()->setEditing(false, true);
                     }));
  return actions;
}

__attribute__((constructor)) void probeLoaded() {
  const std::string bundle = mainBundleIdentifier();
  const SEL launch = sel_registerName(kApplicationDidFinishLaunchingSelector);
  if (bundle == "com.apple.springboard") {
    MSHookMessageEx(objc_getClass(kTelephonyManagerClassName),
                    sel_registerName(kCallEventHandlerSelector), &callEventHandler,
                    &originalCallEventHandler);
    MSHookMessageEx(objc_getClass(kSpringBoardClassName), launch, &springBoardLaunch,
                    &originalSpringBoardLaunch);
  } else if (bundle == "com.apple.mobilephone") {
    const Class controller = objc_getClass(kRecentsTableViewControllerClassName);
    MSHookMessageEx(objc_getClass(kMobilePhoneApplicationClassName), launch, &phoneLaunch,
                    &originalPhoneLaunch);
    MSHookMessageEx(controller, sel_registerName(kCellForRowSelector), &cellForRow,
                    &originalCellForRow);
    class_addMethod(controller, sel_registerName(kEditActionsSelector), &editActionsWithBlacklist,
                    "@@:@@");
  }
}

}  // namespace
