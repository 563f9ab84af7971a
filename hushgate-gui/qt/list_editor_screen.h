// The widget of a list editor (blacklist, ignored prefixes, keywords): the
// list as a table whose rows offer the model's row actions, and the add and
// clear buttons for the navigation bar. Every decision (what the add dialog
// takes, what is stored, what is refused) is the model's.
#pragma once

#include <QPointer>
#include <memory>

#include "hushgate-gui/core/screens/ListEditorVC.h"
#include "hushgate-gui/qt/screen_widget.h"

class QPushButton;

namespace gui_qt {

class RowTable;

class ListEditorScreen : public ScreenWidget, public gui::ListEditorVC::View {
  Q_OBJECT

 public:
  explicit ListEditorScreen(std::shared_ptr<gui::ListEditorVC> model, QWidget* parent = nullptr);
  ~ListEditorScreen() override;

  std::shared_ptr<gui::Screen> screen() const override { return model_; }
  RowTable* table() const { return table_; }

  // gui::ListEditorVC::View
  void reloadData() override;
  void deleteRow(size_t row) override;
  void endEditing() override;
  void setTrashEnabled(bool enabled) override;

 private:
  std::shared_ptr<gui::ListEditorVC> model_;
  RowTable* table_;
  QPointer<QPushButton> trashButton_;  // in the bar, which deletes it
};

}  // namespace gui_qt
