// The region table: one section per group the region screen shows, each with
// its header, the province row (the fixed caption and a switch) and one row
// per city (its label and a switch). Every row keeps the cell model the data
// source gave it; flipping a switch calls that cell's onSwitchChanged.
//
// Row widgets are made once and kept: a reload whose sections and cities are
// a subsequence of the rows already made (a search narrowing the list, or the
// same list with new switch states) only hides, shows and refills rows; any
// other shape rebuilds them.
//
// Switches are named for lookups: "province.<group>" and "city.<city key>".
#pragma once

#include <QScrollArea>
#include <memory>
#include <string>
#include <vector>

#include "hushgate-gui/core/screens/ZoneVC.h"

class QLabel;
class QVBoxLayout;

namespace gui_qt {

class SwitchButton;

class ZoneTable : public QScrollArea {
  Q_OBJECT

 public:
  explicit ZoneTable(QWidget* parent = nullptr);
  ~ZoneTable() override;

  // Shows the data source's sections and rows as they are now.
  void reload(const gui::ZoneVC& model);

  // While off, presses, key presses and wheel turns on the table are
  // swallowed (the table is not greyed out).
  void setInteractionEnabled(bool on) { interactionEnabled_ = on; }
  bool interactionEnabled() const { return interactionEnabled_; }

  // Turns every province switch to on without running the switches' action.
  void setProvinceSwitchesOn(bool on);

  // How many times the rows were made from scratch (the first load included).
  int rebuildCount() const { return rebuildCount_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Row;
  struct Section;
  struct ShownSection;

  static std::vector<ShownSection> readDataSource(const gui::ZoneVC& model);
  // Hides and refills the rows already made; false when the shown sections
  // are not a subsequence of them (nothing is changed then).
  bool placeRows(const std::vector<ShownSection>& shown);
  void rebuild(const std::vector<ShownSection>& shown);
  std::unique_ptr<Row> makeRow(QWidget* parent, QVBoxLayout* layout, const QString& caption,
                               const QString& switchName, bool withSeparator);
  void fillProvince(Row& row, const gui::ZoneProvinceCell& cell);
  void fillCity(Row& row, const gui::ZoneCityCell& cell);

  std::vector<std::unique_ptr<Section>> sections_;
  bool interactionEnabled_ = true;
  int rebuildCount_ = 0;
};

}  // namespace gui_qt
