#include "hushgate-gui/qt/table_rows.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <utility>

#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/style.h"

namespace gui_qt {

namespace {

constexpr int kHorizontalPadding = 12;
constexpr int kVerticalPadding = 8;
constexpr int kLineSpacing = 2;
constexpr int kButtonGap = 8;
const QColor kSeparatorColor{0xc6, 0xc6, 0xc8};

QFont detailFont(QFont font) {
  if (font.pointSizeF() > 0) {
    font.setPointSizeF(font.pointSizeF() * 0.85);
  } else if (font.pixelSize() > 0) {
    font.setPixelSize(std::max(9, font.pixelSize() * 85 / 100));
  }
  return font;
}

QString actionsButtonTitle() {
  return toQString(gui::rowActionsButtonTitle());
}

// The actions button of a row drawn in itemRect with the view's font.
QRect buttonRectIn(const QRect& itemRect, const QFontMetrics& metrics) {
  const int width = metrics.horizontalAdvance(actionsButtonTitle()) + 20;
  const int height = metrics.height() + 8;
  return QRect(itemRect.right() - kHorizontalPadding - width + 1,
               itemRect.top() + (itemRect.height() - height) / 2, width, height);
}

// Paints a row (texts, separator, actions button) and turns a click on the
// button into the row's actions.
class RowDelegate : public QStyledItemDelegate {
 public:
  RowDelegate(RowTable* table, int detailLines)
      : QStyledItemDelegate(table), table_(table), detailLines_(detailLines) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    const QFontMetrics main(option.font);
    const QFontMetrics detail(detailFont(option.font));
    const int texts = main.height() + detailLines_ * (detail.height() + kLineSpacing);
    const int button = main.height() + 8;
    // No width of its own: a row spans the view.
    return QSize(0, 2 * kVerticalPadding + std::max(texts, button));
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const bool enabled = opt.state & QStyle::State_Enabled;
    const QRect item = opt.rect;
    const QRect button = buttonRectIn(item, QFontMetrics(opt.font));
    const int left = item.left() + kHorizontalPadding;
    const int width = std::max(0, button.left() - kButtonGap - left);

    const QString text = index.data(Qt::DisplayRole).toString();
    QStringList details = index.data(RowTableModel::kDetailsRole).toStringList();
    details.removeAll(QString());

    const QFont mainFont = opt.font;
    const QFont smallFont = detailFont(opt.font);
    const QFontMetrics main(mainFont);
    const QFontMetrics small(smallFont);
    const int height =
        main.height() + static_cast<int>(details.size()) * (small.height() + kLineSpacing);
    int y = item.top() + (item.height() - height) / 2;

    painter->save();
    painter->setFont(mainFont);
    painter->setPen(
        opt.palette.color(enabled ? QPalette::Normal : QPalette::Disabled, QPalette::Text));
    painter->drawText(QRect(left, y, width, main.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      main.elidedText(text, Qt::ElideRight, width));
    y += main.height() + kLineSpacing;
    painter->setFont(smallFont);
    painter->setPen(kSecondaryText);
    for (const QString& detail : details) {
      painter->drawText(QRect(left, y, width, small.height()), Qt::AlignLeft | Qt::AlignVCenter,
                        small.elidedText(detail, Qt::ElideRight, width));
      y += small.height() + kLineSpacing;
    }

    painter->setPen(kSeparatorColor);
    painter->drawLine(left, item.bottom(), item.right(), item.bottom());

    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(mainFont);
    painter->setPen(QPen(enabled ? kTintColor : kSecondaryText, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter->drawText(button, Qt::AlignCenter, actionsButtonTitle());
    painter->restore();

    if (opt.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(opt);
      focus.rect = item.adjusted(1, 1, -1, -1);
      style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
  }

  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QRect button = buttonRectIn(option.rect, QFontMetrics(option.font));
      if (mouse->button() == Qt::LeftButton && button.contains(mouse->position().toPoint())) {
        if (type == QEvent::MouseButtonRelease) {
          table_->openActions(static_cast<size_t>(index.row()),
                              table_->viewport()->mapToGlobal(button.bottomLeft()));
        }
        return true;
      }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
  }

 private:
  RowTable* table_;
  int detailLines_;
};

}  // namespace

// ---- RowActionsPopup

RowActionsPopup::RowActionsPopup(std::vector<RowActionItem> actions, QWidget* parent)
    : QFrame(parent, Qt::Popup) {
  setObjectName("rowActions");
  setAttribute(Qt::WA_DeleteOnClose);
  setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(0);
  for (RowActionItem& action : actions) {
    auto* button = new QPushButton(action.title, this);
    button->setFlat(true);
    button->setProperty("destructive", action.destructive);
    const QColor color = action.destructive ? kDestructiveColor : kTintColor;
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; text-align: left; padding: 6px 16px; }")
            .arg(color.name()));
    // Closed first, so an action that presents a dialog finds no popup.
    connect(button, &QPushButton::clicked, this, [this, trigger = std::move(action.trigger)] {
      close();
      if (trigger) trigger();
    });
    layout->addWidget(button);
    buttons_.push_back(button);
  }
}

QPushButton* RowActionsPopup::button(const QString& title) const {
  for (QPushButton* button : buttons_) {
    if (button->text() == title) return button;
  }
  return nullptr;
}

// ---- RowTableModel

RowTableModel::RowTableModel(Source source, QObject* parent)
    : QAbstractListModel(parent), source_(std::move(source)) {
  rows_ = static_cast<int>(std::min<size_t>(source_.count(), INT_MAX));
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != kDetailsRole && role != Qt::ToolTipRole &&
      role != Qt::AccessibleTextRole) {
    return {};
  }
  if (!index.isValid() || index.row() >= rows_) return {};
  const auto row = static_cast<size_t>(index.row());
  // The source may already have lost rows that the view still shows.
  if (row >= source_.count()) return {};
  const RowContent content = source_.row(row);
  switch (role) {
    case Qt::DisplayRole:
      return content.text;
    case kDetailsRole:
      return content.details;
    default: {
      QStringList lines{content.text};
      lines += content.details;
      lines.removeAll(QString());
      return lines.join('\n');
    }
  }
}

