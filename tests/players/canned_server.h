// Canned game-server texts for the player list: a status reply and a game.listPlayers answer
// written the way the server words them, and a link that serves them and records every
// console command it was asked to run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gamelink/player_list.h"
#include "platform/last_error.h"

namespace varnholt::testing {

struct StatusPlayer {
  std::string name;
  int team = 1;
  int score = 0;
  int ping = 50;
  int kills = 0;
  int deaths = 0;
};

// "\numplayers\N\...\player_0\NAME\score_0\..." as the status query client builds it;
// `numplayers` < 0 counts the given players.
inline std::string StatusText(const std::vector<StatusPlayer>& players, int numplayers = -1) {
  std::string t = "\\hostname\\Test\\mapname\\harbor\\numplayers\\" +
                  std::to_string(numplayers < 0 ? static_cast<int>(players.size()) : numplayers) +
                  "\\maxplayers\\64\\";
  for (size_t i = 0; i < players.size(); ++i) {
    const StatusPlayer& p = players[i];
    std::string n = std::to_string(i);
    t += "player_" + n + "\\" + p.name + "\\score_" + n + "\\" + std::to_string(p.score) +
         "\\ping_" + n + "\\" + std::to_string(p.ping) + "\\team_" + n + "\\" +
         std::to_string(p.team) + "\\kills_" + n + "\\" + std::to_string(p.kills) + "\\deaths_" +
         n + "\\" + std::to_string(p.deaths) + "\\";
  }
  return t + "team_t0\\vyr\\score_t0\\0\\team_t1\\dak\\score_t1\\0\\";
}

inline std::string RemoteLine(int id, const std::string& name, const std::string& address,
                              const std::string& keyhash = "") {
  std::string line = "Id:" + std::to_string(id) + " - " + name + " is remote ip: " + address + ":" +
                     std::to_string(23000 + id);
  if (!keyhash.empty()) line += " hash:" + keyhash;
  return line + "\n";
}

inline std::string BotLine(int id, const std::string& name) {
  return "Id:" + std::to_string(id) + " - " + name + " is an AI bot\n";
}

class CannedServer {
 public:
  std::string status;
  std::string players;
  bool connected = true;
  bool status_answers = true;
  bool players_answer = true;
  bool commands_answer = true;
  std::vector<std::string> commands;

  PlayerListLink Link() {
    PlayerListLink link;
    link.console_connected = [this] { return connected; };
    link.query_status = [this]() -> const std::string* {
      if (!status_answers) {
        SetLastErrorCode(kWsaTimedOut);
        return nullptr;
      }
      return &status;
    };
    link.run_console = [this](std::string_view command) -> const std::string* {
      commands.emplace_back(command);
      if (command == "game.listPlayers") return players_answer ? &players : nullptr;
      if (!commands_answer) return nullptr;
      response_.clear();
      return &response_;
    };
    return link;
  }

  // Commands other than game.listPlayers, in order.
  std::vector<std::string> OtherCommands() const {
    std::vector<std::string> out;
    for (const std::string& c : commands) {
      if (c != "game.listPlayers") out.push_back(c);
    }
    return out;
  }

 private:
  std::string response_;
};

}  // namespace varnholt::testing
