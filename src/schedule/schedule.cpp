// The schedule's list: loading and saving ServerSchedule.con, and the page's edits.
#include "schedule/schedule.h"

#include <algorithm>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/confined_path.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "schedule/schedule_file.h"

namespace varnholt {
namespace {

// Texts that go into the file as fields: no separator, no line break.
bool IsFieldText(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ',') return false;
  }
  return true;
}

void SortByTime(std::vector<ScheduledEvent>* events) {
  std::sort(events->begin(), events->end(),
            [](const ScheduledEvent& a, const ScheduledEvent& b) { return a.time < b.time; });
}

}  // namespace

Schedule::Schedule(EventLog& log, const Clock& clock, CommandQueue& queue,
                   std::string settings_folder, ScheduleEnvironment env)
    : log_(log),
      clock_(clock),
      queue_(queue),
      settings_folder_(std::move(settings_folder)),
      env_(std::move(env)) {}

std::string Schedule::SchedulePath() const {
  return JoinPath(settings_folder_, kScheduleFile);
}

bool Schedule::LoadSchedule(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, &text, kMaxScheduleFileBytes)) {
    const uint32_t err = GetLastErrorCode();
    log_.LogMessage(kSoundNone,
                    err == kErrorInsufficientBuffer ? "Couldn't read event schedule file! %s"
                                                    : "Couldn't open event schedule file! %s",
                    ErrorText(err));
    SetLastErrorCode(err);
    return false;
  }
  ScheduleText parsed;
  int bad_line = 0;
  if (!ParseScheduleText(text, &parsed, &bad_line)) {
    log_.LogMessage(kSoundNone, "WARNING: Line %i of %s is not a valid event.", bad_line,
                    path.c_str());
    log_.LogMessage(kSoundNone, "Couldn't read event schedule file! %s",
                    ErrorText(kErrorInvalidData));
    SetLastErrorCode(kErrorInvalidData);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_ = std::move(parsed.events);
  }
  if (parsed.times_moved) {
    // Best effort: the schedule in memory is right either way; a failure is logged.
    SaveSchedule(path);
    Notify(kNotifyScheduleChanged);
  }
  ClearLastError();
  return true;
}

bool Schedule::SaveSchedule(const std::string& path) {
  const std::string text = FormatScheduleText(Events());
  if (!WriteWholeFile(path, text)) {
    const uint32_t err = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't open event schedule file! %s", ErrorText(err));
    SetLastErrorCode(err);
    return false;
  }
  return true;
}

std::vector<ScheduledEvent> Schedule::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

bool Schedule::FindEvent(int64_t time, ScheduledEvent* event) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const ScheduledEvent& e : events_) {
    if (e.time == time) {
      *event = e;
      return true;
    }
  }
  return false;
}

bool Schedule::ResolveEventFile(const std::string& relative, std::string* full) const {
  if (relative.empty()) {
    SetLastErrorCode(kErrorFileNotFound);
    return false;
  }
  if (!IsSafeSchedulePath(relative)) {
    SetLastErrorCode(kErrorAccessDenied);
    return false;
  }
  std::string path;
  if (!ResolveConfinedPath(settings_folder_, relative, &path)) return false;
  if (!FileExists(path)) {
    SetLastErrorCode(kErrorFileNotFound);
    return false;
  }
  *full = std::move(path);
  return true;
}

bool Schedule::AddEvent(const ScheduledEvent& event) {
  return SaveEvent(nullptr, event);
}

bool Schedule::ChangeEvent(int64_t time, const ScheduledEvent& event) {
  ScheduledEvent selected;
  if (!FindEvent(time, &selected)) {
    log_.LogMessage(kSoundError, "Couldn't save event! Event not found.");
    return false;
  }
  return SaveEvent(&selected, event);
}

bool Schedule::SaveEvent(const ScheduledEvent* selected, ScheduledEvent event) {
  ClearLastError();
  event.action = Cut(event.action, kMaxActionLength);
  event.recurrence = Cut(event.recurrence, kMaxRecurrenceLength);
  if (!IsStartEvent(event)) {
    event.settings.clear();
    event.maplist.clear();
  } else if (event.settings.empty()) {
    log_.LogMessage(kSoundError,
                    "Couldn't save event! You must specify a settings file for a 'start' event.");
    return false;
  } else if (event.maplist.empty()) {
    log_.LogMessage(kSoundError,
                    "Couldn't save event! You must specify a maplist file for a 'start' event.");
    return false;
  }
  if (!IsFieldText(event.action) || !IsFieldText(event.recurrence) ||
      RecurrenceOf(event.recurrence) == Recurrence::kInvalid) {
    log_.LogMessage(kSoundError, "Couldn't save event! The action or recurrence is not valid.");
    return false;
  }
  if (event.settings.size() > kMaxSchedulePathLength ||
      event.maplist.size() > kMaxSchedulePathLength || !IsSafeSchedulePath(event.settings) ||
      !IsSafeSchedulePath(event.maplist)) {
    log_.LogMessage(kSoundError,
                    "Couldn't save event! The settings and maplist files must lie inside the "
                    "settings folder.");
    return false;
  }
  if (event.time - clock_.CalendarSeconds() <= 0) {
    log_.LogMessage(kSoundError, "Couldn't save event! The selected date/time occurs in the past.");
    return false;
  }
  if (event.time > kMaxEventTime) {
    log_.LogMessage(kSoundError, "Couldn't save event! The selected date/time is not valid.");
    return false;
  }
  event.enabled = true;
  std::unique_lock<std::mutex> lock(mutex_);
  for (const ScheduledEvent& e : events_) {
    if (e.time == event.time && !(selected && e.time == selected->time)) {
      lock.unlock();
      log_.ShowMessage(kMessageError,
                       "Couldn't save event! An existing event already occurs at this "
                       "date/time.\n(Event date/times must differ by at least one second.)");
      return false;
    }
  }
  if (!selected && events_.size() >= kMaxScheduledEvents) {
    lock.unlock();
    log_.LogMessage(kSoundError, "Couldn't save event! The schedule is full.");
    return false;
  }
  bool replaced = false;
  if (selected) {
    for (ScheduledEvent& e : events_) {
      if (e.time == selected->time) {
        e = event;
        replaced = true;
        break;
      }
    }
  }
  if (!replaced) events_.push_back(event);
  SortByTime(&events_);
  dirty_ = true;
  return true;
}

bool Schedule::RemoveEvent(int64_t time) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(events_.begin(), events_.end(),
                         [time](const ScheduledEvent& e) { return e.time == time; });
  if (it == events_.end()) return false;
  events_.erase(it);
  dirty_ = true;
  return true;
}

bool Schedule::EnableEvent(int64_t time, bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (ScheduledEvent& e : events_) {
    if (e.time == time) {
      if (e.enabled != enabled) dirty_ = true;
      e.enabled = enabled;
      return true;
    }
  }
  return false;
}

bool Schedule::RefreshSchedule() {
  if (!LoadSchedule(SchedulePath())) return false;
  dirty_ = false;
  return true;
}

bool Schedule::ImportSchedule(const std::string& path) {
  if (!LoadSchedule(path)) return false;
  dirty_ = true;
  return true;
}

void Schedule::Notify(uint32_t code) {
  queue_.QueueCommand(kCmdNotifyAll, std::to_string(static_cast<int32_t>(code)), kOriginLocal, 0);
}

}  // namespace varnholt
