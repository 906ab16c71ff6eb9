// The Maps page: every level the catalogue offers, one row per mode, with the rotation's
// levels checked and first in rotation order. A check mark edits the rotation at once (saved
// at the next apply); the right-click menu offers the map Commands, the filters, the sort,
// the check-mark actions and the export and import of rotation files.
#pragma once

#include <string>
#include <vector>

#include "maps/map_page.h"
#include "maps/map_rotation.h"
#include "ui/list_view_rows.h"
#include "ui/page.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace varnholt {

class MapsPage : public Page {
  Q_OBJECT
 public:
  // Menu action ids beyond the MapPageAction values: "Show %s maps" for line i of Mods.con.
  static constexpr int kModFilterAction = 1000;

  explicit MapsPage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // The right-click menu for list row `row` (-1: none), as the user would see it.
  std::vector<MenuEntry> MenuEntries(int row);
  // Carries out a menu action on list row `row` (-1: none), as if chosen from the menu.
  // Export and import ask for a file first; the file actions themselves are below.
  void RunMenuAction(int action, int row);
  // "Export maplist" and "Import maplist" to and from a chosen file.
  bool ExportMapList(const std::string& path);
  bool ImportMapList(const std::string& path);

  QTreeWidget* List() const { return list_; }

 private:
  void OnContextMenu(const QPoint& pos);
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void OnHeaderClicked(int column);
  void AskExportFile();
  void AskImportFile();
  bool ServerRunning();
  bool ConsoleConnected();

  Program& program_;
  QTreeWidget* list_ = nullptr;
  // The rows last shown, to skip the rebuild when nothing changed.
  std::vector<RotationRow> shown_;
  SortColumn shown_sort_ = SortColumn::kNone;
  bool shown_once_ = false;
};

}  // namespace varnholt
