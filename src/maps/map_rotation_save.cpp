// Writing the rotation: the checked rows in row order with the levels the view filters hide
// back in their places, then the current and idle level. The same order feeds a reload of
// the view while edits are unsaved.
#include <cstdint>

#include "maps/game_modes.h"
#include "maps/map_rotation.h"
#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

bool SameLevel(const HiddenRotationLevel& level, std::string_view map, std::string_view mode_id,
               std::string_view mod) {
  return EqualsNoCase(level.map, map) && EqualsNoCase(level.mode, mode_id) &&
         EqualsNoCase(level.mod, mod);
}

std::string AddLevelLine(const HiddenRotationLevel& level) {
  return "game.addLevel " + level.map + " " + level.mode + " " + level.mod + "\n";
}

// The rotation in play order. Hidden levels go back after as many checked rows as stood
// before them when loaded; those whose place is past the last checked row follow it, in
// file order.
std::vector<HiddenRotationLevel> RotationLevels(const std::vector<RotationRow>& rows,
                                                const std::vector<HiddenRotationLevel>& hidden) {
  std::vector<HiddenRotationLevel> levels;
  size_t next_hidden = 0;
  auto add_hidden_up_to = [&](size_t place) {
    for (; next_hidden < hidden.size() && hidden[next_hidden].place <= place; ++next_hidden) {
      levels.push_back(hidden[next_hidden]);
    }
  };
  size_t shown = 0;
  add_hidden_up_to(0);
  for (const RotationRow& row : rows) {
    if (!row.checked) continue;
    levels.push_back({row.map, std::string(ModeIdFromDisplayName(row.mode)), row.mod, 0});
    add_hidden_up_to(++shown);
  }
  add_hidden_up_to(SIZE_MAX);
  return levels;
}

}  // namespace

bool MapRotation::SaveMapRotation(const std::string& path) {
  std::vector<RotationRow> rows;
  std::vector<HiddenRotationLevel> hidden;
  std::string current;
  std::string idle;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rows = rows_;
    hidden = hidden_;
    current = current_level_;
    idle = idle_level_;
  }
  if (rows.empty() && hidden.empty()) {
    SetLastErrorCode(kErrorNoMaps);
    return false;
  }
  const std::vector<HiddenRotationLevel> levels = RotationLevels(rows, hidden);
  if (!current.empty() && current != "-") {
    // The current level must still be in the rotation, shown or hidden.
    RotationLine parsed;
    bool keep = false;
    if (ParseRotationLine("x " + current, &parsed)) {
      for (const HiddenRotationLevel& level : levels) {
        keep = keep || SameLevel(level, parsed.map, parsed.mode, parsed.mod);
      }
    }
    if (!keep) current.clear();
  }

  std::string contents;
  for (const HiddenRotationLevel& level : levels) contents += AddLevelLine(level);
  if (levels.empty()) {
    log_.LogMessage(kSoundWarning, "WARNING: An empty map rotation has been saved.");
  } else {
    if (current.empty() || current == "-") {
      const HiddenRotationLevel& first = levels.front();
      current =
          Cut(Lower(first.map) + " " + first.mode + " " + Lower(first.mod), kMaxLevelSpecLength);
    }
    contents += "game.setCurrentLevel " + current + "\n";
  }
  if (!idle.empty()) contents += "game.setIdleLevel " + idle + "\n";

  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    current_level_ = current;
  }
  return WriteWholeFile(path, contents);
}

bool MapRotation::ReloadView(bool server_running) {
  if (!Dirty()) return LoadMapRotation(ServerMapListPath(), server_running);
  std::vector<RotationRow> rows;
  std::vector<HiddenRotationLevel> hidden;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rows = rows_;
    hidden = hidden_;
  }
  // Only the levels: the current and idle level are no part of the view and stay as they are.
  std::string text;
  for (const HiddenRotationLevel& level : RotationLevels(rows, hidden)) {
    text += AddLevelLine(level);
  }
  return LoadRotation(nullptr, text, server_running);
}

}  // namespace varnholt
