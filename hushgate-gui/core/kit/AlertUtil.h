// Every alert, confirmation question and progress overlay of the settings
// application goes through here. Alerts are presented by the presenter (the
// key window's root view controller). There is never more than one overlay:
// a new one first dismisses the one in the slot. Main thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/ui.h"

namespace gui {

// A text field of a form (AlertUtil::showForm).
struct FormField {
  std::string placeholder;
  std::string text;  // shown at first
  KeyboardType keyboard = KeyboardType::Default;
};

// The button texts, from the localisation table ("ok", "cancel"): "确定" and
// "取消" in Chinese, "OK" and "Cancel" in English.
std::string alertConfirmTitle();
std::string alertCancelTitle();

class AlertUtil {
 public:
  // An alert with one confirm button (default style); tapping it closes the
  // alert, then runs onConfirm if given.
  static void showInfo(std::optional<std::string> title, std::optional<std::string> message,
                       std::function<void()> onConfirm = {});

  // An alert with cancel (cancel style; only closes) then confirm (destructive
  // when isDanger, else default; closes, then runs onConfirm if given).
  static void showQuery(std::optional<std::string> title, std::optional<std::string> message,
                        bool isDanger, std::function<void()> onConfirm = {});

  // An alert with the fields, cancel (only closes) then confirm (closes,
  // then runs onConfirm with the fields' texts in order). The alert holds
  // the fields; the handler refers to them weakly.
  static void showForm(std::optional<std::string> title, std::optional<std::string> message,
                       std::vector<FormField> fields,
                       std::function<void(const std::vector<std::string>& texts)> onConfirm);

  // The overlay slot.
  static void showWaitingHud(std::optional<std::string> text);   // spinning indicator
  static void showProgressHud(std::optional<std::string> text);  // pie indicator
  static void updateHudText(const std::string& text);            // nothing when empty
  static void updateHudProgress(float progress);                 // nothing when empty
  static void hideHud();                                         // nothing when empty
  static bool isHudShown();
};

}  // namespace gui
