#include "hushgate-gui/qt/qt_presenter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>

#include "hushgate-gui/qt/alert_dialog.h"
#include "hushgate-gui/qt/hud_overlay.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/screen_factory.h"
#include "platform/url_opener.h"

namespace gui_qt {

void QtPresenter::presentAlert(std::shared_ptr<gui::Alert> alert) {
  auto* dialog = new AlertDialog(std::move(alert), window_);
  QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
  dialog->show();
}

void QtPresenter::showHud(const gui::Hud& hud) {
  window_->showHud(new HudOverlay(hud));
}

void QtPresenter::updateHud(const gui::Hud& hud) {
  if (HudOverlay* overlay = window_->hud()) overlay->setHud(hud);
}

void QtPresenter::hideHud() {
  window_->hideHud();
}

void QtPresenter::pushScreen(std::shared_ptr<gui::Screen> screen) {
  window_->push(makeScreenWidget(std::move(screen)));
}

void QtPresenter::popScreen(bool) {
  window_->pop();
}

void QtPresenter::openApplication(const std::string& bundleIdentifier) {
  platform::openApplicationWithBundleID(bundleIdentifier);
}

bool QtPresenter::canOpenURL(const std::string& url) {
  return platform::canOpenURL(url);
}

void QtPresenter::openURL(const std::string& url) {
  platform::openURL(url);
}

void QtPresenter::setPasteboardString(const std::string& text) {
  QApplication::clipboard()->setText(toQString(text));
}

void QtPresenter::suspend() {
  window_->showMinimized();
}

void QtPresenter::terminate() {
  QApplication::quit();
}

void QtPresenter::chooseFile(FileChoice choice, const std::string& suggestedName,
                             std::function<void(const std::string& path)> done) {
  auto* dialog = new QFileDialog(window_);
  dialog->setObjectName("fileDialog");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setNameFilter(QStringLiteral("JSON (*.json);;* (*)"));
  dialog->setDirectory(QDir::home());
  if (choice == FileChoice::kSave) {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->selectFile(toQString(suggestedName));
  } else {
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
  }
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                   [done = std::move(done)](const QString& path) {
                     if (done && !path.isEmpty()) done(toStdString(path));
                   });
  dialog->open();
}

}  // namespace gui_qt
