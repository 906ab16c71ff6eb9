// The one bounded wait of the tests: polls a condition until it holds or time runs out.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace varnholt::testing {

// How long something that should happen at once may take on a loaded machine (sanitizers,
// parallel builds). Passing tests never wait this long.
constexpr int kPatienceMs = 15000;

// Polls `condition` every 10 ms until it holds or `timeout_ms` passed.
inline bool WaitUntil(const std::function<bool()>& condition, int timeout_ms = kPatienceMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace varnholt::testing
