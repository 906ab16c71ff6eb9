// The simulated game server process: reads the settings folder, listens on the remote
// console (TCP) and the status query port (UDP), and runs everything in one poll() loop:
// console sessions, status replies, the game clock, scheduled faults and the control file.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "console_commands.h"
#include "console_wire.h"
#include "live_settings.h"
#include "match.h"
#include "platform/clock.h"
#include "roster.h"
#include "server_config.h"
#include "sim_control.h"
#include "sim_options.h"

namespace varnholt::sim {

class SimServer final : public GameEvents {
 public:
  SimServer(const SimOptions& options, std::string game_folder);
  ~SimServer() override;
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Reads the files and opens the sockets; false (with a message on stderr) when the
  // server cannot run.
  bool Start();
  // Serves until quit or a termination signal; returns the exit code.
  int Run();

  void ConsoleLine(const std::string& text) override;
  void ChatLine(char channel, const std::string& text) override;

 private:
  struct Connection {
    int fd = -1;
    bool logged_in = false;
    LoginKey key{};
    std::string in;
    std::string out;
    std::string delayed;  // a response held back by the slow fault
    uint64_t delayed_due = 0;
    bool close_after_write = false;
    std::deque<std::string> pending;  // chat ("##--") and console lines for this client
  };

  bool ReadSettingsFolder();
  void RunFile(const std::string& name, bool required);
  void AddStartPlayers();
  bool OpenSockets();
  void AcceptConsole();
  void ReadConsole(Connection& c);
  void ServeConsole(Connection& c);
  void Respond(Connection& c, const std::vector<std::string>& request);
  void FlushConnection(Connection& c);
  void ServeStatusQuery();
  void Tick();
  void ApplyDueFaults(uint64_t now);
  void PollControlFile();
  void RunControl(const std::string& command, std::vector<std::string>* out);
  void AfterCommands();
  void WriteBanList();
  void WriteAdminSettings();
  void WriteGuidBans();
  void ReadGuidBans();
  void Say(const char* tag, const std::string& text);

  SimOptions options_;
  std::string game_folder_;
  std::string settings_folder_;
  SystemClock clock_;
  ServerInfo info_;
  LiveSettings settings_;
  Roster roster_;
  Match match_;
  ConsoleCommands commands_;
  SimControl control_;
  std::mt19937 key_rng_;
  int console_fd_ = -1;
  int query_fd_ = -1;
  int signal_fd_ = -1;
  std::vector<std::unique_ptr<Connection>> connections_;
  struct DelayedDatagram {
    uint64_t due = 0;
    std::string bytes;
    std::vector<uint8_t> address;  // a sockaddr_in
  };
  std::vector<DelayedDatagram> delayed_datagrams_;
  std::vector<FaultPlan> scheduled_faults_;
  uint64_t start_ms_ = 0;
  uint64_t last_tick_ms_ = 0;
  uint64_t last_control_poll_ms_ = 0;
  uint64_t last_rejoin_ms_ = 0;
  bool stopping_ = false;
  bool running_console_from_control_ = false;
  bool pid_written_ = false;
};

}  // namespace varnholt::sim
