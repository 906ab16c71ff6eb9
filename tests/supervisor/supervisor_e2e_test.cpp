// The supervisor against real ashfront-sim processes it launches itself in a temporary game
// folder. The calendar clock is injected, so restart-loop windows pass without waiting.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "core/command_queue.h"
#include "core/interface_list.h"
#include "core/notify_codes.h"
#include "gamelink/console_client.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/status_query.h"
#include "maps/map_rotation.h"
#include "platform/poll_event_loop.h"
#include "platform/process_launch.h"
#include "platform/processes.h"
#include "settings/settings_files.h"
#include "supervisor/supervisor.h"
#include "support/child_process.h"
#include "support/free_port.h"
#include "support/supervised_sim_test.h"
#include "support/temp_folder.h"
#include "support/wine_standin.h"

namespace varnholt {
namespace {

using testing::FreePort;
using testing::TempFolder;
using testing::WaitUntil;

class SupervisorE2ETest : public testing::SupervisedSimTest {
 protected:
  SupervisorE2ETest() : SupervisedSimTest("ashfront,hue,15\r\n") {
    SupervisorHooks hooks;
    hooks.auto_restart = [this] { return auto_restart_; };
    hooks.notify_clients = [this](uint32_t code) { notified_.push_back(code); };
    supervisor_.SetHooks(hooks);
  }

  bool ConnectConsole() {
    return WaitUntil([&] { return console_.ConsoleConnect(); }, 10000);
  }
  bool LogHas(const std::string& text) {
    return game_.Read("Varnholt.log").find(text) != std::string::npos;
  }
  void Control(const std::string& command) { game_.Write("ashfront-sim.control", command + "\n"); }
  // Waits until the launched server process has gone (and is reaped).
  bool WaitServerGone(int32_t pid) {
    return WaitUntil([&] {
      waitpid(pid, nullptr, WNOHANG);
      char state = ProcessState(pid);
      return state == '\0' || state == 'Z';
    });
  }

