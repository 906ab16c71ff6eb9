#include "platform/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/last_error.h"

namespace varnholt {
namespace {

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(address);
  return a;
}

int CreateBoundSocket(int type) {
  int fd = socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return kNoSocket;
  }
  sockaddr_in any = MakeAddress(INADDR_ANY, 0);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
    SetLastErrorFromErrno(errno);
    close(fd);
    return kNoSocket;
  }
  return fd;
}

// A connection the peer dropped shows as EPIPE on Linux; callers know it as a reset.
void SetSocketError(int err) {
  SetLastErrorCode(err == EPIPE ? kWsaConnectionReset : ErrnoToCode(err));
}

WaitResult WaitFor(int socket, short events, int timeout_ms) {
  using Steady = std::chrono::steady_clock;
  const Steady::time_point end = Steady::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Steady::now()).count());
    if (left < 0) left = 0;
    pollfd p{socket, events, 0};
    int r = poll(&p, 1, left);
    if (r > 0) return WaitResult::kReady;
    if (r == 0) {
      SetLastErrorCode(kWsaTimedOut);
      return WaitResult::kTimedOut;
    }
    if (errno != EINTR) {
      SetSocketError(errno);
      return WaitResult::kFailed;
    }
  }
}

}  // namespace

int CreateTcpSocket() {
  return CreateBoundSocket(SOCK_STREAM);
}

int CreateUdpSocket() {
  return CreateBoundSocket(SOCK_DGRAM);
}

void CloseSocket(int socket) {
  if (socket >= 0) close(socket);
}

bool StartConnect(int socket, uint32_t address, uint16_t port) {
  sockaddr_in to = MakeAddress(address, port);
  if (connect(socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return true;
  if (errno == EINPROGRESS || errno == EINTR) return true;
  SetSocketError(errno);
  return false;
}

bool ConnectionEstablished(int socket) {
  int err = 0;
  socklen_t length = sizeof err;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &err, &length) != 0) err = errno;
  if (err == 0) return true;
  SetSocketError(err);
  return false;
}

WaitResult WaitReadable(int socket, int timeout_ms) {
  return WaitFor(socket, POLLIN, timeout_ms);
}

WaitResult WaitWritable(int socket, int timeout_ms) {
  return WaitFor(socket, POLLOUT, timeout_ms);
}

long SendSome(int socket, const void* bytes, size_t count) {
  while (true) {
    ssize_t n = send(socket, bytes, count, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    SetSocketError(errno == EWOULDBLOCK ? EAGAIN : errno);
    return -1;
  }
}

long ReceiveSome(int socket, void* buffer, size_t capacity) {
  while (true) {
    ssize_t n = recv(socket, buffer, capacity, 0);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    SetSocketError(errno == EWOULDBLOCK ? EAGAIN : errno);
    return -1;
  }
}

long BytesWaiting(int socket) {
  int count = 0;
  if (ioctl(socket, FIONREAD, &count) != 0) {
    SetSocketError(errno);
    return -1;
  }
  return count;
}

bool SendDatagram(int socket, uint32_t address, uint16_t port, const void* bytes, size_t count) {
  sockaddr_in to = MakeAddress(address, port);
  while (true) {
    ssize_t n = sendto(socket, bytes, count, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                       sizeof to);
    if (n == static_cast<ssize_t>(count)) return true;
    if (n < 0 && errno == EINTR) continue;
    if (n >= 0) {
      SetLastErrorCode(kWsaMessageSize);
    } else {
      SetSocketError(errno == EWOULDBLOCK ? EAGAIN : errno);
    }
    return false;
  }
}

bool ReceiveDatagram(int socket, void* buffer, size_t capacity, size_t* size) {
  while (true) {
    // MSG_TRUNC makes recv report the datagram's real length, so a cut one is noticed.
    ssize_t n = recv(socket, buffer, capacity, MSG_TRUNC);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetSocketError(errno == EWOULDBLOCK ? EAGAIN : errno);
      return false;
    }
    if (static_cast<size_t>(n) > capacity) {
      SetLastErrorCode(kWsaMessageSize);
      return false;
    }
    *size = static_cast<size_t>(n);
    return true;
  }
}

uint16_t LocalPort(int socket) {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&a), &length) != 0) return 0;
  return ntohs(a.sin_port);
}

}  // namespace varnholt
