// The map rotation: the rows of the maps page (every level the catalogue offers, one row per
// mode, the checked rows forming the rotation in row order), the rotation levels the page's
// mode and mod filters hide (kept so that a save writes them back), the current and idle
// level, the filters, and the rotation files (ServerMapList.con, MapList.con, exported
// lists) that are read into and written from the rows.
//
// Threads: the user-interface thread edits rows and filters; the worker loads, saves and
// reads the current level on behalf of Commands. One mutex guards all state and is held only
// to copy it in or out, never across file I/O.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"
#include "maps/mod_catalog.h"

namespace varnholt {

inline constexpr size_t kMaxLevelSpecLength = 127;
inline constexpr uint32_t kAllModes = 15;
inline constexpr uint32_t kAllMods = 0xFFFF;
inline constexpr size_t kModMenuLines = 32;

struct RotationRow {
  std::string mod;   // lower case
  std::string mode;  // display name ("Conquest")
  std::string map;   // lower case
  bool checked = false;
};

enum class SortColumn { kNone, kMod, kMode, kMap };

// A level of the rotation file that the view filters hide. It has no row, but it is still
// part of the operator's rotation: a save writes it back after the first `place` checked
// rows, so narrowing the view never shortens the rotation.
struct HiddenRotationLevel {
  std::string map;   // lower case
  std::string mode;  // id ("GPM_CQ")
  std::string mod;   // lower case
  size_t place = 0;  // shown rotation levels before it in the file
};

// The pieces of a rotation file line: "game.addLevel hue GPM_CQ ashfront".
struct RotationLine {
  std::string command;
  std::string map;
  std::string mode;
  std::string mod;
};
// Splits at blanks; the mod runs to the end of the line. False for fewer than four words.
bool ParseRotationLine(std::string_view line, RotationLine* parsed);

class MapRotation {
 public:
  // `settings_folder` holds Maps.con, Mods.con, ServerMapList.con and MapList.con.
  MapRotation(std::string settings_folder, EventLog& log);

  std::string ServerMapListPath() const;
  std::string GameMapListPath() const;

  // Rebuilds the rows from Maps.con (filtered) and checks, in file order, the levels of the
  // rotation file at `path`; rotation levels the filters hide are kept aside with their
  // place. `server_running` keeps the current level while a server plays.
  bool LoadMapRotation(const std::string& path, bool server_running);
  // Writes the checked rows, with the hidden rotation levels back in their places, as a
  // rotation file; fails with 30016 when there are neither rows nor hidden levels.
  [[nodiscard]] bool SaveMapRotation(const std::string& path);
  // Rebuilds the rows after a change of filters or sort. Unsaved edits (Dirty) are carried
  // over from the rotation as it stands, so changing the view never undoes them; otherwise
  // the rows come from ServerMapList.con.
  bool ReloadView(bool server_running);
  // True when Maps.con offers the map of the mod in that mode.
  bool IsValidLevel(std::string_view map, std::string_view modeId, std::string_view mod);
  // Row index of the level, or -1.
  int FindRotationRow(std::string_view map, std::string_view modeId, std::string_view mod) const;

  // "map mode mod" of the current level (mode as id or display name), "-" when unknown,
  // empty when the rotation file could not be read. The file read is MapList.con while the
  // server runs, else ServerMapList.con.
  std::string GetCurrentLevelText(bool withIds, bool server_running);
  // "map mode mod" from the last status reply, "-" when the server is not running or the
  // reply lacks a value. `status_value` looks a key of the reply up.
  using StatusLookup = std::function<bool(const char* key, std::string* value)>;
  std::string GetRunningLevelText(bool withIds, bool server_running,
                                  const StatusLookup& status_value) const;

  // Page edits.
  std::vector<RotationRow> Rows() const;
  size_t RowCount() const;
  void SetRowChecked(size_t row, bool checked);
  void SetAllChecked(bool checked);
  // Shuffles the rows (check marks travel with them) with a generator seeded by `seed`.
  void RandomizeOrder(uint64_t seed);
  void SetSortColumn(SortColumn column);
  SortColumn GetSortColumn() const;
  // "map GPM_xx mod" of a row; empty for a bad index.
  std::string RowLevelSpec(size_t row) const;
  // Rotation levels of the last load that the filters hide, in file order.
  std::vector<HiddenRotationLevel> HiddenLevels() const;

  // Filters. Changing one rebuilds the rows; the caller does that through ReloadView, as it
  // knows whether the server runs.
  uint32_t ModeFilter() const;
  uint32_t ModFilter() const;
  void SetModeFilter(uint32_t filter);
  void SetModFilter(uint32_t filter);
  // Menu texts "Show %s maps" for the first lines of Mods.con; an empty line keeps its
  // position with an empty text. False (logged) when Mods.con cannot be read.
  bool ModMenuEntries(std::vector<std::string>* entries);

  // Levels as LevelSpec texts, at most 127 characters.
  std::string CurrentLevel() const;
  void SetCurrentLevel(std::string_view level);
  std::string IdleLevel() const;
  void SetIdleLevel(std::string_view level);

  bool Dirty() const { return dirty_.load(); }
  void SetDirty() { dirty_ = true; }
  void ClearDirty() { dirty_ = false; }

 private:
  // Loads from the file at `path`, or from `text` when `path` is null.
  bool LoadRotation(const std::string* path, std::string_view text, bool server_running);
  bool ReadCatalogForLoad(std::vector<MapCatalogLine>* lines);
  void SortRows(std::vector<RotationRow>* rows, SortColumn column) const;
  static bool IsModShown(uint32_t filter, int position);

  std::string settings_folder_;
  EventLog& log_;
  // Guards every field below but dirty_ (user-interface thread and worker).
  mutable std::mutex mutex_;
  std::vector<RotationRow> rows_;
  std::vector<HiddenRotationLevel> hidden_;
  std::string current_level_;
  std::string idle_level_;
  uint32_t mode_filter_ = kAllModes;
  uint32_t mod_filter_ = kAllMods;
  SortColumn sort_column_ = SortColumn::kNone;
  // Set by edits on either thread, taken by the save; read without the lock.
  std::atomic<bool> dirty_{false};
};

}  // namespace varnholt