  bool auto_restart_ = true;
  std::vector<uint32_t> notified_;
};

TEST_F(SupervisorE2ETest, StartConnectAndStopWithQuit) {
  ASSERT_TRUE(supervisor_.StartServer());
  EXPECT_TRUE(supervisor_.ServerRunning());
  int32_t pid = supervisor_.ServerPid();
  EXPECT_TRUE(LogHas("Server started"));
  // The files the server reads were written before the launch.
  EXPECT_NE(
      game_.Read("Mods/ashfront/Settings/ServerAutoexec.con").find("admin.enableRemoteConsole"),
      std::string::npos);
  EXPECT_NE(game_.Read("Mods/ashfront/Settings/MapList.con").find("hue"), std::string::npos);
  ASSERT_TRUE(ConnectConsole());
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kRunning);
  ASSERT_TRUE(supervisor_.StopServer());
  EXPECT_FALSE(supervisor_.ServerRunning());
  EXPECT_TRUE(WaitServerGone(pid));
  // "quit" was honoured: no termination was needed.
  EXPECT_FALSE(LogHas("Terminating server with extreme prejudice!"));
  EXPECT_TRUE(LogHas("Server stopped"));
}

TEST_F(SupervisorE2ETest, ValidationRefusesBeforeAnythingIsWritten) {
  settings_.SetInt("game.serverPort", 15667);  // the listen port
  EXPECT_FALSE(supervisor_.StartServer());
  EXPECT_TRUE(
      LogHas("Couldn't start the server! Game port address is the same as the Varnholt "
             "port address. These ports must NOT be the same address."));
  EXPECT_FALSE(std::filesystem::exists(game_.Sub("Mods/ashfront/Settings/MapList.con")));

  // LAN servers may keep the default console credentials; Internet servers may not.
  settings_.SetInt("game.serverPort", FreePort(SOCK_DGRAM));
  settings_.SetText("manager.consoleUsername", "UserName");
  settings_.SetText("manager.consolePassword", "Lanterns");
  settings_.SetInt("game.serverInternet", 1);
  EXPECT_FALSE(supervisor_.StartServer());
  EXPECT_TRUE(LogHas("Using the default Remote Console username and password is disallowed"));
}

TEST_F(SupervisorE2ETest, CrashIsRestartedOnTheLastRunningLevel) {
  game_.Write("Mods/ashfront/Settings/Maps.con", "ashfront,hue,15\r\nashfront,ridge,15\r\n");
  game_.Write("Mods/ashfront/Settings/ServerMapList.con",
              "game.addLevel hue GPM_CQ ashfront\r\ngame.addLevel ridge GPM_COOP ashfront\r\n");
  ASSERT_TRUE(rotation_.LoadMapRotation(rotation_.ServerMapListPath(), false));
  ASSERT_TRUE(supervisor_.StartServer());
  int32_t first = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  // The server moves on to the second level; a healthy tick notes it.
  ASSERT_NE(console_.RunConsoleText("admin.runNextLevel"), nullptr);
  ASSERT_TRUE(status_.QueryServerStatus(status_.StatusPort(), "\\info\\"));
  supervisor_.MonitorTick();
  EXPECT_EQ(supervisor_.LastRunningLevel(), "ridge GPM_COOP ashfront");
  clock_.AdvanceSeconds(600);  // long after the start: outside the restart-loop window
  Control("crash");
  ASSERT_TRUE(WaitServerGone(first));
  supervisor_.MonitorTick();
  EXPECT_TRUE(LogHas("Server has crashed"));
  EXPECT_TRUE(LogHas("Auto-restart is enabled, restarting the server."));
  EXPECT_TRUE(supervisor_.ServerRunning());
  EXPECT_NE(supervisor_.ServerPid(), first);
  EXPECT_EQ(supervisor_.RestartCount(), 0u);
  EXPECT_NE(supervisor_.CrashTime(), 0);
  // It resumes the level it was playing.
  EXPECT_NE(game_.Read("Mods/ashfront/Settings/MapList.con")
                .find("game.setCurrentLevel ridge GPM_COOP ashfront"),
            std::string::npos)
      << game_.Read("Mods/ashfront/Settings/MapList.con");
}

TEST_F(SupervisorE2ETest, RestartLoopStopsAfterTheThirdQuickCrash) {
  game_.Write("ashfront-sim.options", "--static\n--players=1\n--chat-every=0\n--fault=crash@1\n");
  ASSERT_TRUE(supervisor_.StartServer());
  for (int crash = 1; crash <= 3; ++crash) {
    ASSERT_TRUE(WaitServerGone(supervisor_.ServerPid())) << crash;
    clock_.AdvanceSeconds(10);
    supervisor_.MonitorTick();
  }
  EXPECT_EQ(supervisor_.RestartCount(), 3u);
  EXPECT_TRUE(LogHas("Server is in a restart loop, disabling auto-restart."));
  EXPECT_FALSE(supervisor_.ServerRunning());
  std::string log = game_.Read("Varnholt.log");
  size_t restarts = 0;
  for (size_t at = log.find("restarting the server."); at != std::string::npos;
       at = log.find("restarting the server.", at + 1)) {
    ++restarts;
  }
  EXPECT_EQ(restarts, 2u);
}

TEST_F(SupervisorE2ETest, AutoRestartOffLeavesItStopped) {
  auto_restart_ = false;
  ASSERT_TRUE(supervisor_.StartServer());
  int32_t pid = supervisor_.ServerPid();
  Control("crash");
  ASSERT_TRUE(WaitServerGone(pid));
  supervisor_.MonitorTick();
  EXPECT_TRUE(LogHas("Server has crashed"));
  EXPECT_TRUE(LogHas("Auto-restart is disabled, server will not be restarted."));
  EXPECT_FALSE(supervisor_.ServerRunning());
  // The monitor keeps ticking and does nothing more.
  supervisor_.MonitorTick();
  EXPECT_FALSE(supervisor_.ServerRunning());
}

TEST_F(SupervisorE2ETest, AStoppedProcessIsHungOnTheSecondUnansweredTest) {
  ASSERT_TRUE(supervisor_.StartServer());
  int32_t pid = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  console_.ConsoleDisconnect();
  clock_.AdvanceSeconds(600);
  kill(pid, SIGSTOP);
  ASSERT_TRUE(WaitUntil([&] { return ProcessState(pid) == 'T'; }));
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kRunning);
  auto_restart_ = false;
  supervisor_.MonitorTick();
  EXPECT_TRUE(LogHas("Server has hung"));
  EXPECT_TRUE(WaitServerGone(pid));
  EXPECT_TRUE(LogHas("Terminating server with extreme prejudice!"));
}

