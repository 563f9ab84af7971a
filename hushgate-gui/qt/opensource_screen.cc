#include "hushgate-gui/qt/opensource_screen.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/style.h"

namespace gui_qt {

OpenSourceScreen::OpenSourceScreen(std::shared_ptr<gui::OpenSourceVC> model, QWidget* parent)
    : ScreenWidget(parent), model_(std::move(model)) {
  auto* content = new QWidget;
  content->setObjectName("groupedTable");
  content->setAttribute(Qt::WA_StyledBackground);
  auto* contentLayout = new QVBoxLayout(content);
  contentLayout->setContentsMargins(0, 16, 0, 16);
  contentLayout->setSpacing(0);
  auto* group = new QFrame(content);
  group->setObjectName("table");
  group->setProperty("class", "group");
  group->setAttribute(Qt::WA_StyledBackground);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->setContentsMargins(16, 4, 16, 4);
  for (const auto& notice : gui::OpenSourceVC::notices()) {
    auto* name = new QLabel(toQString(notice.name), group);
    name->setProperty("class", "rowCaption");
    auto* license = new QLabel(toQString(notice.license), group);
    license->setProperty("class", "rowValue");
    auto* copyright = new QLabel(toQString(notice.copyright), group);
    copyright->setProperty("class", "rowValue");
    copyright->setWordWrap(true);
    // The full text, folded until asked for.
    auto* text = new QLabel(
        toQString(gui::reflowedParagraphs(gui::OpenSourceVC::licenseText(notice))), group);
    text->setObjectName(toQString(notice.licenseFile));
    text->setProperty("class", "rowValue");
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->hide();
    auto* toggle = new QPushButton(toQString(gui::localizedString("show-license-text")), group);
    toggle->setObjectName(toQString(notice.licenseFile + "-toggle"));
    toggle->setCheckable(true);
    toggle->setFlat(true);
    toggle->setEnabled(!text->text().isEmpty());
    connect(toggle, &QPushButton::toggled, text, &QLabel::setVisible);
    groupLayout->addWidget(name);
    groupLayout->addWidget(license);
    groupLayout->addWidget(copyright);
    groupLayout->addWidget(toggle, 0, Qt::AlignLeft);
    groupLayout->addWidget(text);
    groupLayout->addSpacing(10);
  }
  contentLayout->addWidget(group);
  contentLayout->addStretch();

  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
}

}  // namespace gui_qt
