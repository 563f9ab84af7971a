#include "hushgate/hooks/mobilephone_hooks.h"

#include <memory>
#include <string>
#include <vector>

#include "hushgate/history/block_history.h"
#include "hushgate/recents/block_icon.h"
#include "hushgate/recents/recents.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "platform/phone.h"
#include "platform/runtime.h"
#include "platform/ui_alert.h"
#include "platform/ui_application.h"
#include "platform/ui_graphics.h"
#include "platform/ui_table.h"
#include "statics/contracts/blacklist_url.h"
#include "statics/history_file.h"
#include "statics/statics.h"

using platform::id;
using platform::NSIndexPath;
using platform::SEL;
using platform::UITableView;

namespace {

// State of the Phone application, touched only on its main thread. Made at
// launch and kept for the life of the process.
std::shared_ptr<platform::UIImage>* blockIcon;
// The blocked call ids, kept up to date with the history file; made at
// launch, when the home directory is known.
MPBlockHistory* mpBlockHistory;

platform::ApplicationDidFinishLaunchingIMP orig_applicationDidFinishLaunching;
platform::TableViewCellForRowIMP orig_cellForRowAtIndexPath;

void loadMPBlockHistory() {
  if (mpBlockHistory == nullptr)
    mpBlockHistory = new MPBlockHistory(mpHistoryFilePathInPhoneApplication());
  mpBlockHistory->load();
}

const BlockedCallUniqueIds& blockedCallUniqueIds() {
  static const BlockedCallUniqueIds* const none = new BlockedCallUniqueIds();
  return mpBlockHistory != nullptr ? mpBlockHistory->blockedCallUniqueIds() : *none;
}

std::shared_ptr<platform::CHRecentCall> recentCallAtRow(id controller, NSIndexPath* indexPath) {
  return platform::objc_msgSend<std::shared_ptr<platform::CHRecentCall>>(
      controller, platform::sel_registerName(platform::kRecentCallAtTableViewIndexSelector),
      static_cast<platform::NSInteger>(indexPath->row()));
}

RecentCallFacts factsOf(const platform::CHRecentCall& call) {
  RecentCallFacts facts;
  facts.callStatus = call.callStatus;
  for (const auto& occurrence : call.callOccurrences) {
    const auto found = occurrence.find(platform::kCHCallOccurrenceUniqueIdKey);
    facts.occurrenceUniqueIds.push_back(
        found == occurrence.end() ? std::nullopt : std::optional<std::string>(found->second));
  }
  facts.uniqueId = call.uniqueId;
  return facts;
}

// The list's own cell, recognised by its class, or null.
platform::MPRecentsTableViewCell* recentsCell(platform::UITableViewCell* cell) {
  if (platform::object_getClass(cell) != platform::objc_getClass(kRecentsTableViewCellClassName)) {
    return nullptr;
  }
  return dynamic_cast<platform::MPRecentsTableViewCell*>(cell);
}

void applicationDidFinishLaunching(id self, SEL cmd, id application) {
  orig_applicationDidFinishLaunching(self, cmd, application);

  const double scale = platform::UIScreen::mainScreen().scale();
  *blockIcon = platform::UIImage::imageWithData(blockIconPNGForScale(scale), scale);
  loadMPBlockHistory();
  int token = 0;
  platform::notify_register_dispatch(kMPBlockHistoryAddedNotification, &token,
                                     platform::mainQueue(), [](int) { loadMPBlockHistory(); });
}

std::shared_ptr<platform::UITableViewCell> cellForRowAtIndexPath(id self, SEL cmd,
                                                                 UITableView* tableView,
                                                                 NSIndexPath* indexPath) {
  std::shared_ptr<platform::UITableViewCell> cell =
      orig_cellForRowAtIndexPath(self, cmd, tableView, indexPath);
  if (indexPath == nullptr) return cell;
  const std::shared_ptr<platform::CHRecentCall> call = recentCallAtRow(self, indexPath);
  if (call == nullptr || !isBlockedRecentCall(factsOf(*call), blockedCallUniqueIds())) return cell;
  // Only the list's own cells have a call-type icon to replace.
  if (platform::MPRecentsTableViewCell* recents = recentsCell(cell.get())) {
    recents->callTypeIconView()->setImage(*blockIcon);
    recents->callTypeIconView()->setHidden(false);
  }
  return cell;
}

// Shows the "设置标签 / Add Tag" alert with the label filled in; "OK" hands the
// caller id and the typed label to the settings application.
void presentAddTagAlert(id controller, const std::string& callerId, const std::string& label) {
  auto alert = platform::UIAlertController::alertControllerWithTitle(
      kAddTagAlertTitle, std::nullopt,
      static_cast<platform::UIAlertControllerStyle>(kAddTagAlertStyle));
  std::weak_ptr<platform::UITextField> field;
  alert->addTextFieldWithConfigurationHandler([&](platform::UITextField* textField) {
    textField->setText(label);
    field = platform::weakRef(textField);
  });
  alert->addAction(platform::UIAlertAction::actionWithTitle(
      kAddTagAlertOKTitle, static_cast<platform::UIAlertActionStyle>(kAddTagAlertOKStyle),
      [field, callerId](platform::UIAlertAction*) {
        const std::shared_ptr<platform::UITextField> textField = field.lock();
        const std::string typed = textField ? textField->text() : std::string();
        platform::UIApplication::sharedApplication().openURL(addToBlacklistURL(callerId, typed));
      }));
  platform::objc_msgSend<void, platform::UIViewController*, bool, platform::Block>(
      controller, platform::sel_registerName(platform::kPresentViewControllerSelector), alert.get(),
      true, platform::Block());
}

std::shared_ptr<platform::UITableViewRowAction> makeRowAction(
    const RecentsRowAction& description, platform::UITableViewRowAction::Handler handler) {
  auto action = platform::UITableViewRowAction::rowActionWithStyle(
      static_cast<platform::UITableViewRowActionStyle>(description.style), description.title,
      std::move(handler));
  if (description.backgroundColor) action->setBackgroundColor(*description.backgroundColor);
  return action;
}

platform::RowActions editActionsForRowAtIndexPath(id self, SEL, UITableView* tableView,
                                                  NSIndexPath* indexPath) {
  if (tableView == nullptr || indexPath == nullptr) return {};
  const std::shared_ptr<platform::UITableViewCell> cell =
      tableView->cellForRowAtIndexPath(indexPath);
  const std::weak_ptr<platform::NSObject> controller = platform::weakRef(self);
  const std::weak_ptr<UITableView> table = platform::weakRef(tableView);

  RecentsCellFacts cellFacts{platform::object_getClassName(cell.get()), false, false};
  if (platform::MPRecentsTableViewCell* recents = recentsCell(cell.get())) {
    platform::UIImageView* icon = recents->callTypeIconView();
    cellFacts.callTypeIconVisible = !icon->isHidden();
    cellFacts.callTypeIconIsBlockIcon = *blockIcon != nullptr && icon->image() == *blockIcon;
  }

  platform::RowActions actions;
  for (const RecentsRowAction& description : recentsRowActions(cellFacts)) {
    if (description.kind == RecentsRowActionKind::Delete) {
      actions.push_back(makeRowAction(
          description, [controller, table](platform::UITableViewRowAction*, NSIndexPath* path) {
            const auto owner = controller.lock();
            const auto tableView = table.lock();
            if (tableView) tableView->setEditing(false, false);
            platform::objc_msgSend<void, UITableView*, platform::NSInteger, NSIndexPath*>(
                owner.get(), platform::sel_registerName(platform::kCommitEditingSelector),
                tableView.get(), kDeleteEditingStyle, path);
          }));
      continue;
    }
    const std::shared_ptr<platform::CHRecentCall> call = recentCallAtRow(self, indexPath);
    const std::string callerId = call && call->callerId ? *call->callerId : std::string();
    auto* recents = recentsCell(cell.get());
    const std::string label = recents ? recents->callerLabelLabel()->text() : std::string();
    actions.push_back(makeRowAction(
        description,
        [controller, table, callerId, label](platform::UITableViewRowAction*, NSIndexPath*) {
          platform::afterOnMainQueue(kAddTagAlertDelaySeconds, [controller, callerId, label] {
            if (const auto owner = controller.lock())
              presentAddTagAlert(owner.get(), callerId, label);
          });
          if (const auto tableView = table.lock()) tableView->setEditing(false, true);
        }));
  }
  return actions;
}

}  // namespace

void installMobilephoneHooks() {
  blockIcon = new std::shared_ptr<platform::UIImage>();

  const platform::Class application =
      platform::objc_getClass(platform::kMobilePhoneApplicationClassName);
  const platform::Class recents =
      platform::objc_getClass(platform::kRecentsTableViewControllerClassName);
  platform::MSHookMessageEx(
      application, platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      &applicationDidFinishLaunching, &orig_applicationDidFinishLaunching);
  platform::MSHookMessageEx(recents, platform::sel_registerName(platform::kCellForRowSelector),
                            &cellForRowAtIndexPath, &orig_cellForRowAtIndexPath);
  platform::class_addMethod(recents, platform::sel_registerName(platform::kEditActionsSelector),
                            &editActionsForRowAtIndexPath, "@@:@@");
}
