#include "gamelink/socket_io.h"

#include <cstdint>

#include "platform/last_error.h"
#include "platform/sockets.h"

namespace varnholt {

bool SendAll(int socket, const void* bytes, size_t count) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  size_t sent = 0;
  while (sent < count) {
    long n = SendSome(socket, p + sent, count - sent);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && GetLastErrorCode() != kWsaWouldBlock) return false;
    if (WaitWritable(socket, kSendWaitMs) != WaitResult::kReady) return false;
  }
  return true;
}

bool ReceiveExactly(int socket, void* buffer, size_t count, int wait_ms) {
  auto* p = static_cast<uint8_t*>(buffer);
  size_t got = 0;
  while (got < count) {
    long n = ReceiveSome(socket, p + got, count - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
      continue;
    }
    if (n == 0) {
      SetLastErrorCode(kWsaConnectionReset);
      return false;
    }
    if (GetLastErrorCode() != kWsaWouldBlock) return false;
    if (WaitReadable(socket, wait_ms) != WaitResult::kReady) return false;
  }
  return true;
}

}  // namespace varnholt
