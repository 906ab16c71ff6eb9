// A supervisor over the real subsystems in a temporary game folder, with the substitute
// server installed as the server executable on ports of its own: the base of the tests that
// let the supervisor launch, watch and stop real sim processes. The calendar clock is
// injected; the servers run in real time. Every server still running at the end is killed.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "core/command_queue.h"
#include "core/interface_list.h"
#include "gamelink/console_client.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/status_query.h"
#include "maps/map_rotation.h"
#include "platform/poll_event_loop.h"
#include "platform/processes.h"
#include "settings/settings_files.h"
#include "supervisor/supervisor.h"
#include "support/free_port.h"
#include "support/temp_folder.h"
#include "support/wait.h"

namespace varnholt::testing {

// Window probe of the tests: a popup shows for one chosen pid only.
class ScriptedWindows : public WindowProbe {
 public:
  bool FindVisibleWindow(pid_t pid, std::string* description) override {
    if (pid != popup_pid) return false;
    *description = "#32770";
    return true;
  }
  pid_t popup_pid = 0;
};

class SupervisedSimTest : public ::testing::Test {
 protected:
  // `maps` is the catalogue of Maps.con; the rotation holds "hue".
  explicit SupervisedSimTest(const std::string& maps)
      : log_(game_.path(), clock_),
        loop_(system_clock_),
        queue_(clock_, log_),
        files_(settings_, log_),
        rotation_(game_.Sub("Mods/ashfront/Settings"), log_),
        interfaces_(log_),
        status_(log_, settings_, clock_),
        console_(log_, settings_, status_),
        players_(log_, settings_),
        link_(console_, status_, players_),
        process_(game_.path(), log_, clock_),
        supervisor_(SupervisorDeps{log_, clock_, loop_, queue_, settings_, files_, rotation_,
                                   interfaces_, link_, console_, status_, windows_, process_,
                                   game_.path(), game_.Sub("Mods/ashfront/Settings")}) {
    game_.Write("Mods/ashfront/init.con", "");
    game_.Write("Mods/ashfront/Settings/Maps.con", maps);
    game_.Write("Mods/ashfront/Settings/Mods.con", "ashfront\r\n");
    game_.Write("Mods/ashfront/Settings/ServerMapList.con",
                "game.addLevel hue GPM_CQ ashfront\r\n");
    // Quiet and deterministic: no simulated chat, one player.
    game_.Write("ashfront-sim.options", "--static\n--players=1\n--chat-every=0\n");
    std::filesystem::copy_file(ASHFRONT_SIM_PATH, game_.Sub("ashfront_w32ded.exe"));
    settings_.InitSettings();
    settings_.SetAddress("game.serverIP", 0x7F000001);
    settings_.SetInt("game.serverPort", FreePort(SOCK_DGRAM));
    settings_.SetInt("manager.consolePort", FreePort(SOCK_STREAM));
    settings_.SetInt("game.gameSpyPort", FreePort(SOCK_DGRAM));
    settings_.SetInt("game.gameSpyLANPort", FreePort(SOCK_DGRAM));
    settings_.SetInt("game.serverInternet", 0);
    settings_.SetText("manager.consoleUsername", "admin");
    settings_.SetText("manager.consolePassword", "secret");
    EXPECT_TRUE(rotation_.LoadMapRotation(rotation_.ServerMapListPath(), false));
  }

  ~SupervisedSimTest() override {
    int32_t pid = kAnyPid;
    while (process_.FindServerProcess(&pid)) {
      kill(pid, SIGKILL);
      kill(pid, SIGCONT);  // a stopped process takes the kill only once it runs
      WaitUntil([&] { return ProcessState(pid) == '\0' || ProcessState(pid) == 'Z'; }, 2000);
      waitpid(pid, nullptr, 0);
      pid = kAnyPid;
    }
  }

  TempFolder game_;
  ManualClock clock_;
  SystemClock system_clock_;
  EventLog log_;
  PollEventLoop loop_;
  CommandQueue queue_;
  SettingsTable settings_;
  SettingsFiles files_;
  MapRotation rotation_;
  InterfaceList interfaces_;
  StatusQuery status_;
  ConsoleClient console_;
  PlayerList players_;
  GameLinkClients link_;
  ScriptedWindows windows_;
  ServerProcess process_;
  Supervisor supervisor_;
};

}  // namespace varnholt::testing
