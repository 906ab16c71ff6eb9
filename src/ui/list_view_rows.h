// What the list pages share: showing rows in a QTreeWidget without a stall or a lost
// selection when the worker refreshes the table behind it, and right-click menus described
// as data so that a test can read and carry out an entry without popping the menu up.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPoint;
class QTreeWidget;
class QWidget;

namespace varnholt {

// One row of a list: its cell texts, its check mark in the first column (-1: none, 0, 1)
// and the key that finds it again after the rows moved.
struct ListRow {
  QStringList texts;
  int check = -1;
  QString key;
};

// Shows `rows` in `tree`: cells are updated in place, rows added or removed at the end, and
// the selection, the current row and the scroll position follow the rows by key. The tree's
// signals are blocked while it is filled, so check-mark handlers see only the user's clicks.
void ShowListRows(QTreeWidget* tree, const std::vector<ListRow>& rows);

// The indexes of the selected rows, in list order.
std::vector<int> SelectedRowIndexes(const QTreeWidget* tree);

// One entry of a right-click menu. An entry with an empty text is a separator; one with
// entries of its own is a submenu.
struct MenuEntry {
  std::string text;
  bool enabled = true;
  int action = 0;
  bool checkable = false;
  bool checked = false;
  std::vector<MenuEntry> entries = {};
};

// Pops the menu up at `global_pos` and calls `run` with the chosen entry's action.
void PopUpMenu(QWidget* parent, const std::vector<MenuEntry>& entries, const QPoint& global_pos,
               const std::function<void(int action)>& run);

// The program's texts are 8-bit; every byte maps to one character and back unchanged.
QString FromText(std::string_view text);
std::string ToText(const QString& text);

}  // namespace varnholt
