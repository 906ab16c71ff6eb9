// The catalogue of installed mods and levels: Mods.con (one mod folder per line) and
// Maps.con ("mod,level,mask" per level) in the settings folder, rebuilt from the game's
// Mods folder, the level archives' game-type files and the evolution data file. Builds run
// on the worker thread (and once during start-up before the worker takes Commands); the
// object holds no state between builds besides its folders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"
#include "maps/evolution_data.h"

namespace varnholt {

// Mode mask bits shared with the rotation.
inline constexpr uint32_t kModeConquest = 1;
inline constexpr uint32_t kModeCooperative = 2;
inline constexpr uint32_t kModeEvolution = 4;
inline constexpr uint32_t kModeCustomCombat = 8;

inline constexpr size_t kMaxModNameLength = 31;
inline constexpr size_t kMaxLevelNameLength = 63;

// One line of Maps.con.
struct MapCatalogLine {
  std::string mod;
  std::string level;
  uint32_t mask = 0;
};

class ModCatalog {
 public:
  // `game_folder` holds Mods/; `settings_folder` holds the Mods.con that BuildMapList reads.
  ModCatalog(std::string game_folder, std::string settings_folder, EventLog& log);

  // With -debug, mod folders without Init.con are reported.
  void SetDebug(bool on) { debug_ = on; }

  // Writes Mods.con at `path`: every folder under Mods that holds an Init.con.
  bool BuildModList(const std::string& path);
  // Writes Maps.con at `path` from the mods listed in the settings folder's Mods.con.
  bool BuildMapList(const std::string& path);
  // Mode bits 1 and 2 of the archive's game-type files; 0 (logged) when it cannot be read.
  uint32_t ArchiveGameTypes(const std::string& archivePath);
  // kModeEvolution when the evolution data file names `level`, else 0.
  uint32_t IsEvolutionLevel(std::string_view level);

  std::string ModsFilePath() const;
  std::string MapsFilePath() const;
  std::string EvolutionFilePath() const;

 private:
  // Reads the evolution data file, logging an open or parse failure.
  EvolutionData LoadEvolutionData();
  bool ReadModNames(std::vector<std::string>* mods);

  std::string game_folder_;
  std::string settings_folder_;
  EventLog& log_;
  bool debug_ = false;
};

// Start-up: rebuilds Mods.con and then Maps.con in the settings folder, showing
// "Couldn't determine available mods! %s" or "Couldn't determine available maps! %s" as an
// error. False ends the start-up.
bool DiscoverModsAndMaps(ModCatalog& catalog, EventLog& log);

// Reads Maps.con lines ("mod,level,mask"); malformed lines are skipped. False (last error
// set) when the file cannot be opened or read.
bool ReadMapCatalog(const std::string& path, std::vector<MapCatalogLine>* lines);
// The same for the text of the file.
void ParseMapCatalog(std::string_view text, std::vector<MapCatalogLine>* lines);

}  // namespace varnholt
