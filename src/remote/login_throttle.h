// Slows down password guessing: after repeated failed logins from one address, its next
// logins are only checked once a delay has passed, and each further failure doubles it.
// Addresses are compared without the port, since a guesser opens a new connection (and
// port) for every try. Used on the user-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"

namespace varnholt {

// Failures allowed before the delays begin, the first delay and the longest one.
constexpr uint32_t kFreeLoginFailures = 3;
constexpr uint64_t kFirstLoginDelayMs = 1000;
constexpr uint64_t kLongestLoginDelayMs = 60000;
// An address that has not failed for this long starts afresh.
constexpr uint64_t kLoginFailureMemoryMs = 15 * 60 * 1000;
// Addresses remembered at most; the stalest is forgotten first.
constexpr size_t kMaxThrottledAddresses = 1024;

class LoginThrottle {
 public:
  explicit LoginThrottle(const Clock& clock) : clock_(clock) {}

  // The monotonic time before which a login from `address` is not checked (0 = at once).
  uint64_t NotBefore(uint32_t address) const;

  // Counts a failed login. Returns the delay now in force (0 while failures are still
  // free); `*log` tells whether to log it, at most once per address and minute.
  uint64_t RecordFailure(uint32_t address, bool* log);
  // A successful login clears the address's record.
  void RecordSuccess(uint32_t address);

 private:
  struct Entry {
    uint32_t address;
    uint32_t failures;
    uint64_t last_failure_ms;
    uint64_t not_before_ms;
    uint64_t logged_ms;
    bool logged;
  };
  const Entry* Find(uint32_t address) const;

  const Clock& clock_;
  std::vector<Entry> entries_;
};

}  // namespace varnholt