// A deadlock answers neither the console nor status queries: the console drops (and
// with it the identified status port), yet the hang test goes on asking that port.
TEST_F(SupervisorE2ETest, ADeadlockedServerIsHungAndRestartedAfterItsConsoleDropped) {
  ASSERT_TRUE(supervisor_.StartServer());
  int32_t first = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  ASSERT_NE(status_.StatusPort(), 0);
  clock_.AdvanceSeconds(600);
  supervisor_.MonitorTick();
  EXPECT_FALSE(LogHas("Server has hung"));

  Control("hang");
  // Status ticks until the console poll times out and the connection is dropped.
  ASSERT_TRUE(WaitUntil(
      [&] {
        supervisor_.MonitorServerStatus();
        return !console_.ConsoleConnected();
      },
      10000));
  EXPECT_TRUE(LogHas("(10060)"));
  EXPECT_TRUE(LogHas("Disconnected"));
  EXPECT_EQ(status_.StatusPort(), 0);
  // Alive and not stopped: only deadlocked.
  char state = ProcessState(first);
  ASSERT_TRUE(state == 'S' || state == 'R') << state;

  supervisor_.MonitorTick();
  EXPECT_FALSE(LogHas("Server has hung"));
  supervisor_.MonitorTick();
  EXPECT_TRUE(LogHas("Server has hung"));
  EXPECT_TRUE(LogHas("Auto-restart is enabled, restarting the server."));
  EXPECT_TRUE(WaitServerGone(first));
  EXPECT_TRUE(supervisor_.ServerRunning());
  EXPECT_NE(supervisor_.ServerPid(), first);
  // Nothing identified for the old server is carried over to the new one.
  EXPECT_EQ(status_.LastIdentifiedPort(), 0);
  // The new server answers and is left alone.
  ASSERT_TRUE(ConnectConsole());
  supervisor_.MonitorTick();
  supervisor_.MonitorTick();
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kRunning);
}

// A server that deadlocks before its console ever connected is asked on the configured
// status port.
TEST_F(SupervisorE2ETest, AServerHungFromTheStartIsFoundOnTheConfiguredPort) {
  game_.Write("ashfront-sim.options", "--static\n--players=1\n--chat-every=0\n--fault=hang\n");
  auto_restart_ = false;
  ASSERT_TRUE(supervisor_.StartServer());
  int32_t pid = supervisor_.ServerPid();
  // One unanswered test is not yet a hang.
  ServerProcessState state = supervisor_.GetServerProcessState();
  EXPECT_EQ(state, ServerProcessState::kRunning);
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kHung);
  supervisor_.StopServer();
  EXPECT_TRUE(WaitServerGone(pid));
}

// The Start/Stop action's hang test runs on the user-interface thread while the worker's
// status ticks query the same status client.
TEST_F(SupervisorE2ETest, HangTestsAndStatusTicksOnTwoThreadsAtOnce) {
  status_.SetStartDelay(0);
  ASSERT_TRUE(supervisor_.StartServer());
  ASSERT_TRUE(ConnectConsole());
  constexpr int kRounds = 150;
  std::atomic<int> not_running{0};
  std::thread worker([&] {
    for (int round = 0; round < kRounds; ++round) supervisor_.MonitorServerStatus();
  });
  for (int round = 0; round < kRounds; ++round) {
    if (supervisor_.GetServerProcessState() != ServerProcessState::kRunning) ++not_running;
  }
  worker.join();
  EXPECT_EQ(not_running.load(), 0);
  EXPECT_TRUE(console_.ConsoleConnected());
  EXPECT_NE(supervisor_.ServerVersion(), 0.0f);
}

