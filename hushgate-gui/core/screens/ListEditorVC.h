// The list editors: the number blacklist ("sb.blacklist"), the allow-list
// ("sb.allowlist"), the ignored number prefixes ("sb.ignored-prefix") and the
// caller-label keywords ("sb.blackkeywords"). One family: ListEditorVC does
// the work, driven by the family's table (list_family.h); the four screens
// only choose a row of it.
//
// The screens keep no copy of the list: every callback reads the shared
// preference store, and the table is reloaded when the store read the
// document again (kPreferenceReloadedNotification), so changes made by other
// processes show while the screen is open. Every change is one
// read-modify-write of the document on disk, made against the entry the
// user saw (found by what it shows), never a write of the list as shown.
// Add, delete and clear notify the screening; a comment edit does not. Main
// thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/lifetime_guard.h"
#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/core/models/list_family.h"
#include "hushgate-gui/core/models/list_model.h"

namespace gui {

inline constexpr char kListCellReuseIdentifier[] = "cell";

enum class RowActionStyle { Normal, Destructive };

// A swipe action of a table row.
struct RowAction {
  std::string title;
  RowActionStyle style = RowActionStyle::Normal;
  std::function<void()> handler;
};

class ListEditorVC : public Screen {
 public:
  // What the front end shows. Every method has an empty default.
  class View {
   public:
    virtual ~View() = default;
    virtual void reloadData() {}
    // deleteRowsAtIndexPaths:withRowAnimation: with the automatic animation.
    virtual void deleteRow(size_t) {}
    // setEditing:NO animated:NO: closes an open swipe.
    virtual void endEditing() {}
    // The bar button that clears the list.
    virtual void setTrashEnabled(bool) {}
  };

  explicit ListEditorVC(const ListFamily& family);
  ~ListEditorVC() override;
  ListEditorVC(const ListEditorVC&) = delete;
  ListEditorVC& operator=(const ListEditorVC&) = delete;

  std::string sceneIdentifier() const override { return family_.sceneIdentifier; }
  const ListFamily& family() const { return family_; }

  // The view stays owned by the front end; nullptr detaches it.
  void setView(View* view) { view_ = view; }

  // Enables the trash button exactly when the list has an entry.
  void viewDidLoad();

  // The table: one section, row i shows entry i.
  size_t numberOfRowsInSection() const;
  ListRow cellForRowAtIndexPath(size_t row) const;
  // What the table shows while it has no row: what the list is for and how
  // to fill it.
  std::string emptyText() const { return family_.texts().emptyText; }

  // Presents the add dialog: the first field (typing filtered by
  // textFieldShouldChange), a comment field for blacklist and prefixes,
  // "cancel", then "ok", which starts disabled.
  void onAdd();
  // The first field's delegate: takes the edit or refuses it whole, and
  // enables or disables the open dialog's "ok".
  bool textFieldShouldChange(const std::string& current, size_t location, size_t length,
                             const std::string& replacement);
  // The "ok" of the open add dialog; empty once that dialog is gone.
  std::shared_ptr<AlertAction> alertAction() const { return alertAction_.lock(); }

  // Swipe actions of a row: "comment" then "delete" ("delete" alone for
  // keywords).
  std::vector<RowAction> editActionsForRowAtIndexPath(size_t row);

  // Asks, then clears the list.
  void onTrash();

 private:
  void add(const std::string& input, const std::string& comment);
  void editComment(size_t row);
  void deleteRow(size_t row);
  void clear();

  const ListFamily& family_;
  View* view_ = nullptr;
  std::weak_ptr<AlertAction> alertAction_;
  int reloadObserver_ = 0;
  LifetimeGuard lifetime_;
};

class BlacklistVC : public ListEditorVC {
 public:
  BlacklistVC() : ListEditorVC(kBlacklistFamily) {}
};

class AllowlistVC : public ListEditorVC {
 public:
  AllowlistVC() : ListEditorVC(kAllowlistFamily) {}
};

class IgnoredPrefixVC : public ListEditorVC {
 public:
  IgnoredPrefixVC() : ListEditorVC(kIgnoredPrefixFamily) {}
};

class KeywordsVC : public ListEditorVC {
 public:
  KeywordsVC() : ListEditorVC(kKeywordsFamily) {}
};

}  // namespace gui
