#include "remote/frames.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/last_error.h"

namespace varnholt {
namespace {

// Reads a body of `length` bytes into `out` when it is at most `limit`, drains it when it
// is bounded, and gives up otherwise.
FrameStatus ReadBoundedBody(ByteSource& source, uint32_t length, size_t limit, std::string* out) {
  if (length > limit) {
    if (length > kMaxDrainBytes) {
      SetLastErrorCode(kErrorInvalidData);
      return FrameStatus::kBroken;
    }
    if (!DrainBytes(source, length)) return FrameStatus::kBroken;
    SetLastErrorCode(kErrorInvalidData);
    return FrameStatus::kRefused;
  }
  std::string body(length, '\0');
  if (length > 0 && !source.Read(body.data(), length)) return FrameStatus::kBroken;
  *out = std::move(body);
  return FrameStatus::kOk;
}

}  // namespace

void AppendWord(std::string* bytes, uint32_t word) {
  const char le[4] = {static_cast<char>(word), static_cast<char>(word >> 8),
                      static_cast<char>(word >> 16), static_cast<char>(word >> 24)};
  bytes->append(le, sizeof le);
}

uint32_t WordAt(const void* bytes) {
  const auto* b = static_cast<const uint8_t*>(bytes);
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

bool WriteWord(ByteSink& sink, uint32_t word) {
  std::string bytes;
  AppendWord(&bytes, word);
  return sink.Write(bytes.data(), bytes.size());
}

bool ReadWord(ByteSource& source, uint32_t* word) {
  uint8_t bytes[4];
  if (!source.Read(bytes, sizeof bytes)) return false;
  *word = WordAt(bytes);
  return true;
}

bool DrainBytes(ByteSource& source, size_t size) {
  std::array<uint8_t, 4096> scratch;
  while (size > 0) {
    const size_t piece = std::min(size, scratch.size());
    if (!source.Read(scratch.data(), piece)) return false;
    size -= piece;
  }
  return true;
}

std::string TextOfData(std::string_view data) {
  return std::string(data.substr(0, data.find('\0')));
}

bool SendRequest(ByteSink& sink, uint32_t code) {
  return WriteWord(sink, code);
}

bool SendRequestText(ByteSink& sink, uint32_t code, std::string_view text) {
  text = text.substr(0, std::min(text.find('\0'), kMaxRequestText));
  std::string frame;
  AppendWord(&frame, code);
  AppendWord(&frame, static_cast<uint32_t>(text.size() + 1));
  frame.append(text);
  frame.push_back('\0');
  return sink.Write(frame.data(), frame.size());
}

bool ReadRequestCode(ByteSource& source, uint32_t* code) {
  return ReadWord(source, code);
}

bool IsRequestCode(uint32_t code) {
  return code >= kRequestBase && code <= kRequestLast;
}

FrameStatus ReadRequestText(ByteSource& source, std::string* text) {
  uint32_t length = 0;
  if (!ReadWord(source, &length)) return FrameStatus::kBroken;
  std::string body;
  const FrameStatus status = ReadBoundedBody(source, length, kMaxRequestText + 1, &body);
  if (status != FrameStatus::kOk) return status;
  body = TextOfData(body);
  if (body.size() > kMaxRequestText) body.resize(kMaxRequestText);
  *text = std::move(body);
  return FrameStatus::kOk;
}

bool SendTextReply(ByteSink& sink, std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string frame;
  AppendWord(&frame, static_cast<uint32_t>(text.size() + 1));
  frame.append(text);
  frame.push_back('\0');
  return sink.Write(frame.data(), frame.size());
}

bool SendNoTextReply(ByteSink& sink) {
  return WriteWord(sink, 0);
}

FrameStatus ReadTextReply(ByteSource& source, std::string* text, bool* present, size_t max_text) {
  uint32_t length = 0;
  if (!ReadWord(source, &length)) return FrameStatus::kBroken;
  std::string body;
  const FrameStatus status = ReadBoundedBody(source, length, max_text + 1, &body);
  if (status != FrameStatus::kOk) return status;
  *present = length > 0;
  *text = TextOfData(body);
  return FrameStatus::kOk;
}

bool SendNotification(ByteSink& sink, uint32_t code, std::string_view data) {
  std::string frame;
  AppendWord(&frame, code);
  AppendWord(&frame, static_cast<uint32_t>(data.size()));
  frame.append(data);
  return sink.Write(frame.data(), frame.size());
}

FrameStatus ReadNotification(ByteSource& source, Notification* notification, size_t max_data) {
  uint32_t code = 0;
  uint32_t length = 0;
  if (!ReadWord(source, &code) || !ReadWord(source, &length)) return FrameStatus::kBroken;
  std::string data;
  const FrameStatus status = ReadBoundedBody(source, length, max_data, &data);
  if (status != FrameStatus::kOk) return status;
  notification->code = code;
  notification->data = std::move(data);
  return FrameStatus::kOk;
}

}  // namespace varnholt
