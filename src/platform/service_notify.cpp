#include "platform/service_notify.h"

#include <systemd/sd-daemon.h>

#include "platform/last_error.h"

namespace varnholt {

bool SystemdNotifier::Notify(const std::string& assignments) {
  // The environment is left as it is: later messages need the socket's address again.
  int result = sd_notify(0, assignments.c_str());
  if (result < 0) {
    SetLastErrorFromErrno(-result);
    return false;
  }
  return true;
}

uint64_t SystemdNotifier::WatchdogPeriodMs() const {
  uint64_t usec = 0;
  if (sd_watchdog_enabled(0, &usec) <= 0) return 0;
  // A period under a millisecond still asks for a heartbeat.
  return usec < 1000 ? 1 : usec / 1000;
}

}  // namespace varnholt
