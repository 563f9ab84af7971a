#include "hushgate-gui/qt/zone_screen.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <utility>

#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/zone_table.h"

namespace gui_qt {

ZoneScreen::ZoneScreen(std::shared_ptr<gui::ZoneVC> model, QWidget* parent)
    : ScreenWidget(parent), model_(std::move(model)) {
  setObjectName(toQString(model_->sceneIdentifier()));

  searchBar_ = new QLineEdit(this);
  searchBar_->setObjectName("searchBar");
  searchBar_->setPlaceholderText(toQString(gui::zoneSearchPlaceholder()));
  searchBar_->setClearButtonEnabled(true);
  connect(searchBar_, &QLineEdit::textChanged, this,
          [this](const QString& text) { model_->searchBarTextDidChange(toStdString(text)); });
  connect(searchBar_, &QLineEdit::returnPressed, this,
          [this] { model_->searchBarSearchButtonClicked(); });

  table_ = new ZoneTable(this);
  emptyLabel_ = new QLabel(this);
  emptyLabel_->setObjectName("emptyLabel");
  emptyLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  emptyLabel_->setWordWrap(true);
  emptyLabel_->setContentsMargins(16, 24, 16, 0);
  emptyLabel_->hide();

  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  auto* searchRow = new QHBoxLayout;
  searchRow->setContentsMargins(8, 8, 8, 8);
  searchRow->addWidget(searchBar_);
  layout_->addLayout(searchRow);
  layout_->addWidget(table_, 1);
  layout_->addWidget(emptyLabel_, 1);

  auto checkAll = std::make_unique<QPushButton>();
  checkAllButton_ = checkAll.get();
  checkAllButton_->setObjectName("checkAllButton");
  checkAllButton_->setCursor(Qt::PointingHandCursor);
  connect(checkAllButton_, &QPushButton::clicked, this, [this] { model_->onCheckAllTapped(); });
  setBarWidget(std::move(checkAll));

  model_->setView(this);
  model_->viewDidLoad();
  reloadData();
}

ZoneScreen::~ZoneScreen() {
  model_->setView(nullptr);
}

void ZoneScreen::viewWillAppear() {
  model_->viewWillAppear();
}

void ZoneScreen::viewDidDisappear() {
  model_->viewDidDisappear();
}

void ZoneScreen::reloadData() {
  table_->reload(*model_);
  const std::optional<std::string> empty = model_->emptyResultText();
  emptyLabel_->setText(toQString(empty.value_or("")));
  emptyLabel_->setVisible(empty.has_value());
  table_->setVisible(!empty.has_value());
}

void ZoneScreen::setUserInteractionEnabled(bool on) {
  table_->setInteractionEnabled(on);
}

void ZoneScreen::setCheckAllTitle(const std::string& title) {
  if (checkAllButton_) checkAllButton_->setText(toQString(title));
}

void ZoneScreen::setCheckAllEnabled(bool on) {
  if (checkAllButton_) checkAllButton_->setEnabled(on);
}

void ZoneScreen::setTableBottom(double height) {
  // The keyboard's height comes from outside: keep it to a sane margin.
  const double margin = std::isfinite(height) ? std::clamp(height, 0.0, 4096.0) : 0.0;
  layout_->setContentsMargins(0, 0, 0, static_cast<int>(margin));
}

void ZoneScreen::setVisibleProvinceSwitchesOn(bool on) {
  table_->setProvinceSwitchesOn(on);
}

void ZoneScreen::resignSearchFirstResponder() {
  searchBar_->clearFocus();
}

}  // namespace gui_qt
