#include "core/interface_list.h"

#include <algorithm>

#include "platform/interfaces.h"
#include "platform/ip_address.h"

namespace varnholt {

InterfaceList::InterfaceList(EventLog& log) : InterfaceList(log, DetectInterfaceAddresses) {}

bool InterfaceList::Refresh() {
  std::vector<uint32_t> found;
  size_t reported = 0;
  if (!detect_(&found, &reported)) return false;
  if (reported > kMaxInterfaces) {
    log_.LogMessage(kSoundNone, "Maximum number of IP interfaces exceeded! (%i)",
                    static_cast<int>(kMaxInterfaces));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  addresses_ = std::move(found);
  return true;
}

std::vector<uint32_t> InterfaceList::Addresses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return addresses_;
}

uint32_t InterfaceList::First() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return addresses_.empty() ? 0 : addresses_.front();
}

bool InterfaceList::IsServerIpLocal(uint32_t server_ip) {
  Refresh();
  std::lock_guard<std::mutex> lock(mutex_);
  if (addresses_.empty()) return false;
  if (std::find(addresses_.begin(), addresses_.end(), server_ip) != addresses_.end()) return true;
  if (server_ip == kLoopbackAddress) {
    // A full list stays at 64 entries; the address is accepted all the same.
    if (addresses_.size() < kMaxInterfaces) addresses_.push_back(server_ip);
    return true;
  }
  return false;
}

}  // namespace varnholt
