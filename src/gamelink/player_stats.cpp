#include "gamelink/player_stats.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "gamelink/player_list.h"
#include "gamelink/status_query.h"
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/confined_path.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kUnknown = "[unknown]";

std::string Cut(std::string value, size_t limit) {
  if (value.size() > limit) value.resize(limit);
  return value;
}

// A quoted field: an inner quote is doubled and a line break becomes a blank, so no value
// can end its field or its record early.
std::string Quoted(const std::string& value) {
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\r' || c == '\n') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A bare field stays as it is unless it holds a separator, a quote or a line break; then it
// is quoted, so the columns after it stay in place.
std::string Bare(const std::string& value) {
  return value.find_first_of(",\"\r\n") == std::string::npos ? value : Quoted(value);
}

// Year, month and day of a day count since 1970-01-01 (proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int64_t* year, int* month, int* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = yoe + era * 400 + (*month <= 2 ? 1 : 0);
}

struct UtcStamp {
  std::string date;
  std::string time;
};

UtcStamp UtcStampOf(int64_t now) {
  int64_t days = now / 86400;
  int64_t seconds = now % 86400;
  if (seconds < 0) {
    seconds += 86400;
    days -= 1;
  }
  int64_t year = 0;
  int month = 0;
  int day = 0;
  CivilFromDays(days, &year, &month, &day);
  char date[32];
  char time[16];
  snprintf(date, sizeof date, "%lld-%.02d-%.02d", static_cast<long long>(year), month, day);
  snprintf(time, sizeof time, "%.02d:%.02d:%.02d", static_cast<int>(seconds / 3600),
           static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return {date, time};
}

// The player list row of a player the status reply names: the row with exactly that name,
// else the only row whose name differs in letter case alone. Two players whose names differ
// only in case never get each other's address or keyhash.
const PlayerRecord* RowNamed(const std::vector<PlayerRecord>& rows, const std::string& name) {
  for (const PlayerRecord& row : rows) {
    if (row.name == name) return &row;
  }
  const PlayerRecord* found = nullptr;
  for (const PlayerRecord& row : rows) {
    if (!EqualsNoCase(row.name, name)) continue;
    if (found != nullptr) return nullptr;
    found = &row;
  }
  return found;
}

std::string KnownOr(const PlayerRecord* row, std::string PlayerRecord::*field) {
  if (row == nullptr || (row->*field).empty()) return kUnknown;
  return row->*field;
}

class ReplyReader {
 public:
  ReplyReader(const std::string& reply, std::string* missing) : reply_(reply), missing_(missing) {}
  // False (naming `shown` as missing) when the key is absent.
  bool Read(const std::string& key, std::string* value, const std::string& shown) {
    std::optional<std::string> found = StatusQuery::GetQueryValue(reply_, key);
    if (!found) {
      *missing_ = shown;
      return false;
    }
    *value = std::move(*found);
    return true;
  }
  bool Read(const std::string& key, std::string* value) { return Read(key, value, key); }
  std::string ReadOr(const char* key, const char* absent) {
    std::optional<std::string> found = StatusQuery::GetQueryValue(reply_, key);
    return found ? *found : std::string(absent);
  }

 private:
  const std::string& reply_;
  std::string* missing_;
};

}  // namespace

