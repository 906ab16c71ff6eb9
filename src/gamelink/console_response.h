// Reading one response frame of the remote console: the count, then each string's length
// and bytes, sorted into response text, chat lines and dropped lines. The bytes come from a
// ByteSource (the socket, or a buffer in tests and fuzzing), and every count and length is
// checked against fixed bounds before anything is allocated, so a broken or hostile peer can
// neither exhaust memory nor make the reader step past what it received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_stream.h"

namespace varnholt {

// Bounds of one response frame; far above anything the game sends (a full player list is a
// few kilobytes).
constexpr uint32_t kMaxResponseStrings = 65536;
constexpr uint32_t kMaxResponseStringBytes = 1024 * 1024;
constexpr size_t kMaxResponseBytes = 16 * 1024 * 1024;
// What of the first string of a console output reply is kept (the echo of a typed character).
constexpr size_t kMaxTypedReply = 1023;

enum class ResponseKind {
  kCommand,        // the answer to a ConsoleMessage request
  kConsoleOutput,  // the answer to a ConsoleRun poll
};

enum class ReadStatus {
  kOk,
  kReceiveFailed,  // the source failed; its last error stands
  kBadFrame,       // a count or length beyond the bounds (last error 13); the stream is lost
};

struct ConsoleResponse {
  std::string text;               // the lines, each followed by a line feed
  std::string typed_reply;        // console output only: the first string, at most 1023 bytes
  std::vector<std::string> chat;  // chat texts ("##--" and the channel character removed)
  uint64_t wire_bytes = 0;        // bytes read, for traffic accounting
};

// Reads one frame. The response's buffers are cleared first and keep their capacity, so a
// reused ConsoleResponse stops allocating once it has grown.
//   Command: "##--" strings are chat, other "##" strings are dropped, the rest are lines.
//   Console output: the first string is the typed reply; chat as above; empty strings and
//   ">" prompts are dropped; a string not beginning with "#" that directly follows a kept
//   "#" string continues it (joined without its first character).
ReadStatus ReadConsoleResponse(ByteSource& source, ResponseKind kind, ConsoleResponse* response,
                               std::string* scratch);

// The chat text of a "##--" string: from its sixth character on; empty when shorter.
std::string_view ChatText(std::string_view line);

}  // namespace varnholt
