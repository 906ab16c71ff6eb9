#include "remote/file_frame.h"

#include <lzo/lzo1x.h>

#include <memory>
#include <new>

#include "log/error_text.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A heap block left uninitialised: the large buffers of a transfer are filled at once by
// read() or the compressor, so zeroing them first would only cost time.
struct Block {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
};

bool Allocate(Block* block, size_t size) {
  block->data.reset(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
  block->size = block->data ? size : 0;
  if (!block->data) SetLastErrorCode(kErrorNotEnoughMemory);
  return block->data != nullptr;
}

// Reads a whole file of at most kMaxFileFrameSize bytes. A larger file fails with 8, as
// if its buffer could not be had.
bool ReadFileForSending(const std::string& path, Block* contents) {
  ReadOnlyFile file;
  if (!file.Open(path, ReadOnlyFile::Folders::kRefuse)) return false;
  if (file.Size() > kMaxFileFrameSize) {
    SetLastErrorCode(kErrorNotEnoughMemory);
    return false;
  }
  if (!Allocate(contents, static_cast<size_t>(file.Size()))) return false;
  size_t got = 0;
  if (!file.Read(contents->data.get(), contents->size, &got)) return false;
  contents->size = got;
  return true;
}

constexpr size_t kFrameHeaderSize = 12;

void PutWord(uint8_t* at, uint32_t word) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(word >> (8 * i));
}

// The frame of `size` (> 0) bytes: compressed straight into the frame, behind room for
// its three words.
bool EncodeInto(const uint8_t* contents, size_t size, Block* frame) {
  if (size > kMaxFileFrameSize) {
    SetLastErrorCode(kErrorNotEnoughMemory);
    return false;
  }
  std::unique_ptr<uint8_t[]> work(new (std::nothrow) uint8_t[LZO1X_1_MEM_COMPRESS]);
  if (!work) {
    SetLastErrorCode(kErrorNotEnoughMemory);
    return false;
  }
  if (!Allocate(frame, kFrameHeaderSize + WorstCaseCompressedSize(size))) return false;
  uint8_t* data = frame->data.get() + kFrameHeaderSize;
  lzo_uint written = 0;
  const int rc = lzo1x_1_compress(contents, size, data, &written, work.get());
  if (rc != LZO_E_OK || written > WorstCaseCompressedSize(size)) {
    SetLastErrorCode(kErrorCannotComplete);
    return false;
  }
  frame->size = kFrameHeaderSize + written;
  PutWord(frame->data.get(), static_cast<uint32_t>(size));
  PutWord(frame->data.get() + 4, static_cast<uint32_t>(written));
  PutWord(frame->data.get() + 8, FrameChecksum(data, written));
  return true;
}

}  // namespace

uint32_t FrameChecksum(const void* data, size_t size) {
  return static_cast<uint32_t>(lzo_adler32(1, static_cast<const uint8_t*>(data), size));
}

bool EncodeFileFrame(std::string_view contents, std::string* frame) {
  frame->clear();
  if (contents.empty()) {
    AppendWord(frame, 0);
    return true;
  }
  Block block;
  if (!EncodeInto(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(), &block)) {
    return false;
  }
  frame->assign(reinterpret_cast<const char*>(block.data.get()), block.size);
  return true;
}

