#include "ui/maps_page.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>
#include <optional>

#include "log/error_text.h"
#include "maps/game_modes.h"
#include "platform/last_error.h"
#include "program/program.h"

namespace varnholt {
namespace {

constexpr int kSeparator = -1;

MenuEntry Separator() {
  MenuEntry entry;
  entry.action = kSeparator;
  return entry;
}

// The generator seed of "Randomize Order": the time, as the operator expects a new order
// every time.
uint64_t RandomSeed() {
  return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

SortColumn ColumnSort(int column) {
  switch (column) {
    case 0:
      return SortColumn::kMod;
    case 1:
      return SortColumn::kMode;
    case 2:
      return SortColumn::kMap;
    default:
      return SortColumn::kNone;
  }
}

bool SameRows(const std::vector<RotationRow>& a, const std::vector<RotationRow>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].checked != b[i].checked || a[i].map != b[i].map || a[i].mode != b[i].mode ||
        a[i].mod != b[i].mod) {
      return false;
    }
  }
  return true;
}

QString RowKey(const RotationRow& row) {
  return FromText(row.mod + " " + row.mode + " " + row.map);
}

}  // namespace

MapsPage::MapsPage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setHeaderLabels({"Modification", "Game Mode", "Map"});
  list_->header()->setSectionsClickable(true);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(
      "Available maps. Check the maps of the map rotation; right-click for map commands, "
      "filters and map list files.");
  list_->headerItem()->setToolTip(0, "Click to sort the maps by modification.");
  list_->headerItem()->setToolTip(1, "Click to sort the maps by game mode.");
  list_->headerItem()->setToolTip(2, "Click to sort the maps by map name.");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);

  connect(list_, &QWidget::customContextMenuRequested, this, &MapsPage::OnContextMenu);
  connect(list_, &QTreeWidget::itemChanged, this, &MapsPage::OnItemChanged);
  connect(list_->header(), &QHeaderView::sectionClicked, this, &MapsPage::OnHeaderClicked);
}

void MapsPage::Reload() {
  MapRotation& rotation = program_.Rotation();
  std::vector<RotationRow> rows = rotation.Rows();
  const SortColumn sort = rotation.GetSortColumn();
  if (shown_once_ && sort == shown_sort_ && SameRows(rows, shown_)) return;
  std::vector<ListRow> shown;
  shown.reserve(rows.size());
  for (const RotationRow& row : rows) {
    shown.push_back(ListRow{{FromText(row.mod), FromText(row.mode), FromText(row.map)},
                            row.checked ? 1 : 0,
                            RowKey(row)});
  }
  ShowListRows(list_, shown);
  const int column = sort == SortColumn::kMod ? 0 : sort == SortColumn::kMode ? 1 : 2;
  list_->header()->setSortIndicatorShown(sort != SortColumn::kNone);
  if (sort != SortColumn::kNone) list_->header()->setSortIndicator(column, Qt::AscendingOrder);
  shown_ = std::move(rows);
  shown_sort_ = sort;
  shown_once_ = true;
}

bool MapsPage::ServerRunning() {
  return program_.Supervision().ServerRunning();
}

bool MapsPage::ConsoleConnected() {
  return program_.Link().ConsoleConnected();
}

std::vector<MenuEntry> MapsPage::MenuEntries(int row) {
  MapRotation& rotation = program_.Rotation();
  const bool connected = ConsoleConnected();
  auto entry = [&](MapPageAction action) {
    MenuEntry e;
    e.text = MapActionText(action);
    e.action = static_cast<int>(action);
    e.enabled = IsMapActionAvailable(rotation, action, row, connected);
    return e;
  };
  auto filter = [&](MapPageAction action, bool shown) {
    MenuEntry e = entry(action);
    e.checkable = true;
    e.checked = shown;
    return e;
  };
  const uint32_t modes = rotation.ModeFilter();
  const uint32_t mods = rotation.ModFilter();
  std::vector<MenuEntry> entries = {
      entry(MapPageAction::kRandomizeOrder),
      Separator(),
      entry(MapPageAction::kChangeMap),
      entry(MapPageAction::kRunNextMap),
      entry(MapPageAction::kSetNextMap),
      entry(MapPageAction::kSetIdleMap),
      entry(MapPageAction::kClearIdleMap),
      entry(MapPageAction::kRestartMap),
      Separator(),
      entry(MapPageAction::kExportMapList),
      entry(MapPageAction::kImportMapList),
      Separator(),
      filter(MapPageAction::kShowConquest, modes & 1),
      filter(MapPageAction::kShowCooperative, modes & 2),
      filter(MapPageAction::kShowEvolution, modes & 4),
      filter(MapPageAction::kShowCustomCombat, modes & 8),
  };
  std::vector<std::string> mod_texts;
  if (rotation.ModMenuEntries(&mod_texts)) {
    for (size_t i = 0; i < mod_texts.size() && i < kModMenuLines; ++i) {
      if (mod_texts[i].empty()) continue;  // keeps its bit, gives no entry
      MenuEntry e;
      e.text = mod_texts[i];
      e.action = kModFilterAction + static_cast<int>(i);
      e.checkable = true;
      e.checked = (mods >> i) & 1;
      entries.push_back(e);
    }
  }
  entries.push_back(entry(MapPageAction::kShowAllModes));
  entries.push_back(entry(MapPageAction::kShowAllMods));
  entries.push_back(entry(MapPageAction::kShowSelectedOnly));
  entries.push_back(entry(MapPageAction::kRemoveColumnSort));
  entries.push_back(Separator());
  entries.push_back(entry(MapPageAction::kCheckAll));
  entries.push_back(entry(MapPageAction::kUncheckAll));
  if (!SelectedRowIndexes(list_).empty()) {
    entries.push_back(entry(MapPageAction::kCheckSelected));
    entries.push_back(entry(MapPageAction::kUncheckSelected));
  }
  return entries;
}

