// The main screen's dialogs for the optional rules: the minutes of the
// repeated-call allowance and the window of the quiet hours. Each shows what
// is stored, checks what was typed and saves it in one change of the main
// document; input that cannot be saved is said so in an alert and changes
// nothing. Main thread only.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "statics/contracts/pref_document.h"

namespace gui {

// The minutes as typed: a whole number from kMinRepeatedCallMinutes to
// kMaxRepeatedCallMinutes, white space around it allowed.
std::optional<int> repeatedCallMinutesFromInput(std::string_view input);
// A window as typed: two "HH:MM" times and the days (weekdaysFromInput).
std::optional<QuietHours> quietHoursFromInput(std::string_view start, std::string_view end,
                                              std::string_view days);

// The dialogs; onSaved runs after a successful save.
void showRepeatedCallMinutesDialog(std::function<void()> onSaved);
void showQuietHoursDialog(std::function<void()> onSaved);

}  // namespace gui
