// What the service manager hears from the program: "ready" once start-up has finished, the
// server's state in words whenever it changes, a watchdog heartbeat while the worker is
// healthy, and "stopping" when shutdown begins. A worker stuck in one Command for a whole
// watchdog period stops the heartbeat, so the service manager restarts the program.
//
// Threads: ReportReady, ReportStopping and the heartbeat timer run on the user-interface
// thread; ReportStatus runs on the worker after each Command. last_status_ is guarded by
// mutex_, held only to compare and copy the text.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "core/worker.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/service_notify.h"

namespace varnholt {

struct ServiceState {
  bool server_running = false;
  size_t players = 0;
  bool console_connected = false;
};

// "Server running, 14 players, console connected" or "Server stopped".
std::string ServiceStatusText(const ServiceState& state);

class ServiceStatus {
 public:
  ServiceStatus(ServiceNotifier& notifier, const Clock& clock, EventLoop& loop,
                const Worker& worker);
  ~ServiceStatus();
  ServiceStatus(const ServiceStatus&) = delete;
  ServiceStatus& operator=(const ServiceStatus&) = delete;

  // Start-up has finished: READY=1 with the state, and the heartbeat when one is wanted.
  void ReportReady(const ServiceState& state);
  // Sends the state when its text differs from the last one sent.
  void ReportStatus(const ServiceState& state);
  // Shutdown has begun: STOPPING=1; the heartbeat ends.
  void ReportStopping();

  // One beat of the heartbeat timer: WATCHDOG=1 when the worker runs and has not been
  // inside one Command for the whole watchdog period. True when it beat.
  bool Heartbeat();

 private:
  ServiceNotifier& notifier_;
  const Clock& clock_;
  EventLoop& loop_;
  const Worker& worker_;
  // User-interface thread only.
  uint64_t watchdog_ms_ = 0;
  EventLoop::TimerId heartbeat_timer_ = 0;
  // Set on the user-interface thread, read by the worker too.
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::string last_status_;
};

}  // namespace varnholt
