#include "schedule/time_conversions.h"

#include <cstdio>

namespace varnholt {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2 ? 1 : 0);
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

int64_t UtcFieldsToSeconds(const CalendarFields& utc) {
  return DaysFromCivil(utc.year, utc.month, utc.day) * kSecondsPerDay + utc.hour * 3600 +
         utc.minute * 60 + utc.second;
}

CalendarFields SecondsToUtcFields(int64_t seconds) {
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const int64_t rest = seconds - days * kSecondsPerDay;
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, &year, &month, &day);
  CalendarFields f;
  f.year = static_cast<uint16_t>(year);
  f.month = static_cast<uint16_t>(month);
  f.day = static_cast<uint16_t>(day);
  f.weekday = static_cast<uint16_t>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
  f.hour = static_cast<uint16_t>(rest / 3600);
  f.minute = static_cast<uint16_t>(rest / 60 % 60);
  f.second = static_cast<uint16_t>(rest % 60);
  return f;
}

bool SecondsToLocalFields(int64_t seconds, CalendarFields* local) {
  if (seconds == 0) return false;
  return SystemLocalFields(seconds, local);
}

bool LocalFieldsToSeconds(const CalendarFields& local, int64_t* seconds) {
  int64_t result = 0;
  if (!SystemLocalToSeconds(local, &result)) return false;
  *seconds = result;
  return true;
}

bool UtcToLocal(const CalendarFields& utc, CalendarFields* local) {
  CalendarFields result;
  if (!SystemLocalFields(UtcFieldsToSeconds(utc), &result)) return false;
  result.millisecond = utc.millisecond;
  *local = result;
  return true;
}

bool LocalToUtc(const CalendarFields& local, CalendarFields* utc) {
  int64_t seconds = 0;
  if (!SystemLocalToSeconds(local, &seconds)) return false;
  *utc = SecondsToUtcFields(seconds);
  utc->millisecond = local.millisecond;
  return true;
}

std::string DisplayTimeText(int64_t seconds) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  CalendarFields f;
  if (!SystemLocalFields(seconds, &f) || f.weekday > 6 || f.month < 1 || f.month > 12) {
    return std::string();
  }
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %2u %02u:%02u:%02u %4u", kDays[f.weekday],
                kMonths[f.month - 1], f.day, f.hour, f.minute, f.second, f.year);
  return text;
}

}  // namespace varnholt
