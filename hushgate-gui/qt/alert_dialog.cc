#include "hushgate-gui/qt/alert_dialog.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/style.h"

namespace gui_qt {

namespace {

QString buttonStyle(gui::AlertActionStyle style) {
  QString color = kTintColor.name();
  QString weight = "normal";
  if (style == gui::AlertActionStyle::Destructive) color = kDestructiveColor.name();
  if (style == gui::AlertActionStyle::Cancel) weight = "600";
  return QStringLiteral(
             "QPushButton { border: none; border-top: 1px solid #d1d1d6; padding: 10px;"
             " font-size: 16px; color: %1; font-weight: %2; background: transparent; }"
             "QPushButton:disabled { color: #b4b4b9; }"
             "QPushButton:pressed { background: #e5e5ea; }")
      .arg(color, weight);
}

Qt::InputMethodHints hintsFor(gui::KeyboardType keyboard) {
  switch (keyboard) {
    case gui::KeyboardType::NumberPad:
      return Qt::ImhDigitsOnly;
    case gui::KeyboardType::NumbersAndPunctuation:
      return Qt::ImhPreferNumbers;
    case gui::KeyboardType::Default:
      break;
  }
  return Qt::ImhNone;
}

}  // namespace

AlertDialog::AlertDialog(std::shared_ptr<gui::Alert> alert, QWidget* parent)
    : QDialog(parent), alert_(std::move(alert)) {
  setObjectName("alert");
  setModal(true);
  setWindowTitle(alert_->title ? toQString(*alert_->title) : QString());
  setMinimumWidth(270);
  setStyleSheet("QDialog#alert { background: #f9f9f9; }");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 16, 0, 0);
  layout->setSpacing(8);

  auto addText = [&](const QString& text, const char* name, bool bold, bool left, double size) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(left ? Qt::AlignLeft : Qt::AlignHCenter);
    QFont font = label->font();
    font.setBold(bold);
    font.setPixelSize(static_cast<int>(size));
    label->setFont(font);
    label->setContentsMargins(16, 0, 16, 0);
    layout->addWidget(label);
  };
  if (alert_->title) addText(toQString(*alert_->title), "alertTitle", true, false, 17);
  if (alert_->attributedMessage) {
    const auto& message = *alert_->attributedMessage;
    addText(toQString(message.text), "alertMessage", false, message.leftAligned,
            message.systemFontSize);
  } else if (alert_->message) {
    addText(toQString(*alert_->message), "alertMessage", false, false, 13);
  }

  for (size_t i = 0; i < alert_->textFields.size(); ++i) {
    const auto& model = *alert_->textFields[i];
    auto* field = new QLineEdit(toQString(model.text), this);
    field->setObjectName(QStringLiteral("alertField%1").arg(i));
    field->setPlaceholderText(toQString(model.placeholder));
    field->setInputMethodHints(hintsFor(model.keyboard));
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 0, 16, 0);
    row->addWidget(field);
    layout->addLayout(row);
    fields_.push_back(field);
    acceptedTexts_.push_back(field->text());
    connect(field, &QLineEdit::textEdited, this,
            [this, i](const QString& text) { onFieldEdited(i, text); });
  }
  if (!fields_.empty()) fields_.front()->setFocus();

  // Two buttons of an alert sit side by side; more, or an action sheet, stack.
  const bool sideBySide = alert_->style == gui::AlertStyle::Alert && alert_->actions.size() <= 2;
  QBoxLayout* buttonLayout = sideBySide ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                        : static_cast<QBoxLayout*>(new QVBoxLayout);
  buttonLayout->setSpacing(0);
  layout->addSpacing(8);
  layout->addLayout(buttonLayout);
  for (size_t i = 0; i < alert_->actions.size(); ++i) {
    const auto& action = *alert_->actions[i];
    auto* button = new QPushButton(toQString(action.title), this);
    button->setObjectName(QStringLiteral("alertButton%1").arg(i));
    button->setProperty("actionStyle", static_cast<int>(action.style));
    button->setAutoDefault(false);
    button->setStyleSheet(buttonStyle(action.style));
    button->setCursor(Qt::PointingHandCursor);
    buttonLayout->addWidget(button);
    buttons_.push_back(button);
    connect(button, &QPushButton::clicked, this, [this, i] { onButton(i); });
  }
  // Return presses the last button of the default style (OK, Add, Look up),
  // never a cancel or a destructive one.
  for (size_t i = alert_->actions.size(); i-- > 0;) {
    if (alert_->actions[i]->style == gui::AlertActionStyle::Default) {
      buttons_[i]->setDefault(true);
      break;
    }
  }
  refreshButtons();
}

QPushButton* AlertDialog::button(const QString& title) const {
  for (QPushButton* button : buttons_) {
    if (button->text() == title) return button;
  }
  return nullptr;
}

void AlertDialog::refreshButtons() {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setEnabled(alert_->actions[i]->enabled);
  }
}

void AlertDialog::onFieldEdited(size_t index, const QString& text) {
  auto& model = *alert_->textFields[index];
  const QString& before = acceptedTexts_[index];
  // The edit as one replaced range, in UTF-16 units.
  const qsizetype common = std::min(before.size(), text.size());
  qsizetype prefix = 0;
  while (prefix < common && before[prefix] == text[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < common - prefix &&
         before[before.size() - 1 - suffix] == text[text.size() - 1 - suffix]) {
    ++suffix;
  }
  const QString replacement = text.mid(prefix, text.size() - prefix - suffix);
  const bool accepted = !model.shouldChange ||
                        model.shouldChange(toStdString(before), static_cast<size_t>(prefix),
                                           static_cast<size_t>(before.size() - prefix - suffix),
                                           toStdString(replacement));
  if (accepted) {
    acceptedTexts_[index] = text;
    model.text = toStdString(text);
  } else {
    QLineEdit* field = fields_[index];
    field->setText(before);
    field->setCursorPosition(static_cast<int>(prefix));
  }
  refreshButtons();
}

void AlertDialog::onButton(size_t index) {
  const auto action = alert_->actions[index];
  if (!action->enabled) return;
  // Keep the alert alive through the handler: the dialog is deleted on close.
  const auto alert = alert_;
  done(static_cast<int>(index));
  if (action->handler) action->handler();
}

void AlertDialog::reject() {
  // Escape works like the cancel button, where there is one, and closes an
  // information alert (one button, not destructive); any other alert cannot
  // be dismissed without choosing.
  for (size_t i = 0; i < alert_->actions.size(); ++i) {
    if (alert_->actions[i]->style == gui::AlertActionStyle::Cancel) return onButton(i);
  }
  if (alert_->actions.size() == 1 &&
      alert_->actions[0]->style != gui::AlertActionStyle::Destructive) {
    onButton(0);
  }
}

}  // namespace gui_qt
