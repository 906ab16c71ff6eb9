// The game-mode settings files the server reads from its save folder. When the game's own
// copies are missing, start-up puts the defaults from the main archive in their place.
#pragma once

#include <string>

#include "log/event_log.h"

namespace varnholt {

inline constexpr const char* kGameModeArchive = "Mods/ashfront/Archives/ashfront/game.rfa";
inline constexpr const char* kGameModeSettingsFolder = "Mods/ashfront/save/GameModeSettings";

// Creates Mods/ashfront/save/GameModeSettings and extracts DefaultCustomCombat.wst and
// DefaultEvolution.wst into CustomCombat.wst and Evolution.wst where those are missing. A
// failed extraction is shown as an error naming the target; false means start-up must end.
bool ExtractDefaultGameModeFiles(const std::string& game_folder, EventLog& log);

}  // namespace varnholt
