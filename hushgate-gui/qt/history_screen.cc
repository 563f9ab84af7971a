#include "hushgate-gui/qt/history_screen.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <utility>
#include <vector>

#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/table_rows.h"

namespace gui_qt {

HistoryScreen::HistoryScreen(std::shared_ptr<gui::HistoryVC> model, QWidget* parent)
    : ScreenWidget(parent), model_(std::move(model)) {
  setObjectName(toQString(model_->sceneIdentifier()));
  // The table and the button share the model, so it outlives them.
  const std::shared_ptr<gui::HistoryVC> history = model_;
  RowTableModel::Source source{[history] { return history->numberOfRows(); },
                               [history](size_t row) {
                                 const gui::HistoryCell cell = history->cellForRow(row);
                                 QStringList details{toQString(cell.date), toQString(cell.reason)};
                                 if (!cell.rule.empty()) details.push_back(toQString(cell.rule));
                                 return RowContent{toQString(cell.title), details};
                               }};
  auto actions = [history](size_t row) {
    std::vector<RowActionItem> items;
    for (gui::HistoryRowAction& action : history->editActionsForRow(row)) {
      items.push_back({toQString(action.title), action.style == gui::AlertActionStyle::Destructive,
                       std::move(action.handler)});
    }
    return items;
  };
  table_ = new RowTable(std::move(source), 3, std::move(actions), this);
  table_->setEmptyText(toQString(gui::HistoryVC::emptyText()));
  summary_ = new QLabel(this);
  summary_->setObjectName("historySummary");
  summary_->setProperty("class", "sectionHeader");
  summary_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(summary_);
  layout->addWidget(table_);

  auto trash = std::make_unique<QPushButton>(toQString(gui::trashButtonTitle()));
  trash->setObjectName("trashButton");
  trashButton_ = trash.get();
  connect(trashButton_, &QPushButton::clicked, this, [history] { history->onTrash(); });
  setBarWidget(std::move(trash));

  model_->setView(this);
  model_->viewDidLoad();
  updateSummary();
}

void HistoryScreen::updateSummary() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  summary_->setText(toQString(
      model_->summaryText(std::chrono::duration_cast<std::chrono::seconds>(now).count())));
}

HistoryScreen::~HistoryScreen() {
  model_->setView(nullptr);
}

void HistoryScreen::viewDidAppear() {
  model_->viewDidAppear();
}

void HistoryScreen::viewDidDisappear() {
  model_->viewDidDisappear();
}

void HistoryScreen::reloadData() {
  table_->rows()->reloadAll();
  updateSummary();
}

void HistoryScreen::deleteRow(size_t row) {
  table_->rows()->rowDeleted(row);
  updateSummary();
}

void HistoryScreen::setUserInteractionEnabled(bool enabled) {
  if (!enabled) table_->closeActions();
  table_->setEnabled(enabled);
  if (trashButton_) trashButton_->setEnabled(enabled);
}

}  // namespace gui_qt
