// The server schedule: start, restart and stop events at set times, once or recurring, with
// warnings to the players before a restart or stop, and "(wait)" events that act when the
// running game ends. Stored in ServerSchedule.con of the settings folder; the files a start
// event names are confined to that folder, as a schedule may come from a remote client.
//
// Threads: the page operations (Add, Change, Remove, Enable, Import, Export) run on the
// user-interface thread; ScheduleTick, FireScheduledEvent and the loads of a remote upload
// run on the worker. events_ is guarded by mutex_, held only to copy events in or out,
// never across file I/O or a server start. The tick's memory (checked_until_, handled_) is
// the worker's alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/command_queue.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "schedule/scheduled_event.h"

namespace varnholt {

inline constexpr const char* kScheduleFile = "ServerSchedule.con";
// A tick that comes later than this after the previous one (a suspended machine, a clock
// set forward) makes up no more than one monitor period, as after a start.
inline constexpr int64_t kMaxCatchUpSeconds = 3600;
inline constexpr uint32_t kRestartPauseMs = 3000;

// What the schedule needs of the rest of the program; an empty hook means "not running",
// "no server", or "did nothing".
struct ScheduleEnvironment {
  std::function<bool()> server_running = {};
  std::function<int32_t()> server_pid = {};
  std::function<bool()> start_server = {};
  std::function<bool()> stop_server = {};
  // Loads a server settings file for every page, in the local user's name, audited.
  std::function<bool(const std::string& path)> load_settings_file = {};
  // Shows every mode and mod and loads the map rotation from the file.
  std::function<bool(const std::string& path)> load_map_rotation = {};
  std::function<std::string()> server_map_list_path = {};
  // Hands a due "(wait)" event to the status tick.
  std::function<void(int64_t time, int32_t pid)> set_pending_event = {};
  std::function<bool()> admin_messages = {};  // the AdminMessages option
  std::function<int()> monitor_period = {};   // manager.monitorTimerPeriod, seconds
};

class Schedule {
 public:
  Schedule(EventLog& log, const Clock& clock, CommandQueue& queue, std::string settings_folder,
           ScheduleEnvironment env);
  Schedule(const Schedule&) = delete;
  Schedule& operator=(const Schedule&) = delete;

  void SetDebug(bool on) { debug_ = on; }
  std::string SchedulePath() const;

  // Replaces the schedule with the file's events; on any failure the schedule is left as it
  // was. Times made unique are written back at once and announced to clients.
  bool LoadSchedule(const std::string& path);
  // Writes every event through a temporary file and a rename.
  bool SaveSchedule(const std::string& path);

  // Monitor tick: warns, defers or fires what is due since the previous tick. True when an
  // event fired (the rest of the monitor tick is skipped).
  bool ScheduleTick();
  bool FireScheduledEvent(int64_t time);

  // Page operations. A saved event is enabled and the list kept in time order; failures are
  // logged (or shown) with the reason and change nothing.
  std::vector<ScheduledEvent> Events() const;
  bool AddEvent(const ScheduledEvent& event);
  bool ChangeEvent(int64_t time, const ScheduledEvent& event);
  bool RemoveEvent(int64_t time);
  bool EnableEvent(int64_t time, bool enabled);
  bool ImportSchedule(const std::string& path);
  // The page refresh: the events of ServerSchedule.con again, dropping unsaved edits. The
  // caller reports a failure as "Couldn't refresh server schedule!".
  bool RefreshSchedule();
  bool ExportSchedule(const std::string& path) { return SaveSchedule(path); }

  bool Dirty() const { return dirty_.load(); }
  void ClearDirty() { dirty_ = false; }
  // The current time by the schedule's clock, for the page's default date and time.
  int64_t Now() const { return clock_.CalendarSeconds(); }

  // The full path of a file an event names, when it lies inside the settings folder.
  bool ResolveEventFile(const std::string& relative, std::string* full) const;

 private:
  bool SaveEvent(const ScheduledEvent* selected, ScheduledEvent event);
  bool FindEvent(int64_t time, ScheduledEvent* event) const;
  bool ResolveScheduledFile(const std::string& relative, std::string* full);
  bool PrepareStart(const ScheduledEvent& event);
  void Warn(const ScheduledEvent& event, int64_t diff);
  void Say(const char* format);
  void Notify(uint32_t code);
  void DebugEvent(size_t index, int64_t now, int64_t occurrence, const char* result);
  bool Running() const { return env_.server_running && env_.server_running(); }

  // Fixed by construction.
  EventLog& log_;
  const Clock& clock_;
  CommandQueue& queue_;
  const std::string settings_folder_;
  const ScheduleEnvironment env_;
  std::atomic<bool> debug_{false};

  mutable std::mutex mutex_;
  std::vector<ScheduledEvent> events_;  // guarded by mutex_
  std::atomic<bool> dirty_{false};

  // Worker only: the end of the span the last complete tick examined, and the occurrences
  // already acted on, (event time, local day or a one-time event's own time) -> moment, so
  // none fires twice when spans overlap.
  int64_t checked_until_ = 0;
  std::map<std::pair<int64_t, int64_t>, int64_t> handled_;
};

}  // namespace varnholt
