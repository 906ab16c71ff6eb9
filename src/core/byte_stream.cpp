#include "core/byte_stream.h"

#include <cstring>

#include "platform/last_error.h"

namespace varnholt {

bool BufferSource::Read(void* buffer, size_t size) {
  if (size > remaining()) {
    // Like a peer that closed the connection: the bytes are not coming.
    position_ = bytes_.size();
    SetLastErrorCode(kWsaConnectionReset);
    return false;
  }
  if (size > 0) std::memcpy(buffer, bytes_.data() + position_, size);
  position_ += size;
  return true;
}

bool BufferSink::Write(const void* data, size_t size) {
  bytes_.append(static_cast<const char*>(data), size);
  return true;
}

}  // namespace varnholt
