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

void AlertUtil::showForm(std::optional<std::string> title, std::optional<std::string> message,
                         std::vector<FormField> fields,
                         std::function<void(const std::vector<std::string>& texts)> onConfirm) {
  auto alert = makeAlert(std::move(title), std::move(message));
  std::vector<std::weak_ptr<AlertTextField>> weakFields;
  for (FormField& field : fields) {
    auto textField = std::make_shared<AlertTextField>();
    textField->placeholder = std::move(field.placeholder);
    textField->text = std::move(field.text);
    textField->keyboard = field.keyboard;
    weakFields.push_back(textField);
    alert->textFields.push_back(std::move(textField));
  }
  alert->actions.push_back(makeAction(alertCancelTitle(), AlertActionStyle::Cancel, nullptr));
  alert->actions.push_back(
      makeAction(alertConfirmTitle(), AlertActionStyle::Default,
                 [weakFields = std::move(weakFields), onConfirm = std::move(onConfirm)] {
                   std::vector<std::string> texts;
                   for (const std::weak_ptr<AlertTextField>& weak : weakFields) {
                     const std::shared_ptr<AlertTextField> field = weak.lock();
                     if (field == nullptr) return;
                     texts.push_back(field->text);
                   }
                   if (onConfirm) onConfirm(texts);
                 }));
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
