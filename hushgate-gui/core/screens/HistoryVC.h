// The history viewer: the blocked calls (and those let through), newest
// first, with their time, reason and the rule that decided; one record or all of them can be
// deleted. The list is the main screen's (shared, not copied, held weakly); every deletion removes
// the chosen records from the history file (removeHistoryRecords: records the screening appended
// since the list was read stay) and announces that to the screening
// (kMPHistoryFileChangedNotification) and to the main screen (kMPHistoryDeletedByUserNotification).
//
// Made with std::make_shared (its dialog and delayed close hold it weakly).
// Everything here runs on the main thread.
#pragma once

#include <unicode/uversion.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/core/models/history_list.h"
#include "statics/screening/screening.h"

U_NAMESPACE_BEGIN
class SimpleDateFormat;
U_NAMESPACE_END

namespace gui {

// What a row shows (HistoryCell, reuse identifier "cell").
struct HistoryCell {
  std::string phone;   // the record's "p"
  std::string title;   // the row's title: phone, or "未知号码" / "No number"
  std::string date;    // "d" as "yyyy-MM-dd HH:mm:ss" in kChinaTimeZone
  std::string reason;  // the text of "r" ("rd" itself for keyword blocks)
  // The rule that decided, and that the call was let through when it was
  // (historyRuleText); "" for a record that names no rule.
  std::string rule;
};

// A row action of the table.
struct HistoryRowAction {
  std::string title;
  AlertActionStyle style = AlertActionStyle::Default;
  std::function<void()> handler;
};

class HistoryVC : public Screen, public std::enable_shared_from_this<HistoryVC> {
 public:
  static constexpr char kSceneIdentifier[] = "sb.history";
  static constexpr char kCellIdentifier[] = "cell";
  // When the screen closes after everything was deleted.
  static constexpr double kCloseDelaySeconds = 0.4;

  // What the front end does for the screen.
  class View {
   public:
    virtual ~View() = default;
    // Shows the rows again from the model.
    virtual void reloadData() {}
    // Removes one row with the automatic animation.
    virtual void deleteRow(size_t /*row*/) {}
    // Lets the table take touches or not.
    virtual void setUserInteractionEnabled(bool /*enabled*/) {}
  };

  HistoryVC();
  ~HistoryVC() override;
  HistoryVC(const HistoryVC&) = delete;
  HistoryVC& operator=(const HistoryVC&) = delete;

  std::string sceneIdentifier() const override { return kSceneIdentifier; }
  void setView(View* view) { view_ = view; }

  // The main screen's list, set before the screen is shown.
  void setHistory(std::weak_ptr<HistoryList> history) { history_ = std::move(history); }
  std::weak_ptr<HistoryList> history() const { return history_; }
  // The place names of the rule texts (cityNameLookup); none by default.
  void setPlaceLookup(PlaceLookup places) { places_ = std::move(places); }

  // ---- Platform callbacks
  void viewDidLoad();       // makes the date formatter
  void viewDidAppear();     // starts observing kMPHistoryAddedNotification
  void viewDidDisappear();  // stops observing it

  // ---- Table data source: one section, a row per record
  size_t numberOfSections() const { return 1; }
  size_t numberOfRows() const;
  // The content of row i; an empty cell for a row that is not there.
  HistoryCell cellForRow(size_t row) const;
  // What the table shows once every row is deleted.
  static std::string emptyText();
  // The row's actions: for a call with a number "add to blacklist", "add to
  // allow-list" (the number as an exact entry, its rule noted as the
  // comment) and "copy number"; then "delete" (destructive) for every row.
  std::vector<HistoryRowAction> editActionsForRow(size_t row);

  // The header: blocked calls (not those let through) in the 7 and the 30
  // days before now (seconds since 1970), counted per reason, most frequent
  // first; one line per period.
  std::string summaryText(int64_t now) const;

  // ---- Actions
  // The row action: removes record i from the list and the file, removes the
  // row (or reloads the table when the file held newer records, which the
  // list then shows). The screen stays open, also when nothing is left.
  void onDeleteRow(size_t row);
  // Delete all (trashButton): asks first; on confirmation removes every
  // record of the list from it and from the file (a record appended since
  // the list was read stays), reloads the table, stops its touches and
  // closes the screen 0.4 s later.
  void onTrash();

  // Removes the records from the history file (removeHistoryRecords) and
  // posts both notifications; a failed write is logged, the notifications
  // are posted anyway. When the file holds other records than the list
  // (appended since it was read), the list takes the file's records and the
  // result is true. Does nothing when the list no longer exists.
  bool syncMPHistoryFile(const HistoryList& removed);

  // The text shown for a record's reason ("r", and "rd" for keyword blocks).
  static std::string reasonText(const HistoryRecord& record);

 private:
  std::string formatDate(const HistoryRecord& record) const;
  void addToList(const char* listKey, const HistoryRecord& record);

  View* view_ = nullptr;
  std::weak_ptr<HistoryList> history_;
  PlaceLookup places_;
  std::unique_ptr<icu::SimpleDateFormat> dateFormatter_;
  ObserverToken notificationHandler_ = 0;  // 0: not observing
};

}  // namespace gui
