// GetPlayerList: one status query and one game.listPlayers, joined by exact player name.
#include <algorithm>
#include <unordered_map>
#include <utility>

#include "gamelink/console_client.h"  // kErrorNotConnected
#include "gamelink/player_list.h"
#include "gamelink/punkbuster_list.h"
#include "log/error_text.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kListPlayersCommand = "game.listPlayers";
constexpr const char* kNoPlayersText = "0 / 0 / 0";

const char* TeamName(int team) {
  switch (team) {
    case 1:
      return "vyr";
    case 2:
      return "dak";
    default:
      return kUnknownText;
  }
}

int32_t ClampSum(int64_t sum) {
  return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

std::string Figure(const std::string_view* value) {
  return std::string(value->substr(0, kPlayerFigureMax));
}

}  // namespace

struct PlayerList::Rebuild {
  std::vector<PlayerRecord> rows;
  int team1 = 0;
  int team2 = 0;
  int64_t score1 = 0;
  int64_t score2 = 0;
};

bool PlayerList::GetPlayerList(GameLink& link) {
  if (!link.ConsoleConnected()) {
    SetLastErrorCode(kErrorNotConnected);
    return false;
  }
  // Our own copy: the console exchange below may hand chat to rules that query again.
  std::string status_text;
  if (!link.QueryServerStatus(&status_text)) {
    if (debug_) {
      log_.LogMessage(kSoundNone, "DEBUG: GetPlayerList: Couldn't get server status! %s",
                      ErrorText(GetLastErrorCode()));
    }
    return false;
  }
  const StatusIndex status(status_text);
  const std::string_view* count = status.Find("numplayers");
  if (count == nullptr) {
    if (debug_) log_.LogMessage(kSoundNone, "DEBUG: Couldn't find \"numplayers\" in status!");
    SetLastErrorCode(kErrorInvalidData);
    return false;
  }
  const int numplayers = std::clamp<int>(DecimalValue(*count), 0, kMaxStatusPlayers);

  // The previous rows stay readable while the console answers (a chat line handled during
  // the exchange still finds its speaker); they are replaced once the answer is in.
  std::string response;
  if (!link.RunConsoleCommand(kListPlayersCommand, &response)) {
    Publish({});
    if (debug_) {
      log_.LogMessage(kSoundNone, "DEBUG: Couldn't get player list! The command failed. %s",
                      ErrorText(GetLastErrorCode()));
    }
    return false;
  }
  if (!response.empty() && response[0] == '\n') {
    Publish({}, kNoPlayersText, kNoPlayersText);
    ClearLastError();
    return true;
  }

  Rebuild rebuild;
  if (!ParseConsoleList(response, status, numplayers, &rebuild)) {
    Publish(std::move(rebuild.rows));
    if (debug_) log_.LogMessage(kSoundNone, "DEBUG: Couldn't get player list! Parse error.");
    SetLastErrorCode(kErrorInvalidData);
    return false;
  }
  std::string counts = FormatText(63, "%d / %d / %d", rebuild.team2, rebuild.team1,
                                  static_cast<int>(rebuild.rows.size()));
  std::string scores =
      FormatText(63, "%d / %d / %d", ClampSum(rebuild.score2), ClampSum(rebuild.score1),
                 ClampSum(rebuild.score1 + rebuild.score2));
  if (PunkBusterRuns(status)) FillGuids(link, &rebuild.rows);
  SortRows(&rebuild.rows);
  Publish(std::move(rebuild.rows), std::move(counts), std::move(scores));
  SmartBalance(link, rebuild.team1, rebuild.team2);
  ClearLastError();
  return true;
}

bool PlayerList::PunkBusterRuns(const StatusIndex& status) {
  const std::string_view* value = status.Find("sv_punkbuster");
  return value != nullptr && DecimalValue(*value) != 0;
}

void PlayerList::FillGuids(GameLink& link, std::vector<PlayerRecord>* rows) {
  std::string response;
  if (!link.RunConsoleCommand(kPunkBusterListCommand, &response)) {
    // The rows keep "[unknown]"; the next rebuild asks again.
    if (debug_) {
      log_.LogMessage(kSoundNone, "DEBUG: Couldn't get PunkBuster player list! %s",
                      ErrorText(GetLastErrorCode()));
    }
    return;
  }
  for (const PunkBusterPlayer& player : ParsePunkBusterList(response)) {
    // The slot names the id; the name must agree, so a slot taken over between the two
    // answers never lends its GUID to someone else.
    for (PlayerRecord& row : *rows) {
      if (row.id == player.id && row.name == player.name) row.guid = player.guid;
    }
  }
}

bool PlayerList::ParseConsoleList(const std::string& response, const StatusIndex& status,
                                  int numplayers, Rebuild* rebuild) {
  // The first status index of every name; a name matches only itself, letter case included.
  std::unordered_map<std::string_view, int> index_of;
  for (int i = 0; i < numplayers; ++i) {
    const std::string_view* name = status.FindIndexed("player_", i);
    if (name != nullptr) index_of.try_emplace(*name, i);
  }

  size_t start = 0;
  while (start < response.size()) {
    size_t end = response.find('\n', start);
    if (end == std::string::npos) end = response.size();
    std::string_view line(response.data() + start, end - start);
    start = end + 1;
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;

    ParsedPlayerLine parsed;
    const PlayerLineKind kind = ParsePlayerLine(line, &parsed);
    if (kind == PlayerLineKind::kBot) continue;
    if (kind == PlayerLineKind::kParseError) return false;
    if (rebuild->rows.size() >= kMaxPlayerRows) {
      if (debug_) {
        log_.LogMessage(kSoundNone, "DEBUG: Player list holds more than %zu players!",
                        kMaxPlayerRows);
      }
      break;
    }

    PlayerRecord row;
    row.name = parsed.name.substr(0, kPlayerNameMax);
    row.id = parsed.id;
    row.address = std::move(parsed.address);
    row.keyhash = std::move(parsed.keyhash);
    auto found = index_of.find(parsed.name);
    if (found == index_of.end() && parsed.name.find('\\') != std::string::npos) {
      // The status reply is backslash-delimited, so a server writes a backslash in a name
      // there as a slash; the console lists the name as it is.
      std::string slashed = parsed.name;
      std::replace(slashed.begin(), slashed.end(), '\\', '/');
      found = index_of.find(slashed);
    }
    if (found == index_of.end()) {
      if (debug_) {
        log_.LogMessage(kSoundNone, "DEBUG: Couldn't determine index of player %s!",
                        parsed.name.c_str());
      }
      rebuild->rows.push_back(std::move(row));
      continue;
    }
    const int index = found->second;
    const std::string_view* team = status.FindIndexed("team_", index);
    const int team_number = team == nullptr ? 0 : DecimalValue(*team);
    row.team = TeamName(team_number);
    if (const std::string_view* v = status.FindIndexed("score_", index)) row.score = Figure(v);
    if (const std::string_view* v = status.FindIndexed("kills_", index)) row.kills = Figure(v);
    if (const std::string_view* v = status.FindIndexed("deaths_", index)) row.deaths = Figure(v);
    if (const std::string_view* v = status.FindIndexed("ping_", index)) row.ping = Figure(v);
    row.guid = kUnknownText;
    if (team_number == 1) {
      ++rebuild->team1;
      rebuild->score1 += DecimalValue(row.score);
    } else if (team_number == 2) {
      ++rebuild->team2;
      rebuild->score2 += DecimalValue(row.score);
    }
    rebuild->rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace varnholt
