#include "remote/socket_stream.h"

#include <algorithm>

#include "platform/last_error.h"
#include "platform/sockets.h"

namespace varnholt {

SocketSource::SocketSource(int socket, const Clock& clock) : socket_(socket), clock_(clock) {
  BeginFrame();
}

void SocketSource::BeginFrame(uint64_t budget_ms) {
  deadline_ms_ = clock_.MonotonicMs() + budget_ms;
  body_expected_ = 0;
  body_received_ = 0;
}

void SocketSource::ExpectBytes(size_t size) {
  body_base_ms_ = deadline_ms_;
  body_expected_ = size;
  body_received_ = 0;
}

bool SocketSource::Read(void* buffer, size_t size) {
  auto* p = static_cast<uint8_t*>(buffer);
  size_t got = 0;
  while (got < size) {
    // Checked before every receive, not only before waits, so a trickle that always has
    // one byte ready is cut off too.
    const uint64_t now = clock_.MonotonicMs();
    if (now >= deadline_ms_) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    const long n = ReceiveSome(socket_, p + got, size - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
      if (body_expected_ > 0) {
        body_received_ = std::min(body_expected_, body_received_ + static_cast<uint64_t>(n));
        deadline_ms_ = body_base_ms_ + body_received_ * 1000 / kSlowestBodyRate;
      }
      continue;
    }
    if (n == 0) {
      SetLastErrorCode(kWsaConnectionReset);
      return false;
    }
    if (GetLastErrorCode() != kWsaWouldBlock) return false;
    const auto wait = static_cast<int>(std::min<uint64_t>(kPeerWaitMs, deadline_ms_ - now));
    const WaitResult result = WaitReadable(socket_, wait);
    if (result == WaitResult::kTimedOut) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    if (result != WaitResult::kReady) return false;
  }
  return true;
}

bool SocketSink::Write(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  const uint64_t start = clock_.MonotonicMs();
  size_t sent = 0;
  while (sent < size) {
    const uint64_t now = clock_.MonotonicMs();
    const uint64_t deadline = start + kFrameDeadlineMs + sent * 1000 / kSlowestBodyRate;
    if (now >= deadline) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    const long n = SendSome(socket_, p + sent, size - sent);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && GetLastErrorCode() != kWsaWouldBlock) return false;
    const auto wait = static_cast<int>(std::min<uint64_t>(kPeerWaitMs, deadline - now));
    const WaitResult result = WaitWritable(socket_, wait);
    if (result == WaitResult::kTimedOut) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    if (result != WaitResult::kReady) return false;
  }
  return true;
}

}  // namespace varnholt
