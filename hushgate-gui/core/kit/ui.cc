#include "hushgate-gui/core/kit/ui.h"

#include <atomic>

namespace gui {

namespace {

// Stands in until the front end installs its presenter: asks nothing of
// anyone, answers no.
class NullPresenter : public Presenter {
 public:
  void presentAlert(std::shared_ptr<Alert>) override {}
  void showHud(const Hud&) override {}
  void updateHud(const Hud&) override {}
  void hideHud() override {}
  void pushScreen(std::shared_ptr<Screen>) override {}
  void popScreen(bool) override {}
  void openApplication(const std::string&) override {}
  bool canOpenURL(const std::string&) override { return false; }
  void openURL(const std::string&) override {}
  void setPasteboardString(const std::string&) override {}
  void suspend() override {}
  void terminate() override {}
};

std::atomic<Presenter*> installed{nullptr};

}  // namespace

Presenter* setPresenter(Presenter* presenter) {
  return installed.exchange(presenter, std::memory_order_acq_rel);
}

Presenter& presenter() {
  if (Presenter* current = installed.load(std::memory_order_acquire)) return *current;
  static NullPresenter* const none = new NullPresenter();  // never destroyed
  return *none;
}

}  // namespace gui
