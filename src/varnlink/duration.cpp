#include "varnlink/duration.h"

namespace varnholt::varnlink {
namespace {

int64_t UnitSeconds(char unit) {
  switch (unit) {
    case 's':
      return 1;
    case 'm':
      return 60;
    case 'h':
      return 3600;
    case 'd':
      return 86400;
    case 'w':
      return 7 * 86400;
    default:
      return 0;
  }
}

}  // namespace

bool ParseDuration(std::string_view text, int64_t* seconds) {
  int64_t total = 0;
  size_t i = 0;
  if (text.empty()) return false;
  while (i < text.size()) {
    int64_t number = 0;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      number = number * 10 + (text[i] - '0');
      if (number > kMaxDurationSeconds) return false;
      ++i;
      ++digits;
    }
    if (digits == 0) return false;
    int64_t unit = 1;
    if (i < text.size()) {
      unit = UnitSeconds(text[i]);
      if (unit == 0) return false;
      ++i;
    } else if (total != 0) {
      // "1h30" is ambiguous; only a whole text may be bare seconds.
      return false;
    }
    if (number > (kMaxDurationSeconds - total) / unit) return false;
    total += number * unit;
  }
  if (total <= 0) return false;
  *seconds = total;
  return true;
}

}  // namespace varnholt::varnlink