TEST_F(SupervisorE2ETest, AVisibleWindowOfTheServerIsAPopup) {
  ASSERT_TRUE(supervisor_.StartServer());
  windows_.popup_pid = supervisor_.ServerPid();
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kPopup);
}

TEST_F(SupervisorE2ETest, ARunningServerIsAdoptedNotLaunchedAgain) {
  testing::ChildProcess running;
  // Started by hand (as after a restart of the manager), with its files in place.
  ASSERT_TRUE(
      files_.WriteServerSettingsFile(game_.Sub("Mods/ashfront/Settings/ServerSettings.con")));
  ASSERT_TRUE(
      files_.WriteServerAutoexecFile(game_.Sub("Mods/ashfront/Settings/ServerAutoexec.con")));
  ASSERT_TRUE(rotation_.SaveMapRotation(rotation_.GameMapListPath()));
  ASSERT_TRUE(running.Start(game_.Sub("ashfront_w32ded.exe"),
                            {"+restart", "1", "+dedicated", "1", "+hostServer", "0"},
                            game_.path()));
  int32_t pid = kAnyPid;
  ASSERT_TRUE(WaitUntil([&] {
    pid = kAnyPid;
    return process_.FindServerProcess(&pid);
  }));
  supervisor_.AdoptServer(pid);
  EXPECT_TRUE(LogHas("Server is already running, monitoring enabled."));
  ASSERT_TRUE(ConnectConsole());  // the adopted server's console is used too
  supervisor_.MonitorTick();
  EXPECT_EQ(supervisor_.ServerPid(), pid);
  EXPECT_FALSE(LogHas("Server started"));
  EXPECT_FALSE(LogHas("Server has crashed"));
}

TEST_F(SupervisorE2ETest, StatusTickFollowsPauseAndEndOfRound) {
  ASSERT_TRUE(supervisor_.StartServer());
  ASSERT_TRUE(ConnectConsole());
  supervisor_.MonitorServerStatus();
  EXPECT_FALSE(supervisor_.GamePaused());
  ASSERT_NE(console_.RunConsoleText("admin.toggleGamePause"), nullptr);
  supervisor_.MonitorServerStatus();
  EXPECT_TRUE(supervisor_.GamePaused());
  ASSERT_NE(console_.RunConsoleText("admin.toggleGamePause"), nullptr);
  supervisor_.MonitorServerStatus();
  EXPECT_FALSE(supervisor_.GamePaused());
  EXPECT_EQ(notified_, (std::vector<uint32_t>{0xBEEF0019, 0xBEEF001A}));
  EXPECT_NE(supervisor_.ServerVersion(), 0.0f);
  EXPECT_FALSE(LogHas("WARNING: This version of Varnholt is intended"));
}

TEST_F(SupervisorE2ETest, EndOfRoundLogsStatisticsOnceAndRunsAWaitingEvent) {
  int stats = 0;
  std::vector<int64_t> fired;
  SupervisorHooks hooks;
  hooks.log_player_stats = [&] { return ++stats > 0; };
  hooks.fire_scheduled_event = [&](int64_t t) { fired.push_back(t); };
  supervisor_.SetHooks(hooks);
  settings_.SetInt("manager.statCollection", 1);
  ASSERT_TRUE(supervisor_.StartServer());
  ASSERT_TRUE(ConnectConsole());
  supervisor_.SetPendingEvent(12345, supervisor_.ServerPid());
  supervisor_.MonitorServerStatus();
  EXPECT_TRUE(fired.empty());
  ASSERT_NE(console_.RunConsoleText("sim.end-round"), nullptr);
  supervisor_.MonitorServerStatus();
  supervisor_.MonitorServerStatus();
  EXPECT_EQ(stats, 1);
  EXPECT_EQ(fired, (std::vector<int64_t>{12345}));
  EXPECT_TRUE(LogHas("Player stats logged to CSV file."));
  EXPECT_EQ(rotation_.CurrentLevel(), "");
}

