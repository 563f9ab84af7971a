#include "hushgate-gui/core/models/block_notifications.h"

#include <algorithm>
#include <utility>

#include "hushgate-gui/core/models/block_notice.h"
#include "hushgate-gui/core/models/list_family.h"
#include "hushgate-gui/core/models/list_model.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "statics/Log.h"
#include "statics/Preference.h"
#include "statics/contracts/desktop_notifications.h"
#include "statics/contracts/fired_rule.h"
#include "statics/contracts/pref_document.h"

namespace gui {

namespace {

// Closed notifications are forgotten when told; this bounds the rest.
constexpr size_t kRememberedNotifications = 32;

}  // namespace

BlockNotifier::BlockNotifier(Environment environment) : environment_(std::move(environment)) {}

size_t BlockNotifier::countOfNewRecords(const HistoryList& history) const {
  if (newestSeen_) {
    const auto seen = std::find(history.begin(), history.end(), *newestSeen_);
    if (seen != history.end()) return static_cast<size_t>(seen - history.begin());
  }
  // Not seen yet, or deleted since: the records dated after it are new.
  const auto isOld = [this](const HistoryRecord& record) {
    return newestSeen_ ? record.date <= newestSeen_->date : record.date < environment_.startedAt;
  };
  return static_cast<size_t>(std::find_if(history.begin(), history.end(), isOld) - history.begin());
}

void BlockNotifier::historyLoaded(const HistoryList& history) {
  if (history.empty()) return;
  const size_t fresh = countOfNewRecords(history);
  newestSeen_ = history.front();
  if (fresh == 0) return;
  if (!notifyBlockedCalls(Preference::sharedInstance().pref())) {
    group_.reset();
    return;
  }
  // Oldest first, so that each call joins the group it falls in; each
  // group is shown once, as it stands after this list.
  bool pending = false;
  for (size_t i = fresh; i-- > 0;) {
    const HistoryRecord& call = history[i];
    if (blockRecordPassed(call)) continue;
    if (group_ && call.date - group_->began >= kNotificationGroupSeconds) {
      if (pending) showGroup();
      group_.reset();
    }
    if (!group_) group_ = Group{.id = 0, .began = call.date, .calls = {}};
    group_->calls.insert(group_->calls.begin(), call);
    pending = true;
  }
  if (pending && group_) showGroup();
}

void BlockNotifier::showGroup() {
  Group& group = *group_;
  if (environment_.sink == nullptr) return;
  const BlockNotice notice = blockNotice(group.calls, environment_.places);
  const std::optional<uint32_t> id =
      environment_.sink->show(group.id, notice.title, notice.body, notice.actions);
  if (!id) {
    // Nothing on the desktop to update: the next call begins anew.
    group_.reset();
    return;
  }
  if (group.id != 0 && group.id != *id) shown_.erase(group.id);
  group.id = *id;
  const bool allows =
      std::any_of(notice.actions.begin(), notice.actions.end(),
                  [](const auto& action) { return action.first == kAllowNumberActionKey; });
  shown_[*id] = allows ? group.calls.front().number : std::string();
  while (shown_.size() > kRememberedNotifications) shown_.erase(shown_.begin());
}

void BlockNotifier::actionInvoked(uint32_t id, const std::string& actionKey) {
  const auto it = shown_.find(id);
  if (it == shown_.end()) return;
  if (actionKey == kOpenHistoryActionKey) {
    if (environment_.openHistory) environment_.openHistory();
  } else if (actionKey == kAllowNumberActionKey && !it->second.empty()) {
    const std::string number = it->second;
    AddResult result = AddResult::kNothing;
    if (changePref([&](Json& pref) { result = addEntry(pref, kAllowlistFamily, number, ""); })) {
      Log("== allow-list from a notification: %@ %@", number,
          result == AddResult::kAdded ? "added" : "not added");
    }
  }
}

void BlockNotifier::notificationClosed(uint32_t id) {
  shown_.erase(id);
  if (group_ && group_->id == id) group_.reset();
}

}  // namespace gui
