// The machine's active IPv4 interfaces, at most 64, and whether the configured server
// address is one of them. Refreshed by start-up and by every server start; the
// user-interface thread and the worker both use it, so a mutex guards the list.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "log/event_log.h"

namespace varnholt {

class InterfaceList {
 public:
  explicit InterfaceList(EventLog& log) : log_(log) {}

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
  // Guards the list: refreshed by whichever thread starts the server, read by both.
  mutable std::mutex mutex_;
  std::vector<uint32_t> addresses_;
};

}  // namespace varnholt
