#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace varnholt {

int64_t SystemClock::CalendarSeconds() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

uint64_t SystemClock::MonotonicMs() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void SystemClock::SleepMs(uint32_t ms) const {
  PauseMs(ms);
}

void PauseMs(uint32_t ms) {
  timespec pause{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  // Resumed after a signal until the whole wait has passed.
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace varnholt
