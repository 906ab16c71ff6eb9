#include "status_query.h"

#include <cstdio>

namespace varnholt::sim {
namespace {

std::string Clean(std::string text, bool raw_backslashes) {
  if (!raw_backslashes) {
    for (char& c : text) {
      if (c == '\\') c = '/';
    }
  }
  return text;
}

void AppendZ(std::string* out, const std::string& text) {
  out->append(text);
  out->push_back('\0');
}

void AppendSection(std::string* out, const std::vector<std::string>& fields,
                   const std::vector<std::vector<std::string>>& rows) {
  out->push_back(static_cast<char>(rows.size() & 0x7F));
  for (const std::string& f : fields) AppendZ(out, f);
  out->push_back('\0');
  for (const auto& row : rows) {
    for (size_t i = 0; i < fields.size(); ++i) AppendZ(out, i < row.size() ? row[i] : "");
  }
}

}  // namespace

bool ParseStatusRequest(std::string_view d, StatusRequest* request) {
  if (d.size() < 10) return false;
  if (static_cast<uint8_t>(d[0]) != 0xFE || static_cast<uint8_t>(d[1]) != 0xFD || d[2] != 0) {
    return false;
  }
  for (int i = 0; i < 4; ++i) request->id[i] = static_cast<uint8_t>(d[3 + i]);
  request->rules = d[7] != 0;
  request->players = d[8] != 0;
  request->teams = d[9] != 0;
  return true;
}

StatusSnapshot MakeStatusSnapshot(const ServerInfo& info, const LiveSettings& settings,
                                  const Roster& roster, const Match& match, bool raw_backslashes) {
  StatusSnapshot s;
  auto rule = [&](const char* key, std::string value) {
    s.rules.emplace_back(key, Clean(std::move(value), raw_backslashes));
  };
  auto number = [](double v) { return std::to_string(static_cast<int>(v)); };
  int rounds = static_cast<int>(settings.Number("admin.setNrOfRounds", 1));
  int ticket_percent = static_cast<int>(settings.Number("admin.setTicketRatio", 1.0) * 100 + 0.5);
  rule("hostname", info.name);
  rule("gamename", "ashfront");
  // The game reports its version behind a letter ("v1.1"); the manager skips the first character.
  rule("gamever", "v1.1");
  rule("hostport", std::to_string(info.game_port));
  rule("mapname", match.current().map);
  rule("gametype", GameTypeOfMode(match.current().mode));
  rule("game_id", match.current().mod);
  rule("gamemode", match.ModeText());
  rule("numplayers", std::to_string(roster.players().size()));
  rule("maxplayers", std::to_string(info.max_players));
  rule("password", info.password.empty() ? "0" : "1");
  rule("timelimit", number(settings.Number("admin.timeLimit", 0)));
  rule("roundTimeRemain", std::to_string(match.RoundTimeRemaining()));
  rule("tickets_t0", std::to_string(match.tickets(0)));
  rule("tickets_t1", std::to_string(match.tickets(1)));
  // Both spellings are read: the settings read-back and the statistics use one each.
  rule("Number Of Rounds", std::to_string(rounds < 0 ? 0 : rounds));
  rule("number_of_rounds", std::to_string(rounds < 0 ? 0 : rounds));
  rule("tickets1", std::to_string(match.tickets(0)));
  rule("tickets2", std::to_string(match.tickets(1)));
  rule("Ticket Ratio", std::to_string(ticket_percent));
  rule("sv_punkbuster", info.punkbuster ? "1" : "0");
  rule("tk_mode", settings.Number("admin.tkPunishMode", 0) != 0 ? "Punish" : "Forgive");
  rule("content_check", std::to_string(info.content_check));
  rule("dedicated", "1");

  s.player_fields = {"player_", "score_", "ping_", "team_", "kills_", "deaths_"};
  for (const Player& p : roster.players()) {
    s.player_rows.push_back({Clean(p.name, raw_backslashes), std::to_string(p.score),
                             std::to_string(p.ping), std::to_string(p.team),
                             std::to_string(p.kills), std::to_string(p.deaths)});
  }
  s.team_fields = {"team_t", "score_t"};
  s.team_rows.push_back({"vyr", std::to_string(match.team_score(1))});
  s.team_rows.push_back({"dak", std::to_string(match.team_score(2))});
  return s;
}

std::string BuildStatusReply(const StatusRequest& request, const StatusSnapshot& snapshot) {
  std::string out;
  out.push_back('\0');
  for (uint8_t b : request.id) out.push_back(static_cast<char>(b));
  if (request.rules) {
    for (const auto& [key, value] : snapshot.rules) {
      AppendZ(&out, key);
      AppendZ(&out, value);
    }
  }
  // The sections that follow start two bytes after the last rule value (the empty key that
  // ends the rules and one pad byte), or two bytes after the header when no rules were asked
  // for. This is the layout other clients of the protocol read, too.
  out.append(2, '\0');
  if (request.players) {
    AppendSection(&out, snapshot.player_fields, snapshot.player_rows);
    if (request.teams) out.push_back('\0');
  }
  if (request.teams) AppendSection(&out, snapshot.team_fields, snapshot.team_rows);
  if (out.size() > kMaxStatusReply) out.resize(kMaxStatusReply);
  return out;
}

}  // namespace varnholt::sim
