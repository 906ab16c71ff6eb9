// The stored rows of the player list: copies out, lookups, removals and the sort order.
#include "gamelink/player_list.h"

#include <algorithm>

#include "platform/ascii_text.h"

namespace varnholt {
namespace {

constexpr size_t kNameSearchMax = 32;

const PlayerRecord* RowById(const std::vector<PlayerRecord>& rows, int id) {
  for (const PlayerRecord& row : rows) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

std::string KnownOrUnknown(const std::string& text) {
  return text.empty() ? std::string(kUnknownText) : text;
}

// A dotted quad as a number for sorting; false for anything else.
bool AddressValue(const std::string& text, uint32_t* value) {
  uint32_t result = 0;
  int parts = 0;
  size_t at = 0;
  while (parts < 4) {
    size_t digits = 0;
    uint32_t part = 0;
    while (at < text.size() && digits < 3 && text[at] >= '0' && text[at] <= '9') {
      part = part * 10 + static_cast<uint32_t>(text[at++] - '0');
      ++digits;
    }
    if (digits == 0 || part > 255) return false;
    result = result << 8 | part;
    if (++parts < 4) {
      if (at >= text.size() || text[at] != '.') return false;
      ++at;
    }
  }
  *value = result;
  return at == text.size();
}

// Negative, zero or positive as for strcmp; rows whose field is empty come last.
int CompareFigures(const std::string& a, const std::string& b) {
  if (a.empty() != b.empty()) return a.empty() ? 2 : -2;
  int32_t x = DecimalValue(a);
  int32_t y = DecimalValue(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareTexts(const std::string& a, const std::string& b) {
  int c = CompareNoCase(a, b);
  return c != 0 ? c : a.compare(b);
}

int CompareAddresses(const std::string& a, const std::string& b) {
  uint32_t x = 0;
  uint32_t y = 0;
  if (AddressValue(a, &x) && AddressValue(b, &y)) return x < y ? -1 : (x > y ? 1 : 0);
  return CompareTexts(a, b);
}

int CompareRows(PlayerColumn column, const PlayerRecord& a, const PlayerRecord& b) {
  switch (column) {
    case PlayerColumn::kNone:
      return 0;
    case PlayerColumn::kName:
      return CompareTexts(a.name, b.name);
    case PlayerColumn::kId:
      return a.id < b.id ? -1 : (a.id > b.id ? 1 : 0);
    case PlayerColumn::kTeam:
      return CompareTexts(a.team, b.team);
    case PlayerColumn::kScore:
      return CompareFigures(a.score, b.score);
    case PlayerColumn::kKills:
      return CompareFigures(a.kills, b.kills);
    case PlayerColumn::kDeaths:
      return CompareFigures(a.deaths, b.deaths);
    case PlayerColumn::kPing:
      return CompareFigures(a.ping, b.ping);
    case PlayerColumn::kAddress:
      return CompareAddresses(a.address, b.address);
    case PlayerColumn::kKeyhash:
      return CompareTexts(a.keyhash, b.keyhash);
    case PlayerColumn::kGuid:
      return CompareTexts(a.guid, b.guid);
  }
  return 0;
}

void SortBy(PlayerColumn column, bool descending, std::vector<PlayerRecord>* rows) {
  if (column == PlayerColumn::kNone) return;
  std::stable_sort(rows->begin(), rows->end(),
                   [column, descending](const PlayerRecord& a, const PlayerRecord& b) {
                     int c = CompareRows(column, a, b);
                     // Empty figures stay at the end in either direction.
                     if (c == 2 || c == -2) return c < 0;
                     return descending ? c > 0 : c < 0;
                   });
}

}  // namespace

PlayerList::PlayerList(EventLog& log, const SettingsTable& settings)
    : log_(log), settings_(settings) {}

void PlayerList::ClearOnDisconnect() {
  smart_balance_engaged_ = false;
  std::lock_guard<std::mutex> lock(mutex_);
  rows_.clear();
}

void PlayerList::SetSummaryUnknown() {
  std::lock_guard<std::mutex> lock(mutex_);
  team_counts_text_ = "??";
  team_scores_text_ = "??";
}

std::vector<PlayerRecord> PlayerList::Rows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_;
}

size_t PlayerList::RowCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_.size();
}

std::string PlayerList::TeamCountsText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return team_counts_text_;
}

std::string PlayerList::TeamScoresText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return team_scores_text_;
}

