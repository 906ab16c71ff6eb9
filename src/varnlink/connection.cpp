#include "varnlink/connection.h"

#include <array>

#include "core/notify_codes.h"
#include "platform/host_lookup.h"
#include "platform/last_error.h"
#include "platform/sockets.h"
#include "remote/account_fields.h"
#include "remote/file_frame.h"
#include "remote/login_exchange.h"
#include "remote/random_text.h"
#include "remote/socket_stream.h"
#include "remote/user_key.h"

namespace varnholt::varnlink {
namespace {

// A source that hands out some bytes already read before it reads on from the socket.
class PrefixedSource final : public ByteSource {
 public:
  PrefixedSource(std::string prefix, ByteSource& rest) : prefix_(std::move(prefix)), rest_(rest) {}
  bool Read(void* buffer, size_t size) override {
    auto* out = static_cast<char*>(buffer);
    const size_t from_prefix = std::min(size, prefix_.size() - used_);
    prefix_.copy(out, from_prefix, used_);
    used_ += from_prefix;
    return from_prefix == size || rest_.Read(out + from_prefix, size - from_prefix);
  }
  void ExpectBytes(size_t size) override { rest_.ExpectBytes(size); }

 private:
  std::string prefix_;
  size_t used_ = 0;
  ByteSource& rest_;
};

// Large reads and writes go in pieces of this size, so progress can be shown between them.
constexpr size_t kProgressPiece = 256 * 1024;

// Reads through to another source in pieces, telling `progress` how much of the announced
// body has arrived.
class ProgressSource final : public ByteSource {
 public:
  ProgressSource(ByteSource& inner, const Progress& progress)
      : inner_(inner), progress_(progress) {}
  bool Read(void* buffer, size_t size) override {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
      const size_t piece = std::min(size, kProgressPiece);
      if (!inner_.Read(out, piece)) return false;
      out += piece;
      size -= piece;
      done_ += piece;
      if (total_ > 0 && progress_) progress_(std::min(done_, total_), total_);
    }
    return true;
  }
  void ExpectBytes(size_t size) override {
    total_ = size;
    done_ = 0;
    inner_.ExpectBytes(size);
  }

 private:
  ByteSource& inner_;
  const Progress& progress_;
  uint64_t done_ = 0;
  uint64_t total_ = 0;
};

bool IsNotifyCode(uint32_t word) {
  return word >= kNotifyFirst && word <= kNotifyLast;
}

// A login field: the text cut to 31 characters, its zero byte and random filler, so the
// field's length tells nothing; enciphered under the user key.
std::array<uint8_t, kNameFieldSize> LoginField(std::string_view text) {
  std::array<uint8_t, kNameFieldSize> field{};
  FillRandomText(field.data(), field.size());
  const size_t n = std::min(text.size(), field.size() - 1);
  text.copy(reinterpret_cast<char*>(field.data()), n);
  field[n] = 0;
  CipherUserField(field);
  return field;
}

}  // namespace

Connection::~Connection() {
  if (socket_ >= 0) CloseSocket(socket_);
}

bool Connection::Connect(const std::string& host, uint16_t port) {
  uint32_t address = 0;
  if (!LookUpHostIPv4(host, &address)) return false;
  socket_ = CreateTcpSocket();
  if (socket_ < 0) return false;
  if (!StartConnect(socket_, address, port)) return false;
  switch (WaitWritable(socket_, kConnectTimeoutMs)) {
    case WaitResult::kReady:
      return ConnectionEstablished(socket_);
    case WaitResult::kTimedOut:
      SetLastErrorCode(kWsaTimedOut);
      return false;
    case WaitResult::kFailed:
      return false;
  }
  return false;
}

bool Connection::Login(std::string_view user, std::string_view password, LoginAnswer* answer) {
  *answer = LoginAnswer();
  std::string fields;
  const auto name = LoginField(user);
  auto secret = LoginField(password);
  fields.append(reinterpret_cast<const char*>(name.data()), name.size());
  fields.append(reinterpret_cast<const char*>(secret.data()), secret.size());
  secret.fill(0);
  SocketSink sink(socket_, clock_);
  const bool sent = sink.Write(fields.data(), fields.size());
  std::fill(fields.begin(), fields.end(), '\0');
  if (!sent) return false;
  SocketSource source(socket_, clock_);
  uint8_t result = 0;
  if (!source.Read(&result, 1)) return false;
  answer->result = result;
  if (result != 0) return true;
  uint8_t rest[5];
  if (!source.Read(rest, sizeof rest)) return false;
  answer->rights = WordAt(rest);
  answer->server_version = rest[4];
  const uint8_t ours = kProtocolVersion;
  if (!sink.Write(&ours, 1)) return false;
  if (answer->server_version != kProtocolVersion) {
    SetLastErrorCode(kErrorProtocolVersion);
    return false;
  }
  uint8_t running = 0;
  if (!source.Read(&running, 1)) return false;
  answer->server_running = running != 0;
  return true;
}

