// One row of the server schedule and how its texts are read: start or stop, whether it
// waits for the end of the game, and on which days it recurs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnholt {

inline constexpr size_t kMaxActionLength = 19;
inline constexpr size_t kMaxRecurrenceLength = 15;
inline constexpr size_t kMaxSchedulePathLength = 259;

inline constexpr const char* kActionStart = "Start server";
inline constexpr const char* kActionStartWait = "Start server (wait)";
inline constexpr const char* kActionStop = "Stop server";
inline constexpr const char* kActionStopWait = "Stop server (wait)";

struct ScheduledEvent {
  // Seconds since 1970 UTC; unique in the schedule. A recurring event uses only its local
  // time of day.
  int64_t time = 0;
  std::string action;      // "Start server", "Stop server (wait)", ...
  std::string recurrence;  // "None", "Daily", "Monday", ..., "Weekdays only", "Weekends only"
  // Relative to the settings folder; empty for stop events.
  std::string settings;
  std::string maplist;
  bool enabled = true;

  bool operator==(const ScheduledEvent&) const = default;
};

enum class Recurrence {
  kInvalid,
  kOnce,
  kDaily,
  kSunday,  // kSunday + n is weekday n (0 = Sunday ... 6 = Saturday)
  kMonday,
  kTuesday,
  kWednesday,
  kThursday,
  kFriday,
  kSaturday,
  kWeekdays,
  kWeekends,
};

// The kind named by the start of the text, ignoring case ("Wednesday" is "wed"); kInvalid
// for anything else, which makes the event inert.
Recurrence RecurrenceOf(std::string_view text);
// Whether a recurrence lets the event happen on a local weekday (0 = Sunday).
bool RecursOnWeekday(Recurrence recurrence, int weekday);

// Begins with "start", ignoring case; every other action stops.
bool IsStartEvent(const ScheduledEvent& event);
// Contains "wait" (case counts).
bool IsWaitEvent(const ScheduledEvent& event);

}  // namespace varnholt
