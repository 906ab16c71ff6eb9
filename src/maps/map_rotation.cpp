#include "maps/map_rotation.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "log/error_text.h"
#include "maps/game_modes.h"
#include "maps/text_file.h"
#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr uint32_t kModeBitsInOrder[] = {1, 2, 4, 8};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The level of a rotation line in the form a save writes it: lower case, canonical mode id.
HiddenRotationLevel HiddenLevelOf(const RotationLine& line, size_t place) {
  return {Lower(line.map), std::string(ModeIdFromBit(ModeBit(line.mode))), Lower(line.mod), place};
}

// "mod,level" in lower case, as Maps.con pairs them.
std::string LevelKey(std::string_view mod, std::string_view level) {
  return Lower(mod) + "," + Lower(level);
}

// Reads the Mods.con lines, so the mod filter's bit i means line i as in the page menu.
std::vector<std::string> ReadModLines(const std::string& path) {
  std::vector<std::string> mods;
  std::string text;
  if (ReadTextFile(path, &text, 1024 * 1024) != TextReadResult::kOk) return mods;
  for (std::string_view line : SplitLines(text)) mods.push_back(Lower(line));
  return mods;
}

}  // namespace

bool ParseRotationLine(std::string_view line, RotationLine* parsed) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  std::string_view words[3];
  for (std::string_view& word : words) {
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) ++start;
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end == start) return false;
    word = line.substr(start, end - start);
    line.remove_prefix(end);
  }
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  if (line.empty()) return false;
  parsed->command = std::string(words[0]);
  parsed->map = std::string(words[1]);
  parsed->mode = std::string(words[2]);
  parsed->mod = std::string(line);
  return true;
}

MapRotation::MapRotation(std::string settings_folder, EventLog& log)
    : settings_folder_(std::move(settings_folder)), log_(log) {}

std::string MapRotation::ServerMapListPath() const {
  return FindPathNoCase(settings_folder_, "ServerMapList.con");
}

std::string MapRotation::GameMapListPath() const {
  return FindPathNoCase(settings_folder_, "MapList.con");
}

bool MapRotation::IsModShown(uint32_t filter, int position) {
  // "Show all mods" covers every mod, also those past the sixteen bits it sets. A mod past
  // the filter's 32 bits has no menu entry that could hide it, so it is always shown (and
  // the shift below never reaches the width of the word).
  if (filter == kAllMods || position >= 32) return true;
  return position >= 0 && ((filter >> position) & 1u) != 0;
}

