// The table view, its row actions and alerts, with a controller class
// registered in the runtime the way a host registers its own.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/phone.h"
#include "platform/runtime.h"
#include "platform/uikit.h"

namespace {

using namespace platform;

std::string uniqueName(const std::string& base) {
  static std::atomic<int> counter{0};
  return "UIKitTest" + base + std::to_string(counter.fetch_add(1));
}

// A host's table controller: draws recents cells and records commits.
class Controller : public UIViewController {
 public:
  explicit Controller(Class cls) : UIViewController(cls) {}
  std::vector<std::string> log;
};

Controller& controller(id self) {
  return *static_cast<Controller*>(self);
}

std::shared_ptr<UITableViewCell> drawCell(id self, SEL, UITableView*, NSIndexPath* indexPath) {
  controller(self).log.push_back("draw " + std::to_string(indexPath->row()));
  auto cell = std::make_shared<MPRecentsTableViewCell>();
  cell->callerLabelLabel()->setText("row " + std::to_string(indexPath->row()));
  return cell;
}

void commitEditing(id self, SEL, UITableView* tableView, NSInteger style, NSIndexPath* indexPath) {
  controller(self).log.push_back("commit " + std::to_string(style) + " " +
                                 std::to_string(indexPath->row()) +
                                 (tableView->isEditing() ? " editing" : ""));
}

TableViewCellForRowIMP originalDrawCell = nullptr;
std::shared_ptr<UITableViewCell> markingDrawCell(id self, SEL cmd, UITableView* tableView,
                                                 NSIndexPath* indexPath) {
  std::shared_ptr<UITableViewCell> cell = originalDrawCell(self, cmd, tableView, indexPath);
  if (auto* recents = dynamic_cast<MPRecentsTableViewCell*>(cell.get())) {
    recents->callerLabelLabel()->setText("marked " + recents->callerLabelLabel()->text());
  }
  return cell;
}

RowActions twoActions(id, SEL, UITableView*, NSIndexPath*) {
  return {
      UITableViewRowAction::rowActionWithStyle(UITableViewRowActionStyleNormal, "🚫", nullptr),
      UITableViewRowAction::rowActionWithStyle(UITableViewRowActionStyleDefault, "🗑", nullptr)};
}

RowActions noActions(id, SEL, UITableView*, NSIndexPath*) {
  return {};
}

class UIKitTest : public ::testing::Test {
 protected:
  UIKitTest() {
    UIKitRegisterClasses();
    cls_ = objc_registerClass(uniqueName("Controller"), UIViewController::objcClass());
    class_addMethod(cls_, sel_registerName(kCellForRowSelector), &drawCell, "@@:@@");
    class_addMethod(cls_, sel_registerName(kCommitEditingSelector), &commitEditing, "v@:@q@");
    controller_ = std::make_shared<Controller>(cls_);
    table_->setController(controller_);
  }

  std::vector<std::string> titles(const RowActions& actions) {
    std::vector<std::string> result;
    for (const auto& action : actions) result.push_back(action->title());
    return result;
  }

