#include "platform/listen_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/last_error.h"

namespace varnholt {

int CreateListenSocket(uint32_t address, uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return -1;
  }
  // A restarted program may bind again while old connections linger in TIME_WAIT.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(address);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
      listen(fd, SOMAXCONN) != 0) {
    SetLastErrorFromErrno(errno);
    close(fd);
    return -1;
  }
  return fd;
}

int AcceptConnection(int listen_socket, uint32_t* peer_address, uint16_t* peer_port) {
  while (true) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    const int fd = accept4(listen_socket, reinterpret_cast<sockaddr*>(&a), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      *peer_address = ntohl(a.sin_addr.s_addr);
      *peer_port = ntohs(a.sin_port);
      return fd;
    }
    if (errno == EINTR) continue;
    SetLastErrorCode(ErrnoToCode(errno));  // EAGAIN becomes 10035
    return -1;
  }
}

PeekResult PeekConnection(int socket) {
  while (true) {
    char byte = 0;
    const ssize_t n = recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) return PeekResult::kData;
    if (n == 0) return PeekResult::kClosed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return PeekResult::kNothing;  // EWOULDBLOCK is the same value
    SetLastErrorFromErrno(errno);
    return PeekResult::kClosed;
  }
}

void ShutdownSocket(int socket) {
  if (socket >= 0) shutdown(socket, SHUT_RDWR);
}

}  // namespace varnholt
