// The frames of the remote administration protocol, apart from files (file_frame.h): little-
// endian 32-bit words, requests with or without a text, text replies and notifications.
// Every length read from a peer is checked against a limit before anything is allocated;
// a frame that is too long but bounded is read to its end and dropped so the stream stays
// in step, and only an unbounded one breaks the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_stream.h"

namespace varnholt {

constexpr uint32_t kRequestBase = 0xBABE0000;
constexpr uint32_t kRequestCount = 51;
constexpr uint32_t kRequestLast = kRequestBase + kRequestCount - 1;
// Sent instead of a file frame when the file cannot be supplied.
constexpr uint32_t kErrorMarker = 0xBEEFBABE;

// A request's text: at most 255 characters, with or without its zero byte.
constexpr size_t kMaxRequestText = 255;
// Longest text a reply or notification of this server carries (the status summary).
constexpr size_t kMaxReplyText = 32768;
// A refused length up to this many bytes is read and dropped; anything longer is a lie
// not worth reading, and the connection is given up.
constexpr size_t kMaxDrainBytes = 64 * 1024;

enum class FrameStatus {
  kOk,
  // The frame broke a limit; its bytes were read and dropped, the stream is in step.
  kRefused,
  // Transport failure, or a length beyond anything drainable: the stream is out of step
  // and the connection must be closed. Last error set.
  kBroken,
};

void AppendWord(std::string* bytes, uint32_t word);
uint32_t WordAt(const void* bytes);

bool WriteWord(ByteSink& sink, uint32_t word);
bool ReadWord(ByteSource& source, uint32_t* word);
// Reads and drops `size` bytes in small pieces.
bool DrainBytes(ByteSource& source, size_t size);

// Request frames, as a client sends them. The text goes with its zero byte, cut to 255
// characters.
bool SendRequest(ByteSink& sink, uint32_t code);
bool SendRequestText(ByteSink& sink, uint32_t code, std::string_view text);

// The server's side of a request. A code outside the request range is still a code; the
// caller decides what to do with it.
bool ReadRequestCode(ByteSource& source, uint32_t* code);
bool IsRequestCode(uint32_t code);
// The length word and the text after a request code: at most 255 characters, cut at the
// first zero byte. A length above 256 bytes is refused (drained when at most
// kMaxDrainBytes).
FrameStatus ReadRequestText(ByteSource& source, std::string* text);

// Text replies: the text and its zero byte, or the single word 0 for no text.
bool SendTextReply(ByteSink& sink, std::string_view text);
bool SendNoTextReply(ByteSink& sink);
// `*present` tells a text (even an empty one) from the no-text reply.
FrameStatus ReadTextReply(ByteSource& source, std::string* text, bool* present,
                          size_t max_text = kMaxReplyText);

// Notification frames: code, length, data.
bool SendNotification(ByteSink& sink, uint32_t code, std::string_view data);
struct Notification {
  uint32_t code = 0;
  std::string data;
};
FrameStatus ReadNotification(ByteSource& source, Notification* notification,
                             size_t max_data = kMaxReplyText + 1);

// The text of zero-terminated data: up to the first zero byte.
std::string TextOfData(std::string_view data);

}  // namespace varnholt
