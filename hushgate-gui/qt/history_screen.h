// The widget of the history viewer: a header counting the blocked calls of
// the last 7 and 30 days, the calls as a table (number, time, reason, rule),
// each row offering its actions, and the clear-all button for the navigation
// bar. The records, their texts and every deletion
// are the model's.
#pragma once

#include <QPointer>
#include <memory>

#include "hushgate-gui/core/screens/HistoryVC.h"
#include "hushgate-gui/qt/screen_widget.h"

class QLabel;
class QPushButton;

namespace gui_qt {

class RowTable;

class HistoryScreen : public ScreenWidget, public gui::HistoryVC::View {
  Q_OBJECT

 public:
  // The model's history list is set before the screen is made.
  explicit HistoryScreen(std::shared_ptr<gui::HistoryVC> model, QWidget* parent = nullptr);
  ~HistoryScreen() override;

  std::shared_ptr<gui::Screen> screen() const override { return model_; }
  void viewDidAppear() override;
  void viewDidDisappear() override;

  RowTable* table() const { return table_; }
  QLabel* summary() const { return summary_; }

  // gui::HistoryVC::View
  void reloadData() override;
  void deleteRow(size_t row) override;
  // Also stops the clear-all button: the screen is closing.
  void setUserInteractionEnabled(bool enabled) override;

 private:
  void updateSummary();

  std::shared_ptr<gui::HistoryVC> model_;
  RowTable* table_;
  QLabel* summary_;
  QPointer<QPushButton> trashButton_;  // the bar's clear-all button
};

}  // namespace gui_qt
