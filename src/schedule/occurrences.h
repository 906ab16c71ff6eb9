// When a scheduled event happens: a one-time event at its time, a recurring one at its local
// time of day on every local date its recurrence allows. Local dates follow the system's
// zone rules, so an event keeps its wall-clock time across daylight-saving changes.
#pragma once

#include <cstdint>

#include "schedule/scheduled_event.h"

namespace varnholt {

struct Occurrence {
  int64_t at = 0;   // seconds since 1970 UTC; 0 = none
  int64_t day = 0;  // the local date it belongs to, as days since 1970-01-01
};

// The first occurrence strictly after `after`, looking at most a week ahead; `at` is 0 when
// there is none (a past one-time event, an invalid recurrence). The enabled flag is not
// looked at. A wall-clock time that a daylight-saving change skips or repeats is placed as
// the C library places it, which may differ between calls: the local date is what names an
// occurrence.
Occurrence NextOccurrence(const ScheduledEvent& event, int64_t after);

}  // namespace varnholt