bool Connection::SendRequest(uint32_t code) {
  SocketSink sink(socket_, clock_);
  return varnholt::SendRequest(sink, code);
}

bool Connection::SendRequestText(uint32_t code, std::string_view text) {
  SocketSink sink(socket_, clock_);
  return varnholt::SendRequestText(sink, code, text);
}

bool Connection::SendRequestFile(uint32_t code, std::string_view contents,
                                 const Progress& progress) {
  std::string frame;
  AppendWord(&frame, code);
  std::string file;
  if (!EncodeFileFrame(contents, &file)) return false;
  frame += file;
  SocketSink sink(socket_, clock_);
  for (size_t at = 0; at < frame.size(); at += kProgressPiece) {
    const size_t piece = std::min(kProgressPiece, frame.size() - at);
    if (!sink.Write(frame.data() + at, piece)) return false;
    if (progress) progress(at + piece, frame.size());
  }
  return true;
}

bool Connection::ReadNotificationAfterCode(uint32_t code, Notification* notification) {
  // The frame reader wants the whole frame; give it the code back in front.
  std::string code_bytes;
  AppendWord(&code_bytes, code);
  SocketSource socket_source(socket_, clock_);
  PrefixedSource source(code_bytes, socket_source);
  return varnholt::ReadNotification(source, notification) == FrameStatus::kOk;
}

bool Connection::ReadReplyWord(uint32_t* word) {
  for (;;) {
    SocketSource source(socket_, clock_);
    if (!ReadWord(source, word)) return false;
    if (!IsNotifyCode(*word)) return true;
    Notification n;
    if (!ReadNotificationAfterCode(*word, &n)) return false;
    pending_.push_back(std::move(n));
  }
}

FrameStatus Connection::ReadTextReply(std::string* text, bool* present) {
  uint32_t length = 0;
  if (!ReadReplyWord(&length)) return FrameStatus::kBroken;
  std::string prefix;
  AppendWord(&prefix, length);
  SocketSource socket_source(socket_, clock_);
  PrefixedSource source(prefix, socket_source);
  return varnholt::ReadTextReply(source, text, present);
}

FrameStatus Connection::ReadFile(std::string* contents, uint32_t max_size,
                                 const Progress& progress) {
  uint32_t first = 0;
  if (!ReadReplyWord(&first)) return FrameStatus::kBroken;
  std::string prefix;
  AppendWord(&prefix, first);
  SocketSource socket_source(socket_, clock_);
  // A big file earns its time as it arrives, at the pace the source allows.
  socket_source.BeginFrame();
  ProgressSource counted(socket_source, progress);
  PrefixedSource source(prefix, counted);
  return ReadFileFrame(source, max_size, contents);
}

Connection::Wait Connection::NextNotification(int wait_ms, Notification* notification) {
  if (!pending_.empty()) {
    *notification = std::move(pending_.front());
    pending_.pop_front();
    return Wait::kNotification;
  }
  const uint64_t end = clock_.MonotonicMs() + static_cast<uint64_t>(wait_ms < 0 ? 0 : wait_ms);
  for (;;) {
    int slice = kPeerWaitMs;
    if (wait_ms >= 0) {
      const uint64_t now = clock_.MonotonicMs();
      if (now >= end) return Wait::kTimedOut;
      slice = static_cast<int>(std::min<uint64_t>(end - now, kPeerWaitMs));
    }
    const WaitResult ready = WaitReadable(socket_, slice);
    if (ready == WaitResult::kFailed) return Wait::kBroken;
    if (ready == WaitResult::kReady) break;
  }
  SocketSource source(socket_, clock_);
  uint32_t code = 0;
  if (!ReadWord(source, &code) || !IsNotifyCode(code)) return Wait::kBroken;
  return ReadNotificationAfterCode(code, notification) ? Wait::kNotification : Wait::kBroken;
}

}  // namespace varnholt::varnlink
