// Feeds arbitrary ServerSchedule.con texts to the reader. Every event read must fit its
// widths, have a unique time in range and name only files inside the settings folder; and
// writing the schedule and reading it back must give the same events.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "schedule/schedule_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ScheduleText parsed;
  int bad_line = 0;
  if (!ParseScheduleText(text, &parsed, &bad_line)) {
    if (bad_line <= 0) __builtin_trap();
    return 0;
  }
  if (parsed.events.size() > kMaxScheduledEvents) __builtin_trap();
  std::set<int64_t> times;
  for (const ScheduledEvent& e : parsed.events) {
    if (e.action.size() > kMaxActionLength || e.recurrence.size() > kMaxRecurrenceLength ||
        e.settings.size() > kMaxSchedulePathLength || e.maplist.size() > kMaxSchedulePathLength ||
        !IsSafeSchedulePath(e.settings) || !IsSafeSchedulePath(e.maplist) || e.time <= 0 ||
        e.time > kMaxEventTime || !times.insert(e.time).second) {
      __builtin_trap();
    }
    (void)RecursOnWeekday(RecurrenceOf(e.recurrence), 3);
  }
  ScheduleText back;
  if (!ParseScheduleText(FormatScheduleText(parsed.events), &back, &bad_line)) __builtin_trap();
  if (back.times_moved || back.events != parsed.events) __builtin_trap();
  return 0;
}
