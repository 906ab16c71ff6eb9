// The simulated server's command line: the game's own "+name value" pairs (only
// +hostServer is looked at) and the simulator's "--name=value" options, which may also come
// from the file ashfront-sim.options in the game folder, one option per line, so that a
// server started by the manager with the game's command line can still be scripted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnholt::sim {

struct FaultPlan {
  std::string kind;      // crash, hang, freeze, popup, slow, refuse-login, stale-reply,
                         // oversized-reply, quit
  std::string argument;  // slow: milliseconds; hang: seconds (0 = until told otherwise)
  double after_seconds = 0;
};

struct SimOptions {
  int host_server = -1;  // value of +hostServer; -1 when not given
  bool write_pid = false;
  uint32_t seed = 1;
  int generated_players = 0;
  int generated_bots = 0;
  std::vector<std::string> player_lines;  // name|team|ping|address|keyhash|guid|bot
  std::string players_file;
  bool simulate = true;
  int chat_every_seconds = 25;
  int round_seconds = 900;
  int tick_ms = 1000;
  int rejoin_seconds = 0;  // kicked and leaving players come back this often; 0 = never
  int console_port = -1;   // overrides the port of admin.enableRemoteConsole
  int query_port = -1;     // overrides the configured status query port
  bool raw_backslashes = false;
  std::string control_file = "ashfront-sim.control";
  std::vector<FaultPlan> faults;
  bool help = false;
};

// Parses one "--name[=value]" option into `options`; false with `error` set when unknown
// or malformed.
bool ParseSimOption(const std::string& option, SimOptions* options, std::string* error);

// Reads the options file (when it exists) and then the command line.
bool ParseSimArguments(int argc, const char* const* argv, const std::string& options_file,
                       SimOptions* options, std::string* error);

// "crash", "slow:1500", "hang:10@30" -> plan.
bool ParseFaultPlan(const std::string& text, FaultPlan* plan, std::string* error);

const char* SimUsage();

}  // namespace varnholt::sim
