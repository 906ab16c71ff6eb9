// The schedule driving a real ashfront-sim through the supervisor: a scheduled start event
// restarts the running server with its own settings and rotation, and a "(wait)" stop waits
// for the end of the round. The calendar clock is injected; the server runs in real time.
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
#include "schedule/schedule.h"
#include "settings/setting_def.h"
#include "settings/settings_files.h"
#include "supervisor/supervisor.h"
#include "support/free_port.h"
#include "support/supervised_sim_test.h"
#include "support/temp_folder.h"
#include "support/wait.h"

namespace varnholt {
namespace {

using testing::FreePort;
using testing::TempFolder;
using testing::WaitUntil;

class ScheduleE2ETest : public testing::SupervisedSimTest {
 protected:
  ScheduleE2ETest()
      : SupervisedSimTest("ashfront,hue,15\r\nashfront,ridge,15\r\n"),
        schedule_(log_, clock_, queue_, game_.Sub("Mods/ashfront/Settings"), Environment()) {
    SupervisorHooks hooks;
    hooks.auto_restart = [] { return true; };
    hooks.schedule_tick = [this] { return schedule_.ScheduleTick(); };
    hooks.fire_scheduled_event = [this](int64_t time) { schedule_.FireScheduledEvent(time); };
    supervisor_.SetHooks(hooks);
  }

  ScheduleEnvironment Environment() {
    ScheduleEnvironment env;
    env.server_running = [this] { return supervisor_.ServerRunning(); };
    env.server_pid = [this] { return supervisor_.ServerPid(); };
    env.start_server = [this] { return supervisor_.StartServer(); };
    env.stop_server = [this] { return supervisor_.StopServer(); };
    env.load_settings_file = [this](const std::string& path) {
      return files_.LoadSettingsFile(path, kAllPages, SettingsUser::LocalOperator(), true);
    };
    env.load_map_rotation = [this](const std::string& path) {
      rotation_.SetModeFilter(kAllModes);
      rotation_.SetModFilter(kAllMods);
      return rotation_.LoadMapRotation(path, supervisor_.ServerRunning());
    };
    env.server_map_list_path = [this] { return rotation_.ServerMapListPath(); };
    env.set_pending_event = [this](int64_t time, int32_t pid) {
      supervisor_.SetPendingEvent(time, pid);
    };
    env.monitor_period = [] { return 30; };
    return env;
  }

  void UseSchedule(const std::string& text) {
    ASSERT_TRUE(
        schedule_.LoadSchedule(game_.Write("Mods/ashfront/Settings/ServerSchedule.con", text)));
  }
  bool LogHas(const std::string& text) {
    return game_.Read("Varnholt.log").find(text) != std::string::npos;
  }
  bool ConnectConsole() {
    return WaitUntil([&] { return console_.ConsoleConnect(); }, 10000);
  }

  Schedule schedule_;
};

TEST_F(ScheduleE2ETest, AScheduledStartRestartsTheRunningServerWithItsOwnFiles) {
  settings_.SetText("game.serverName", "Evening server");
  ASSERT_TRUE(files_.SaveSettingsFile(game_.Sub("Mods/ashfront/Settings/Evening.con"), kAllPages));
  settings_.SetText("game.serverName", "Day server");
  game_.Write("Mods/ashfront/Settings/EveningMaps.con", "game.addLevel ridge GPM_CQ ashfront\r\n");
  const int64_t at = clock_.CalendarSeconds() + 60;
  UseSchedule(std::to_string(at) + ",Start server,Daily,evening.con,EveningMaps.con,1\n");

  ASSERT_TRUE(supervisor_.StartServer());
  const int32_t first = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  clock_.SetCalendarSeconds(at - 20);
  supervisor_.MonitorTick();
  EXPECT_FALSE(LogHas("Restarting server per scheduled event."));
  clock_.SetCalendarSeconds(at + 10);
  supervisor_.MonitorTick();
  EXPECT_TRUE(LogHas("Restarting server per scheduled event."));
  EXPECT_TRUE(supervisor_.ServerRunning());
  EXPECT_NE(supervisor_.ServerPid(), first);
  EXPECT_EQ(settings_.GetText("game.serverName"), "Evening server");
  EXPECT_EQ(game_.Read("Mods/ashfront/Settings/ServerMapList.con"),
            "game.addLevel ridge GPM_CQ ashfront\r\n");
  EXPECT_NE(game_.Read("Mods/ashfront/Settings/MapList.con").find("ridge"), std::string::npos);
  // A daily event stays enabled for tomorrow.
  EXPECT_TRUE(schedule_.Events()[0].enabled);
}

TEST_F(ScheduleE2ETest, AWaitingStopActsAfterTheEndOfTheRound) {
  const int64_t at = clock_.CalendarSeconds() + 60;
  UseSchedule(std::to_string(at) + ",Stop server (wait),None,*,*,1\n");
  ASSERT_TRUE(supervisor_.StartServer());
  const int32_t pid = supervisor_.ServerPid();
  ASSERT_TRUE(ConnectConsole());
  clock_.SetCalendarSeconds(at + 5);
  supervisor_.MonitorTick();
  supervisor_.MonitorServerStatus();
  EXPECT_TRUE(supervisor_.ServerRunning());
  ASSERT_NE(console_.RunConsoleText("sim.end-round"), nullptr);
  supervisor_.MonitorServerStatus();  // sees the end
  EXPECT_TRUE(supervisor_.ServerRunning());
  supervisor_.MonitorServerStatus();  // acts
  EXPECT_FALSE(supervisor_.ServerRunning());
  EXPECT_TRUE(LogHas("Stopping server per scheduled event."));
  EXPECT_TRUE(WaitUntil([&] {
    waitpid(pid, nullptr, WNOHANG);
    return ProcessState(pid) == '\0' || ProcessState(pid) == 'Z';
  }));
  EXPECT_FALSE(schedule_.Events()[0].enabled);
}

}  // namespace
}  // namespace varnholt