bool FormatPlayerStats(const std::string& reply, int numplayers,
                       const std::vector<PlayerRecord>& rows, int64_t now, std::string* out,
                       std::string* missing_key) {
  out->clear();
  ReplyReader r(reply, missing_key);
  std::string host, map, type, rounds, limit;
  if (!r.Read("hostname", &host) || !r.Read("mapname", &map) || !r.Read("gametype", &type) ||
      !r.Read("number_of_rounds", &rounds) || !r.Read("timelimit", &limit, "roundTime")) {
    return false;
  }
  const std::string allied = r.ReadOr("tickets1", "???");
  const std::string axis = r.ReadOr("tickets2", "???");
  const UtcStamp stamp = UtcStampOf(now);
  std::string text = stamp.date + "," + stamp.time + "," + Quoted(Cut(host, 63)) + "," +
                     Bare(Cut(map, 63)) + "," + Bare(Cut(type, 31)) + "," + Bare(Cut(rounds, 4)) +
                     "," + Bare(Cut(limit, 9)) + "," + Bare(Cut(axis, 15)) + "," +
                     Bare(Cut(allied, 15)) + "\r\n";
  std::string team_names[2];
  if (!r.Read("team_t0", &team_names[0], "teamname_0") ||
      !r.Read("team_t1", &team_names[1], "teamname_1")) {
    return false;
  }
  for (int i = 0; i < numplayers; ++i) {
    const std::string n = std::to_string(i);
    std::string name, team, score, kills, deaths, ping;
    if (!r.Read("player_" + n, &name) || !r.Read("team_" + n, &team) ||
        !r.Read("score_" + n, &score) || !r.Read("kills_" + n, &kills) ||
        !r.Read("deaths_" + n, &deaths) || !r.Read("ping_" + n, &ping)) {
      return false;
    }
    const int team_number = atoi(team.c_str());
    const std::string team_name = team_number == 1   ? team_names[0]
                                  : team_number == 2 ? team_names[1]
                                                     : "unknown";
    const PlayerRecord* row = RowNamed(rows, name);
    text += Quoted(Cut(name, 31)) + "," + Bare(Cut(team_name, 9)) + "," + Bare(Cut(score, 4)) +
            "," + Bare(Cut(kills, 4)) + "," + Bare(Cut(deaths, 4)) + "," + Bare(Cut(ping, 5)) +
            "," + Bare(Cut(KnownOr(row, &PlayerRecord::address), 15)) + "," +
            Bare(Cut(KnownOr(row, &PlayerRecord::keyhash), 32)) + "," +
            Bare(Cut(KnownOr(row, &PlayerRecord::guid), 32)) + "\r\n";
  }
  *out = std::move(text);
  return true;
}

std::string FormatPlayerListFile(const std::vector<PlayerRecord>& rows) {
  auto field = [](const std::string& value, size_t limit) {
    return value.empty() ? std::string("*") : Bare(Cut(value, limit));
  };
  std::string text;
  for (const PlayerRecord& row : rows) {
    text += Quoted(Cut(row.name, 31)) + "," + field(std::to_string(row.id), 4) + "," +
            field(row.team, 9) + "," + field(row.score, 4) + "," + field(row.kills, 4) + "," +
            field(row.deaths, 4) + "," + field(row.ping, 5) + "," + field(row.address, 15) + "," +
            field(row.keyhash, 32) + "," + field(row.guid, 32) + "\r\n";
  }
  return text;
}

PlayerStats::PlayerStats(EventLog& log, const Clock& clock, GameLink& link, std::string game_folder)
    : log_(log), clock_(clock), link_(link), game_folder_(std::move(game_folder)) {}

bool PlayerStats::LogPlayerStats(const std::string& stat_file) {
  std::string reply;
  if (!link_.QueryServerStatus(&reply)) {
    if (debug_) {
      log_.LogMessage(kSoundNone, "DEBUG: LogPlayerStats: Couldn't get server status! %s",
                      ErrorText(GetLastErrorCode()));
    }
    return false;
  }
  SetLastErrorCode(kErrorInvalidData);
  std::optional<std::string> count = StatusQuery::GetQueryValue(reply, "numplayers");
  if (!count) {
    if (debug_) log_.LogMessage(kSoundNone, "DEBUG: LogPlayerStats: Couldn't get \"numplayers\"!");
    return false;
  }
  const int numplayers = atoi(count->c_str());
  if (numplayers == 0) {
    ClearLastError();
    return false;
  }
  // The reply holds one byte's worth of players at most; anything else is not a count.
  if (numplayers < 0 || numplayers > kMaxStatusPlayers) return false;

  std::string path;
  if (!ResolveConfinedPath(game_folder_, stat_file, &path)) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't open CSV log file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  std::string lines;
  std::string missing;
  if (!FormatPlayerStats(reply, numplayers, link_.Players(), clock_.CalendarSeconds(), &lines,
                         &missing)) {
    if (debug_) {
      log_.LogMessage(kSoundNone, "DEBUG: LogPlayerStats: Couldn't get \"%s\"!", missing.c_str());
    }
    SetLastErrorCode(kErrorInvalidData);
    return false;
  }
  if (FileSize(path) <= 0) {
    lines = std::string(kStatsGameHeader) + "\r\n" + kStatsPlayerHeader + "\r\n" + lines;
  }
  if (!AppendToFile(path, lines)) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't open CSV log file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  ClearLastError();
  return true;
}

bool PlayerStats::WritePlayerListFile(const std::string& path) {
  if (!WriteWholeFile(path, FormatPlayerListFile(link_.Players()))) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't open player list file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  return true;
}

}  // namespace varnholt
