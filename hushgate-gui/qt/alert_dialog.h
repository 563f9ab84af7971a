// An alert of the screens shown as a dialog: title, message (or the
// attributed message), text fields, and the buttons in the alert's order.
// A destructive button is drawn in red, the cancel button in bold; in an
// action sheet the buttons are stacked. Pressing a button closes the dialog,
// then runs the button's handler.
//
// Text fields ask the field's shouldChange delegate before every edit, with
// the replaced range in UTF-16 units, and undo an edit it refuses; after
// every edit the buttons' enabled states are read again from the alert.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "hushgate-gui/core/kit/ui.h"

class QLineEdit;
class QPushButton;

namespace gui_qt {

class AlertDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AlertDialog(std::shared_ptr<gui::Alert> alert, QWidget* parent = nullptr);

  const gui::Alert& alert() const { return *alert_; }
  // The button with this title, or nullptr.
  QPushButton* button(const QString& title) const;
  const std::vector<QPushButton*>& buttons() const { return buttons_; }
  const std::vector<QLineEdit*>& fields() const { return fields_; }

  // Reads the enabled state of every button from its action again.
  void refreshButtons();

  // Escape: the cancel-style button's action, when the alert has one;
  // otherwise the alert stays.
  void reject() override;

 private:
  void onFieldEdited(size_t index, const QString& text);
  void onButton(size_t index);

  std::shared_ptr<gui::Alert> alert_;
  std::vector<QLineEdit*> fields_;
  std::vector<QString> acceptedTexts_;  // each field's text as last accepted
  std::vector<QPushButton*> buttons_;
};

}  // namespace gui_qt
