// The region editor's widget, for both rule sets ("sb.zones" and
// "sb.mobilezones"; the model's forMobile is set before the widget is made):
// the search field over the region table, and the check-all button for the
// navigation bar. It shows what gui::ZoneVC asks and hands every edit, click
// and appearance to it.
//
// Object names: "searchBar", "table", "checkAllButton"; the table's switches
// "province.<group>" and "city.<city key>".
#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "hushgate-gui/core/screens/ZoneVC.h"
#include "hushgate-gui/qt/screen_widget.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace gui_qt {

class ZoneTable;

class ZoneScreen : public ScreenWidget, private gui::ZoneVC::View {
  Q_OBJECT

 public:
  explicit ZoneScreen(std::shared_ptr<gui::ZoneVC> model, QWidget* parent = nullptr);
  ~ZoneScreen() override;

  std::shared_ptr<gui::Screen> screen() const override { return model_; }
  void viewWillAppear() override;
  void viewDidDisappear() override;

  ZoneTable* table() const { return table_; }

 private:
  // gui::ZoneVC::View
  void reloadData() override;
  void setUserInteractionEnabled(bool on) override;
  void setCheckAllTitle(const std::string& title) override;
  void setCheckAllEnabled(bool on) override;
  void setTableBottom(double height) override;
  void setVisibleProvinceSwitchesOn(bool on) override;
  void resignSearchFirstResponder() override;

  std::shared_ptr<gui::ZoneVC> model_;
  QVBoxLayout* layout_;
  QLineEdit* searchBar_;
  ZoneTable* table_;
  QLabel* emptyLabel_;                    // the text of a search that found nothing
  QPointer<QPushButton> checkAllButton_;  // in the bar, which deletes it
};

}  // namespace gui_qt
