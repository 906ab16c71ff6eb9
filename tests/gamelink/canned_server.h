// Canned server texts for the player list (a status reply and a game.listPlayers answer,
// worded as the server words them) and a game link that serves them and records the commands
// run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gamelink/player_list.h"
#include "platform/last_error.h"
#include "support/recording_game_link.h"

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

// Connected unless a test says otherwise; `commands` holds every command other than
// game.listPlayers, in order.
class CannedServer : public RecordingGameLink {
 public:
  CannedServer() { connected = true; }

  std::string status;
  std::string players;
  bool status_answers = true;
  bool players_answer = true;
  bool commands_answer = true;

  GameLink& Link() { return *this; }

  bool QueryServerStatus(std::string* reply) override {
    if (!status_answers) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    *reply = status;
    return true;
  }
  bool RunConsoleCommand(std::string_view command, std::string* response = nullptr) override {
    const bool list = command == "game.listPlayers";
    if (!list) commands.emplace_back(command);
    if (!(list ? players_answer : commands_answer)) return false;
    if (response != nullptr) *response = list ? players : std::string();
    return true;
  }
};

}  // namespace varnholt::testing
