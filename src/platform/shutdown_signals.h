// SIGTERM and SIGINT as readable events: blocked for the calling thread (and every thread it
// starts afterwards) and delivered through a descriptor that an event loop can watch.
#pragma once

#include <functional>

namespace varnholt {

// Blocks the two signals and returns a non-blocking descriptor that becomes readable when
// one arrives; -1 on failure. Call before any other thread starts.
int OpenShutdownSignals();
// Calls `on_signal` for each signal waiting on the descriptor.
void TakeShutdownSignals(int fd, const std::function<void(int signal)>& on_signal);
void CloseShutdownSignals(int fd);

}  // namespace varnholt
