#include "hushgate-gui/core/screens/HistoryVC.h"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <cstdint>
#include <map>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "hushgate-gui/core/models/rule_text.h"
#include "hushgate-gui/core/models/url_command.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/contracts/names.h"
#include "statics/contracts/pref_document.h"
#include "statics/format.h"
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

std::vector<HistoryRowAction> HistoryVC::editActionsForRow(size_t row) {
  const std::shared_ptr<HistoryList> history = history_.lock();
  if (!history || row >= history->size()) return {};
  const HistoryRecord record = (*history)[row];
  const std::weak_ptr<HistoryVC> weak = weak_from_this();
  std::vector<HistoryRowAction> actions;
  if (!record.number.empty()) {
    actions.push_back(
        {localizedString("history-add-to-blacklist"), AlertActionStyle::Default, [weak, record] {
           if (const auto self = weak.lock()) self->addToList(kBlacklistKey, record);
         }});
    actions.push_back(
        {localizedString("history-add-to-allowlist"), AlertActionStyle::Default, [weak, record] {
           if (const auto self = weak.lock()) self->addToList(kAllowlistKey, record);
         }});
    actions.push_back({localizedString("history-copy-number"), AlertActionStyle::Default,
                       [number = record.number] { presenter().setPasteboardString(number); }});
  }
  // The row may have moved by the time the action runs: the record is found
  // again by what it holds.
  actions.push_back({localizedString("delete"), AlertActionStyle::Destructive, [weak, record] {
                       const auto self = weak.lock();
                       const std::shared_ptr<HistoryList> list =
                           self ? self->history_.lock() : nullptr;
                       if (!list) return;
                       const auto found = std::find(list->begin(), list->end(), record);
                       if (found != list->end()) {
                         self->onDeleteRow(static_cast<size_t>(found - list->begin()));
                       }
                     }});
  return actions;
}

void HistoryVC::addToList(const char* listKey, const HistoryRecord& record) {
  const AddNumberResult added =
      addNumberToList(listKey, record.number, historyRuleText(record, places_));
  if (!tellUserAboutUpdate(added.update)) return;
  const bool blacklist = std::string_view(listKey) == kBlacklistKey;
  if (added.outcome == AddNumberResult::Outcome::kListed) {
    AlertUtil::showInfo(blacklist ? localizedString("history-already-in-blacklist")
                                  : localizedString("history-already-in-allowlist"),
                        record.number);
  } else {
    AlertUtil::showInfo(blacklist ? localizedString("history-added-to-blacklist")
                                  : localizedString("history-added-to-allowlist"),
                        record.number);
  }
}

std::string HistoryVC::summaryText(int64_t now) const {
  const std::shared_ptr<HistoryList> history = history_.lock();
  constexpr int64_t kDay = 24 * 60 * 60;
  const int64_t since[2] = {now - 7 * kDay, now - 30 * kDay};
  // Counted by reason code first: the texts are made once per code.
  std::map<unsigned, size_t> byReason[2];
  if (history) {
    for (const HistoryRecord& record : *history) {
      if (record.date > now || record.date < since[1] || blockRecordPassed(record)) continue;
      for (size_t i = 0; i < 2; ++i) {
        if (record.date >= since[i]) ++byReason[i][record.reason];
      }
    }
  }
  std::string text;
  for (size_t i = 0; i < 2; ++i) {
    std::map<std::string, size_t> byText;
    size_t total = 0;
    for (const auto& [reason, count] : byReason[i]) {
      HistoryRecord sample;
      sample.reason = reason;
      byText[reason == BlockReasonKeyword ? localizedString("block-reason-keyword")
                                          : reasonText(sample)] += count;
      total += count;
    }
    std::vector<std::pair<std::string, size_t>> counts(byText.begin(), byText.end());
    std::stable_sort(counts.begin(), counts.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string line = i == 0 ? localizedCountString("history-summary-7-days-fmt", total)
                              : localizedCountString("history-summary-30-days-fmt", total);
    for (size_t k = 0; k < counts.size(); ++k) {
      line += k == 0 ? localizedString("history-summary-colon")
                     : localizedString("history-summary-separator");
      line += counts[k].first + " " + std::to_string(counts[k].second);
    }
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
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
