#include "hushgate-gui/qt/root_screen.h"

#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/contracts/names.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/style.h"
#include "hushgate-gui/qt/switch_button.h"
#include "hushgate-gui/qt/tappable_row.h"

namespace gui_qt {

namespace {

// The object names of the labels and switches, after the screen's
// properties.
const char* labelName(gui::RootVC::Label label) {
  using L = gui::RootVC::Label;
  switch (label) {
    case L::statusLabel:
      return "statusLabel";
    case L::citiesBlockedCount:
      return "citiesBlockedCount";
    case L::mobileCitiesBlockedCount:
      return "mobileCitiesBlockedCount";
    case L::blackListCountLabel:
      return "blackListCountLabel";
    case L::allowlistCountLabel:
      return "allowlistCountLabel";
    case L::ignoredPrefixCount:
      return "ignoredPrefixCount";
    case L::blackKeywordsCount:
      return "blackKeywordsCount";
    case L::historyCount:
      return "historyCount";
    case L::versionLabel:
      return "versionLabel";
    case L::phonedatVersionLabel:
      return "phonedatVersionLabel";
    case L::repeatedCallMinutesLabel:
      return "repeatedCallMinutesLabel";
    case L::quietHoursLabel:
      return "quietHoursLabel";
  }
  return "label";
}

const char* switchName(gui::RootVC::Switch which) {
  using S = gui::RootVC::Switch;
  switch (which) {
    case S::enableSwitch:
      return "enableSwitch";
    case S::MPSwitch:
      return "MPSwitch";
    case S::blockingUnknownSwitch:
      return "blockingUnknownSwitch";
    case S::contactBypassSwitch:
      return "contactBypassSwitch";
    case S::repeatedCallSwitch:
      return "repeatedCallSwitch";
    case S::quietHoursSwitch:
      return "quietHoursSwitch";
    case S::notifySwitch:
      return "notifySwitch";
  }
  return "switch";
}

QFrame* separator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setProperty("class", "separator");
  line->setAttribute(Qt::WA_StyledBackground);
  line->setFixedHeight(1);
  return line;
}

}  // namespace

RootScreen::RootScreen(std::shared_ptr<gui::RootVC> model, QWidget* parent)
    : ScreenWidget(parent), model_(std::move(model)) {
  auto* content = new QWidget;
  content->setObjectName("groupedTable");
  content->setAttribute(Qt::WA_StyledBackground);
  auto* contentLayout = new QVBoxLayout(content);
  contentLayout->setContentsMargins(0, 0, 0, 24);
  contentLayout->setSpacing(0);

  for (const gui::RootSection& section : gui::rootSections()) {
    contentLayout->addWidget(
        makeSectionHeader(toQString(gui::localizedString(section.titleKey)), content));
    auto* group = new QFrame(content);
    group->setProperty("class", "group");
    group->setAttribute(Qt::WA_StyledBackground);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    groupLayout->setSpacing(0);
    for (size_t i = 0; i < section.rows.size(); ++i) {
      const gui::RootRow& entry = section.rows[i];
      if (i > 0) groupLayout->addWidget(separator(group));
      auto* row = new TappableRow(!entry.toggle, group);
      row->setObjectName(toQString(entry.cellIdentifier));
      auto* rowLayout = new QHBoxLayout(row);
      rowLayout->setContentsMargins(16, 6, 12, 6);
      auto* caption = new QLabel(toQString(gui::localizedString(entry.captionKey)), row);
      caption->setProperty("class", "rowCaption");
      caption->setWordWrap(true);
      rowLayout->addWidget(caption, 1);
      if (entry.label) {
        auto* value = new QLabel(row);
        value->setObjectName(labelName(*entry.label));
        value->setProperty("class", "rowValue");
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        rowLayout->addWidget(value);
        labels_[static_cast<size_t>(*entry.label)] = value;
      }
      if (entry.toggle) {
        auto* toggle = new SwitchButton(row);
        toggle->setObjectName(switchName(*entry.toggle));
        rowLayout->addWidget(toggle);
        switches_[static_cast<size_t>(*entry.toggle)] = toggle;
        const auto which = *entry.toggle;
        connect(toggle, &SwitchButton::clicked, this,
                [this, which](bool on) { model_->onSwitchChanged(which, on); });
      }
      if (entry.opensScreen) {
        auto* mark = new QLabel(QStringLiteral("›"), row);
        mark->setProperty("class", "disclosure");
        rowLayout->addWidget(mark);
        if (entry.label == gui::RootVC::Label::historyCount) {
          mark->setObjectName("historyDisclosure");
          historyMark_ = mark;
        }
      }
      if (!entry.toggle) {
        const std::string identifier = entry.cellIdentifier;
        connect(row, &TappableRow::tapped, this,
                [this, identifier] { model_->didSelectRow(identifier); });
      }
      rows_[entry.cellIdentifier] = row;
      groupLayout->addWidget(row);
    }
    contentLayout->addWidget(group);
  }
  contentLayout->addStretch();

  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("rootScroll");
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);

  auto bar = std::make_unique<QWidget>();
  auto* barLayout = new QHBoxLayout(bar.get());
  barLayout->setContentsMargins(0, 0, 0, 0);
  barLayout->addStretch();
  auto* exitButton = new QPushButton(toQString(gui::exitButtonTitle()), bar.get());
  exitButton->setObjectName("exitButton");
  exitButton->setCursor(Qt::PointingHandCursor);
  barLayout->addWidget(exitButton);
  connect(exitButton, &QPushButton::clicked, this, [this] { model_->onExit(); });
  setBarWidget(std::move(bar));

  model_->setView(this);
  model_->viewDidLoad();
  // Registered after the load, whose own announcement is not news here.
  int token = 0;
  if (platform::notify_register_dispatch(
          kPreferenceUpdatedNotification, &token, platform::mainQueue(),
          [this](int) { model_->preferenceChangedElsewhere(); }) == platform::NOTIFY_STATUS_OK) {
    preferenceToken_ = token;
  }
}

RootScreen::~RootScreen() {
  if (preferenceToken_) platform::notify_cancel(*preferenceToken_);
  model_->setView(nullptr);
}

void RootScreen::viewWillAppear() {
  deselectSelectedRow();
}

void RootScreen::viewDidAppear() {
  model_->viewDidAppear();
}

void RootScreen::setLabelText(gui::RootVC::Label label, const std::string& text) {
  if (QLabel* widget = labels_[static_cast<size_t>(label)]) widget->setText(toQString(text));
  // The history row leads somewhere only when there are records to show.
  if (label == gui::RootVC::Label::historyCount && historyMark_ != nullptr) {
    historyMark_->setVisible(model_->canOpenHistory());
  }
}

void RootScreen::setSwitchOn(gui::RootVC::Switch which, bool on) {
  if (SwitchButton* toggle = switches_[static_cast<size_t>(which)]) {
    const QSignalBlocker blocker(toggle);
    toggle->setChecked(on);
  }
}

void RootScreen::deselectSelectedRow() {
  for (auto& [identifier, row] : rows_) row->setSelected(false);
}

}  // namespace gui_qt