  Class cls_;
  std::shared_ptr<Controller> controller_;
  std::shared_ptr<UITableView> table_ = std::make_shared<UITableView>();
  std::shared_ptr<NSIndexPath> row3_ = NSIndexPath::indexPathForRow(3, 0);
};

TEST_F(UIKitTest, ClassesAreKnownByName) {
  for (const char* name : {"UITableView", "UITableViewCell", "UIAlertController", "UIImage",
                           "NSIndexPath", "UITableViewRowAction", "UIAlertAction"}) {
    EXPECT_NE(objc_getClass(name), nullptr) << name;
  }
  EXPECT_EQ(class_getSuperclass(MPRecentsTableViewCell::objcClass()), UITableViewCell::objcClass());
  EXPECT_EQ(objc_getClass("MPRecentsTableViewCell"), MPRecentsTableViewCell::objcClass());
  auto cell = std::make_shared<MPRecentsTableViewCell>();
  EXPECT_STREQ(object_getClassName(cell.get()), "MPRecentsTableViewCell");
  EXPECT_TRUE(object_isKindOfClass(cell.get(), UIView::objcClass()));
}

TEST_F(UIKitTest, CellsAreDrawnByTheControllerThroughTheRuntime) {
  std::shared_ptr<UITableViewCell> cell = table_->cellForRowAtIndexPath(row3_.get());
  auto* recents = dynamic_cast<MPRecentsTableViewCell*>(cell.get());
  ASSERT_NE(recents, nullptr);
  EXPECT_EQ(recents->callerLabelLabel()->text(), "row 3");

  // A hook installed afterwards takes part in the next drawing.
  MSHookMessageEx(cls_, sel_registerName(kCellForRowSelector), &markingDrawCell, &originalDrawCell);
  cell = table_->cellForRowAtIndexPath(row3_.get());
  EXPECT_EQ(dynamic_cast<MPRecentsTableViewCell*>(cell.get())->callerLabelLabel()->text(),
            "marked row 3");

  // The table keeps the cells it drew, as the platform's table does.
  std::weak_ptr<UITableViewCell> kept = table_->cellForRowAtIndexPath(row3_.get());
  EXPECT_FALSE(kept.expired());
  table_->reloadData();
  EXPECT_TRUE(kept.expired());

  UITableView orphan;
  EXPECT_EQ(orphan.cellForRowAtIndexPath(row3_.get()), nullptr);
}

TEST_F(UIKitTest, DefaultActionDeletesThroughTheController) {
  RowActions actions = table_->editActionsForRowAtIndexPath(row3_.get());
  ASSERT_EQ(titles(actions), std::vector<std::string>{"Delete"});
  EXPECT_EQ(actions[0]->style(), UITableViewRowActionStyleDefault);
  EXPECT_EQ(actions[0]->backgroundColor(), std::nullopt);

  table_->setEditing(true, false);
  actions[0]->perform(row3_.get());
  EXPECT_FALSE(table_->isEditing());
  EXPECT_EQ(controller_->log, std::vector<std::string>{"commit 1 3"});

  // Once the table is gone the action does nothing.
  table_.reset();
  actions[0]->perform(row3_.get());
  EXPECT_EQ(controller_->log.size(), 1u);
}

TEST_F(UIKitTest, ControllerActionsReplaceTheDefaultUnlessEmpty) {
  ASSERT_TRUE(class_addMethod(cls_, sel_registerName(kEditActionsSelector), &twoActions, "@@:@@"));
  EXPECT_EQ(titles(table_->editActionsForRowAtIndexPath(row3_.get())),
            (std::vector<std::string>{"🚫", "🗑"}));

  const Class empty = objc_registerClass(uniqueName("Empty"), cls_);
  ASSERT_TRUE(class_addMethod(empty, sel_registerName(kEditActionsSelector), &noActions, "@@:@@"));
  auto other = std::make_shared<Controller>(empty);
  table_->setController(other);
  EXPECT_EQ(titles(table_->editActionsForRowAtIndexPath(row3_.get())),
            std::vector<std::string>{"Delete"});
}

TEST_F(UIKitTest, AlertsHoldActionsAndTextFields) {
  auto alert = UIAlertController::alertControllerWithTitle("设置标签 / Add Tag", std::nullopt,
                                                           UIAlertControllerStyleAlert);
  EXPECT_EQ(object_getClass(alert.get()), UIAlertController::objcClass());
  alert->addTextFieldWithConfigurationHandler(
      [](UITextField* field) { field->setText("prefilled"); });
  alert->addTextFieldWithConfigurationHandler(nullptr);
  ASSERT_EQ(alert->textFields().size(), 2u);
  EXPECT_EQ(alert->textFields()[0]->text(), "prefilled");

  std::weak_ptr<UIAlertController> weakAlert = alert;
  std::string typed;
  auto ok = UIAlertAction::actionWithTitle(
      "OK", UIAlertActionStyleDefault,
      [weakAlert, &typed](UIAlertAction*) { typed = weakAlert.lock()->textFields()[0]->text(); });
  alert->addAction(ok);
  alert->addAction(nullptr);
  ASSERT_EQ(alert->actions().size(), 1u);

  alert->textFields()[0]->setText("typed");
  ok->setEnabled(false);
  EXPECT_FALSE(ok->perform());
  EXPECT_EQ(typed, "");
  ok->setEnabled(true);
  EXPECT_TRUE(ok->perform());
  EXPECT_EQ(typed, "typed");
  EXPECT_FALSE(
      UIAlertAction::actionWithTitle("No handler", UIAlertActionStyleCancel, nullptr)->perform());

  auto sheet = UIAlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                           UIAlertControllerStyleActionSheet);
  testing::internal::CaptureStderr();
  sheet->addTextFieldWithConfigurationHandler(nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(sheet->textFields().empty());
}

}  // namespace
