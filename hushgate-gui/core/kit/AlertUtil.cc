#include "hushgate-gui/core/kit/AlertUtil.h"

#include <memory>
#include <utility>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/ui.h"

namespace gui {

namespace {

// The overlay on screen, or nothing. Touched on the main thread only.
std::optional<Hud>& overlaySlot() {
  static std::optional<Hud> slot;
  return slot;
}

std::shared_ptr<AlertAction> makeAction(std::string title, AlertActionStyle style,
                                        std::function<void()> handler) {
  auto action = std::make_shared<AlertAction>();
  action->title = std::move(title);
  action->style = style;
  action->handler = std::move(handler);
  return action;
}

std::shared_ptr<Alert> makeAlert(std::optional<std::string> title,
                                 std::optional<std::string> message) {
  auto alert = std::make_shared<Alert>();
  alert->title = std::move(title);
  alert->message = std::move(message);
  alert->style = AlertStyle::Alert;
  return alert;
}

void showOverlay(HudIndicator indicator, std::optional<std::string> text) {
  AlertUtil::hideHud();
  Hud hud;
  hud.indicator = indicator;
  hud.text = std::move(text);
  overlaySlot() = hud;
  presenter().showHud(hud);
}

}  // namespace

std::string alertConfirmTitle() {
  return localizedString("ok");
}

std::string alertCancelTitle() {
  return localizedString("cancel");
}

void AlertUtil::showInfo(std::optional<std::string> title, std::optional<std::string> message,
                         std::function<void()> onConfirm) {
  auto alert = makeAlert(std::move(title), std::move(message));
  alert->actions.push_back(
      makeAction(alertConfirmTitle(), AlertActionStyle::Default, std::move(onConfirm)));
  presenter().presentAlert(std::move(alert));
}

void AlertUtil::showQuery(std::optional<std::string> title, std::optional<std::string> message,
                          bool isDanger, std::function<void()> onConfirm) {
  auto alert = makeAlert(std::move(title), std::move(message));
  alert->actions.push_back(makeAction(alertCancelTitle(), AlertActionStyle::Cancel, nullptr));
  alert->actions.push_back(makeAction(
      alertConfirmTitle(), isDanger ? AlertActionStyle::Destructive : AlertActionStyle::Default,
      std::move(onConfirm)));
  presenter().presentAlert(std::move(alert));
}

void AlertUtil::showWaitingHud(std::optional<std::string> text) {
  showOverlay(HudIndicator::Indeterminate, std::move(text));
}

void AlertUtil::showProgressHud(std::optional<std::string> text) {
  showOverlay(HudIndicator::Pie, std::move(text));
}

void AlertUtil::updateHudText(const std::string& text) {
  std::optional<Hud>& slot = overlaySlot();
  if (!slot) return;
  slot->text = text;
  presenter().updateHud(*slot);
}

void AlertUtil::updateHudProgress(float progress) {
  std::optional<Hud>& slot = overlaySlot();
  if (!slot) return;
  // A progress is a fraction; anything else (NaN too) is brought into range.
  slot->progress = progress >= 0 ? (progress <= 1 ? progress : 1.0f) : 0.0f;
  presenter().updateHud(*slot);
}

void AlertUtil::hideHud() {
  std::optional<Hud>& slot = overlaySlot();
  if (!slot) return;
  slot.reset();
  presenter().hideHud();
}

bool AlertUtil::isHudShown() {
  return overlaySlot().has_value();
}

}  // namespace gui
