#include "platform/interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>

#include "platform/last_error.h"

namespace varnholt {

bool DetectInterfaceAddresses(std::vector<uint32_t>* addresses, size_t* reported) {
  addresses->clear();
  *reported = 0;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return SetLastErrorFromErrno(errno);
  for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
    if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
    if ((it->ifa_flags & IFF_UP) == 0) continue;
    ++*reported;
    if (addresses->size() < kMaxInterfaces) {
      const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
      addresses->push_back(ntohl(in->sin_addr.s_addr));
    }
  }
  freeifaddrs(list);
  return true;
}

}  // namespace varnholt
