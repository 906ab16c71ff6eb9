#include "maps/default_game_modes.h"

#include "maps/archive_reader.h"
#include "platform/files.h"

namespace varnholt {
namespace {

struct DefaultFile {
  const char* target;
  const char* entry;
  const char* failure;
};

constexpr DefaultFile kDefaults[] = {
    {"CustomCombat.wst", "AshFront/game/GameModeSettings/DefaultCustomCombat.wst",
     "Couldn't extract default Custom Combat map info! Verify Varnholt can write to %s."},
    {"Evolution.wst", "AshFront/game/GameModeSettings/DefaultEvolution.wst",
     "Couldn't extract default Evolution map info! Verify Varnholt can write to %s."},
};

}  // namespace

bool ExtractDefaultGameModeFiles(const std::string& game_folder, EventLog& log) {
  const std::string folder = FindPathNoCase(game_folder, kGameModeSettingsFolder);
  CreateFolders(folder);
  const std::string archive = FindPathNoCase(game_folder, kGameModeArchive);
  for (const DefaultFile& file : kDefaults) {
    const std::string target = FindPathNoCase(folder, file.target);
    if (FileExists(target)) continue;
    // Anything but a complete extraction leaves the server without its mode settings.
    if (ExtractArchiveEntry(archive, file.entry, target) != kExtractWritten) {
      log.ShowMessage(kMessageError, file.failure, target.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace varnholt
