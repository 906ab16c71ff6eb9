// A game link with no server behind it, recording what a subsystem asks of it: connected as
// the test says, every console command kept in order and answered with an empty response
// until `fail_after` commands have run (no response after that), no status reply and no
// players. Tests that script more derive from it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/game_link.h"
#include "platform/last_error.h"

namespace varnholt::testing {

class RecordingGameLink : public GameLink {
 public:
  bool ConsoleConnected() const override { return connected; }
  bool RunConsoleCommand(std::string_view command, std::string* response = nullptr) override {
    commands.emplace_back(command);
    if (fail_after >= 0 && static_cast<int>(commands.size()) > fail_after) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    if (response != nullptr) response->clear();
    return true;
  }
  bool QueryServerStatus(std::string* /*reply*/) override {
    SetLastErrorCode(kWsaTimedOut);
    return false;
  }
  bool StatusPortIdentified() const override { return false; }
  bool GetQueryValue(std::string_view /*key*/, std::string* /*value*/) override { return false; }
  std::vector<PlayerRecord> Players() const override { return {}; }
  bool FindPlayerById(int /*id*/, PlayerRecord* /*record*/) const override { return false; }
  int FindPlayerByExactName(std::string_view /*name*/) const override { return -1; }
  bool RemovePlayer(int /*id*/) override { return false; }

  bool connected = false;
  std::vector<std::string> commands;
  int fail_after = -1;
};

}  // namespace varnholt::testing
