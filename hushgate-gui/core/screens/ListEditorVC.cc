#include "hushgate-gui/core/screens/ListEditorVC.h"

#include <optional>
#include <utility>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/list_text.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "statics/Preference.h"

namespace gui {

ListEditorVC::ListEditorVC(const ListFamily& family) : family_(family) {
  reloadObserver_ = NotificationCenter::defaultCenter().addObserverForName(
      kPreferenceReloadedNotification, [this](const UserInfo&) {
        if (view_ == nullptr) return;
        view_->reloadData();
        view_->setTrashEnabled(numberOfRowsInSection() > 0);
      });
}

ListEditorVC::~ListEditorVC() {
  NotificationCenter::defaultCenter().removeObserver(reloadObserver_);
}

void ListEditorVC::viewDidLoad() {
  if (view_ != nullptr) view_->setTrashEnabled(numberOfRowsInSection() > 0);
}

size_t ListEditorVC::numberOfRowsInSection() const {
  return listSize(Preference::sharedInstance().pref(), family_);
}

ListRow ListEditorVC::cellForRowAtIndexPath(size_t row) const {
  return listRow(Preference::sharedInstance().pref(), family_, row);
}

void ListEditorVC::onAdd() {
  const ListTexts texts = family_.texts();
  auto alert = std::make_shared<Alert>();
  alert->title = texts.addTitle;
  if (texts.attributedMessage) {
    alert->attributedMessage = AttributedMessage{texts.addMessage, /*leftAligned=*/true, 14};
  } else {
    alert->message = texts.addMessage;
  }

  auto input = std::make_shared<AlertTextField>();
  input->placeholder = texts.firstPlaceholder;
  input->keyboard = family_.keyboard;
  input->shouldChange = [this, alive = lifetime_.token()](const std::string& current,
                                                          size_t location, size_t length,
                                                          const std::string& replacement) {
    return !alive.expired() && textFieldShouldChange(current, location, length, replacement);
  };
  alert->textFields.push_back(input);
  std::shared_ptr<AlertTextField> comment;
  if (family_.hasComments()) {
    comment = std::make_shared<AlertTextField>();
    comment->placeholder = localizedString("comment-optional");
    alert->textFields.push_back(comment);
  }

  auto cancel = std::make_shared<AlertAction>();
  cancel->title = localizedString("cancel");
  cancel->style = AlertActionStyle::Cancel;
  auto ok = std::make_shared<AlertAction>();
  ok->title = localizedString("ok");
  ok->enabled = false;
  // The handler holds the fields, not the alert: the alert holds the handler.
  ok->handler = [this, alive = lifetime_.token(), input, comment] {
    if (!alive.expired()) add(input->text, comment ? comment->text : std::string());
  };
  alert->actions = {cancel, ok};
  alertAction_ = ok;
  presenter().presentAlert(alert);
}

bool ListEditorVC::textFieldShouldChange(const std::string& current, size_t location, size_t length,
                                         const std::string& replacement) {
  const TextEdit edit = decideTextEdit(current, location, length, replacement,
                                       family_.allowedCharacters, family_.okOnTrimmedText);
  if (!edit.accepted) return false;
  if (const std::shared_ptr<AlertAction> ok = alertAction_.lock()) ok->enabled = edit.okEnabled;
  return true;
}

void ListEditorVC::add(const std::string& input, const std::string& comment) {
  AddResult result = AddResult::kNothing;
  if (!changePref([&](Json& pref) { result = addEntry(pref, family_, input, comment); })) {
    if (view_ != nullptr) view_->reloadData();
    return;
  }
  switch (result) {
    case AddResult::kNothing:
      return;
    case AddResult::kFormatNotSupported:
      AlertUtil::showInfo(localizedString("format-not-supported"), std::nullopt);
      return;
    case AddResult::kDuplicated:
      AlertUtil::showInfo(localizedString("duplicated-entry"), std::nullopt);
      return;
    case AddResult::kAdded:
      if (view_ != nullptr) {
        view_->reloadData();
        view_->setTrashEnabled(true);
      }
      return;
  }
}

std::vector<RowAction> ListEditorVC::editActionsForRowAtIndexPath(size_t row) {
  std::vector<RowAction> actions;
  const LifetimeGuard::Token alive = lifetime_.token();
  if (family_.hasComments()) {
    actions.push_back({localizedString("comment"), RowActionStyle::Normal, [this, alive, row] {
                         if (!alive.expired()) editComment(row);
                       }});
  }
  actions.push_back({localizedString("delete"), RowActionStyle::Destructive, [this, alive, row] {
                       if (!alive.expired()) deleteRow(row);
                     }});
  return actions;
}

void ListEditorVC::editComment(size_t row) {
  auto alert = std::make_shared<Alert>();
  alert->title = localizedString("edit-comment");
  auto field = std::make_shared<AlertTextField>();
  const Json& pref = Preference::sharedInstance().pref();
  field->text = entryComment(pref, family_, row);
  alert->textFields.push_back(field);

  auto cancel = std::make_shared<AlertAction>();
  cancel->title = localizedString("cancel");
  cancel->style = AlertActionStyle::Cancel;
  auto ok = std::make_shared<AlertAction>();
  ok->title = localizedString("ok");
  // The entry is found again by what it shows: other processes may have
  // added or removed entries while the dialog was open.
  const std::string shown = listRow(pref, family_, row).text;
  ok->handler = [this, alive = lifetime_.token(), field, shown] {
    if (alive.expired()) return;
    (void)changePref(
        [&](Json& current) {
          (void)editCommentOfEntryShowing(current, family_, shown, field->text);
        },
        Preference::Announce::kQuiet);
    if (view_ != nullptr) view_->reloadData();
  };
  alert->actions = {cancel, ok};
  presenter().presentAlert(alert);
  if (view_ != nullptr) view_->endEditing();
}

void ListEditorVC::deleteRow(size_t row) {
  const Json& pref = Preference::sharedInstance().pref();
  if (row >= listSize(pref, family_)) return;
  const std::string shown = listRow(pref, family_, row).text;
  Json expected = prefArray(pref, family_.prefKey);
  expected.erase(row);
  bool removed = false;
  if (!changePref([&](Json& current) { removed = removeEntryShowing(current, family_, shown); })) {
    if (view_ != nullptr) view_->reloadData();
    return;
  }
  if (view_ == nullptr) return;
  // The row goes with its animation when the list is now what the user saw
  // less that row; otherwise another writer changed it too.
  if (removed && prefArray(Preference::sharedInstance().pref(), family_.prefKey) == expected) {
    view_->deleteRow(row);
  } else {
    view_->reloadData();
  }
  view_->endEditing();
  if (numberOfRowsInSection() == 0) view_->setTrashEnabled(false);
}

void ListEditorVC::onTrash() {
  AlertUtil::showQuery(family_.texts().clearPrompt, std::nullopt, /*isDanger=*/true,
                       [this, alive = lifetime_.token()] {
                         if (!alive.expired()) clear();
                       });
}

void ListEditorVC::clear() {
  const bool saved = changePref([this](Json& pref) { clearList(pref, family_); });
  if (view_ != nullptr) {
    view_->reloadData();
    view_->setTrashEnabled(!saved && numberOfRowsInSection() > 0);
  }
}

}  // namespace gui
