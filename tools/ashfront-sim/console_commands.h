// The console command interpreter of the simulated server: every command the manager sends
// over the remote console, the lines of ServerAutoexec.con, MapList.con and BanList.con,
// and the simulator's own "sim." control commands (handed to the control handler). Owned
// by the simulated server's single thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "live_settings.h"
#include "match.h"
#include "roster.h"
#include "server_config.h"

namespace varnholt::sim {

// One "Id:..." line of game.listPlayers for a player.
std::string ListPlayersLine(const Player& player);

class ConsoleCommands {
 public:
  using ControlHandler =
      std::function<void(const std::string& command, std::vector<std::string>* out)>;

  ConsoleCommands(ServerInfo& info, LiveSettings& settings, Roster& roster, Match& match,
                  GameEvents& events);

  void set_control_handler(ControlHandler handler) { control_ = std::move(handler); }

  // Runs one console line and appends its output lines (none for most commands that only
  // change something).
  void Execute(std::string_view line, std::vector<std::string>* out);

  bool quit_requested() const { return quit_requested_; }
  // Set whenever the address or key bans change; cleared by the caller.
  bool TakeBansChanged();
  bool TakeGuidFileRequested();

 private:
  void ListPlayers(std::vector<std::string>* out);
  void KickPlayer(int id, const std::string& reason, std::vector<std::string>* out);
  void BanPlayerById(int id, bool by_key, std::vector<std::string>* out);
  void RemoveBannedPlayers(const char* why);
  void PunkBuster(const std::string& command, const std::string& argument,
                  std::vector<std::string>* out);
  bool LevelCommand(const std::string& command, const std::string& argument,
                    std::vector<std::string>* out);
  void Say(char channel, const char* word, const std::string& argument);

  ServerInfo& info_;
  LiveSettings& settings_;
  Roster& roster_;
  Match& match_;
  GameEvents& events_;
  ControlHandler control_;
  bool quit_requested_ = false;
  bool bans_changed_ = false;
  bool guid_file_requested_ = false;
};

}  // namespace varnholt::sim
