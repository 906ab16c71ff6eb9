// Loopback sockets for tests and benchmarks: a port that was free a moment ago, a socket
// bound to a free port, and both ends of a real TCP connection.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace varnholt::testing {

// A socket of `type` (SOCK_STREAM, SOCK_DGRAM) bound to a free loopback port, which goes to
// `port`; -1 when none could be made.
inline int BindLoopback(int type, uint16_t* port) {
  const int fd = socket(AF_INET, type, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

// A loopback port that was free a moment ago, for servers a test starts.
inline int FreePort(int type) {
  uint16_t port = 0;
  const int fd = BindLoopback(type, &port);
  if (fd >= 0) close(fd);
  return port;
}

// Both ends of a real loopback TCP connection; the server end is non-blocking, as the
// remote administration listener makes its client sockets.
struct LoopbackPair {
  LoopbackPair() {
    uint16_t port = 0;
    const int listener = BindLoopback(SOCK_STREAM, &port);
    listen(listener, 1);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    client = socket(AF_INET, SOCK_STREAM, 0);
    connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    server = accept(listener, nullptr, nullptr);
    close(listener);
    fcntl(server, F_SETFL, fcntl(server, F_GETFL) | O_NONBLOCK);
  }
  ~LoopbackPair() {
    if (client >= 0) close(client);
    if (server >= 0) close(server);
  }
  LoopbackPair(const LoopbackPair&) = delete;
  LoopbackPair& operator=(const LoopbackPair&) = delete;

  int client = -1;
  int server = -1;
};

}  // namespace varnholt::testing
