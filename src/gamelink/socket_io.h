// The two primitives both socket clients of the program build on (the remote console here,
// the remote administration service later): send a whole buffer, receive an exact count.
// They run on the thread that owns the socket and wait in poll(), never spinning.
#pragma once

#include <cstddef>

namespace varnholt {

// How long one wait for a slow peer may take before the exchange counts as timed out.
constexpr int kReceiveWaitMs = 3000;
constexpr int kSendWaitMs = 3000;

// Sends all `count` bytes, continuing after partial sends. When the socket's send buffer is
// full it waits (at most kSendWaitMs per wait) for room instead of giving up at once.
// Failure leaves the socket error (10060 when no room came in time).
bool SendAll(int socket, const void* bytes, size_t count);

// Receives exactly `count` bytes. Waits at most `wait_ms` each time nothing is there
// (10060 when that wait runs out). A peer that closes the connection before all bytes came
// fails with 10054: for the caller the connection has been dropped either way.
bool ReceiveExactly(int socket, void* buffer, size_t count, int wait_ms = kReceiveWaitMs);

}  // namespace varnholt
