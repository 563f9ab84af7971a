#include "hushgate-gui/qt/screen_factory.h"

#include <QBoxLayout>
#include <QLabel>

#include "hushgate-gui/qt/history_screen.h"
#include "hushgate-gui/qt/list_editor_screen.h"
#include "hushgate-gui/qt/opensource_screen.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/root_screen.h"
#include "hushgate-gui/qt/zone_screen.h"

namespace gui_qt {

namespace {

// A scene without a widget of its own shows its identifier.
class PlaceholderScreen : public ScreenWidget {
 public:
  explicit PlaceholderScreen(std::shared_ptr<gui::Screen> screen) : screen_(std::move(screen)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(toQString(screen_->sceneIdentifier()), this), 0, Qt::AlignCenter);
  }
  std::shared_ptr<gui::Screen> screen() const override { return screen_; }

 private:
  std::shared_ptr<gui::Screen> screen_;
};

}  // namespace

ScreenWidget* makeScreenWidget(std::shared_ptr<gui::Screen> screen) {
  if (auto root = std::dynamic_pointer_cast<gui::RootVC>(screen)) return new RootScreen(root);
  if (auto notices = std::dynamic_pointer_cast<gui::OpenSourceVC>(screen)) {
    return new OpenSourceScreen(notices);
  }
  if (auto zones = std::dynamic_pointer_cast<gui::ZoneVC>(screen)) return new ZoneScreen(zones);
  if (auto list = std::dynamic_pointer_cast<gui::ListEditorVC>(screen)) {
    return new ListEditorScreen(list);
  }
  if (auto history = std::dynamic_pointer_cast<gui::HistoryVC>(screen)) {
    return new HistoryScreen(history);
  }
  return new PlaceholderScreen(std::move(screen));
}

}  // namespace gui_qt
