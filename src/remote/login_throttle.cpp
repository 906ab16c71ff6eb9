#include "remote/login_throttle.h"

#include <algorithm>

namespace varnholt {

const LoginThrottle::Entry* LoginThrottle::Find(uint32_t address) const {
  for (const Entry& e : entries_) {
    if (e.address == address) return &e;
  }
  return nullptr;
}

uint64_t LoginThrottle::NotBefore(uint32_t address) const {
  const Entry* e = Find(address);
  if (e == nullptr || clock_.MonotonicMs() - e->last_failure_ms >= kLoginFailureMemoryMs) return 0;
  return e->not_before_ms;
}

uint64_t LoginThrottle::RecordFailure(uint32_t address, bool* log) {
  const uint64_t now = clock_.MonotonicMs();
  // Forget addresses that have been quiet long enough before adding one.
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [now](const Entry& e) {
                                  return now - e.last_failure_ms >= kLoginFailureMemoryMs;
                                }),
                 entries_.end());
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [address](const Entry& e) { return e.address == address; });
  if (it == entries_.end()) {
    if (entries_.size() >= kMaxThrottledAddresses) {
      entries_.erase(std::min_element(
          entries_.begin(), entries_.end(),
          [](const Entry& a, const Entry& b) { return a.last_failure_ms < b.last_failure_ms; }));
    }
    entries_.push_back(Entry{address, 0, now, 0, 0, false});
    it = entries_.end() - 1;
  }
  ++it->failures;
  it->last_failure_ms = now;
  uint64_t delay = 0;
  if (it->failures >= kFreeLoginFailures) {
    const uint32_t doublings = std::min<uint32_t>(it->failures - kFreeLoginFailures, 16);
    delay = std::min(kFirstLoginDelayMs << doublings, kLongestLoginDelayMs);
    it->not_before_ms = now + delay;
  }
  *log = false;
  if (delay > 0 && (!it->logged || now - it->logged_ms >= 60000)) {
    it->logged = true;
    it->logged_ms = now;
    *log = true;
  }
  return delay;
}

void LoginThrottle::RecordSuccess(uint32_t address) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [address](const Entry& e) { return e.address == address; }),
                 entries_.end());
}

}  // namespace varnholt
