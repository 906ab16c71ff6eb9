#include "gamelink/console_response.h"

#include <cstring>

#include "platform/last_error.h"

namespace varnholt {
namespace {

bool ReadU32(ByteSource& source, uint32_t* value) {
  uint8_t b[4];
  if (!source.Read(b, sizeof b)) return false;
  *value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

ReadStatus BadFrame() {
  SetLastErrorCode(kErrorInvalidData);
  return ReadStatus::kBadFrame;
}

}  // namespace

std::string_view ChatText(std::string_view line) {
  return line.size() > 5 ? line.substr(5) : std::string_view();
}

ReadStatus ReadConsoleResponse(ByteSource& source, ResponseKind kind, ConsoleResponse* response,
                               std::string* scratch) {
  response->text.clear();
  response->typed_reply.clear();
  response->chat.clear();
  response->wire_bytes = 0;
  uint32_t count = 0;
  if (!ReadU32(source, &count)) return ReadStatus::kReceiveFailed;
  response->wire_bytes = 4;
  if (count > kMaxResponseStrings) return BadFrame();

  bool last_kept_hash = false;  // the previous string was kept and began with "#"
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = 0;
    if (!ReadU32(source, &length)) return ReadStatus::kReceiveFailed;
    if (length > kMaxResponseStringBytes) return BadFrame();
    response->wire_bytes += 4 + static_cast<uint64_t>(length);
    if (response->wire_bytes > kMaxResponseBytes) return BadFrame();
    scratch->resize(length);
    if (length > 0 && !source.Read(scratch->data(), length)) return ReadStatus::kReceiveFailed;
    // The text ends at its zero byte; a string without one is taken whole.
    std::string_view s(scratch->data(), length);
    size_t zero = s.find('\0');
    if (zero != std::string_view::npos) s = s.substr(0, zero);

    if (kind == ResponseKind::kConsoleOutput && i == 0) {
      response->typed_reply.assign(s.substr(0, kMaxTypedReply));
      continue;
    }
    if (StartsWith(s, "##--")) {
      response->chat.emplace_back(ChatText(s));
      last_kept_hash = false;
      continue;
    }
    if (kind == ResponseKind::kCommand) {
      if (StartsWith(s, "##")) continue;
      response->text.append(s).push_back('\n');
      continue;
    }
    if (s.empty() || s.front() == '>') {
      last_kept_hash = false;
      continue;
    }
    if (s.front() != '#' && last_kept_hash) {
      response->text.pop_back();  // the line feed of the string it continues
      response->text.append(s.substr(1)).push_back('\n');
      continue;
    }
    response->text.append(s).push_back('\n');
    last_kept_hash = s.front() == '#';
  }
  return ReadStatus::kOk;
}

}  // namespace varnholt
