// The status timer: every 3 seconds while the server runs, keep the remote console
// connected and drained, follow pause and end of game, switch an empty server to the idle
// map, and learn the server's version and whether PunkBuster is on.
#include <cstdlib>
#include <optional>
#include <string>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/last_error.h"
#include "supervisor/supervisor.h"

namespace varnholt {
namespace {

constexpr uint32_t kStatusPeriodMs = 3000;
constexpr uint32_t kIdleTicksForIdleMap = 100;
constexpr float kExpectedServerVersion = 1.1f;

bool ValueOf(const std::string& reply, const char* key, std::string* value) {
  std::optional<std::string> found = StatusQuery::GetQueryValue(reply, key);
  if (!found) return false;
  *value = std::move(*found);
  return true;
}

}  // namespace

void Supervisor::StartStatusTimer() {
  deps_.loop.Post([this] {
    if (status_timer_ != 0) deps_.loop.StopTimer(status_timer_);
    status_timer_ = deps_.loop.StartTimer(
        kStatusPeriodMs, [this] { deps_.queue.QueueUniqueCommand(kCmdStatusTick, "", 0, 0); });
  });
}

void Supervisor::StopStatusTimer() {
  deps_.loop.Post([this] {
    if (status_timer_ != 0) deps_.loop.StopTimer(status_timer_);
    status_timer_ = 0;
  });
}

void Supervisor::SetPendingEvent(int64_t time, int32_t pid) {
  pending_event_time_ = time;
  pending_event_pid_ = pid;
  end_of_game_seen_ = false;
}

void Supervisor::MonitorServerStatus() {
  StopStatusTimer();
  bool running = ServerRunning();
  // Console upkeep: polling is what brings the players' chat in.
  if (deps_.console.HasCredentials()) {
    if (deps_.link.ConsoleConnected()) {
      deps_.console.PollConsoleOutput();
    } else if (running) {
      deps_.queue.QueueUniqueCommand(kCmdConsoleConnect, "", 0, 0);
    }
  }
  if (end_of_game_seen_ ||
      (pending_event_time_ != 0 && deps_.process.ServerPid() != pending_event_pid_)) {
    int64_t time = pending_event_time_;
    pending_event_time_ = 0;
    pending_event_pid_ = 0;
    end_of_game_seen_ = false;
    if (hooks_.fire_scheduled_event) hooks_.fire_scheduled_event(time);
  }
  if (running && deps_.link.ConsoleConnected()) {
    ClearLastError();
    // Values are read from this query's own reply: the user-interface thread may query
    // meanwhile and replace StatusReply.
    std::optional<std::string> reply =
        deps_.status.QueryServerStatus(deps_.status.StatusPort(), "\\info\\");
    if (!reply) {
      uint32_t err = GetLastErrorCode();
      if (options_.debug && err != kErrorInvalidParameter && err != kWsaConnectionReset &&
          err != kWsaTimedOut) {
        deps_.log.LogMessage(kSoundNone,
                             "DEBUG: MonitorServerStatus: Couldn't get server status! %s",
                             ErrorText(err));
      }
    } else {
      std::string value;
      if (ValueOf(*reply, "gamemode", &value)) {
        if (EqualsNoCase(value, "end")) {
          deps_.rotation.SetCurrentLevel("");
          if (deps_.settings.GetBool("manager.statCollection") && !stats_logged_ &&
              hooks_.log_player_stats) {
            ClearLastError();
            if (hooks_.log_player_stats()) {
              deps_.log.LogMessage(kSoundNone, "Player stats logged to CSV file.");
              stats_logged_ = true;
            } else if (GetLastErrorCode() != 0) {
              deps_.log.LogMessage(kSoundNone, "Couldn't log player stats to CSV file! %s",
                                   ErrorText(GetLastErrorCode()));
            }
          }
          if (pending_event_time_ != 0) end_of_game_seen_ = true;
        } else {
          stats_logged_ = false;
          bool paused = EqualsNoCase(value, "pause");
          if (hooks_.pause_button_text) hooks_.pause_button_text(paused ? "Unpause" : "Pause");
          if (paused != game_paused_) {
            if (hooks_.notify_clients)
              hooks_.notify_clients(paused ? kNotifyPaused : kNotifyUnpaused);
            game_paused_ = paused;
          }
        }
      }
      if (ValueOf(*reply, "numplayers", &value)) {
        idle_ticks_ = (!value.empty() && value[0] == '0') ? idle_ticks_ + 1 : 0;
        std::string idle_level = deps_.rotation.IdleLevel();
        if (idle_ticks_ >= kIdleTicksForIdleMap && !idle_level.empty()) {
          if (!EqualsNoCase(LastRunningLevel(), idle_level)) {
            deps_.queue.QueueCommand(kCmdChangeMap, idle_level, 0, 0);
            deps_.log.LogMessage(kSoundNone, "Server is idle, changing to idle map combo %s.",
                                 idle_level.c_str());
          }
          idle_ticks_ = 0;
        }
      }
      if (server_version_ == 0) {
        if (ValueOf(*reply, "sv_punkbuster", &value)) {
          punkbuster_enabled_ = atoi(value.c_str()) != 0;
          if (options_.debug) {
            deps_.log.LogMessage(kSoundNone, punkbuster_enabled_
                                                 ? "DEBUG: PunkBuster is enabled."
                                                 : "DEBUG: PunkBuster is disabled.");
          }
        }
        if (ValueOf(*reply, "gamever", &value) && !value.empty()) {
          float version = strtof(value.c_str() + 1, nullptr);
          server_version_ = version;
          if (options_.debug) {
            deps_.log.LogMessage(kSoundNone, "DEBUG: Detected server version %.2f.", version);
          }
          if (version != kExpectedServerVersion) {
            deps_.log.LogMessage(kSoundNone,
                                 "WARNING: This version of Varnholt is intended for AF v%.2f and "
                                 "may not work correctly with this v%.2f server.",
                                 static_cast<double>(kExpectedServerVersion),
                                 static_cast<double>(version));
          }
        }
      }
    }
  }
  if (ServerRunning()) StartStatusTimer();
}

}  // namespace varnholt
