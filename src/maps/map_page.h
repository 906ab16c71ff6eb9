// What the maps page's context menu does: the actions that become Commands for the worker,
// their availability, the filter and check-mark actions that edit the rotation rows, and the
// refresh of the catalogue and rotation. Called on the user-interface thread, except the
// refresh, which runs on the worker for Command 0xB00B0006.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/command_queue.h"
#include "log/event_log.h"
#include "maps/map_rotation.h"
#include "maps/mod_catalog.h"

namespace varnholt {

inline constexpr uint32_t kChangeMapCommand = 0xB00B0008;
inline constexpr uint32_t kRunNextMapCommand = 0xB00B0009;
inline constexpr uint32_t kSetNextMapCommand = 0xB00B000A;
inline constexpr uint32_t kSetIdleMapCommand = 0xB00B000B;
inline constexpr uint32_t kRestartMapCommand = 0xB00B000C;

inline constexpr const char* kMapListFileFilter = "Config Files (*.con)";
inline constexpr const char* kMapListExportTitle = "Select config file for saved map list";
inline constexpr const char* kMapListImportTitle = "Select map list config file to load";
inline constexpr const char* kMapListExtension = "con";

enum class MapPageAction {
  kRandomizeOrder,
  kChangeMap,
  kRunNextMap,
  kSetNextMap,
  kSetIdleMap,
  kClearIdleMap,
  kRestartMap,
  kShowConquest,
  kShowCooperative,
  kShowEvolution,
  kShowCustomCombat,
  kShowAllModes,
  kShowAllMods,
  kShowSelectedOnly,
  kRemoveColumnSort,
  kCheckAll,
  kUncheckAll,
  // These need more than the clicked row: the selection (SetRowsChecked) or a file chosen
  // by the operator (ExportMapList, ImportMapList). ApplyMapPageAction leaves them alone.
  kCheckSelected,
  kUncheckSelected,
  kExportMapList,
  kImportMapList,
};

// A Command to queue with number 0 (the local operator) and no delay.
struct MapCommand {
  uint32_t code = 0;
  std::string text;
};

// The menu text of an action ("Change map").
const char* MapActionText(MapPageAction action);

// Whether the menu offers the action for the clicked row (-1: none).
bool IsMapActionAvailable(const MapRotation& rotation, MapPageAction action, int row,
                          bool console_connected);

// The Command of a Command action on the clicked row; false when the action has no Command,
// needs a row and has none, or is unavailable.
bool MapActionCommand(const MapRotation& rotation, MapPageAction action, int row,
                      bool console_connected, MapCommand* command);

// Queues the Command of a Command action on the clicked row for the local operator (number
// 0, no delay). False when the action gives no Command (see MapActionCommand) or the queue
// has stopped.
bool QueueMapAction(CommandQueue& queue, const MapRotation& rotation, MapPageAction action, int row,
                    bool console_connected);

// Carries out an action that edits the rows or filters (randomize, filters, sort, check
// marks), rebuilding the view where the filters changed (MapRotation::ReloadView). `seed`
// seeds the randomize action (the current time). False when a reload failed (logged).
bool ApplyMapPageAction(MapRotation& rotation, MapPageAction action, bool server_running,
                        uint64_t seed);
// "Show %s maps": toggles the mod filter bit of the mod on line `mod_line` of Mods.con.
bool ToggleModFilter(MapRotation& rotation, int mod_line, bool server_running);
// "Check selected maps" and "Uncheck selected maps".
void SetRowsChecked(MapRotation& rotation, const std::vector<size_t>& rows, bool checked);
// "Export maplist": writes the rotation, hidden levels included, to the chosen file.
bool ExportMapList(MapRotation& rotation, const std::string& path);
// "Import maplist": loads the file and marks the rotation for saving. When the file cannot
// be loaded, the rows stay as they were and nothing is marked.
bool ImportMapList(MapRotation& rotation, const std::string& path, bool server_running);

// Rebuilds Mods.con, then Maps.con, then reloads the rotation from ServerMapList.con; a
// failing step is logged with the error sound and the next one still runs.
bool RefreshMapsPage(ModCatalog& catalog, MapRotation& rotation, EventLog& log,
                     bool server_running);

}  // namespace varnholt
