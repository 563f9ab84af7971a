// The desktop notification of each blocked call, decided from the history
// list after each load: the records that are new since the last list seen
// (the newest record seen is looked for by identity; when it is gone, by its
// date), only blocks (not the calls let through), only while
// notifyBlockedCalls(pref). Old records are not news: before any list was
// seen, records dated before the notifier started are old.
//
// Blocks within kNotificationGroupSeconds of the first block of a group
// update that group's one notification (the sink replaces it by its id) until
// the notification is closed. A notification of one call from a number
// offers to allow it; every notification offers to open the history.
//
// Main thread only; the sink's answers come back through actionInvoked and
// notificationClosed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hushgate-gui/core/models/history_list.h"
#include "hushgate-gui/core/models/notification_sink.h"
#include "statics/screening/screening.h"

namespace gui {

inline constexpr int64_t kNotificationGroupSeconds = 120;

class BlockNotifier {
 public:
  struct Environment {
    NotificationSink* sink = nullptr;  // not owned; outlives the notifier
    PlaceLookup places = {};           // place names of the rule texts
    std::function<void()> openHistory = {};
    int64_t startedAt = 0;  // a record date ("d"): before it, records are old
  };

  explicit BlockNotifier(Environment environment);

  void setPlaces(PlaceLookup places) { environment_.places = std::move(places); }

  // The history list as loaded, newest first: notifies its new blocks.
  void historyLoaded(const HistoryList& history);

  // The user chose an action of notification id: kAllowNumberActionKey adds
  // the call's number to the allow-list as the allow-list editor does (saved
  // and announced; a number listed already is not added again);
  // kOpenHistoryActionKey opens the history. Ids and keys this notifier did
  // not give are ignored.
  void actionInvoked(uint32_t id, const std::string& actionKey);

  // Notification id went away: the next block begins a new notification.
  void notificationClosed(uint32_t id);

 private:
  struct Group {
    uint32_t id = 0;
    int64_t began = 0;
    std::vector<HistoryRecord> calls;  // newest first
  };

  size_t countOfNewRecords(const HistoryList& history) const;
  void add(const HistoryRecord& call);
  // Shows group_, or updates its notification; ends it when none is shown.
  void showGroup();

  Environment environment_;
  std::optional<HistoryRecord> newestSeen_;
  std::optional<Group> group_;
  // The notifications this notifier shows, and the number each may allow
  // ("" when it offers no allowing).
  std::map<uint32_t, std::string> shown_;
};

}  // namespace gui
