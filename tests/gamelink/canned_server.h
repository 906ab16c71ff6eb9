// Canned server texts for the player list (a status reply and a game.listPlayers answer,
// worded as the server words them) and a link that serves them and records the commands run.
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
};

// The reply text as the status query client builds it, fields row by row.
inline std::string StatusText(const std::vector<StatusPlayer>& players) {
  std::string t = "\\hostname\\Test\\numplayers\\" + std::to_string(players.size()) + "\\";
  for (size_t i = 0; i < players.size(); ++i) {
    const std::string n = std::to_string(i);
    t += "player_" + n + "\\" + players[i].name + "\\score_" + n + "\\" +
         std::to_string(players[i].score) + "\\ping_" + n + "\\" + std::to_string(players[i].ping) +
         "\\team_" + n + "\\" + std::to_string(players[i].team) + "\\";
  }
  return t + "team_t0\\vyr\\team_t1\\dak\\";
}

inline std::string RemoteLine(int id, const std::string& name, const std::string& address,
                              const std::string& keyhash = "") {
  return "Id:" + std::to_string(id) + " - " + name + " is remote ip: " + address + ":23000" +
         (keyhash.empty() ? "" : " hash:" + keyhash) + "\n";
}

class CannedServer {
 public:
  std::string status;
  std::string players;
  bool connected = true;
  bool status_answers = true;
  bool players_answer = true;
  bool commands_answer = true;
  // Every command other than game.listPlayers, in order.
  std::vector<std::string> commands;

  PlayerListLink Link() {
    PlayerListLink link;
    link.console_connected = [this] { return connected; };
    link.query_status = [this]() -> const std::string* {
      if (!status_answers) SetLastErrorCode(kWsaTimedOut);
      return status_answers ? &status : nullptr;
    };
    link.run_console = [this](std::string_view command) -> const std::string* {
      if (command == "game.listPlayers") return players_answer ? &players : nullptr;
      commands.emplace_back(command);
      return commands_answer ? &empty_ : nullptr;
    };
    return link;
  }

 private:
  std::string empty_;
};

}  // namespace varnholt::testing
