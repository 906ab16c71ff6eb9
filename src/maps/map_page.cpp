#include "maps/map_page.h"

namespace varnholt {
namespace {

// The originator number of the local user.
constexpr int32_t kLocalOperatorNumber = 0;

struct ActionRow {
  MapPageAction action;
  const char* text;
  uint32_t command;    // 0: no Command
  bool needs_row;      // the Command carries the clicked row's level
  bool needs_console;  // unavailable while the remote console is not connected
};

constexpr ActionRow kActions[] = {
    {MapPageAction::kRandomizeOrder, "Randomize Order", 0, false, false},
    {MapPageAction::kChangeMap, "Change map", kChangeMapCommand, true, true},
    {MapPageAction::kRunNextMap, "Run next map", kRunNextMapCommand, false, true},
    {MapPageAction::kSetNextMap, "Set next map", kSetNextMapCommand, true, false},
    {MapPageAction::kSetIdleMap, "Set idle map", kSetIdleMapCommand, true, false},
    {MapPageAction::kClearIdleMap, "Clear idle map", kSetIdleMapCommand, false, false},
    {MapPageAction::kRestartMap, "Restart map", kRestartMapCommand, false, true},
    {MapPageAction::kShowConquest, "Show CQ maps", 0, false, false},
    {MapPageAction::kShowCooperative, "Show COOP maps", 0, false, false},
    {MapPageAction::kShowEvolution, "Show EVOL maps", 0, false, false},
    {MapPageAction::kShowCustomCombat, "Show CCOMBAT maps", 0, false, false},
    {MapPageAction::kShowAllModes, "Show all modes", 0, false, false},
    {MapPageAction::kShowAllMods, "Show all mods", 0, false, false},
    {MapPageAction::kShowSelectedOnly, "Show selected only", 0, false, false},
    {MapPageAction::kRemoveColumnSort, "Remove column sort", 0, false, false},
    {MapPageAction::kCheckAll, "Check all maps", 0, false, false},
    {MapPageAction::kUncheckAll, "Uncheck all maps", 0, false, false},
    {MapPageAction::kCheckSelected, "Check selected maps", 0, false, false},
    {MapPageAction::kUncheckSelected, "Uncheck selected maps", 0, false, false},
    {MapPageAction::kExportMapList, "Export maplist", 0, false, false},
    {MapPageAction::kImportMapList, "Import maplist", 0, false, false},
};

const ActionRow& Row(MapPageAction action) {
  for (const ActionRow& row : kActions) {
    if (row.action == action) return row;
  }
  return kActions[0];
}

bool SetModeFilterAndReload(MapRotation& rotation, uint32_t filter, bool server_running) {
  if (rotation.ModeFilter() == filter) return true;
  rotation.SetModeFilter(filter);
  return rotation.ReloadView(server_running);
}

}  // namespace

const char* MapActionText(MapPageAction action) {
  return Row(action).text;
}

bool IsMapActionAvailable(const MapRotation& rotation, MapPageAction action, int row,
                          bool console_connected) {
  const ActionRow& a = Row(action);
  if (a.needs_console && !console_connected) return false;
  if (action == MapPageAction::kSetNextMap && !console_connected) {
    // Without a console the next map only goes into the saved rotation: it must be in it.
    const std::vector<RotationRow> rows = rotation.Rows();
    return row >= 0 && static_cast<size_t>(row) < rows.size() &&
           rows[static_cast<size_t>(row)].checked;
  }
  return true;
}

bool MapActionCommand(const MapRotation& rotation, MapPageAction action, int row,
                      bool console_connected, MapCommand* command) {
  const ActionRow& a = Row(action);
  if (a.command == 0 || !IsMapActionAvailable(rotation, action, row, console_connected)) {
    return false;
  }
  command->code = a.command;
  command->text.clear();
  if (a.needs_row) {
    if (row < 0) return false;
    command->text = rotation.RowLevelSpec(static_cast<size_t>(row));
    if (command->text.empty()) return false;
  }
  return true;
}

bool QueueMapAction(CommandQueue& queue, const MapRotation& rotation, MapPageAction action, int row,
                    bool console_connected) {
  MapCommand command;
  if (!MapActionCommand(rotation, action, row, console_connected, &command)) return false;
  return queue.QueueCommand(command.code, command.text, kLocalOperatorNumber, 0);
}

bool ApplyMapPageAction(MapRotation& rotation, MapPageAction action, bool server_running,
                        uint64_t seed) {
  switch (action) {
    case MapPageAction::kRandomizeOrder:
      rotation.RandomizeOrder(seed);
      return true;
    case MapPageAction::kShowConquest:
    case MapPageAction::kShowCooperative:
    case MapPageAction::kShowEvolution:
    case MapPageAction::kShowCustomCombat: {
      const uint32_t bit =
          1u << (static_cast<int>(action) - static_cast<int>(MapPageAction::kShowConquest));
      rotation.SetModeFilter(rotation.ModeFilter() ^ bit);
      return rotation.ReloadView(server_running);
    }
    case MapPageAction::kShowAllModes:
      return SetModeFilterAndReload(rotation, kAllModes, server_running);
    case MapPageAction::kShowSelectedOnly:
      return SetModeFilterAndReload(rotation, 0, server_running);
    case MapPageAction::kShowAllMods:
      if (rotation.ModFilter() == kAllMods) return true;
      rotation.SetModFilter(kAllMods);
      return rotation.ReloadView(server_running);
    case MapPageAction::kRemoveColumnSort:
      rotation.SetSortColumn(SortColumn::kNone);
      return rotation.ReloadView(server_running);
    case MapPageAction::kCheckAll:
      rotation.SetAllChecked(true);
      return true;
    case MapPageAction::kUncheckAll:
      rotation.SetAllChecked(false);
      return true;
    default:
      return true;  // Command actions are queued, not applied here
  }
}

bool ToggleModFilter(MapRotation& rotation, int mod_line, bool server_running) {
  if (mod_line < 0 || mod_line >= static_cast<int>(kModMenuLines)) return false;
  rotation.SetModFilter(rotation.ModFilter() ^ (1u << mod_line));
  return rotation.ReloadView(server_running);
}

void SetRowsChecked(MapRotation& rotation, const std::vector<size_t>& rows, bool checked) {
  for (size_t row : rows) rotation.SetRowChecked(row, checked);
}

bool ExportMapList(MapRotation& rotation, const std::string& path) {
  return rotation.SaveMapRotation(path);
}

bool ImportMapList(MapRotation& rotation, const std::string& path, bool server_running) {
  // A failed load leaves the rows as they were.
  if (!rotation.LoadMapRotation(path, server_running)) return false;
  rotation.SetDirty();
  return true;
}

bool RefreshMapsPage(ModCatalog& catalog, MapRotation& rotation, EventLog& log,
                     bool server_running) {
  bool ok = true;
  if (!catalog.BuildModList(catalog.ModsFilePath())) {
    log.LogMessage(kSoundError, "Couldn't refresh available mods!");
    ok = false;
  }
  if (!catalog.BuildMapList(catalog.MapsFilePath())) {
    log.LogMessage(kSoundError, "Couldn't refresh available maps!");
    ok = false;
  }
  if (!rotation.LoadMapRotation(rotation.ServerMapListPath(), server_running)) {
    log.LogMessage(kSoundError, "Couldn't refresh map rotation!");
    ok = false;
  }
  return ok;
}

}  // namespace varnholt
