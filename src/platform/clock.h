// Time sources. Calendar seconds give due times, stamps and schedules; the monotonic
// millisecond clock gives durations. Everything that waits or compares times takes a Clock,
// so tests can drive time by hand instead of sleeping.
#pragma once

#include <atomic>
#include <cstdint>

namespace varnholt {

// A real pause, for waits on another process or a network peer, which virtual time cannot
// shorten (the peer runs in real time). Resumed after signals until it has passed.
void PauseMs(uint32_t ms);

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 UTC.
  virtual int64_t CalendarSeconds() const = 0;
  // Milliseconds from an arbitrary start; never goes backwards.
  virtual uint64_t MonotonicMs() const = 0;
  // Waits this long. Every fixed wait of the program goes through here, so a test clock can
  // let it pass at once.
  virtual void SleepMs(uint32_t ms) const = 0;
};

class SystemClock final : public Clock {
 public:
  int64_t CalendarSeconds() const override;
  uint64_t MonotonicMs() const override;
  void SleepMs(uint32_t ms) const override;
};

// A clock that moves only when told to; safe to read from several threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(int64_t calendar_seconds = 1'700'000'000, uint64_t monotonic_ms = 0)
      : calendar_(calendar_seconds), monotonic_(monotonic_ms) {}
  int64_t CalendarSeconds() const override { return calendar_.load(); }
  uint64_t MonotonicMs() const override { return monotonic_.load(); }
  // A wait passes at once and moves the monotonic time on by its length.
  void SleepMs(uint32_t ms) const override { monotonic_ += ms; }
  void SetCalendarSeconds(int64_t s) { calendar_.store(s); }
  // Advances both clocks together.
  void AdvanceSeconds(int64_t s) {
    calendar_ += s;
    monotonic_ += static_cast<uint64_t>(s) * 1000;
  }
  void AdvanceMs(uint64_t ms) { monotonic_ += ms; }

 private:
  std::atomic<int64_t> calendar_;
  mutable std::atomic<uint64_t> monotonic_;
};

}  // namespace varnholt
