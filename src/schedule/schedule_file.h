// The text of ServerSchedule.con: one event a line, "time,action,recurrence,settings,
// maplist,enabled", with "*" for an empty path. Pure text work, so that what a client sends
// can be read without touching a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/scheduled_event.h"

namespace varnholt {

// Bounds on what a schedule file may hold; a larger file is refused whole.
inline constexpr size_t kMaxScheduleFileBytes = 1024 * 1024;
inline constexpr size_t kMaxScheduledEvents = 1000;
// 9999-12-31 23:59:59 UTC: the last second the calendar conversions place.
inline constexpr int64_t kMaxEventTime = 253402300799;

struct ScheduleText {
  std::vector<ScheduledEvent> events;
  // Some times were moved on by whole seconds to keep them unique.
  bool times_moved = false;
};

// Reads every line. Empty lines and lines with fewer than six fields are skipped. A line
// whose time is not a number of seconds in range, or that names a file outside the settings
// folder (see IsSafeSchedulePath), makes the whole text invalid: false with `bad_line` set to
// its number (from 1), so the caller keeps the schedule it had. More than
// kMaxScheduledEvents events are invalid as well. Equal times are moved on by one second.
bool ParseScheduleText(std::string_view text, ScheduleText* result, int* bad_line);

// The file text of the events, in their order.
std::string FormatScheduleText(const std::vector<ScheduledEvent>& events);

// A path a schedule may name: empty, or relative to the settings folder without any ".."
// piece, drive letter, control character or comma. "\" counts as a separator.
bool IsSafeSchedulePath(std::string_view path);

}  // namespace varnholt
