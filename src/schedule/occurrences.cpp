#include "schedule/occurrences.h"

#include "schedule/time_conversions.h"

namespace varnholt {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Today and the seven days after it: every weekly recurrence comes round in that span.
constexpr int kDatesToTry = 8;

}  // namespace

Occurrence NextOccurrence(const ScheduledEvent& event, int64_t after) {
  const Recurrence recurrence = RecurrenceOf(event.recurrence);
  if (recurrence == Recurrence::kInvalid) return {};
  if (recurrence == Recurrence::kOnce) {
    // Its own time names it: a one-time event has only the one.
    return event.time > after ? Occurrence{event.time, event.time} : Occurrence{};
  }
  CalendarFields time_of_day;
  CalendarFields start;
  if (!SecondsToLocalFields(event.time, &time_of_day) || !SecondsToLocalFields(after, &start)) {
    return {};
  }
  // Dates are stepped as plain calendar days (UTC arithmetic on a date has no zone).
  CalendarFields date_only;
  date_only.year = start.year;
  date_only.month = start.month;
  date_only.day = start.day;
  const int64_t first_day = UtcFieldsToSeconds(date_only);
  for (int i = 0; i < kDatesToTry; ++i) {
    const CalendarFields date = SecondsToUtcFields(first_day + i * kSecondsPerDay);
    if (!RecursOnWeekday(recurrence, date.weekday)) continue;
    CalendarFields local = date;
    local.hour = time_of_day.hour;
    local.minute = time_of_day.minute;
    local.second = time_of_day.second;
    int64_t occurrence = 0;
    if (!LocalFieldsToSeconds(local, &occurrence)) continue;
    if (occurrence > after) return {occurrence, first_day / kSecondsPerDay + i};
  }
  return {};
}

}  // namespace varnholt
