#include "ui/list_view_rows.h"

#include <QHash>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace varnholt {
namespace {

// The item's key lives in a data role of the first column, so that texts may repeat.
constexpr int kKeyRole = Qt::UserRole + 1;

void SetCells(QTreeWidgetItem* item, const ListRow& row) {
  for (int c = 0; c < row.texts.size(); ++c) {
    if (item->text(c) != row.texts[c]) item->setText(c, row.texts[c]);
  }
  if (row.check >= 0) {
    const Qt::CheckState state = row.check ? Qt::Checked : Qt::Unchecked;
    if (!(item->flags() & Qt::ItemIsUserCheckable)) {
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    }
    if (item->data(0, Qt::CheckStateRole).isNull() || item->checkState(0) != state) {
      item->setCheckState(0, state);
    }
  }
  if (item->data(0, kKeyRole).toString() != row.key) item->setData(0, kKeyRole, row.key);
}

void AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries,
                const std::function<void(int)>& run) {
  for (const MenuEntry& entry : entries) {
    if (entry.text.empty()) {
      menu->addSeparator();
      continue;
    }
    if (!entry.entries.empty()) {
      QMenu* sub = menu->addMenu(FromText(entry.text));
      sub->setEnabled(entry.enabled);
      AddEntries(sub, entry.entries, run);
      continue;
    }
    QAction* action = menu->addAction(FromText(entry.text));
    action->setEnabled(entry.enabled);
    action->setCheckable(entry.checkable);
    action->setChecked(entry.checked);
    const int id = entry.action;
    QObject::connect(action, &QAction::triggered, menu, [run, id] { run(id); });
  }
}

}  // namespace

void ShowListRows(QTreeWidget* tree, const std::vector<ListRow>& rows) {
  const QSignalBlocker blocker(tree);
  const int scroll = tree->verticalScrollBar()->value();
  QHash<QString, bool> selected;
  for (const QTreeWidgetItem* item : tree->selectedItems()) {
    selected.insert(item->data(0, kKeyRole).toString(), true);
  }
  const QTreeWidgetItem* current = tree->currentItem();
  const QString current_key = current ? current->data(0, kKeyRole).toString() : QString();

  tree->setUpdatesEnabled(false);
  const int count = static_cast<int>(rows.size());
  while (tree->topLevelItemCount() > count) {
    delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
  }
  const int kept = tree->topLevelItemCount();
  for (int i = 0; i < kept; ++i) SetCells(tree->topLevelItem(i), rows[static_cast<size_t>(i)]);
  QList<QTreeWidgetItem*> added;
  for (int i = kept; i < count; ++i) {
    auto* item = new QTreeWidgetItem();
    SetCells(item, rows[static_cast<size_t>(i)]);
    added.append(item);
  }
  if (!added.isEmpty()) tree->addTopLevelItems(added);

  // The same keys stay selected wherever their rows went.
  QItemSelection selection;
  QTreeWidgetItem* new_current = nullptr;
  if (!selected.isEmpty() || !current_key.isEmpty()) {
    for (int i = 0; i < count; ++i) {
      QTreeWidgetItem* item = tree->topLevelItem(i);
      const QString key = item->data(0, kKeyRole).toString();
      if (selected.contains(key)) {
        const QModelIndex index = tree->indexFromItem(item);
        selection.select(index, index);
      }
      if (!current_key.isEmpty() && key == current_key) new_current = item;
    }
  }
  if (QItemSelectionModel* model = tree->selectionModel()) {
    if (new_current) {
      model->setCurrentIndex(tree->indexFromItem(new_current), QItemSelectionModel::NoUpdate);
    }
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  tree->verticalScrollBar()->setValue(scroll);
  tree->setUpdatesEnabled(true);
}

std::vector<int> SelectedRowIndexes(const QTreeWidget* tree) {
  std::vector<int> rows;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    if (tree->topLevelItem(i)->isSelected()) rows.push_back(i);
  }
  return rows;
}

void PopUpMenu(QWidget* parent, const std::vector<MenuEntry>& entries, const QPoint& global_pos,
               const std::function<void(int action)>& run) {
  QMenu menu(parent);
  AddEntries(&menu, entries, run);
  menu.exec(global_pos);
}

QString FromText(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToText(const QString& text) {
  return text.toLatin1().toStdString();
}

}  // namespace varnholt
