// Messages to the service manager that started the program (systemd's notify socket):
// readiness, a status line, the watchdog heartbeat and the start of shutdown. Without a
// service manager (no notify socket in the environment) every message is dropped quietly,
// so the program runs the same from a shell.
//
// Threads: any thread may send; each message is one datagram on its own socket.
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

class ServiceNotifier {
 public:
  virtual ~ServiceNotifier() = default;
  // Sends newline-separated assignments such as "READY=1\nSTATUS=...". False when a
  // service manager listens and the message could not be delivered.
  virtual bool Notify(const std::string& assignments) = 0;
  // The period within which the service manager wants a heartbeat, in ms; 0 when it wants
  // none (no watchdog configured, or the watchdog is meant for another process).
  virtual uint64_t WatchdogPeriodMs() const = 0;
};

// The real one, through libsystemd.
class SystemdNotifier final : public ServiceNotifier {
 public:
  bool Notify(const std::string& assignments) override;
  uint64_t WatchdogPeriodMs() const override;
};

}  // namespace varnholt
