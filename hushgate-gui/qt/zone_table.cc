#include "hushgate-gui/qt/zone_table.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <utility>
#include <variant>

#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/style.h"
#include "hushgate-gui/qt/switch_button.h"

namespace gui_qt {

struct ZoneTable::Row {
  QWidget* widget = nullptr;
  QLabel* label = nullptr;
  SwitchButton* toggle = nullptr;
  gui::ZoneVC::Cell cell;
  bool shown = true;
};

struct ZoneTable::Section {
  std::string group;
  QWidget* widget = nullptr;  // the header and the rows
  QLabel* header = nullptr;
  std::unique_ptr<Row> province;
  std::vector<std::unique_ptr<Row>> cities;
  bool shown = true;
};

// One section of the data source, read in full.
struct ZoneTable::ShownSection {
  std::string title;
  gui::ZoneProvinceCell province;
  std::vector<gui::ZoneCityCell> cities;
};

namespace {

const std::string& cityKey(const gui::ZoneVC::Cell& cell) {
  static const std::string kNone;
  const auto* city = std::get_if<gui::ZoneCityCell>(&cell);
  return city != nullptr ? city->cityKey : kNone;
}

void setCheckedQuietly(SwitchButton* toggle, bool on) {
  if (toggle->isChecked() == on) return;
  const QSignalBlocker blocker(toggle);
  toggle->setChecked(on);
}

void setShown(QWidget* widget, bool shown) {
  if (widget->isHidden() == shown) widget->setHidden(!shown);
}

QWidget* makeStyled(const char* styleClass, QWidget* parent) {
  auto* widget = new QWidget(parent);
  widget->setProperty("class", styleClass);
  widget->setAttribute(Qt::WA_StyledBackground);
  return widget;
}

QVBoxLayout* makeColumn(QWidget* widget) {
  auto* layout = new QVBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

}  // namespace

ZoneTable::ZoneTable(QWidget* parent) : QScrollArea(parent) {
  setObjectName("table");
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->installEventFilter(this);
}

ZoneTable::~ZoneTable() = default;

void ZoneTable::reload(const gui::ZoneVC& model) {
  const std::vector<ShownSection> shown = readDataSource(model);
  if (!placeRows(shown)) rebuild(shown);
}

std::vector<ZoneTable::ShownSection> ZoneTable::readDataSource(const gui::ZoneVC& model) {
  std::vector<ShownSection> shown(model.numberOfSectionsInTableView());
  for (size_t s = 0; s < shown.size(); ++s) {
    shown[s].title = model.titleForHeaderInSection(s);
    const size_t rows = model.numberOfRowsInSection(s);
    for (size_t r = 0; r < rows; ++r) {
      gui::ZoneVC::Cell cell = model.cellForRowAtIndexPath(s, r);
      if (auto* province = std::get_if<gui::ZoneProvinceCell>(&cell)) {
        shown[s].province = std::move(*province);
      } else {
        shown[s].cities.push_back(std::get<gui::ZoneCityCell>(std::move(cell)));
      }
    }
  }
  return shown;
}

bool ZoneTable::placeRows(const std::vector<ShownSection>& shown) {
  if (widget() == nullptr) return false;
  // Match every shown section and city, in order, to a row already made.
  struct Placement {
    Section* section;
    std::vector<Row*> cities;
  };
  std::vector<Placement> placements;
  placements.reserve(shown.size());
  size_t nextSection = 0;
  for (const ShownSection& wanted : shown) {
    while (nextSection < sections_.size() &&
           sections_[nextSection]->group != wanted.province.group) {
      ++nextSection;
    }
    if (nextSection == sections_.size()) return false;
    Section& section = *sections_[nextSection++];
    Placement placement{&section, {}};
    placement.cities.reserve(wanted.cities.size());
    size_t nextCity = 0;
    for (const gui::ZoneCityCell& city : wanted.cities) {
      while (nextCity < section.cities.size() &&
             cityKey(section.cities[nextCity]->cell) != city.cityKey) {
        ++nextCity;
      }
      if (nextCity == section.cities.size()) return false;
      placement.cities.push_back(section.cities[nextCity++].get());
    }
    placements.push_back(std::move(placement));
  }

  for (auto& section : sections_) {
    section->shown = false;
    for (auto& row : section->cities) row->shown = false;
  }
  for (size_t s = 0; s < placements.size(); ++s) {
    Section& section = *placements[s].section;
    section.shown = true;
    const QString title = toQString(shown[s].title);
    if (section.header->text() != title) section.header->setText(title);
    fillProvince(*section.province, shown[s].province);
    for (size_t c = 0; c < placements[s].cities.size(); ++c) {
      Row& row = *placements[s].cities[c];
      row.shown = true;
      fillCity(row, shown[s].cities[c]);
    }
  }
  QWidget* content = widget();
  content->setUpdatesEnabled(false);
  for (auto& section : sections_) {
    setShown(section->widget, section->shown);
    for (auto& row : section->cities) setShown(row->widget, row->shown);
  }
  content->setUpdatesEnabled(true);
  return true;
}

void ZoneTable::rebuild(const std::vector<ShownSection>& shown) {
  // The old rows may still be inside a signal: cut them off, delete later.
  for (auto& section : sections_) {
    section->province->toggle->disconnect();
    for (auto& row : section->cities) row->toggle->disconnect();
  }
  sections_.clear();
  if (QWidget* old = takeWidget()) old->deleteLater();

  auto* content = new QWidget;
  content->setObjectName("groupedTable");
  content->setAttribute(Qt::WA_StyledBackground);
  QVBoxLayout* layout = makeColumn(content);
  const QString provinceCaption = toQString(gui::zoneProvinceRowTitle());
  for (const ShownSection& wanted : shown) {
    auto section = std::make_unique<Section>();
    section->group = wanted.province.group;
    section->widget = new QWidget(content);
    QVBoxLayout* sectionLayout = makeColumn(section->widget);
    section->header = makeSectionHeader(toQString(wanted.title), section->widget);
    section->header->setObjectName(toQString("header." + wanted.province.group));
    sectionLayout->addWidget(section->header);
    QWidget* box = makeStyled("group", section->widget);
    QVBoxLayout* boxLayout = makeColumn(box);
    sectionLayout->addWidget(box);

    section->province = makeRow(box, boxLayout, provinceCaption,
                                toQString("province." + wanted.province.group), false);
    fillProvince(*section->province, wanted.province);
    for (const gui::ZoneCityCell& city : wanted.cities) {
      auto row = makeRow(box, boxLayout, QString(), toQString("city." + city.cityKey), true);
      fillCity(*row, city);
      section->cities.push_back(std::move(row));
    }
    layout->addWidget(section->widget);
    sections_.push_back(std::move(section));
  }
  layout->addStretch(1);
  setWidget(content);
  ++rebuildCount_;
}

std::unique_ptr<ZoneTable::Row> ZoneTable::makeRow(QWidget* parent, QVBoxLayout* layout,
                                                   const QString& caption,
                                                   const QString& switchName, bool withSeparator) {
  auto row = std::make_unique<Row>();
  row->widget = makeStyled("row", parent);
  QVBoxLayout* column = makeColumn(row->widget);
  if (withSeparator) {
    auto* inset = new QHBoxLayout;
    inset->setContentsMargins(16, 0, 0, 0);
    QWidget* line = makeStyled("separator", row->widget);
    line->setFixedHeight(1);
    inset->addWidget(line);
    column->addLayout(inset);
  }
  auto* line = new QHBoxLayout;
  line->setContentsMargins(16, 6, 16, 6);
  row->label = new QLabel(caption, row->widget);
  row->label->setProperty("class", "rowCaption");
  row->toggle = new SwitchButton(row->widget);
  row->toggle->setObjectName(switchName);
  row->toggle->installEventFilter(this);
  line->addWidget(row->label, 1);
  line->addWidget(row->toggle);
  column->addLayout(line);
  layout->addWidget(row->widget);

  Row* target = row.get();
  connect(row->toggle, &SwitchButton::clicked, row->toggle, [target](bool on) {
    std::visit([on](auto& cell) { cell.onSwitchChanged(on); }, target->cell);
  });
  return row;
}

void ZoneTable::fillProvince(Row& row, const gui::ZoneProvinceCell& cell) {
  row.cell = cell;
  setCheckedQuietly(row.toggle, cell.switchOn);
}

void ZoneTable::fillCity(Row& row, const gui::ZoneCityCell& cell) {
  row.cell = cell;
  const QString label = toQString(cell.label);
  if (row.label->text() != label) row.label->setText(label);
  setCheckedQuietly(row.toggle, cell.switchOn);
  row.toggle->setEnabled(cell.switchEnabled);
}

void ZoneTable::setProvinceSwitchesOn(bool on) {
  for (auto& section : sections_) {
    setCheckedQuietly(section->province->toggle, on);
    if (auto* cell = std::get_if<gui::ZoneProvinceCell>(&section->province->cell)) {
      cell->switchOn = on;
    }
  }
}

bool ZoneTable::eventFilter(QObject* watched, QEvent* event) {
  if (!interactionEnabled_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::Wheel:
      case QEvent::TouchBegin:
        return true;
      default:
        break;
    }
  }
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace gui_qt
