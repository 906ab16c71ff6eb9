// Where frames are read from and written to: a small interface with buffer implementations
// (tests, fuzzing, building frames in memory) and socket ones (the remote console's, the
// remote administration's socket_stream.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnholt {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads exactly `size` bytes; false with the last error (10054 when the stream ended,
  // 10060 when the peer was too slow).
  virtual bool Read(void* buffer, size_t size) = 0;
  // Told before a long body is read, so a source with a deadline can grant more time as
  // the body's `size` bytes arrive at a steady pace (and none to a peer that trickles).
  virtual void ExpectBytes(size_t /*size*/) {}
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `size` bytes; false with the last error.
  virtual bool Write(const void* data, size_t size) = 0;
};

// Reads from a buffer the caller keeps alive.
class BufferSource final : public ByteSource {
 public:
  explicit BufferSource(std::string_view bytes) : bytes_(bytes) {}
  bool Read(void* buffer, size_t size) override;
  size_t remaining() const { return bytes_.size() - position_; }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

// Collects everything written.
class BufferSink final : public ByteSink {
 public:
  bool Write(const void* data, size_t size) override;
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace varnholt