bool MapRotation::ReadCatalogForLoad(std::vector<MapCatalogLine>* lines) {
  const std::string path = FindPathNoCase(settings_folder_, "Maps.con");
  std::string text;
  switch (ReadTextFile(path, &text)) {
    case TextReadResult::kOpenFailed:
      log_.LogMessage(kSoundNone, "Couldn't open %s file! %s", path.c_str(),
                      ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kReadFailed:
      log_.LogMessage(kSoundNone, "Couldn't read maps file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kOk:
      break;
  }
  ParseMapCatalog(text, lines);
  return true;
}

bool MapRotation::IsValidLevel(std::string_view map, std::string_view modeId,
                               std::string_view mod) {
  std::vector<MapCatalogLine> lines;
  const std::string path = FindPathNoCase(settings_folder_, "Maps.con");
  if (!ReadMapCatalog(path, &lines)) {
    log_.LogMessage(kSoundNone, "Couldn't open maps file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  const uint32_t bit = ModeBit(modeId);
  for (const MapCatalogLine& line : lines) {
    if (EqualsNoCase(line.mod, mod) && EqualsNoCase(line.level, map) && (line.mask & bit) != 0) {
      return bit != 0;
    }
  }
  return false;
}

int MapRotation::FindRotationRow(std::string_view map, std::string_view modeId,
                                 std::string_view mod) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string lower_mod = Lower(mod);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const RotationRow& row = rows_[i];
    if (EqualsNoCase(row.mod, lower_mod) && EqualsNoCase(ModeIdFromDisplayName(row.mode), modeId) &&
        EqualsNoCase(row.map, map)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool MapRotation::LoadMapRotation(const std::string& path, bool server_running) {
  return LoadRotation(&path, std::string_view(), server_running);
}

bool MapRotation::LoadRotation(const std::string* path, std::string_view given_text,
                               bool server_running) {
  uint32_t mode_filter;
  uint32_t mod_filter;
  SortColumn sort;
  {
    // The rows are replaced only once the load has succeeded: a failure changes nothing.
    std::lock_guard<std::mutex> lock(mutex_);
    mode_filter = mode_filter_;
    mod_filter = mod_filter_;
    sort = sort_column_;
  }
  std::vector<MapCatalogLine> catalog;
  if (!ReadCatalogForLoad(&catalog)) return false;

  // Rows of every level in every shown mode, in catalogue order.
  const std::vector<std::string> mod_lines =
      ReadModLines(FindPathNoCase(settings_folder_, "Mods.con"));
  std::vector<RotationRow> rows;
  int changes = -1;
  const std::string* previous = nullptr;
  for (const MapCatalogLine& line : catalog) {
    if (previous == nullptr || !EqualsNoCase(*previous, line.mod)) ++changes;
    previous = &line.mod;
    const std::string mod = Lower(line.mod);
    auto it = std::find(mod_lines.begin(), mod_lines.end(), mod);
    const int position = it != mod_lines.end() ? static_cast<int>(it - mod_lines.begin()) : changes;
    for (uint32_t bit : kModeBitsInOrder) {
      if ((line.mask & bit) == 0 || (mode_filter & bit) == 0 || !IsModShown(mod_filter, position)) {
        continue;
      }
      rows.push_back(
          {mod, std::string(ModeDisplayName(ModeIdFromBit(bit))), Lower(line.level), false});
    }
  }

  std::string file_text;
  switch (path == nullptr ? TextReadResult::kOk : ReadTextFile(*path, &file_text)) {
    case TextReadResult::kOpenFailed:
      log_.LogMessage(kSoundNone, "Couldn't open map list file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kReadFailed:
      log_.LogMessage(kSoundNone, "Couldn't read map list file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kOk:
      break;
  }
  const std::string_view text = path == nullptr ? given_text : std::string_view(file_text);

  auto find_row = [&rows](const RotationLine& l) -> int {
    for (size_t i = 0; i < rows.size(); ++i) {
      if (EqualsNoCase(rows[i].map, l.map) && EqualsNoCase(rows[i].mod, l.mod) &&
          EqualsNoCase(ModeIdFromDisplayName(rows[i].mode), l.mode)) {
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  // Modes of each catalogue level, so a long rotation file costs no scan of the catalogue per
  // line; the first line of a level counts, as a scan would find it first.
  std::unordered_map<std::string, uint32_t> level_modes;
  for (const MapCatalogLine& c : catalog) level_modes.emplace(LevelKey(c.mod, c.level), c.mask);
  auto offered = [&level_modes](const RotationLine& l) {
    const uint32_t bit = ModeBit(l.mode);
    auto it = level_modes.find(LevelKey(l.mod, l.map));
    return bit != 0 && it != level_modes.end() && (it->second & bit) != 0;
  };
  // Levels placed or kept aside already: a repeated line is skipped before any row search.
  std::unordered_set<std::string> placed;

  size_t next = 0;
  std::vector<HiddenRotationLevel> hidden;
  std::string current;
  bool have_current = false;
  std::string idle;
  bool have_idle = false;
  RotationLine line;
  for (std::string_view raw : SplitLines(text)) {
    if (!ParseRotationLine(raw, &line)) continue;
    if (EqualsNoCase(line.command, "game.addLevel")) {
      if (!offered(line)) {
        std::string_view mode = ModeDisplayName(line.mode);
        log_.LogMessage(kSoundNone,
                        "An invalid map/mode/mod combination has been removed from the map "
                        "rotation: %s %s %s",
                        line.map.c_str(), std::string(mode.empty() ? line.mode : mode).c_str(),
                        line.mod.c_str());
        continue;
      }
      if (mode_filter == 0) {
        rows.insert(
            rows.begin() + static_cast<long>(next),
            {Lower(line.mod), std::string(ModeDisplayName(line.mode)), Lower(line.map), true});
        ++next;
        continue;
      }
      // A level listed twice stands once, at its first place.
      if (!placed.insert(LevelKey(line.mod, line.map) + " " + std::to_string(ModeBit(line.mode)))
               .second) {
        continue;
      }
      const int found = find_row(line);
      if (found < 0) {
        // Hidden by the view filters: still part of the rotation, so keep it and its place.
        hidden.push_back(HiddenLevelOf(line, next));
        continue;
      }
      if (static_cast<size_t>(found) < next) continue;  // a catalogue line given twice
      if (static_cast<size_t>(found) != next) {
        RotationRow row = rows[static_cast<size_t>(found)];
        rows.erase(rows.begin() + found);
        rows.insert(rows.begin() + static_cast<long>(next), row);
      }
      rows[next].checked = true;
      ++next;
    } else if (EqualsNoCase(line.command, "game.setCurrentLevel")) {
      if (!server_running) {
        current = Cut(line.map + " " + line.mode + " " + line.mod, kMaxLevelSpecLength);
        have_current = true;
      }
    } else if (EqualsNoCase(line.command, "game.setIdleLevel")) {
      idle = Cut(line.map + " " + line.mode + " " + line.mod, kMaxLevelSpecLength);
      have_idle = true;
    }
  }
  SortRows(&rows, sort);

  std::lock_guard<std::mutex> lock(mutex_);
  rows_ = std::move(rows);
  hidden_ = std::move(hidden);
  if (have_current) current_level_ = current;
  if (have_idle) idle_level_ = idle;
  return true;
}

}  // namespace varnholt
