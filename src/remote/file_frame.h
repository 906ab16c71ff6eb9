// Whole files on the wire: the file length N, the compressed length C, the Adler-32 of the
// compressed bytes and the LZO1X-1 data; the single word 0 for an empty file; the error
// marker when the sender has no file to give. A receiver checks N and C against limits
// before it allocates anything, and replaces its file only with a complete, verified copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_stream.h"
#include "log/event_log.h"
#include "remote/frames.h"

namespace varnholt {

// Largest file this program sends; its own files are far smaller.
constexpr uint32_t kMaxFileFrameSize = 64u * 1024u * 1024u;
// Largest file a client may upload unless the caller names a smaller limit for the file at
// hand. It also bounds what a refused upload makes the reader drain.
constexpr uint32_t kMaxReceivedFileSize = 16u * 1024u * 1024u;

// What LZO1X-1 may make of n incompressible bytes.
constexpr size_t WorstCaseCompressedSize(size_t n) {
  return n + n / 16 + 64 + 3;
}

// Adler-32 with starting value 1, as the frame carries it.
uint32_t FrameChecksum(const void* data, size_t size);

// The whole frame for `contents` (the word 0 when empty). False with 1003 when the
// compressor fails, 8 when memory runs out.
bool EncodeFileFrame(std::string_view contents, std::string* frame);

// Reads one file frame into `*contents`. Beyond kOk:
//   kRefused (stream in step): the error marker (1235), a checksum mismatch (23), data that
//     does not decompress to exactly N bytes (1003), or a file above `max_size` whose data
//     was bounded and drained (8);
//   kBroken: transport failure, or lengths no honest sender uses (C beyond the worst case
//     for N, and too large to drain).
FrameStatus ReadFileFrame(ByteSource& source, uint32_t max_size, std::string* contents);

// Sends the file at `path` to the peer whose dotted address is `peer`: the error marker
// when it cannot be read (or is beyond kMaxFileFrameSize, or memory runs out). Failures are
// logged as "Couldn't send NAME to peer at ADDRESS! reason".
bool SendFile(const std::string& path, ByteSink& sink, std::string_view peer, EventLog& log);

// Receives a file frame and replaces the file at `path` (creating its folders) with it;
// the file is untouched by any failure. Failures are logged as "Couldn't receive NAME from
// peer at ADDRESS! reason". `*in_step`, when given, tells whether the stream may still be
// read (false: close the connection).
bool ReceiveFile(const std::string& path, ByteSource& source, std::string_view peer, EventLog& log,
                 uint32_t max_size = kMaxReceivedFileSize, bool* in_step = nullptr);

}  // namespace varnholt