TEST_F(SupervisorE2ETest, AnEmptyServerGoesToTheIdleMapAfterAHundredTicks) {
  game_.Write("ashfront-sim.options", "--static\n--players=0\n--chat-every=0\n");
  game_.Write("Mods/ashfront/Settings/Maps.con", "ashfront,hue,15\r\nashfront,ridge,15\r\n");
  game_.Write("Mods/ashfront/Settings/ServerMapList.con",
              "game.addLevel hue GPM_CQ ashfront\r\ngame.setIdleLevel ridge GPM_COOP ashfront\r\n");
  ASSERT_TRUE(rotation_.LoadMapRotation(rotation_.ServerMapListPath(), false));
  status_.SetStartDelay(0);  // a hundred ticks without the query's pause
  ASSERT_TRUE(supervisor_.StartServer());
  EXPECT_EQ(rotation_.IdleLevel(), "ridge GPM_COOP ashfront");
  ASSERT_TRUE(ConnectConsole());
  auto change_map_queued = [&] {
    Command slots[kQueueSlots];
    queue_.Snapshot(slots);
    for (const Command& c : slots) {
      if (c.code == kCmdChangeMap && std::string(c.text) == "ridge GPM_COOP ashfront") return true;
    }
    return false;
  };
  for (int tick = 1; tick < 100; ++tick) supervisor_.MonitorServerStatus();
  EXPECT_FALSE(change_map_queued());
  supervisor_.MonitorServerStatus();
  EXPECT_TRUE(change_map_queued());
  EXPECT_TRUE(LogHas("Server is idle, changing to idle map combo ridge GPM_COOP ashfront."));
}

TEST_F(SupervisorE2ETest, AboveNormalPriorityIsSetAtLaunch) {
  if (geteuid() != 0) GTEST_SKIP() << "raising a priority needs root";
  SupervisorOptions options;
  options.above_normal = true;
  supervisor_.SetOptions(options);
  ASSERT_TRUE(supervisor_.StartServer());
  int nice_value = 0;
  ASSERT_TRUE(GetProcessNice(supervisor_.ServerPid(), &nice_value));
  EXPECT_EQ(nice_value, kNiceAboveNormal);
}

// A server run under Wine through the launch prefix is watched and stopped like any other;
// a Wine program of another file and a reader of the server file are never taken for it,
// not even when the server has gone and another one is looked for.
TEST_F(SupervisorE2ETest, AServerUnderWineIsWatchedAndOtherProgramsAreLeftAlone) {
  TempFolder wine, other_wine;
  testing::InstallWineStandIn(wine.path(), ASHFRONT_SIM_PATH);
  testing::InstallWineStandIn(other_wine.path(), "/usr/bin/tail");
  std::string server_file = game_.Sub("ashfront_w32ded.exe");
  testing::ChildProcess notepad, reader;
  ASSERT_TRUE(testing::StartWineLoader(&notepad, other_wine.path(), "C:\\windows\\notepad.exe",
                                       {"-f", server_file}, game_.path()));
  ASSERT_TRUE(reader.Start("/usr/bin/tail", {"-f", "ashfront_w32ded.exe"}, game_.path()));
  SupervisorOptions options;
  options.launch_prefix = {wine.Sub("wine")};
  supervisor_.SetOptions(options);

  ASSERT_TRUE(supervisor_.StartServer());
  int32_t pid = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kRunning);
  EXPECT_EQ(supervisor_.ServerPid(), pid);
  kill(pid, SIGKILL);
  ASSERT_TRUE(WaitServerGone(pid));
  EXPECT_EQ(supervisor_.GetServerProcessState(), ServerProcessState::kNotRunning);

  console_.ConsoleDisconnect();
  ASSERT_TRUE(supervisor_.StartServer());
  pid = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  supervisor_.StopServer();
  EXPECT_TRUE(WaitServerGone(pid));
  EXPECT_FALSE(notepad.Wait(100));
  EXPECT_FALSE(reader.Wait(100));
}

}  // namespace
}  // namespace varnholt
