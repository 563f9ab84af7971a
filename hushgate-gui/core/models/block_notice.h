// What the desktop notification of blocked calls says: a single call by its
// number and the rule that blocked it, a group of calls by their count and
// the latest few numbers with their rules.
#pragma once

#include <string>
#include <vector>

#include "hushgate-gui/core/models/history_list.h"
#include "hushgate-gui/core/models/notification_sink.h"
#include "statics/screening/screening.h"

namespace gui {

// How many calls a group's body lists; the rest are counted.
inline constexpr size_t kNoticeListedCalls = 3;

struct BlockNotice {
  std::string title;
  std::string body;
  NotificationActions actions;

  bool operator==(const BlockNotice&) const = default;
};

// The notice of calls, newest first (at least one). It offers to allow the
// number when it is one call from a number that allowableNumber takes, and
// always to open the history.
BlockNotice blockNotice(const std::vector<HistoryRecord>& calls, const PlaceLookup& places);

// Whether the number of a call can become an allow-list entry that matches
// it alone: after the allow-list editor's normalisation, digits with an
// optional leading "+" and no wildcard.
bool allowableNumber(const std::string& number);

}  // namespace gui
