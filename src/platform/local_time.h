// Local time for display and file stamps, by the C library's zone rules (TZ, /etc/localtime).
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

// `seconds` (since 1970-01-01 UTC) as local time in a strftime format; empty when the
// result does not fit 63 characters.
std::string FormatLocalTime(int64_t seconds, const char* format);

// The stamp at the head of the program's log lines: the locale's date, a blank, and
// hours:minutes:seconds ("12/08/26 14:05:09").
std::string LogStamp(int64_t seconds);

}  // namespace varnholt
