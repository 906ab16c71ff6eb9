// The server supervisor: starts and stops the game server process, watches it for a crash,
// a hang or an error popup and restarts it (with protection against restart loops), and
// runs the short status tasks while it runs.
//
// Threads: MonitorTick and MonitorServerStatus run on the worker; StartServer, StopServer
// and ToggleServer may also be called on the user-interface thread (the Start/Stop action,
// the instance quit message, shutdown). One recursive lock makes every start and stop run
// alone, so two threads never launch or stop the server at the same time. Timers live on
// the user-interface thread's loop and are armed and killed through Post.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/command_queue.h"
#include "core/game_link.h"
#include "core/interface_list.h"
#include "gamelink/console_client.h"
#include "gamelink/status_query.h"
#include "log/event_log.h"
#include "maps/map_rotation.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/window_probe.h"
#include "settings/settings_files.h"
#include "settings/settings_table.h"
#include "supervisor/server_process.h"

namespace varnholt {

enum class ServerProcessState {
  kNotRunning = 0,
  kRunning = 1,
  kHung = 2,
  kPopup = 3,
  kCannotTell = 4
};

// Console commands and status values go through the game link, as in every subsystem. The
// clients themselves are here because the supervisor drives the link's lifecycle: the console
// credentials, connecting, disconnecting and polling its output, forgetting the identified
// status ports at a start and stop, the status tick's "\info\" query that refreshes the reply
// GetQueryValue reads, and the hang test's own queries.
struct SupervisorDeps {
  EventLog& log;
  const Clock& clock;
  EventLoop& loop;
  CommandQueue& queue;
  SettingsTable& settings;
  SettingsFiles& settings_files;
  MapRotation& rotation;
  InterfaceList& interfaces;
  GameLink& link;
  ConsoleClient& console;
  StatusQuery& status;
  WindowProbe& windows;
  ServerProcess& process;
  std::string game_folder;
  std::string settings_folder;
};

struct SupervisorOptions {
  bool above_normal = false;  // -abovenormal
  bool debug = false;         // -debug
  uint16_t listen_port = 15667;
  std::vector<std::string> launch_prefix;  // words put before the server on every launch
};

// Work of other subsystems that the ticks drive; any may be empty.
struct SupervisorHooks {
  std::function<bool()> auto_restart;      // the AutoRestart option
  std::function<bool()> save_all_changes;  // before a start from the Start button
  std::function<bool()> schedule_tick;     // true when a scheduled event fired
  std::function<void()> periodic_admin;    // player list, status, expiry, announcements, rules
  std::function<bool()> log_player_stats;  // end of a game
  std::function<void(int64_t)> fire_scheduled_event;
  std::function<void(const char*)> start_button_text;
  std::function<void(const char*)> pause_button_text;
  std::function<void(uint32_t code)> notify_clients;  // from the worker, without data
  std::function<void()> server_stopped;               // team summaries back to "??"
};

class Supervisor {
 public:
  explicit Supervisor(SupervisorDeps deps);
  void SetHooks(SupervisorHooks hooks) { hooks_ = std::move(hooks); }
  // The command-line choices, known once the command line is read.
  void SetOptions(SupervisorOptions options) { options_ = options; }

  // Launch and stop.
  bool StartServer();
  bool StopServer();
  bool ToggleServer();
  // A start asked for by a user begins a new count of quick restarts.
  void ResetRestartCount();
  // Takes a server found running at start-up into care.
  void AdoptServer(int32_t pid);

  // The monitor.
  void StartMonitorTimer();
  void StopMonitorTimer();
  void MonitorTick();
  ServerProcessState GetServerProcessState();

  // The status timer.
  void StartStatusTimer();
  void StopStatusTimer();
  void MonitorServerStatus();

  bool ServerRunning() const { return deps_.process.ServerRunning(); }
  int32_t ServerPid() const { return deps_.process.ServerPid(); }
  bool GamePaused() const { return game_paused_; }
  void SetGamePaused(bool paused) { game_paused_ = paused; }
  bool PunkBusterEnabled() const { return punkbuster_enabled_; }
  float ServerVersion() const { return server_version_; }
  void ForgetServerVersion() { server_version_ = 0; }
  int64_t CrashTime() const { return crash_time_; }
  uint32_t RestartCount() const { return restart_count_; }
  std::string LastRunningLevel() const;

  // A deferred "(wait)" event of the schedule.
  void SetPendingEvent(int64_t time, int32_t pid);

 private:
  bool ValidateStart();
  bool WriteServerFiles();
  bool LaunchServer();
  bool StopServerKeepingCount(bool keep_restart_count);
  void KeepPriority(ServerProcessState state);
  void RememberRunningLevel();
  void Notify(uint32_t code);
  bool StartFailed(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool StatusLookup(const char* key, std::string* value);

  // Fixed before the worker and the timers start (construction, SetOptions, SetHooks);
  // read-only afterwards, so any thread reads them without a lock.
  SupervisorDeps deps_;
  SupervisorOptions options_;
  SupervisorHooks hooks_;
  // Makes every start, stop, adoption and monitor tick run alone, whichever thread calls.
  std::recursive_mutex start_stop_mutex_;
  // Guarded by start_stop_mutex_. Set while the monitor restarts the server: failures are
  // logged, not shown in a box that would hold the worker until someone answers it.
  bool automatic_start_ = false;

  // Owned by the user-interface thread (changed only through Post).
  EventLoop::TimerId monitor_timer_ = 0;
  EventLoop::TimerId status_timer_ = 0;

  // Written under start_stop_mutex_ (worker or user-interface thread); atomic so that the
  // other thread and the accessors read them without the lock.
  std::atomic<int32_t> launched_pid_{0};
  std::atomic<int64_t> server_start_time_{0};
  std::atomic<uint32_t> restart_count_{0};
  // Guarded by start_stop_mutex_ (the hang test of the monitor tick, reset by a launch,
  // an adoption or a start found running).
  uint32_t unresponsive_count_ = 0;
  // Written by the monitor tick (worker, under start_stop_mutex_); read by any thread.
  std::atomic<int64_t> crash_time_{0};
  // The level the running server played last: written by the worker's monitor tick, read
  // by any thread, under level_mutex_.
  mutable std::mutex level_mutex_;
  std::string last_running_level_;

  // Written by the worker (status tick, the pause Command); read by any thread.
  std::atomic<bool> game_paused_{false};
  // Worker only (status tick): the end-of-game statistics and the idle-map count.
  bool stats_logged_ = false;
  uint32_t idle_ticks_ = 0;
  // Reset by start and stop under start_stop_mutex_, learnt by the worker's status tick;
  // read by any thread.
  std::atomic<float> server_version_{0};
  // Written by the worker's status tick; read by any thread.
  std::atomic<bool> punkbuster_enabled_{false};
  // Worker only: the deferred schedule event, set by SetPendingEvent from a Command and
  // fired by the status tick.
  int64_t pending_event_time_ = 0;
  int32_t pending_event_pid_ = 0;
  bool end_of_game_seen_ = false;
};

}  // namespace varnholt
