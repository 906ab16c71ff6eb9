// Frames over a connected, non-blocking client socket. Every wait for a silent peer lasts at
// most 3 seconds, and a whole frame has a deadline on the injected clock, so a peer that
// sends (or reads) a byte now and then cannot hold the thread that serves it.
#pragma once

#include <cstdint>

#include "core/byte_stream.h"
#include "platform/clock.h"

namespace varnholt {

// A wait for a silent peer, and the time a frame of a few words and a short text may take.
constexpr int kPeerWaitMs = 3000;
constexpr uint64_t kFrameDeadlineMs = 10000;
// A long body earns more time only as its bytes arrive, at this rate (bytes per second): a
// peer that keeps up at least this pace is never cut off, one that trickles is cut off
// about kFrameDeadlineMs after the frame began, whatever length it announced.
constexpr uint64_t kSlowestBodyRate = 16 * 1024;

class SocketSource final : public ByteSource {
 public:
  // Starts with a frame deadline of kFrameDeadlineMs from now.
  SocketSource(int socket, const Clock& clock);
  // Starts the deadline of the next frame.
  void BeginFrame(uint64_t budget_ms = kFrameDeadlineMs);
  bool Read(void* buffer, size_t size) override;
  void ExpectBytes(size_t size) override;

 private:
  int socket_;
  const Clock& clock_;
  uint64_t deadline_ms_ = 0;
  // The body announced by ExpectBytes: the deadline when it began, its length and what of
  // it has arrived.
  uint64_t body_base_ms_ = 0;
  uint64_t body_expected_ = 0;
  uint64_t body_received_ = 0;
};

// Writes with the same rules turned round: each wait for room lasts at most 3 seconds, and
// a write must be done kFrameDeadlineMs after it began plus the time its bytes take at
// kSlowestBodyRate as they go out, so a client that reads a byte now and then cannot hold
// the sending thread either.
class SocketSink final : public ByteSink {
 public:
  SocketSink(int socket, const Clock& clock) : socket_(socket), clock_(clock) {}
  bool Write(const void* data, size_t size) override;

 private:
  int socket_;
  const Clock& clock_;
};

}  // namespace varnholt
