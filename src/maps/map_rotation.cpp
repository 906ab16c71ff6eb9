#include "maps/map_rotation.h"

#include <strings.h>

#include <algorithm>
#include <random>

#include "log/error_text.h"
#include "maps/game_modes.h"
#include "maps/text_file.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr uint32_t kModeBitsInOrder[] = {1, 2, 4, 8};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Cut(std::string_view text, size_t limit) {
  return std::string(text.substr(0, std::min(limit, text.size())));
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// "map mode mod" with the mode as id or display name.
std::string LevelText(std::string_view map, std::string_view mode_id, std::string_view mod,
                      bool with_ids) {
  std::string_view mode = mode_id;
  if (!with_ids) {
    std::string_view name = ModeDisplayName(mode_id);
    if (!name.empty()) mode = name;
  }
  return Lower(map) + " " + std::string(mode) + " " + Lower(mod);
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

bool MapRotation::IsModShown(uint32_t filter, int position) const {
  // "Show all mods" covers every mod, also those past the sixteen bits it sets.
  if (filter == kAllMods || position >= 32) return true;
  return position >= 0 && (filter >> position) & 1u;
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
  return ReadMapCatalog(path, lines);
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
  uint32_t mode_filter;
  uint32_t mod_filter;
  SortColumn sort;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rows_.clear();
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

  std::string text;
  switch (ReadTextFile(path, &text)) {
    case TextReadResult::kOpenFailed:
      log_.LogMessage(kSoundNone, "Couldn't open map list file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kReadFailed:
      log_.LogMessage(kSoundNone, "Couldn't read map list file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kOk:
      break;
  }

  auto find_row = [&rows](const RotationLine& l) -> int {
    for (size_t i = 0; i < rows.size(); ++i) {
      if (EqualsNoCase(rows[i].mod, Lower(l.mod)) &&
          EqualsNoCase(ModeIdFromDisplayName(rows[i].mode), l.mode) &&
          EqualsNoCase(rows[i].map, l.map)) {
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  auto offered = [&catalog](const RotationLine& l) {
    const uint32_t bit = ModeBit(l.mode);
    for (const MapCatalogLine& c : catalog) {
      if (EqualsNoCase(c.mod, l.mod) && EqualsNoCase(c.level, l.map) && (c.mask & bit) != 0) {
        return bit != 0;
      }
    }
    return false;
  };

  size_t next = 0;
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
      const int found = find_row(line);
      // A level listed twice has its row placed already; it cannot stand twice.
      if (found < 0 || static_cast<size_t>(found) < next) continue;
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
  if (have_current) current_level_ = current;
  if (have_idle) idle_level_ = idle;
  return true;
}

bool MapRotation::SaveMapRotation(const std::string& path) {
  std::vector<RotationRow> rows;
  std::string current;
  std::string idle;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rows = rows_;
    current = current_level_;
    idle = idle_level_;
  }
  if (rows.empty()) {
    SetLastErrorCode(kErrorNoMaps);
    return false;
  }
  if (!current.empty() && current != "-") {
    RotationLine spec;
    bool keep = false;
    if (ParseRotationLine("x " + current, &spec)) {
      for (const RotationRow& row : rows) {
        if (row.checked && EqualsNoCase(row.mod, Lower(spec.mod)) &&
            EqualsNoCase(ModeIdFromDisplayName(row.mode), spec.mode) &&
            EqualsNoCase(row.map, spec.map)) {
          keep = true;
          break;
        }
      }
    }
    if (!keep) current.clear();
  }

  std::string contents;
  bool wrote_level = false;
  for (const RotationRow& row : rows) {
    if (!row.checked) continue;
    const std::string mode_id(ModeIdFromDisplayName(row.mode));
    if (!wrote_level && (current.empty() || current == "-")) {
      current = Cut(Lower(row.map) + " " + mode_id + " " + Lower(row.mod), kMaxLevelSpecLength);
    }
    contents += "game.addLevel " + row.map + " " + mode_id + " " + row.mod + "\n";
    wrote_level = true;
  }
  if (wrote_level) {
    contents += "game.setCurrentLevel " + current + "\n";
  } else {
    log_.LogMessage(kSoundWarning, "WARNING: An empty map rotation has been saved.");
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

std::string MapRotation::GetCurrentLevelText(bool withIds, bool server_running) {
  const std::string current = CurrentLevel();
  RotationLine spec;
  if (!current.empty() && current != "-") {
    if (ParseRotationLine("x " + current, &spec)) {
      return LevelText(spec.map, spec.mode, spec.mod, withIds);
    }
    return "-";
  }
  const std::string path = server_running ? GameMapListPath() : ServerMapListPath();
  std::string text;
  switch (ReadTextFile(path, &text)) {
    case TextReadResult::kOpenFailed:
      log_.LogMessage(kSoundNone, "Couldn't open map list file! %s", ErrorText(GetLastErrorCode()));
      return std::string();
    case TextReadResult::kReadFailed:
      log_.LogMessage(kSoundNone, "Couldn't read map list file! %s", ErrorText(GetLastErrorCode()));
      return std::string();
    case TextReadResult::kOk:
      break;
  }
  for (std::string_view raw : SplitLines(text)) {
    if (ParseRotationLine(raw, &spec) && EqualsNoCase(spec.command, "game.setCurrentLevel")) {
      return LevelText(spec.map, spec.mode, spec.mod, withIds);
    }
  }
  return "-";
}

std::string MapRotation::GetRunningLevelText(bool withIds, bool server_running,
                                             const StatusLookup& status_value) const {
  if (!server_running) return "-";
  std::string map;
  std::string game_id;
  std::string gametype;
  if (!status_value("mapname", &map) || !status_value("game_id", &game_id) ||
      !status_value("gametype", &gametype)) {
    return "-";
  }
  map = Cut(map, kMaxLevelNameLength);
  std::replace(map.begin(), map.end(), ' ', '_');
  game_id = Cut(game_id, kMaxModNameLength);
  const std::string_view mode_id = ModeIdFromGameType(Cut(gametype, kMaxModNameLength));
  if (map.empty() || mode_id.empty() || game_id.empty()) return "-";
  const std::string_view mode = withIds ? mode_id : ModeDisplayName(mode_id);
  return map + " " + std::string(mode) + " " + game_id;
}

std::vector<RotationRow> MapRotation::Rows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_;
}

size_t MapRotation::RowCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_.size();
}

void MapRotation::SetRowChecked(size_t row, bool checked) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (row >= rows_.size() || rows_[row].checked == checked) return;
  rows_[row].checked = checked;
  dirty_ = true;
}

void MapRotation::SetAllChecked(bool checked) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (RotationRow& row : rows_) {
    if (row.checked == checked) continue;
    row.checked = checked;
    dirty_ = true;
  }
}

void MapRotation::RandomizeOrder(uint64_t seed) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t n = rows_.size();
  if (n == 0) return;
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<size_t> position(0, n - 1);
  for (size_t i = 0; i < 3 * n; ++i) {
    const size_t a = position(random);
    const size_t b = position(random);
    if (a == b) continue;
    RotationRow row = std::move(rows_[a]);
    rows_.erase(rows_.begin() + static_cast<long>(a));
    rows_.insert(rows_.begin() + static_cast<long>(b), std::move(row));
  }
  sort_column_ = SortColumn::kNone;
  dirty_ = true;
}

void MapRotation::SortRows(std::vector<RotationRow>* rows, SortColumn column) const {
  if (column == SortColumn::kNone) return;
  auto key = [column](const RotationRow& r) -> const std::string& {
    return column == SortColumn::kMod ? r.mod : column == SortColumn::kMode ? r.mode : r.map;
  };
  std::stable_sort(rows->begin(), rows->end(), [&key](const RotationRow& a, const RotationRow& b) {
    return strcasecmp(key(a).c_str(), key(b).c_str()) < 0;
  });
}

void MapRotation::SetSortColumn(SortColumn column) {
  std::lock_guard<std::mutex> lock(mutex_);
  sort_column_ = column;
  SortRows(&rows_, column);
}

SortColumn MapRotation::GetSortColumn() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sort_column_;
}

std::string MapRotation::RowLevelSpec(size_t row) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (row >= rows_.size()) return std::string();
  const RotationRow& r = rows_[row];
  return Cut(r.map + " " + std::string(ModeIdFromDisplayName(r.mode)) + " " + r.mod,
             kMaxLevelSpecLength);
}

