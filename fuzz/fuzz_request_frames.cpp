// Feeds arbitrary bytes to the readers of the small frames, as a client's request stream
// (code, then a text for any code) and as a server's reply stream (notifications and text
// replies). No text may exceed its limit, and a refused frame must leave the stream where
// the next frame starts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "remote/frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  varnholt::BufferSource source(bytes);
  for (int frame = 0; frame < 64; ++frame) {
    const size_t before = source.remaining();
    varnholt::FrameStatus status = varnholt::FrameStatus::kOk;
    std::string text;
    if (data[0] & 1) {
      uint32_t code = 0;
      if (!varnholt::ReadRequestCode(source, &code)) break;
      status = varnholt::ReadRequestText(source, &text);
      if (status == varnholt::FrameStatus::kOk && text.size() > varnholt::kMaxRequestText) {
        __builtin_trap();
      }
    } else if (data[0] & 2) {
      bool present = false;
      status = varnholt::ReadTextReply(source, &text, &present, 300);
      if (status == varnholt::FrameStatus::kOk && text.size() > 300) __builtin_trap();
    } else {
      varnholt::Notification notification;
      status = varnholt::ReadNotification(source, &notification, 300);
      if (status == varnholt::FrameStatus::kOk && notification.data.size() > 300) {
        __builtin_trap();
      }
    }
    if (status == varnholt::FrameStatus::kBroken) break;
    if (source.remaining() >= before) __builtin_trap();  // every frame consumes its bytes
  }
  return 0;
}
