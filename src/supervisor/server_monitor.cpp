// The monitor: every manager.monitorTimerPeriod seconds the server is checked for a crash, a
// hang or an error popup and restarted as the options allow, with restart-loop protection.
#include <optional>
#include <string>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/last_error.h"
#include "platform/process_launch.h"
#include "platform/processes.h"
#include "supervisor/supervisor.h"

namespace varnholt {
namespace {

constexpr int64_t kRestartLoopWindow = 60;  // seconds after a start in which failures count
constexpr uint32_t kRestartLoopLimit = 3;
constexpr uint32_t kHungAfterUnanswered = 2;

}  // namespace

void Supervisor::StartMonitorTimer() {
  int period = deps_.settings.GetInt("manager.monitorTimerPeriod");
  if (period < 10 || period > 60) period = 30;
  deps_.loop.Post([this, period] {
    if (monitor_timer_ != 0) deps_.loop.StopTimer(monitor_timer_);
    monitor_timer_ = deps_.loop.StartTimer(static_cast<uint32_t>(period) * 1000, [this] {
      deps_.queue.QueueUniqueCommand(kCmdMonitorTick, "", 0, 0);
    });
  });
}

void Supervisor::StopMonitorTimer() {
  deps_.loop.Post([this] {
    if (monitor_timer_ != 0) deps_.loop.StopTimer(monitor_timer_);
    monitor_timer_ = 0;
  });
}

ServerProcessState Supervisor::GetServerProcessState() {
  ReapChildren();
  int32_t pid = deps_.process.ServerPid();
  ClearLastError();
  if (!deps_.process.FindServerProcess(&pid)) {
    if (GetLastErrorCode() != 0) return ServerProcessState::kCannotTell;
    // The recorded server is gone; another server of this folder is adopted instead.
    int32_t any = kAnyPid;
    if (!deps_.process.FindServerProcess(&any)) {
      return GetLastErrorCode() != 0 ? ServerProcessState::kCannotTell
                                     : ServerProcessState::kNotRunning;
    }
    pid = any;
  }
  deps_.process.SetServerPid(pid);

  // Hang test, only for a server this program launched: stopped by a signal, or not
  // answering a status query within a second, counts as one unanswered test. The query goes
  // to the port last identified for this server, else the configured one, also after the
  // console has dropped: a deadlocked server answers neither, and the drop forgets StatusPort.
  ServerProcessState state = ServerProcessState::kRunning;
  if (pid == launched_pid_) {
    bool answered = ProcessState(pid) != 'T';
    uint16_t port = deps_.status.LastIdentifiedPort();
    if (port == 0) port = deps_.status.ConfiguredStatusPort();
    if (answered && port != 0)
      answered = deps_.status.QueryServerStatus(port, "\\info\\").has_value();
    if (answered) {
      unresponsive_count_ = 0;
    } else if (++unresponsive_count_ == kHungAfterUnanswered) {
      if (options_.debug)
        deps_.log.LogMessage(kSoundNone, "DEBUG: Server process is not responding.");
      state = ServerProcessState::kHung;
    }
  }
  std::string window;
  if (state == ServerProcessState::kRunning && deps_.windows.FindVisibleWindow(pid, &window)) {
    if (options_.debug) {
      deps_.log.LogMessage(kSoundNone, "DEBUG: Found server popup window pid=%i, class=%s.", pid,
                           window.c_str());
    }
    state = ServerProcessState::kPopup;
  }
  return state;
}

void Supervisor::MonitorTick() {
  StopMonitorTimer();
  std::unique_lock<std::recursive_mutex> lock(start_stop_mutex_);
  bool fired = hooks_.schedule_tick && hooks_.schedule_tick();
  if (!fired && ServerRunning()) {
    ServerProcessState state = GetServerProcessState();
    switch (state) {
      case ServerProcessState::kCannotTell:
        deps_.log.LogMessage(kSoundNone, "Couldn't get server process state!");
        break;
      case ServerProcessState::kNotRunning:
        crash_time_ = deps_.clock.CalendarSeconds();
        deps_.log.LogMessage(kSoundNone, "Server has crashed");
        Notify(kNotifyServerCrashed);
        break;
      case ServerProcessState::kHung:
        deps_.log.LogMessage(kSoundNone, "Server has hung");
        Notify(kNotifyServerHung);
        break;
      case ServerProcessState::kPopup:
        deps_.log.LogMessage(kSoundNone, "Server has a popup");
        Notify(kNotifyServerPopup);
        break;
      case ServerProcessState::kRunning:
        break;
    }
    if (state == ServerProcessState::kNotRunning || state == ServerProcessState::kHung ||
        state == ServerProcessState::kPopup) {
      StopServerKeepingCount(true);
      if (hooks_.auto_restart && !hooks_.auto_restart()) {
        deps_.log.LogMessage(kSoundNone, "Auto-restart is disabled, server will not be restarted.");
      } else {
        if (deps_.clock.CalendarSeconds() - server_start_time_ <= kRestartLoopWindow)
          ++restart_count_;
        if (restart_count_ < kRestartLoopLimit) {
          deps_.rotation.SetCurrentLevel(LastRunningLevel());
          deps_.log.LogMessage(kSoundNone, "Auto-restart is enabled, restarting the server.");
          automatic_start_ = true;
          StartServer();
          automatic_start_ = false;
        } else {
          deps_.log.LogMessage(kSoundNone, "Server is in a restart loop, disabling auto-restart.");
        }
      }
    } else {
      KeepPriority(state);
      RememberRunningLevel();
      if (deps_.console.HasCredentials() && state == ServerProcessState::kRunning &&
          deps_.link.ConsoleConnected() && hooks_.periodic_admin) {
        lock.unlock();
        hooks_.periodic_admin();
      }
    }
  }
  StartMonitorTimer();
}

void Supervisor::KeepPriority(ServerProcessState state) {
  if (!options_.above_normal || state == ServerProcessState::kCannotTell) return;
  int32_t pid = deps_.process.ServerPid();
  int nice_value = 0;
  if (!GetProcessNice(pid, &nice_value)) {
    deps_.log.LogMessage(kSoundNone, "Couldn't get server priority class! %s",
                         ErrorText(GetLastErrorCode()));
    return;
  }
  if (nice_value == kNiceAboveNormal) return;
  if (SetProcessNice(pid, kNiceAboveNormal)) {
    deps_.log.LogMessage(kSoundNone, "Raised server process to \"above normal\" priority class.");
  } else {
    deps_.log.LogMessage(kSoundNone, "Couldn't set server priority class! %s",
                         ErrorText(GetLastErrorCode()));
  }
}

bool Supervisor::StatusLookup(const char* key, std::string* value) {
  return deps_.link.GetQueryValue(key, value);
}

void Supervisor::RememberRunningLevel() {
  std::string level = deps_.rotation.GetRunningLevelText(
      true, ServerRunning(),
      [this](const char* key, std::string* value) { return StatusLookup(key, value); });
  if (level.empty() || level[0] == '-') return;
  if (level.size() > kMaxLevelSpecLength) level.resize(kMaxLevelSpecLength);
  std::lock_guard<std::mutex> lock(level_mutex_);
  last_running_level_ = level;
}

std::string Supervisor::LastRunningLevel() const {
  std::lock_guard<std::mutex> lock(level_mutex_);
  return last_running_level_;
}

}  // namespace varnholt
