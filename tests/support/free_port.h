// A loopback port that was free a moment ago, for servers a test starts (SOCK_STREAM for a
// TCP port, SOCK_DGRAM for a UDP one).
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnholt::testing {

inline int FreePort(int type) {
  int fd = socket(AF_INET, type, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace varnholt::testing
