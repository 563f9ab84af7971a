#include "hushgate-gui/qt/navigation_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>

#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/hud_overlay.h"
#include "hushgate-gui/qt/qt_text.h"

namespace gui_qt {

NavigationWindow::NavigationWindow(QWidget* parent) : QWidget(parent) {
  setObjectName("navigationWindow");
  setWindowTitle(toQString(gui::sceneTitle("sb.root")));
  setMinimumSize(320, 480);
  resize(390, 780);

  auto* bar = new QWidget(this);
  bar->setObjectName("navigationBar");
  bar->setAttribute(Qt::WA_StyledBackground);
  bar->setFixedHeight(44);
  backButton_ = new QPushButton(QStringLiteral("‹ ") + toQString(gui::backButtonTitle()), bar);
  backButton_->setObjectName("backButton");
  backButton_->setCursor(Qt::PointingHandCursor);
  connect(backButton_, &QPushButton::clicked, this, [this] { pop(); });
  // The keys of any Qt application: back with Alt+Left (and Esc, when no
  // dialog has it), quit with Ctrl+Q.
  for (const QKeySequence& keys :
       {QKeySequence(QKeySequence::Back), QKeySequence(Qt::Key_Escape)}) {
    auto* back = new QShortcut(keys, this);
    back->setContext(Qt::WindowShortcut);
    connect(back, &QShortcut::activated, this, [this] {
      if (screens_.size() > 1) pop();
    });
  }
  // Ctrl+Q as on every Linux desktop, also where the platform theme binds
  // no standard quit key (the offscreen and Windows-like themes), and the
  // theme's own when it is another.
  QList<QKeySequence> quitKeys{QKeySequence(Qt::CTRL | Qt::Key_Q)};
  const QKeySequence themeQuit(QKeySequence::Quit);
  if (!themeQuit.isEmpty() && themeQuit != quitKeys.front()) quitKeys.push_back(themeQuit);
  for (const QKeySequence& keys : quitKeys) {
    auto* quit = new QShortcut(keys, this);
    quit->setObjectName("quitShortcut");
    quit->setContext(Qt::ApplicationShortcut);
    connect(quit, &QShortcut::activated, qApp, &QCoreApplication::quit);
  }
  titleLabel_ = new QLabel(bar);
  titleLabel_->setObjectName("navigationTitle");
  titleLabel_->setAlignment(Qt::AlignCenter);
  barStack_ = new QStackedWidget(bar);
  barStack_->addWidget(new QWidget(barStack_));  // the empty bar

  // The title stays centred: the back control and the bar controls share
  // the two sides equally.
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->setContentsMargins(4, 0, 4, 0);
  auto* left = new QWidget(bar);
  auto* leftLayout = new QHBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(backButton_);
  leftLayout->addStretch();
  barLayout->addWidget(left, 1);
  barLayout->addWidget(titleLabel_, 2);
  barLayout->addWidget(barStack_, 1);

  screenStack_ = new QStackedWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(screenStack_, 1);
  updateBar();
}

NavigationWindow::~NavigationWindow() {
  // Screens go top first, each while the ones below still exist.
  while (!screens_.empty()) {
    Entry entry = screens_.back();
    screens_.pop_back();
    delete entry.screen;
    delete entry.barWidget;
  }
}

void NavigationWindow::push(ScreenWidget* screen) {
  if (!screens_.empty()) screens_.back().screen->viewDidDisappear();
  QWidget* barWidget = screen->takeBarWidget();
  screens_.push_back({screen, barWidget});
  if (barWidget) barStack_->addWidget(barWidget);
  screenStack_->addWidget(screen);
  screen->viewWillAppear();
  screenStack_->setCurrentWidget(screen);
  updateBar();
  screen->viewDidAppear();
}

void NavigationWindow::pop() {
  if (screens_.size() <= 1) return;
  Entry top = screens_.back();
  screens_.pop_back();
  top.screen->viewDidDisappear();
  ScreenWidget* below = screens_.back().screen;
  below->viewWillAppear();
  screenStack_->setCurrentWidget(below);
  updateBar();
  screenStack_->removeWidget(top.screen);
  if (top.barWidget) barStack_->removeWidget(top.barWidget);
  // Deleted later: the pop may come from the screen's own button or timer.
  top.screen->deleteLater();
  if (top.barWidget) top.barWidget->deleteLater();
  below->viewDidAppear();
}

ScreenWidget* NavigationWindow::topScreen() const {
  return screens_.empty() ? nullptr : screens_.back().screen;
}

void NavigationWindow::showHud(HudOverlay* hud) {
  hideHud();
  hud_ = hud;
  hud_->setParent(this);
  hud_->setGeometry(rect());
  hud_->show();
  hud_->raise();
}

void NavigationWindow::hideHud() {
  if (!hud_) return;
  hud_->hide();
  hud_->deleteLater();
  hud_ = nullptr;
}

void NavigationWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (hud_) hud_->setGeometry(rect());
}

void NavigationWindow::updateBar() {
  backButton_->setVisible(screens_.size() > 1);
  if (screens_.empty()) {
    titleLabel_->clear();
    barStack_->setCurrentIndex(0);
    return;
  }
  const Entry& top = screens_.back();
  titleLabel_->setText(toQString(gui::sceneTitle(top.screen->screen()->sceneIdentifier())));
  if (top.barWidget) {
    barStack_->setCurrentWidget(top.barWidget);
  } else {
    barStack_->setCurrentIndex(0);
  }
}

}  // namespace gui_qt