void RowTableModel::reloadAll() {
  beginResetModel();
  rows_ = static_cast<int>(std::min<size_t>(source_.count(), INT_MAX));
  endResetModel();
}

void RowTableModel::rowDeleted(size_t row) {
  if (row >= static_cast<size_t>(rows_)) {
    reloadAll();
    return;
  }
  const int at = static_cast<int>(row);
  beginRemoveRows(QModelIndex(), at, at);
  --rows_;
  endRemoveRows();
}

// ---- RowTable

RowTable::RowTable(RowTableModel::Source source, int detailLines, ActionsProvider actions,
                   QWidget* parent)
    : QListView(parent),
      rows_(new RowTableModel(std::move(source), this)),
      actions_(std::move(actions)) {
  setObjectName("table");
  setModel(rows_);
  setItemDelegate(new RowDelegate(this, detailLines));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFrameShape(QFrame::NoFrame);
  // The size of the other screens' row captions.
  QFont rowFont = font();
  rowFont.setPixelSize(16);
  setFont(rowFont);
  // A reload or deletion moves the rows: an open popup would act on the
  // wrong one, so it closes (as a reload ends a swipe).
  connect(rows_, &QAbstractItemModel::modelAboutToBeReset, this, &RowTable::closeActions);
  connect(rows_, &QAbstractItemModel::rowsAboutToBeRemoved, this, &RowTable::closeActions);
}

RowActionsPopup* RowTable::openActions(size_t row, const QPoint& globalPos) {
  closeActions();
  if (row >= static_cast<size_t>(rows_->rowCount()) || !actions_) return nullptr;
  std::vector<RowActionItem> items = actions_(row);
  if (items.empty()) return nullptr;
  setCurrentIndex(rows_->index(static_cast<int>(row)));

  popup_ = new RowActionsPopup(std::move(items), this);
  popup_->adjustSize();
  QPoint at = globalPos;
  // Inside the window where it fits (the window is phone-shaped and the
  // buttons stand at its right edge), then inside the screen.
  const QSize size = popup_->size();
  const QRect frame(window()->mapToGlobal(QPoint(0, 0)), window()->size());
  if (size.width() <= frame.width()) {
    at.setX(std::clamp(at.x(), frame.left(), frame.right() + 1 - size.width()));
  }
  if (const QScreen* screen = this->screen()) {
    const QRect available = screen->availableGeometry();
    at.setX(std::clamp(at.x(), available.left(),
                       std::max(available.left(), available.right() - size.width())));
    if (at.y() + size.height() > available.bottom()) at.setY(at.y() - size.height());
    at.setY(std::max(at.y(), available.top()));
  }
  popup_->move(at);
  popup_->show();
  return popup_;
}

void RowTable::closeActions() {
  if (popup_) popup_->close();
  popup_ = nullptr;
}

QRect RowTable::actionsButtonRect(size_t row) const {
  if (row >= static_cast<size_t>(rows_->rowCount())) return {};
  const QRect item = visualRect(rows_->index(static_cast<int>(row)));
  return item.isValid() ? buttonRectIn(item, fontMetrics()) : QRect();
}

void RowTable::setEmptyText(const QString& text) {
  emptyText_ = text;
  viewport()->update();
}

void RowTable::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  if (!showsEmptyText()) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  const QRect area = viewport()->rect().adjusted(32, 0, -32, 0);
  painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
}

void RowTable::contextMenuEvent(QContextMenuEvent* event) {
  const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
  const QModelIndex index = byMouse ? indexAt(event->pos()) : currentIndex();
  if (!index.isValid()) {
    event->ignore();
    return;
  }
  const auto row = static_cast<size_t>(index.row());
  const QPoint at =
      byMouse ? event->globalPos() : viewport()->mapToGlobal(actionsButtonRect(row).bottomLeft());
  openActions(row, at);
  event->accept();
}

void RowTable::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
      currentIndex().isValid()) {
    const auto row = static_cast<size_t>(currentIndex().row());
    openActions(row, viewport()->mapToGlobal(actionsButtonRect(row).bottomLeft()));
    event->accept();
    return;
  }
  // Delete runs the current row's destructive action (its "delete") at once.
  if (key == Qt::Key_Delete && currentIndex().isValid()) {
    const auto row = static_cast<size_t>(currentIndex().row());
    for (const RowActionItem& item : actions_(row)) {
      if (item.destructive && item.trigger) {
        closeActions();
        item.trigger();
        break;
      }
    }
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}

}  // namespace gui_qt
