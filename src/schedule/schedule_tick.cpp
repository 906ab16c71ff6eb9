// The schedule's clockwork: the monitor tick's warnings, deferred "(wait)" events and due
// events, and the firing of an event (loading a start event's files, then starting,
// restarting or stopping the server).
#include <cinttypes>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "schedule/occurrences.h"
#include "schedule/schedule.h"

namespace varnholt {
namespace {

constexpr const char* kChatPrefix = "[VRNH]";
constexpr int kDefaultMonitorPeriod = 30;
constexpr size_t kMaxMapListBytes = 4u * 1024u * 1024u;
constexpr int64_t kForgetHandledSeconds = 2 * 86400;

struct WarningBand {
  int64_t above;
  int64_t up_to;
  const char* start_text;
  const char* stop_text;
};

constexpr WarningBand kWarnings[] = {
    {120, 180, "%s Server is scheduled to restart in three minutes!",
     "%s Server is scheduled to stop in three minutes!"},
    {60, 120, "%s Server is scheduled to restart in two minutes!",
     "%s Server is scheduled to stop in two minutes!"},
    {0, 60, "%s Server is scheduled to restart in one minute or less!",
     "%s Server is scheduled to stop in one minute or less!"},
};

}  // namespace

void Schedule::Say(const char* format) {
  const bool server_message = !env_.admin_messages || env_.admin_messages();
  queue_.QueueCommand(server_message ? kCmdServerMessage : kCmdChat,
                      FormatText(kCommandTextSize - 1, format, kChatPrefix), kOriginLocal, 0);
}

void Schedule::Warn(const ScheduledEvent& event, int64_t diff) {
  for (const WarningBand& band : kWarnings) {
    if (diff > band.above && diff <= band.up_to) {
      Say(IsStartEvent(event) ? band.start_text : band.stop_text);
      return;
    }
  }
}

void Schedule::DebugEvent(size_t index, int64_t now, int64_t occurrence, const char* result) {
  if (!debug_) return;
  log_.LogMessage(
      kSoundNone, "DEBUG: Event %i, clock=%" PRId64 ", event=%" PRId64 ", diff=%.0f, result=%s",
      static_cast<int>(index), now, occurrence, static_cast<double>(occurrence - now), result);
}

bool Schedule::ScheduleTick() {
  const int64_t now = clock_.CalendarSeconds();
  int64_t period = env_.monitor_period ? env_.monitor_period() : kDefaultMonitorPeriod;
  if (period <= 0) period = kDefaultMonitorPeriod;
  // The span examined runs from the end of the last complete tick, so an event between two
  // ticks is never lost to a late tick; at the first tick, after a long gap or when the clock
  // went back it is one monitor period, and nothing older is made up.
  int64_t from = now - period;
  if (checked_until_ != 0 && checked_until_ <= now && now - checked_until_ <= kMaxCatchUpSeconds &&
      checked_until_ < from) {
    from = checked_until_;
  }
  // Forget what was acted on two days ago: the span examined never reaches that far back.
  for (auto it = handled_.begin(); it != handled_.end();) {
    it = it->second < now - kForgetHandledSeconds ? handled_.erase(it) : std::next(it);
  }
  const bool running = Running();
  const std::vector<ScheduledEvent> events = Events();
  for (size_t i = 0; i < events.size(); ++i) {
    const ScheduledEvent& event = events[i];
    if (!event.enabled || RecurrenceOf(event.recurrence) == Recurrence::kInvalid) {
      DebugEvent(i, now, event.time, "skipped");
      continue;
    }
    const bool wait = IsWaitEvent(event) && running;
    Occurrence due = NextOccurrence(event, from);
    while (due.at != 0 && due.at <= now && handled_.count({event.time, due.day}) != 0) {
      due = NextOccurrence(event, due.at);
    }
    const Occurrence upcoming = NextOccurrence(event, now);
    if (running && !wait && upcoming.at != 0 && handled_.count({event.time, upcoming.day}) == 0) {
      Warn(event, upcoming.at - now);
    }
    if (due.at == 0 || due.at > now) {
      DebugEvent(i, now, upcoming.at, "skipped");
      continue;
    }
    handled_[{event.time, due.day}] = due.at;
    if (wait) {
      if (env_.set_pending_event) {
        env_.set_pending_event(event.time, env_.server_pid ? env_.server_pid() : 0);
      }
      Say(IsStartEvent(event) ? "%s Server is scheduled to restart at the end of this game!"
                              : "%s Server is scheduled to stop at the end of this game!");
      DebugEvent(i, now, due.at, "deferred");
      checked_until_ = from;  // the events after this one still have this span to examine
      return false;
    }
    checked_until_ = from;
    FireScheduledEvent(event.time);
    DebugEvent(i, now, due.at, "fired");
    return true;
  }
  checked_until_ = now;
  return false;
}

bool Schedule::ResolveScheduledFile(const std::string& relative, std::string* full) {
  if (ResolveEventFile(relative, full)) return true;
  // A missing file is reported by the caller; one that leads elsewhere is worth a line.
  if (GetLastErrorCode() == kErrorAccessDenied) {
    log_.LogMessage(kSoundNone, "WARNING: Scheduled file %s is not inside the settings folder.",
                    relative.c_str());
  }
  return false;
}

bool Schedule::PrepareStart(const ScheduledEvent& event) {
  std::string settings;
  bool loaded = ResolveScheduledFile(event.settings, &settings);
  loaded = loaded && env_.load_settings_file && env_.load_settings_file(settings);
  if (!loaded) {
    log_.LogMessage(kSoundNone,
                    "Couldn't execute scheduled start event! Couldn't load the specified server "
                    "settings file %s.",
                    event.settings.c_str());
    return false;
  }
  std::string maplist;
  loaded = ResolveScheduledFile(event.maplist, &maplist);
  loaded = loaded && env_.load_map_rotation && env_.load_map_rotation(maplist);
  if (!loaded) {
    log_.LogMessage(kSoundNone,
                    "Couldn't execute scheduled start event! Couldn't load the specified map list "
                    "file %s.",
                    event.maplist.c_str());
    return false;
  }
  const std::string server_list = env_.server_map_list_path ? env_.server_map_list_path() : "";
  if (!server_list.empty() && !EqualsNoCase(maplist, server_list)) {
    std::string text;
    if (!ReadWholeFile(maplist, &text, kMaxMapListBytes) || !WriteWholeFile(server_list, text)) {
      log_.LogMessage(kSoundNone, "Couldn't copy the specified map list file! %s",
                      ErrorText(GetLastErrorCode()));
      return false;
    }
  }
  Notify(kNotifyRotationChanged);
  return true;
}

bool Schedule::FireScheduledEvent(int64_t time) {
  ScheduledEvent event;
  if (!FindEvent(time, &event)) {
    log_.LogMessage(kSoundNone, "Couldn't fire scheduled event! Event not found.");
    return false;
  }
  if (IsStartEvent(event)) {
    if (!PrepareStart(event)) return false;
    if (Running()) {
      log_.LogMessage(kSoundNone, "Restarting server per scheduled event.");
      if (env_.stop_server) env_.stop_server();
      clock_.SleepMs(kRestartPauseMs);
    } else {
      log_.LogMessage(kSoundNone, "Starting server per scheduled event.");
    }
    if (env_.start_server) env_.start_server();
  } else {
    log_.LogMessage(kSoundNone, "Stopping server per scheduled event.");
    if (env_.stop_server) env_.stop_server();
  }
  const Recurrence recurrence = RecurrenceOf(event.recurrence);
  if (recurrence == Recurrence::kOnce) EnableEvent(time, false);
  return recurrence != Recurrence::kInvalid;
}

}  // namespace varnholt
