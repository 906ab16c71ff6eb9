#include "platform/local_time.h"

#include <ctime>

namespace varnholt {

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
