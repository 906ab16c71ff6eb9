// Conversions between calendar seconds (since 1970-01-01 UTC), UTC calendar fields and local
// calendar fields. Event and ban times are kept as seconds; local fields are only for
// display, input and file stamps. Local rules come from the system's zone database through
// platform/local_time.h. Pure functions apart from that lookup; any thread may call them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/local_time.h"

namespace varnholt {

// Seconds of the UTC fields; the weekday and milliseconds are ignored.
int64_t UtcFieldsToSeconds(const CalendarFields& utc);
// The UTC fields of the seconds, weekday included.
CalendarFields SecondsToUtcFields(int64_t seconds);

// Local fields of the seconds; false (nothing produced) for 0, which stands for "no time",
// and when the zone rules cannot place the time.
bool SecondsToLocalFields(int64_t seconds, CalendarFields* local);
// Seconds of the local fields; false (result untouched) when the rules cannot place them.
bool LocalFieldsToSeconds(const CalendarFields& local, int64_t* seconds);

bool UtcToLocal(const CalendarFields& utc, CalendarFields* local);
bool LocalToUtc(const CalendarFields& local, CalendarFields* utc);

// The 24-character local display form "Wed Jan 14 09:05:03 2004"; empty when the time
// cannot be converted.
std::string DisplayTimeText(int64_t seconds);

}  // namespace varnholt