uint32_t MapRotation::ModeFilter() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_filter_;
}

uint32_t MapRotation::ModFilter() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mod_filter_;
}

void MapRotation::SetModeFilter(uint32_t filter) {
  std::lock_guard<std::mutex> lock(mutex_);
  mode_filter_ = filter;
}

void MapRotation::SetModFilter(uint32_t filter) {
  std::lock_guard<std::mutex> lock(mutex_);
  mod_filter_ = filter;
}

bool MapRotation::ModMenuEntries(std::vector<std::string>* entries) {
  entries->clear();
  std::string text;
  switch (ReadTextFile(FindPathNoCase(settings_folder_, "Mods.con"), &text, 1024 * 1024)) {
    case TextReadResult::kOpenFailed:
      log_.LogMessage(kSoundNone, "Couldn't open mods file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kReadFailed:
      log_.LogMessage(kSoundNone, "Couldn't read mods file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kOk:
      break;
  }
  for (std::string_view line : SplitLines(text)) {
    if (entries->size() == kModMenuLines) break;
    entries->push_back(line.empty() ? std::string() : "Show " + Upper(line) + " maps");
  }
  return true;
}

std::string MapRotation::CurrentLevel() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return current_level_;
}

void MapRotation::SetCurrentLevel(std::string_view level) {
  std::lock_guard<std::mutex> lock(mutex_);
  current_level_ = Cut(level, kMaxLevelSpecLength);
}

std::string MapRotation::IdleLevel() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return idle_level_;
}

void MapRotation::SetIdleLevel(std::string_view level) {
  std::lock_guard<std::mutex> lock(mutex_);
  idle_level_ = Cut(level, kMaxLevelSpecLength);
}

}  // namespace varnholt
