#include "platform/local_time.h"

#include <ctime>

#include "platform/last_error.h"

namespace varnholt {

bool SystemLocalFields(int64_t seconds, CalendarFields* local) {
  tzset();  // localtime_r alone may keep the zone it saw first
  time_t t = static_cast<time_t>(seconds);
  tm fields{};
  if (localtime_r(&t, &fields) == nullptr || fields.tm_year + 1900 < 0 ||
      fields.tm_year + 1900 > 65535) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  local->year = static_cast<uint16_t>(fields.tm_year + 1900);
  local->month = static_cast<uint16_t>(fields.tm_mon + 1);
  local->weekday = static_cast<uint16_t>(fields.tm_wday);
  local->day = static_cast<uint16_t>(fields.tm_mday);
  local->hour = static_cast<uint16_t>(fields.tm_hour);
  local->minute = static_cast<uint16_t>(fields.tm_min);
  local->second = static_cast<uint16_t>(fields.tm_sec);
  local->millisecond = 0;
  return true;
}

bool SystemLocalToSeconds(const CalendarFields& local, int64_t* seconds) {
  tzset();
  tm fields{};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;  // let the zone rules decide
  time_t t = mktime(&fields);
  if (t == static_cast<time_t>(-1) && !(local.year == 1969 || local.year == 1970)) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  *seconds = static_cast<int64_t>(t);
  return true;
}

std::string FormatLocalTime(int64_t seconds, const char* format) {
  const time_t now = static_cast<time_t>(seconds);
  tm local{};
  if (localtime_r(&now, &local) == nullptr) return std::string();
  char text[64];
  if (strftime(text, sizeof text, format, &local) == 0) return std::string();
  return text;
}

std::string LogStamp(int64_t seconds) {
  return FormatLocalTime(seconds, "%x %H:%M:%S");
}

}  // namespace varnholt
