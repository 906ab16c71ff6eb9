// Local time by the system's zone rules: TZ when it is set, else /etc/localtime. The rules
// are looked up afresh on every call, so a changed TZ takes effect at once. Used for display,
// input and file stamps only; the program keeps calendar times as seconds since 1970 UTC.
#pragma once

#include <cstdint>
#include <string>

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

// `seconds` as local time in a strftime format; empty when the result does not fit 63
// characters.
std::string FormatLocalTime(int64_t seconds, const char* format);

// The stamp at the head of the program's log lines: the locale's date, a blank, and
// hours:minutes:seconds ("12/08/26 14:05:09").
std::string LogStamp(int64_t seconds);

}  // namespace varnholt
