// Feeds arbitrary bytes to the remote console's response reader as if they came from the
// server: the first byte picks the kind of response, the rest is read frame after frame
// until the bytes run out or the reader refuses them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gamelink/console_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using varnholt::ResponseKind;
  const ResponseKind kind = (data[0] & 1) ? ResponseKind::kConsoleOutput : ResponseKind::kCommand;
  varnholt::BufferSource source(
      std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  varnholt::ConsoleResponse response;
  std::string scratch;
  while (varnholt::ReadConsoleResponse(source, kind, &response, &scratch) ==
         varnholt::ReadStatus::kOk) {
    // Every line ends with a line feed, and nothing can come from more bytes than arrived.
    if (!response.text.empty() && response.text.back() != '\n') __builtin_trap();
    if (response.text.size() > size || response.wire_bytes > size) __builtin_trap();
    if (response.typed_reply.size() > varnholt::kMaxTypedReply) __builtin_trap();
    if (source.remaining() == 0) break;
  }
  return 0;
}