void MapsPage::RunMenuAction(int action, int row) {
  MapRotation& rotation = program_.Rotation();
  if (action >= kModFilterAction) {
    ToggleModFilter(rotation, action - kModFilterAction, ServerRunning());
    Reload();
    return;
  }
  if (action < 0) return;
  const auto page_action = static_cast<MapPageAction>(action);
  switch (page_action) {
    case MapPageAction::kChangeMap:
    case MapPageAction::kRunNextMap:
    case MapPageAction::kSetNextMap:
    case MapPageAction::kSetIdleMap:
    case MapPageAction::kClearIdleMap:
    case MapPageAction::kRestartMap:
      QueueMapAction(program_.Queue(), rotation, page_action, row, ConsoleConnected());
      return;
    case MapPageAction::kCheckSelected:
    case MapPageAction::kUncheckSelected: {
      std::vector<size_t> rows;
      for (int r : SelectedRowIndexes(list_)) rows.push_back(static_cast<size_t>(r));
      SetRowsChecked(rotation, rows, page_action == MapPageAction::kCheckSelected);
      break;
    }
    case MapPageAction::kExportMapList:
      AskExportFile();
      return;
    case MapPageAction::kImportMapList:
      AskImportFile();
      return;
    default:
      ApplyMapPageAction(rotation, page_action, ServerRunning(), RandomSeed());
      break;
  }
  Reload();
}

bool MapsPage::ExportMapList(const std::string& path) {
  if (varnholt::ExportMapList(program_.Rotation(), path)) return true;
  program_.Log().ShowMessage(kMessageError, "Couldn't save maplist file! %s",
                             ErrorText(GetLastErrorCode()));
  return false;
}

bool MapsPage::ImportMapList(const std::string& path) {
  // A file that cannot be read is logged by the load and leaves the rows as they were.
  const bool ok = varnholt::ImportMapList(program_.Rotation(), path, ServerRunning());
  Reload();
  return ok;
}

void MapsPage::AskExportFile() {
  const QString path = QFileDialog::getSaveFileName(
      this, kMapListExportTitle, FromText(program_.SettingsFolder()), kMapListFileFilter);
  if (path.isEmpty()) return;
  std::string chosen = path.toStdString();
  const std::string extension = std::string(".") + kMapListExtension;
  if (QFileInfo(path).suffix().isEmpty()) chosen += extension;
  ExportMapList(chosen);
}

void MapsPage::AskImportFile() {
  const QString path = QFileDialog::getOpenFileName(
      this, kMapListImportTitle, FromText(program_.SettingsFolder()), kMapListFileFilter);
  if (!path.isEmpty()) ImportMapList(path.toStdString());
}

void MapsPage::OnContextMenu(const QPoint& pos) {
  QTreeWidgetItem* item = list_->itemAt(pos);
  const int row = item ? list_->indexOfTopLevelItem(item) : -1;
  std::optional<RotationRow> clicked;
  if (row >= 0 && static_cast<size_t>(row) < shown_.size()) {
    clicked = shown_[static_cast<size_t>(row)];
  }
  PopUpMenu(this, MenuEntries(row), list_->viewport()->mapToGlobal(pos),
            [this, row, clicked](int action) {
              // The worker may reload the rows while the menu is open: act on the level
              // that was clicked, wherever it stands now (none when it is gone).
              int now = row;
              if (clicked) {
                now = program_.Rotation().FindRotationRow(
                    clicked->map, ModeIdFromDisplayName(clicked->mode), clicked->mod);
              }
              RunMenuAction(action, now);
            });
}

void MapsPage::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (column != 0) return;
  const int row = list_->indexOfTopLevelItem(item);
  if (row < 0 || static_cast<size_t>(row) >= shown_.size()) return;
  const bool checked = item->checkState(0) == Qt::Checked;
  // The worker may have rebuilt the rows since they were shown: edit the row only while it
  // still holds the level the operator clicked.
  MapRotation& rotation = program_.Rotation();
  const std::vector<RotationRow> rows = rotation.Rows();
  const RotationRow& clicked = shown_[static_cast<size_t>(row)];
  if (static_cast<size_t>(row) < rows.size() && rows[static_cast<size_t>(row)].mod == clicked.mod &&
      rows[static_cast<size_t>(row)].mode == clicked.mode &&
      rows[static_cast<size_t>(row)].map == clicked.map) {
    rotation.SetRowChecked(static_cast<size_t>(row), checked);
  }
  Reload();
}

void MapsPage::OnHeaderClicked(int column) {
  program_.Rotation().SetSortColumn(ColumnSort(column));
  Reload();
}

}  // namespace varnholt
