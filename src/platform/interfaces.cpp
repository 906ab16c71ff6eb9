#include "platform/interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>

#include "platform/last_error.h"

namespace varnholt {

void SelectInterfaceAddresses(const std::vector<InterfaceEntry>& entries,
                              std::vector<uint32_t>* addresses, size_t* reported) {
  addresses->clear();
  *reported = 0;
  uint32_t loopback = 0;
  for (const InterfaceEntry& entry : entries) {
    if (!entry.up) continue;
    if (entry.loopback) {
      if (loopback == 0) loopback = entry.address;
      continue;
    }
    ++*reported;
    if (addresses->size() < kMaxInterfaces) addresses->push_back(entry.address);
  }
  if (*reported == 0 && loopback != 0) {
    addresses->push_back(loopback);
    *reported = 1;
  }
}

bool DetectInterfaceAddresses(std::vector<uint32_t>* addresses, size_t* reported) {
  addresses->clear();
  *reported = 0;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return SetLastErrorFromErrno(errno);
  std::vector<InterfaceEntry> entries;
  for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
    if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
    entries.push_back({ntohl(in->sin_addr.s_addr), (it->ifa_flags & IFF_UP) != 0,
                       (it->ifa_flags & IFF_LOOPBACK) != 0});
  }
  freeifaddrs(list);
  SelectInterfaceAddresses(entries, addresses, reported);
  return true;
}

}  // namespace varnholt