FrameStatus ReadFileFrame(ByteSource& source, uint32_t max_size, std::string* contents) {
  uint32_t size = 0;
  if (!ReadWord(source, &size)) return FrameStatus::kBroken;
  if (size == kErrorMarker) {
    SetLastErrorCode(kErrorRequestAborted);
    return FrameStatus::kRefused;
  }
  if (size == 0) {
    contents->clear();
    return FrameStatus::kOk;
  }
  uint32_t compressed_size = 0;
  uint32_t checksum = 0;
  if (!ReadWord(source, &compressed_size) || !ReadWord(source, &checksum)) {
    return FrameStatus::kBroken;
  }
  if (size > max_size || compressed_size > WorstCaseCompressedSize(size)) {
    // Too large, or a compressed length no compressor produces: drop the data when its
    // length is one an honest large file could have, else give up on the stream.
    if (compressed_size > WorstCaseCompressedSize(max_size)) {
      SetLastErrorCode(kErrorInvalidData);
      return FrameStatus::kBroken;
    }
    source.ExpectBytes(compressed_size);
    if (!DrainBytes(source, compressed_size)) return FrameStatus::kBroken;
    SetLastErrorCode(size > max_size ? kErrorNotEnoughMemory : kErrorInvalidData);
    return FrameStatus::kRefused;
  }
  std::string compressed;
  std::string data;
  try {
    compressed.resize(compressed_size);
    data.resize(size);
  } catch (const std::bad_alloc&) {
    // Keep the stream in step even when the buffers cannot be had.
    if (!DrainBytes(source, compressed_size)) return FrameStatus::kBroken;
    SetLastErrorCode(kErrorNotEnoughMemory);
    return FrameStatus::kRefused;
  }
  source.ExpectBytes(compressed_size);
  if (compressed_size > 0 && !source.Read(compressed.data(), compressed_size)) {
    return FrameStatus::kBroken;
  }
  if (FrameChecksum(compressed.data(), compressed.size()) != checksum) {
    SetLastErrorCode(kErrorCrc);
    return FrameStatus::kRefused;
  }
  lzo_uint produced = size;
  const int rc =
      lzo1x_decompress_safe(reinterpret_cast<const uint8_t*>(compressed.data()), compressed.size(),
                            reinterpret_cast<uint8_t*>(data.data()), &produced, nullptr);
  if (rc != LZO_E_OK || produced != size) {
    SetLastErrorCode(kErrorCannotComplete);
    return FrameStatus::kRefused;
  }
  *contents = std::move(data);
  return FrameStatus::kOk;
}

bool SendFile(const std::string& path, ByteSink& sink, std::string_view peer, EventLog& log) {
  Block contents;
  Block frame;
  bool sent = false;
  if (!ReadFileForSending(path, &contents) ||
      (contents.size > 0 && !EncodeInto(contents.data.get(), contents.size, &frame))) {
    // The peer waits for a frame: tell it there is none instead of letting it time out.
    const uint32_t error = GetLastErrorCode();
    WriteWord(sink, kErrorMarker);
    SetLastErrorCode(error);
  } else if (contents.size == 0) {
    sent = WriteWord(sink, 0);
  } else {
    contents = Block();
    sent = sink.Write(frame.data.get(), frame.size);
  }
  if (!sent) {
    const uint32_t error = GetLastErrorCode();
    const std::string peer_text(peer);
    log.LogMessage(kSoundNone, "Couldn't send %s to peer at %s! %s", FileNameOf(path).c_str(),
                   peer_text.c_str(), ErrorText(error));
    SetLastErrorCode(error);
  }
  return sent;
}

bool ReceiveFile(const std::string& path, ByteSource& source, std::string_view peer, EventLog& log,
                 uint32_t max_size, bool* in_step) {
  std::string contents;
  const FrameStatus status = ReadFileFrame(source, max_size, &contents);
  if (in_step != nullptr) *in_step = status != FrameStatus::kBroken;
  bool received = false;
  if (status == FrameStatus::kOk) {
    const size_t slash = path.rfind('/');
    received = (slash == std::string::npos || slash == 0 || CreateFolders(path.substr(0, slash))) &&
               WriteWholeFile(path, contents);
  }
  if (!received) {
    const uint32_t error = GetLastErrorCode();
    const std::string peer_text(peer);
    log.LogMessage(kSoundNone, "Couldn't receive %s from peer at %s! %s", FileNameOf(path).c_str(),
                   peer_text.c_str(), ErrorText(error));
    SetLastErrorCode(error);
  }
  return received;
}

}  // namespace varnholt
