// The game link over the remote console client, the status query client and the player
// list: the one implementation of GameLink that the program hands to every subsystem.
#pragma once

#include "core/game_link.h"
#include "gamelink/console_client.h"
#include "gamelink/player_list.h"
#include "gamelink/status_query.h"

namespace varnholt {

class GameLinkClients : public GameLink {
 public:
  GameLinkClients(ConsoleClient& console, StatusQuery& status, PlayerList& players)
      : console_(console), status_(status), players_(players) {}

  bool ConsoleConnected() const override;
  bool RunConsoleCommand(std::string_view command, std::string* response = nullptr) override;
  bool QueryServerStatus(std::string* reply) override;
  bool StatusPortIdentified() const override;
  bool GetQueryValue(std::string_view key, std::string* value) override;
  std::vector<PlayerRecord> Players() const override;
  bool FindPlayerById(int id, PlayerRecord* record) const override;
  int FindPlayerByExactName(std::string_view name) const override;
  bool RemovePlayer(int id) override;

 private:
  ConsoleClient& console_;
  StatusQuery& status_;
  PlayerList& players_;
};

}  // namespace varnholt
