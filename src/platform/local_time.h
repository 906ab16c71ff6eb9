// Local time by the system's zone rules: TZ when it is set, else /etc/localtime. The rules
// are looked up afresh on every call, so a changed TZ takes effect at once.
#pragma once

#include <cstdint>

namespace varnholt {

// Calendar fields; month 1-12, weekday 0 = Sunday.
struct CalendarFields {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t weekday = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t millisecond = 0;

  bool operator==(const CalendarFields&) const = default;
};

// Seconds since 1970-01-01 UTC to local fields; false (error 87) when the time cannot be
// represented.
bool SystemLocalFields(int64_t seconds, CalendarFields* local);
// Local fields to seconds since 1970-01-01 UTC. A local time that occurs twice (the hour
// the clocks go back) or never (the hour they go forward) is resolved as the C library does.
bool SystemLocalToSeconds(const CalendarFields& local, int64_t* seconds);

}  // namespace varnholt
