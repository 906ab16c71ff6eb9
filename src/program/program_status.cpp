// The status summary and the statistics files plugged into the program: what the summary
// reads from the settings, the supervisor and the rotation, and the statistics file named
// by the settings.
#include "program/program.h"

namespace varnholt {

ServerStatusFacts Program::StatusFactsNow() {
  ServerStatusFacts facts;
  facts.server_name = settings_.GetText("game.serverName");
  facts.server_ip = settings_.GetAddress("game.serverIP");
  facts.server_port = settings_.GetInt("game.serverPort");
  const bool running = supervisor_.ServerRunning();
  // Levels as "map GPM_xx mod", the form the idle level is kept in and clients name maps in.
  facts.current_map = rotation_.GetRunningLevelText(
      true, running,
      [this](const char* key, std::string* value) { return game_link_.GetQueryValue(key, value); });
  facts.next_map = rotation_.GetCurrentLevelText(true, running);
  facts.idle_map = rotation_.IdleLevel();
  facts.server_running = running;
  facts.crash_time = supervisor_.CrashTime();
  facts.punkbuster_installed = punkbuster_installed_;
  facts.punkbuster_enabled = supervisor_.PunkBusterEnabled();
  return facts;
}

void Program::ConfigureStatus() {
  summary_.SetDebug(command_line_.debug);
  summary_.SetFactsSource([this] { return StatusFactsNow(); });
  stats_.SetDebug(command_line_.debug);
}

bool Program::RefreshServerStatus() {
  return summary_.RefreshServerStatus();
}

bool Program::LogPlayerStats() {
  return stats_.LogPlayerStats(settings_.GetText("manager.statFilePath"));
}

}  // namespace varnholt