bool PlayerList::FindPlayerById(int id, PlayerRecord* record) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const PlayerRecord* row = RowById(rows_, id);
  if (row == nullptr) return false;
  *record = *row;
  return true;
}

std::string PlayerList::PlayerNameById(int id) const {
  PlayerRecord row;
  return FindPlayerById(id, &row) ? row.name : std::string(kUnknownText);
}

std::string PlayerList::PlayerAddressById(int id) const {
  PlayerRecord row;
  return FindPlayerById(id, &row) ? row.address : std::string(kUnknownText);
}

std::string PlayerList::PlayerKeyhashById(int id) const {
  PlayerRecord row;
  return FindPlayerById(id, &row) ? KnownOrUnknown(row.keyhash) : std::string(kUnknownText);
}

std::string PlayerList::PlayerGuidById(int id) const {
  PlayerRecord row;
  return FindPlayerById(id, &row) ? KnownOrUnknown(row.guid) : std::string(kUnknownText);
}

int PlayerList::FindPlayerByName(std::string_view text) const {
  const std::string wanted = Lower(text);
  std::lock_guard<std::mutex> lock(mutex_);
  int found = -1;
  int matches = 0;
  for (const PlayerRecord& row : rows_) {
    if (Lower(row.name).find(wanted) != std::string::npos) {
      found = row.id;
      ++matches;
    }
  }
  return matches == 1 ? found : -1;
}

std::vector<int> PlayerList::FindPlayersContaining(std::string_view text) const {
  const std::string wanted = Lower(text.substr(0, kNameSearchMax));
  std::vector<int> ids;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const PlayerRecord& row : rows_) {
    if (Lower(row.name).find(wanted) != std::string::npos) ids.push_back(row.id);
  }
  return ids;
}

int PlayerList::FindPlayerByExactName(std::string_view name) const {
  const std::string_view wanted = name.substr(0, kPlayerNameMax);
  std::lock_guard<std::mutex> lock(mutex_);
  int found = -1;
  int matches = 0;
  for (const PlayerRecord& row : rows_) {
    if (row.name == wanted) {
      found = row.id;
      ++matches;
    }
  }
  return matches == 1 ? found : -1;
}

bool PlayerList::RemovePlayer(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(rows_.begin(), rows_.end(),
                         [id](const PlayerRecord& row) { return row.id == id; });
  if (it == rows_.end()) return false;
  rows_.erase(it);
  return true;
}

bool PlayerList::MarkPing(int id, std::string_view mark) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (PlayerRecord& row : rows_) {
    if (row.id != id) continue;
    if (row.ping.size() + mark.size() <= kPlayerFigureMax + 1) row.ping.append(mark);
    return true;
  }
  return false;
}

void PlayerList::SetSortOrder(PlayerColumn column, bool descending) {
  std::lock_guard<std::mutex> lock(mutex_);
  sort_column_ = column;
  sort_descending_ = descending;
  SortBy(column, descending, &rows_);
}

void PlayerList::SortRows(std::vector<PlayerRecord>* rows) const {
  PlayerColumn column;
  bool descending;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    column = sort_column_;
    descending = sort_descending_;
  }
  SortBy(column, descending, rows);
}

void PlayerList::Publish(std::vector<PlayerRecord> rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  rows_ = std::move(rows);
}

void PlayerList::Publish(std::vector<PlayerRecord> rows, std::string counts, std::string scores) {
  std::lock_guard<std::mutex> lock(mutex_);
  rows_ = std::move(rows);
  team_counts_text_ = std::move(counts);
  team_scores_text_ = std::move(scores);
}

}  // namespace varnholt
