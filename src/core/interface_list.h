// The machine's active IPv4 interfaces, at most 64, and whether the configured server
// address is one of them. Refreshed by start-up and by every server start; the
// user-interface thread and the worker both use it, so a mutex guards the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "log/event_log.h"

namespace varnholt {

class InterfaceList {
 public:
  // Reads the list as DetectInterfaceAddresses does (addresses, how many the system has).
  using Detector = std::function<bool(std::vector<uint32_t>*, size_t*)>;

  // The system's interfaces.
  explicit InterfaceList(EventLog& log);
  // Another source of interfaces, for tests.
  InterfaceList(EventLog& log, Detector detect) : log_(log), detect_(std::move(detect)) {}

  // Reads the list again; logs when the system has more than fits. Fails with the last error.
  bool Refresh();
  std::vector<uint32_t> Addresses() const;
  // The first address, or 0 when there is none.
  uint32_t First() const;
  // Refreshes, then: false for an empty list; true when `server_ip` is listed; 127.0.0.1 is
  // accepted (and listed, when there is room) although no interface reports it.
  bool IsServerIpLocal(uint32_t server_ip);

 private:
  EventLog& log_;
  Detector detect_;
  // Guards the list: refreshed by whichever thread starts the server, read by both.
  mutable std::mutex mutex_;
  std::vector<uint32_t> addresses_;
};

}  // namespace varnholt
