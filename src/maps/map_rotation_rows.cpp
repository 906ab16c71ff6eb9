// The page side of the rotation: rows, check marks, order, filters, and the current, idle
// and running level texts.
#include <algorithm>
#include <random>

#include "log/error_text.h"
#include "maps/game_modes.h"
#include "maps/map_rotation.h"
#include "maps/text_file.h"
#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

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

}  // namespace

std::string MapRotation::GetCurrentLevelText(bool withIds, bool server_running) {
  const std::string current = CurrentLevel();
  RotationLine parsed;
  if (!current.empty() && current != "-") {
    if (ParseRotationLine("x " + current, &parsed)) {
      return LevelText(parsed.map, parsed.mode, parsed.mod, withIds);
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
    if (ParseRotationLine(raw, &parsed) && EqualsNoCase(parsed.command, "game.setCurrentLevel")) {
      return LevelText(parsed.map, parsed.mode, parsed.mod, withIds);
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
    return CompareNoCase(key(a), key(b)) < 0;
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

std::vector<HiddenRotationLevel> MapRotation::HiddenLevels() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hidden_;
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
  if (!ReadModsFile(FindPathNoCase(settings_folder_, "Mods.con"), &text, log_)) return false;
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
