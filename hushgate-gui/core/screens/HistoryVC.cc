#include "hushgate-gui/core/screens/HistoryVC.h"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cstdint>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate-gui/core/models/rule_text.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/contracts/names.h"
#include "statics/history_file.h"

namespace gui {

namespace {

constexpr char kDatePattern[] = "yyyy-MM-dd HH:mm:ss";
constexpr const char* kDateZone = kChinaTimeZone;

// Seconds that ICU can still place on a calendar (about ±10^8 days); a "d"
// beyond is shown at this limit instead of as garbage.
constexpr int64_t kLargestSeconds = 8'000'000'000'000LL;

std::unique_ptr<icu::SimpleDateFormat> makeDateFormatter() {
  UErrorCode status = U_ZERO_ERROR;
  auto formatter = std::make_unique<icu::SimpleDateFormat>(
      icu::UnicodeString::fromUTF8(kDatePattern), icu::Locale("en_US_POSIX"), status);
  if (U_FAILURE(status)) return nullptr;
  formatter->adoptTimeZone(icu::TimeZone::createTimeZone(kDateZone));
  return formatter;
}

}  // namespace

HistoryVC::HistoryVC() = default;

HistoryVC::~HistoryVC() {
  viewDidDisappear();
}

void HistoryVC::viewDidLoad() {
  dateFormatter_ = makeDateFormatter();
}

void HistoryVC::viewDidAppear() {
  if (notificationHandler_ != 0) return;
  // The observer ends with the screen (viewDidDisappear or the destructor).
  HistoryVC* self = this;
  notificationHandler_ = NotificationCenter::defaultCenter().addObserverForName(
      kMPHistoryAddedNotification, [self](const UserInfo&) {
        if (self->view_ != nullptr) self->view_->reloadData();
      });
}

void HistoryVC::viewDidDisappear() {
  if (notificationHandler_ == 0) return;
  NotificationCenter::defaultCenter().removeObserver(notificationHandler_);
  notificationHandler_ = 0;
}

size_t HistoryVC::numberOfRows() const {
  const std::shared_ptr<HistoryList> history = history_.lock();
  return history ? history->size() : 0;
}

HistoryCell HistoryVC::cellForRow(size_t row) const {
  const std::shared_ptr<HistoryList> history = history_.lock();
  if (!history || row >= history->size()) return {};
  const HistoryRecord& record = (*history)[row];
  return {record.number,
          record.number.empty() ? localizedString("history-no-number") : record.number,
          formatDate(record), reasonText(record), historyRuleText(record, places_)};
}

std::string HistoryVC::emptyText() {
  return localizedString("history-empty");
}

std::vector<HistoryRowAction> HistoryVC::editActionsForRow(size_t /*row*/) const {
  return {{localizedString("delete"), AlertActionStyle::Destructive}};
}

std::string HistoryVC::reasonText(const HistoryRecord& record) {
  switch (record.reason) {
    case BlockReasonUnknownNumber:
      return localizedString("block-reason-unknown-number");
    case BlockReasonLandline:
      return localizedString("block-reason-landline");
    case BlockReasonMobile:
      return localizedString("block-reason-mobile");
    case BlockReasonBlacklist:
      return localizedString("block-reason-blacklist");
    case BlockReasonKeyword:
      return record.detail;
    case BlockReasonSystem:
      return localizedString("block-reason-system");
    default:
      return localizedString("block-reason-unknown");
  }
}

std::string HistoryVC::formatDate(const HistoryRecord& record) const {
  std::unique_ptr<icu::SimpleDateFormat> made;
  const icu::SimpleDateFormat* formatter = dateFormatter_.get();
  if (formatter == nullptr) {
    // Asked before the view loaded: a formatter for this one call.
    made = makeDateFormatter();
    formatter = made.get();
  }
  if (formatter == nullptr) return {};
  int64_t seconds = record.date;
  if (seconds > kLargestSeconds) seconds = kLargestSeconds;
  if (seconds < -kLargestSeconds) seconds = -kLargestSeconds;
  icu::UnicodeString text;
  formatter->format(static_cast<UDate>(seconds) * 1000.0, text);
  std::string utf8;
  text.toUTF8String(utf8);
  return utf8;
}

void HistoryVC::onDeleteRow(size_t row) {
  const std::shared_ptr<HistoryList> history = history_.lock();
  if (!history || row >= history->size()) return;
  const HistoryList removed{(*history)[row]};
  history->erase(history->begin() + static_cast<std::ptrdiff_t>(row));
  const bool followed = syncMPHistoryFile(removed);
  if (view_ == nullptr) return;
  // The file held records the list did not (appended since it was read): the
  // rows moved.
  if (followed) {
    view_->reloadData();
  } else {
    view_->deleteRow(row);
  }
}

void HistoryVC::onTrash() {
  std::weak_ptr<HistoryVC> weak = weak_from_this();
  AlertUtil::showQuery(localizedString("trash-history-alert-title"),
                       localizedString("trash-history-alert-content"), true, [weak] {
                         const std::shared_ptr<HistoryVC> self = weak.lock();
                         if (!self) return;
                         HistoryList removed;
                         if (const std::shared_ptr<HistoryList> history = self->history_.lock())
                           removed.swap(*history);
                         (void)self->syncMPHistoryFile(removed);
                         if (self->view_ != nullptr) {
                           self->view_->reloadData();
                           self->view_->setUserInteractionEnabled(false);
                         }
                         platform::afterOnMainQueue(kCloseDelaySeconds, [weak] {
                           // Closed already (the user went back): nothing more to close.
                           if (weak.lock()) presenter().popScreen(true);
                         });
                       });
}

bool HistoryVC::syncMPHistoryFile(const HistoryList& removed) {
  // Without the list there is nothing to remove.
  const std::shared_ptr<HistoryList> history = history_.lock();
  if (!history) return false;
  const std::string path = mpHistoryFilePathFromOutside();
  Result<HistoryList> remaining = path.empty()
                                      ? Result<HistoryList>(fail("no Phone application container"))
                                      : removeHistoryRecords(path, removed);
  bool followed = false;
  if (!remaining) {
    Log("== history file write failed: %@", remaining.error());
  } else if (*remaining != *history) {
    *history = std::move(*remaining);
    followed = true;
  }
  platform::notify_post(kMPHistoryFileChangedNotification);
  NotificationCenter::defaultCenter().postNotificationName(kMPHistoryDeletedByUserNotification);
  return followed;
}

}  // namespace gui
