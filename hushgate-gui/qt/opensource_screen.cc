#include "hushgate-gui/qt/opensource_screen.h"

#include <QBoxLayout>
#include <QLabel>
#include <QScrollArea>

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
    groupLayout->addWidget(name);
    groupLayout->addWidget(license);
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
