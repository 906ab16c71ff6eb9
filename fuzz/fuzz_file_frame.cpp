// Feeds arbitrary bytes to the file frame reader as a client's upload, frame after frame
// until the stream breaks. A frame read whole must hold at most the receiver's limit and
// must travel again unchanged when re-encoded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "remote/file_frame.h"

namespace {

constexpr uint32_t kLimit = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  varnholt::BufferSource source(bytes);
  for (int frame = 0; frame < 8; ++frame) {
    std::string contents;
    const varnholt::FrameStatus status = varnholt::ReadFileFrame(source, kLimit, &contents);
    if (status == varnholt::FrameStatus::kBroken) break;
    if (status != varnholt::FrameStatus::kOk) continue;
    if (contents.size() > kLimit) __builtin_trap();
    std::string again;
    if (!varnholt::EncodeFileFrame(contents, &again)) __builtin_trap();
    varnholt::BufferSource echo(again);
    std::string back;
    if (varnholt::ReadFileFrame(echo, kLimit, &back) != varnholt::FrameStatus::kOk ||
        back != contents || echo.remaining() != 0) {
      __builtin_trap();
    }
  }
  return 0;
}
