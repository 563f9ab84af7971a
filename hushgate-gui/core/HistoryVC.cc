#include "hushgate-gui/core/HistoryVC.h"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "hushgate-gui/core/AlertUtil.h"
#include "hushgate-gui/core/localization.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/history_file.h"

namespace gui {

namespace {

constexpr char kDatePattern[] = "yyyy-MM-dd HH:mm:ss";
constexpr char kDateZone[] = "Asia/Shanghai";

// Seconds that ICU can still place on a calendar (about ±10^8 days); a "d"
// beyond is shown at this limit instead of as garbage.
constexpr int64_t kLargestSeconds = 8'000'000'000'000LL;

// A member read as NSNumber integerValue would: numbers cut toward zero and
// saturated, texts by their leading integer, anything else 0.
int64_t integerMember(const HistoryRecord& record, const char* key) {
  if (!record.is_object()) return 0;
  const auto it = record.find(key);
  if (it == record.end()) return 0;
  if (it->is_number_integer()) {
    if (it->is_number_unsigned()) {
      const uint64_t value = it->get<uint64_t>();
      return value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                 ? std::numeric_limits<int64_t>::max()
                 : static_cast<int64_t>(value);
    }
    return it->get<int64_t>();
  }
  if (it->is_number_float()) {
    const double value = it->get<double>();
    if (std::isnan(value)) return 0;
    if (value >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (value <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
  }
  if (it->is_string()) {
    const std::string& text = it->get_ref<const std::string&>();
    // strtoll saturates, and gives 0 when the text begins with no number.
    return std::strtoll(text.c_str(), nullptr, 10);
  }
  return 0;
}

// A member shown as text: a text as it is, a number as JSON writes it.
std::string textMember(const HistoryRecord& record, const char* key) {
  if (!record.is_object()) return {};
  const auto it = record.find(key);
  if (it == record.end()) return {};
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number()) return it->dump();
  return {};
}

std::unique_ptr<icu::SimpleDateFormat> makeDateFormatter() {
  UErrorCode status = U_ZERO_ERROR;
  auto formatter = std::make_unique<icu::SimpleDateFormat>(
      icu::UnicodeString::fromUTF8(kDatePattern), icu::Locale("en_US_POSIX"), status);
  if (U_FAILURE(status)) return nullptr;
  formatter->adoptTimeZone(icu::TimeZone::createTimeZone(kDateZone));
  return formatter;
}

// The file text of a list: oldest (last) record first, one compact JSON
// value and "\n" each. Text that is not UTF-8 is written with U+FFFD, so no
// record is lost.
std::string historyFileText(const HistoryList& history) {
  std::string text;
  for (auto it = history.rbegin(); it != history.rend(); ++it) {
    text += it->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    text += '\n';
  }
  return text;
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
      kAddedNotification, [self](const UserInfo&) {
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
  return {textMember(record, "p"), formatDate(record), reasonText(record)};
}

std::vector<HistoryRowAction> HistoryVC::editActionsForRow(size_t /*row*/) const {
  return {{localizedString("delete"), AlertActionStyle::Destructive}};
}

std::string HistoryVC::reasonText(const HistoryRecord& record) {
  switch (integerMember(record, "r")) {
    case 1:
      return localizedString("block-reason-unknown-number");
    case 2:
      return localizedString("block-reason-landline");
    case 3:
      return localizedString("block-reason-mobile");
    case 4:
      return localizedString("block-reason-blacklist");
    case 5:
      return textMember(record, "rd");
    case 99:
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
  int64_t seconds = integerMember(record, "d");
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
  history->erase(history->begin() + static_cast<std::ptrdiff_t>(row));
  syncMPHistoryFile();
  if (view_ != nullptr) view_->deleteRow(row);
}

void HistoryVC::onTrash() {
  std::weak_ptr<HistoryVC> weak = weak_from_this();
  AlertUtil::showQuery(localizedString("trash-history-alert-title"),
                       localizedString("trash-history-alert-content"), true, [weak] {
                         const std::shared_ptr<HistoryVC> self = weak.lock();
                         if (!self) return;
                         if (const std::shared_ptr<HistoryList> history = self->history_.lock())
                           history->clear();
                         self->syncMPHistoryFile();
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

void HistoryVC::syncMPHistoryFile() {
  // Without the list there is nothing to write back; writing an empty file
  // would lose every record.
  const std::shared_ptr<HistoryList> history = history_.lock();
  if (!history) return;
  const std::string text = historyFileText(*history);
  const std::string path = mpHistoryFilePathFromOutside();
  const std::string error = path.empty() ? std::string("no Phone application container")
                                         : writeFileAtomically(path, text);
  if (!error.empty()) Log("== history file write failed: %@", error);
  platform::notify_post(kMPHistoryFileChangedNotification);
  NotificationCenter::defaultCenter().postNotificationName(kDeletedByUserNotification);
}

}  // namespace gui
