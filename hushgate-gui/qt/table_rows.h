// The tables of the list editors and of the history viewer: a list view of
// rows, each with a main text, secondary lines below it and an actions
// button at its right. The actions of a row (what a swipe offers on a touch
// screen) open in a small popup from that button, from a right click or from
// the keyboard (Return or the menu key on the current row); destructive ones
// are drawn in red. Pressing one closes the popup, then runs it. The Delete key
// runs the current row's destructive action without the popup.
//
// The rows are read from the screen model through two functions (count and
// content of a row), so the table always shows the model's live state as of
// its last reload.
#pragma once

#include <QAbstractListModel>
#include <QFrame>
#include <QListView>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>

class QPushButton;

namespace gui_qt {

// One action offered for a row.
struct RowActionItem {
  QString title;
  bool destructive = false;
  std::function<void()> trigger;
};

// What a row shows: the main text, then one secondary line per detail.
struct RowContent {
  QString text;
  QStringList details;
};

// The popup listing one row's actions as buttons, in the given order.
class RowActionsPopup : public QFrame {
  Q_OBJECT

 public:
  explicit RowActionsPopup(std::vector<RowActionItem> actions, QWidget* parent = nullptr);

  // The button of the action with this title, or nullptr.
  QPushButton* button(const QString& title) const;
  const std::vector<QPushButton*>& buttons() const { return buttons_; }

 private:
  std::vector<QPushButton*> buttons_;
};

// The rows as a Qt model: DisplayRole is the main text, kDetailsRole the
// secondary lines (QStringList), ToolTipRole everything in full.
class RowTableModel : public QAbstractListModel {
  Q_OBJECT

 public:
  static constexpr int kDetailsRole = Qt::UserRole + 1;

  struct Source {
    std::function<size_t()> count;
    std::function<RowContent(size_t row)> row;
  };

  explicit RowTableModel(Source source, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // Reads every row again from the source.
  void reloadAll();
  // The source has lost one row: the rows below it move up.
  void rowDeleted(size_t row);

 private:
  Source source_;
  int rows_ = 0;  // the count as of the last reload or deletion
};

class RowTable : public QListView {
  Q_OBJECT

 public:
  // The actions of a row, asked each time they are opened.
  using ActionsProvider = std::function<std::vector<RowActionItem>(size_t row)>;

  // detailLines: the number of secondary lines every row has room for.
  RowTable(RowTableModel::Source source, int detailLines, ActionsProvider actions,
           QWidget* parent = nullptr);

  RowTableModel* rows() const { return rows_; }

  // The text drawn in the middle of the table while it has no row.
  void setEmptyText(const QString& text);
  const QString& emptyText() const { return emptyText_; }
  bool showsEmptyText() const { return rows_->rowCount() == 0 && !emptyText_.isEmpty(); }

  // Opens the actions of a row in a popup at a global position, replacing
  // any open one; nullptr when the row is not there or has no actions.
  RowActionsPopup* openActions(size_t row, const QPoint& globalPos);
  // The open popup, or nullptr.
  RowActionsPopup* actionsPopup() const { return popup_; }
  void closeActions();

  // Where a row's actions button lies, in viewport coordinates; empty when
  // the row is not there.
  QRect actionsButtonRect(size_t row) const;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  RowTableModel* rows_;
  QString emptyText_;
  ActionsProvider actions_;
  QPointer<RowActionsPopup> popup_;
};

}  // namespace gui_qt
