#include "hushgate-gui/qt/list_editor_screen.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/table_rows.h"

namespace gui_qt {

ListEditorScreen::ListEditorScreen(std::shared_ptr<gui::ListEditorVC> model, QWidget* parent)
    : ScreenWidget(parent), model_(std::move(model)) {
  setObjectName(toQString(model_->sceneIdentifier()));
  // The table and the buttons share the model, so it outlives them.
  const std::shared_ptr<gui::ListEditorVC> list = model_;
  RowTableModel::Source source{[list] { return list->numberOfRowsInSection(); },
                               [list](size_t row) {
                                 const gui::ListRow content = list->cellForRowAtIndexPath(row);
                                 RowContent shown{toQString(content.text), {}};
                                 if (content.detail) shown.details << toQString(*content.detail);
                                 return shown;
                               }};
  auto actions = [list](size_t row) {
    std::vector<RowActionItem> items;
    for (gui::RowAction& action : list->editActionsForRowAtIndexPath(row)) {
      items.push_back({toQString(action.title), action.style == gui::RowActionStyle::Destructive,
                       std::move(action.handler)});
    }
    return items;
  };
  table_ = new RowTable(std::move(source), model_->family().hasComments() ? 1 : 0,
                        std::move(actions), this);
  table_->setEmptyText(toQString(model_->emptyText()));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(table_);

  // The bar: the add button ("addButton") and the clear button ("trashButton").
  auto bar = std::make_unique<QWidget>();
  auto* barLayout = new QHBoxLayout(bar.get());
  barLayout->setContentsMargins(0, 0, 0, 0);
  auto* addButton = new QPushButton(toQString(gui::addButtonTitle()), bar.get());
  addButton->setObjectName("addButton");
  trashButton_ = new QPushButton(toQString(gui::trashButtonTitle()), bar.get());
  trashButton_->setObjectName("trashButton");
  barLayout->addWidget(addButton);
  barLayout->addWidget(trashButton_);
  connect(addButton, &QPushButton::clicked, this, [list] { list->onAdd(); });
  connect(trashButton_, &QPushButton::clicked, this, [list] { list->onTrash(); });
  setBarWidget(std::move(bar));

  model_->setView(this);
  model_->viewDidLoad();
}

ListEditorScreen::~ListEditorScreen() {
  model_->setView(nullptr);
}

void ListEditorScreen::reloadData() {
  table_->rows()->reloadAll();
}

void ListEditorScreen::deleteRow(size_t row) {
  table_->rows()->rowDeleted(row);
}

void ListEditorScreen::endEditing() {
  table_->closeActions();
}

void ListEditorScreen::setTrashEnabled(bool enabled) {
  if (trashButton_) trashButton_->setEnabled(enabled);
}

}  // namespace gui_qt
