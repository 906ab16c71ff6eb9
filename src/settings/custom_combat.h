// The CustomCombat game-mode settings: the operator's working copy CustomCombat.wst in the
// working folder and the game's own file under the mod's save folder, which the server
// reads. Remembers the files' last-write times for the run. Used by the settings save and
// the settings menu, which do not overlap.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace varnholt {

constexpr const char* kCustomCombatFile = "CustomCombat.wst";
constexpr const char* kCustomCombatServerFile =
    "Mods/ashfront/save/GameModeSettings/CustomCombat.wst";

class CustomCombatFiles {
 public:
  CustomCombatFiles(std::string game_folder, std::string working_folder);

  // The game's file (found ignoring case) and the working copy.
  std::string ServerFilePath() const;
  std::string WorkingCopyPath() const;

  // True when the game's file or the working copy exists and was written since last seen
  // (the first look at an existing file counts as a change).
  bool CheckForChanges();

  enum class CopyResult {
    kCopied,           // the working copy replaced the game's file
    kNoWorkingCopy,    // nothing to copy
    kServerFileNewer,  // the game's file is as new or newer; it is kept
    kFailed,           // last error set
  };
  // Copies the working copy over the game's file, only when it is newer than that file.
  CopyResult CopyWorkingCopy();

 private:
  using Time = std::optional<std::filesystem::file_time_type>;
  static Time LastWriteTime(const std::string& path);

  std::string game_folder_;
  std::string working_folder_;
  Time seen_server_;
  Time seen_working_;
};

}  // namespace varnholt
